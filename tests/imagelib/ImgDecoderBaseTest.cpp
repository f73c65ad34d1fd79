#include "ImgTestSupport.h"
#include "qelImgDIB.h"
#include "qelImgDIBHeader.h"
#include "qelImgDecoder.h"
#include "qelImgInfo.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace imgtest;

namespace {

// A decoder whose header is whatever the test puts in.
class StubDecoder : public qelImgDecoder
{
public:
    void readHeader() override {}
    bool doesPageExist(int page) override { return page == 0; }
    int pageCount() override { return 1; }
    void decode(qelImgParamValue*) override {}
    void getEncodedData(unsigned char**, unsigned int*) override {}
    void getEncodedBandData(qelImageStrips*) override {}
    int readNextLine(unsigned char*) override { return -1; }
    int getDecodeBPP() override { return -1; }
    int getDecoderKind() override { return KIND_RAW; }
    const char* name() override { return "Stub"; }
    int getScanLineSize() override { return -1; }
    void getEncodedTileData(int, unsigned char**, unsigned int*) override {}
    int decodeTileImage(qelImgParamValue*, int tile) override
    {
        setTileNumber(tile);
        return 0;
    }
    void checkSupportedFormat() override {}

    void setInfo(const qelImgInfo& info)
    {
        delete m_info;
        m_info = new qelImgInfo(info);
    }
    void setPalette(int count, unsigned char value)
    {
        delete[] m_palette;
        m_palette = new unsigned char[4 * count];
        std::memset(m_palette, value, 4 * static_cast<size_t>(count));
        m_paletteCount = count;
    }
};

TEST(ImgDecoderBase, HeaderDepthsRowsAndResolution)
{
    StubDecoder decoder;
    const struct
    {
        int width, bits, depth, imageSize;
    } cases[] = {
        {10, 1, 1, 2 * 3},  {3, 4, 4, 2 * 3},   {3, 3, 4, 2 * 3},   {3, 24, 24, 9 * 3},
        {3, 16, 24, 9 * 3}, {3, 30, 32, 12 * 3}, {3, 40, 48, 18 * 3}, {3, 64, 4, 2 * 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits);
        LoggerScope scope(3);
        std::unique_ptr<qelImgDIBHeader> header(decoder.createDIBHeader(c.width, 3, c.bits, 300, 150));
        EXPECT_EQ(header->biBitCount, c.depth);
        EXPECT_EQ(header->biSizeImage, static_cast<uint32_t>(c.imageSize));
        EXPECT_EQ(header->biHeight, 3);
        EXPECT_EQ(header->biXPelsPerMeter, 11811);
        EXPECT_EQ(header->biYPelsPerMeter, 5906);
        EXPECT_EQ(scope.logger.lines.find("Invalid BitsPerPixel:64. BitsPerPixel set as 4.") != std::string::npos,
                  c.bits == 64);
    }
    EXPECT_EQ(thrown([&] { delete decoder.createDIBHeader(70000, 70000, 24, 300, 300); }).id, 21);
}

TEST(ImgDecoderBase, BitmapPalettesAndPresets)
{
    StubDecoder decoder;
    qelImgInfo info;
    info.photometric = 1;
    decoder.setInfo(info);
    std::unique_ptr<qelImgDIBHeader> mono(decoder.createDIBHeader(10, 2, 1, 300, 300));
    decoder.createDIB(mono.get());
    qelImgDIB* dib = decoder.getDIBBuffer();
    const unsigned char blackFirst[] = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(std::memcmp(dib->palette, blackFirst, 8), 0);
    EXPECT_EQ(dib->bits[0], 0x00);
    EXPECT_EQ(decoder.getDIBDataLength(), 40 + 8 + 4);

    info.photometric = 0;
    decoder.setInfo(info);
    decoder.createDIB(mono.get());
    dib = decoder.getDIBBuffer();
    const unsigned char whiteFirst[] = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(dib->palette, whiteFirst, 8), 0);

    // 8 bits: the decoder's palette; without one the area stays zero.
    std::unique_ptr<qelImgDIBHeader> grey(decoder.createDIBHeader(3, 2, 8, 300, 300));
    decoder.createDIB(grey.get());
    EXPECT_EQ(decoder.getDIBBuffer()->palette, nullptr);
    EXPECT_EQ(decoder.getDIBBuffer()->bits[0], 0xFF);
    decoder.setPalette(4, 0x42);
    decoder.createDIB(grey.get());
    dib = decoder.getDIBBuffer();
    ASSERT_NE(dib->palette, nullptr);
    EXPECT_EQ(dib->palette[15], 0x42);
    EXPECT_EQ(dib->palette[16], 0x00);
    EXPECT_EQ(decoder.getDIBDataLength(), 40 + 1024 + 6);

    EXPECT_EQ(decoder.getDIBBufferForTile(3), nullptr);
    decoder.decodeTileImage(nullptr, 3);
    EXPECT_EQ(decoder.getDIBBufferForTile(3), dib);
}

TEST(ImgDecoderBase, InformationAndItsPrintout)
{
    StubDecoder decoder;
    EXPECT_EQ(thrown([&] { decoder.getInfo(); }).id, 5);
    EXPECT_EQ(thrown([&] { decoder.printInfo(); }).id, 5);
    EXPECT_TRUE(decoder.hasNextImageContent());
    decoder.nextImageContent();
    EXPECT_FALSE(decoder.hasNextImageContent());
    EXPECT_EQ(decoder.getImageContentCount(), 1);
    EXPECT_EQ(decoder.getWidthFromData(), 0);

    qelImgInfo info;
    info.type = 3;
    info.width = 10;
    info.compression = 3;
    info.fillOrder = 2;
    info.stripCount = 1;
    info.transparent = 1;
    info.transparencyKind = 1;
    info.transparentColorIndex = 7;
    decoder.setInfo(info);
    LoggerScope scope(1);
    decoder.printInfo();
    const std::string& text = scope.logger.lines;
    EXPECT_NE(text.find("\t\tSource Image Information:\n\t\t=========================\n"), std::string::npos);
    EXPECT_NE(text.find("\t\tWidth               :  10\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\t\tCompression         :  G4\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\t\tFillOrder           :  Right-to-Left\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\t\tStripCount          :  1\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\t\t|_  ColorIndex      :  7\n"), std::string::npos) << text;
}

} // namespace
