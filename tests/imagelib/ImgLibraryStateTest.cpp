#include "ImgTestSupport.h"
#include "ScratchTest.h"
#include "qelImgDIBHeader.h"
#include "qelImgInfo.h"
#include "qelImgParamValue.h"
#include "qelImgUtils.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

using namespace imgtest;

namespace {

class ImgLibraryState : public lrbtest::ScratchTest
{
protected:
    void TearDown() override
    {
        qelImgProcessor::finalizeLibrary();
        lrbtest::ScratchTest::TearDown();
    }
};

TEST_F(ImgLibraryState, DocumentTextsAndDefaults)
{
    qelImgProcessor::initializeLibrary();
    EXPECT_STREQ(qelImgProcessor::getSoftwareName(), "Orvo Image Library V1.14");
    qelImgProcessor::setSoftwareName("Mine");
    qelImgProcessor::setSoftwareName(nullptr);
    EXPECT_STREQ(qelImgProcessor::getSoftwareName(), "Mine");
    qelImgProcessor::setSoftwareName("");
    EXPECT_STREQ(qelImgProcessor::getSoftwareName(), "Orvo Image Library V1.14");
    qelImgProcessor::setTitle("T");
    qelImgParamValue table[36];
    qelImgUtils::setDefaultParameters(table);
    EXPECT_STREQ(table[14].getText(), "T");
    EXPECT_STREQ(table[9].getText(), "Orvo Image Library V1.14");
    struct { int slot; int value; } ints[] = {{2, 1}, {3, 50}, {4, 300}, {19, -1}, {22, 15}, {24, 4},
                                              {25, 128}, {29, 1}, {31, 15}, {33, -1}, {35, 1}};
    for (const auto& c : ints)
        EXPECT_EQ(table[c.slot].getInt(), c.value) << c.slot;
    EXPECT_EQ(table[20].getByte(), 8);
    EXPECT_FLOAT_EQ(qelImgProcessor::getDefaultResolution(), 300.0f);
    EXPECT_TRUE(qelImgProcessor::isWidthFromData());
}

TEST_F(ImgLibraryState, FinalizeForgetsTextsAndTempDirectory)
{
    qelImgProcessor::initializeLibrary();
    EXPECT_NE(qelImgProcessor::getTempDirectory(), nullptr);
    qelImgProcessor::setTempDirectory(("\"" + m_dir + "\"").c_str());
    EXPECT_EQ(std::string(qelImgProcessor::getTempDirectory()), m_dir + "/");
    qelImgProcessor::setTempDirectory((m_dir + "/missing").c_str());
    EXPECT_NE(std::string(qelImgProcessor::getTempDirectory()), m_dir + "/missing/");
    qelImgProcessor::setArtist("A");
    qelImgProcessor::finalizeLibrary();
    EXPECT_EQ(qelImgProcessor::getTempDirectory(), nullptr);
    EXPECT_STRNE(qelImgProcessor::getArtist(), "A");
    qelImgProcessor::finalizeLibrary();
    EXPECT_FALSE(qelImgProcessor::isInitialized());
}

TEST_F(ImgLibraryState, VersionTexts)
{
    EXPECT_STREQ(qelImgProcessor::getVersion(), "1.14");
    EXPECT_EQ(std::string(qelImgProcessor::getLibraryBanner()).rfind("Orvo Image Library Version 1.14 [Compiled on ", 0),
              0u);
    std::unique_ptr<char[]> versions(qelImgProcessor::getLibraryVersions());
    std::string text = versions.get();
    EXPECT_NE(text.find("    Orvu IOCA Library               : V1.8\n"), std::string::npos) << text;
    EXPECT_NE(text.find("    TIFF Library                    : LIBTIFF, Version 4."), std::string::npos) << text;
    EXPECT_NE(text.find("    JPEG Library                    : V6.2\n"), std::string::npos) << text;
    EXPECT_NE(text.find("    CxImage Library                 : V6.00000\n"), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4);
}

TEST(ImgUtils, Names)
{
    struct { const char* (*name)(int); int value; const char* text; } cases[] = {
        {qelImgUtils::getCompressionName, 19, "Unhandled"}, {qelImgUtils::getCompressionName, 6, "IOCA  ABIC"},
        {qelImgUtils::getCompressionName, 36, "JP2000"},   {qelImgUtils::getEncodeTypeName, 1, "Unhandled"},
        {qelImgUtils::getEncodeTypeName, 16, "ICOA RL4"},  {qelImgUtils::getParameterName, 8, "Unknown paramter"},
        {qelImgUtils::getParameterName, 36, "Unknown paramter"}, {qelImgUtils::getParameterName, 10, "Creator"},
        {qelImgUtils::getImageTypeName, 9, "Raw"},         {qelImgUtils::getImageTypeName, 14, "Unhandled"},
        {qelImgUtils::getPhotometricName, 32845, "LOGLUV"}, {qelImgUtils::getPhotometricName, 7, "Unknown"},
        {qelImgUtils::getColorSpaceName, 3, "Unknown"},    {qelImgUtils::getResizeFilterKeyword, 18, ""},
        {qelImgUtils::getResizeFilterName, 18, "End"},     {qelImgUtils::getResizeFilterKeyword, 17, "NEARESTPIXEL"},
        {qelImgUtils::getTransparencyKindName, 0, "none"}, {qelImgUtils::getTransparencyKindName, 3, "Mask"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(c.name(c.value), c.text) << c.value;
}

TEST(ImgUtils, InfoFromDIBHeader)
{
    struct { int bits; int ppm; int bps; int spp; int dpi; int colors; } cases[] = {
        {24, 11811, 8, 3, 300, 0}, {24, 2835, 8, 3, 72, 0}, {1, 11811, 1, 1, 300, 2}, {8, 11811, 8, 1, 300, 256},
    };
    for (const auto& c : cases) {
        qelImgDIBHeader h{};
        h.biSize = 40;
        h.biWidth = 7;
        h.biHeight = 3;
        h.biBitCount = static_cast<uint16_t>(c.bits);
        h.biXPelsPerMeter = h.biYPelsPerMeter = c.ppm;
        std::unique_ptr<qelImgInfo> info(qelImgUtils::createInfoFromDIBHeader(&h));
        EXPECT_EQ(info->type, 5);
        EXPECT_EQ(info->bitsPerSample, c.bps);
        EXPECT_EQ(info->samplesPerPixel, c.spp);
        EXPECT_EQ(info->xResolution, c.dpi);
        EXPECT_EQ(info->colorCount, c.colors);
        EXPECT_EQ(info->fillOrder, 1);
    }
}

TEST(ImgUtils, ColoursEbcdicAndTexts)
{
    int gray = -1;
    qelImgUtils::rgbToGray(255, 255, 255, &gray);
    EXPECT_EQ(gray, 255);
    qelImgUtils::rgbToGray(1, 1, 1, &gray);
    EXPECT_EQ(gray, 1);
    EXPECT_EQ(qelImgUtils::cmykToRgbColor(0xFF000000u), 0x00FFFF00u);
    std::unique_ptr<unsigned char[]> e(qelImgUtils::toEBCDIC("A[]^|!\x7F\t\n\xE9"));
    const unsigned char expected[] = {0xC1, 0xAD, 0xBD, 0x5F, 0x4F, 0x5A, 0x07, 0x05, 0x15, 0xFF};
    EXPECT_EQ(std::memcmp(e.get(), expected, sizeof expected), 0);
    EXPECT_EQ(qelImgUtils::toEBCDIC(""), nullptr);
    EXPECT_EQ(qelImgUtils::hexToInt("12345"), 0x2345 + 0x10000 * 0);
    EXPECT_EQ(qelImgUtils::reverseBits(0x01), 0x80);
    EXPECT_EQ(qelImgUtils::roundHalfUp(2.5f), 3);
    std::unique_ptr<char[]> field(qelImgUtils::getValueField("k=a,b,c", 2, ','));
    EXPECT_STREQ(field.get(), "b");
    std::unique_ptr<char[]> base(qelImgUtils::getBaseName("/x/y/name.tif", false));
    EXPECT_STREQ(base.get(), "name");
}

TEST_F(ImgLibraryState, DefaultTempDirectorySkipsFiles)
{
    std::string file = writeFile("plain", {1});
    const char* oldTmp = std::getenv("TMP");
    const char* oldTemp = std::getenv("TEMP");
    std::string savedTmp = oldTmp ? oldTmp : "", savedTemp = oldTemp ? oldTemp : "";
    setenv("TMP", file.c_str(), 1);
    setenv("TEMP", m_dir.c_str(), 1);
    std::unique_ptr<char[]> dir(qelImgUtils::getDefaultTempDirectory());
    EXPECT_EQ(std::string(dir.get()), m_dir + "/");
    oldTmp ? setenv("TMP", savedTmp.c_str(), 1) : unsetenv("TMP");
    oldTemp ? setenv("TEMP", savedTemp.c_str(), 1) : unsetenv("TEMP");
    EXPECT_EQ(thrown([&] { qelImgUtils::getImageTypeFromFile((m_dir + "/none").c_str()); }).id, 18);
    EXPECT_EQ(qelImgUtils::getImageTypeFromFile(writeFile("t.tif", {'I', 'I', 0x2A, 0}).c_str()), 3);
}

} // namespace
