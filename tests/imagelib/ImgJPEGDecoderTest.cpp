#include "ImgTestSupport.h"
#include "ScratchTest.h"
#include "ShellCommand.h"
#include "qelImgDIB.h"
#include "qelImgDIBHeader.h"
#include "qelImgErrorHandler.h"
#include "qelImgInfo.h"
#include "qelImgJPEGDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

using namespace imgtest;
using lrbtest::Bytes;

namespace {

class ImgJPEGDecoder : public lrbtest::ScratchTest
{
protected:
    void SetUp() override
    {
        lrbtest::ScratchTest::SetUp();
        qelImgProcessor::initializeLibrary();
    }
    void TearDown() override
    {
        qelImgProcessor::setDefaultResolution(300);
        qelImgProcessor::finalizeLibrary();
        lrbtest::ScratchTest::TearDown();
    }

    // The pixel rows that djpeg writes for a file (the PNM header dropped).
    std::string djpegPixels(const std::string& path, int width, int height, int components)
    {
        const std::string pnm = lrbtest::commandOutput("djpeg -pnm " + lrbtest::shellQuote(path));
        const std::string header = std::string(components == 1 ? "P5" : "P6") + "\n" + std::to_string(width) + " " +
                                   std::to_string(height) + "\n255\n";
        EXPECT_EQ(pnm.rfind(header, 0), 0u) << pnm.substr(0, 20);
        return pnm.size() > header.size() ? pnm.substr(header.size()) : "";
    }

    static std::string bits(qelImgDIB* dib)
    {
        return std::string(reinterpret_cast<const char*>(dib->bits), dib->header->biSizeImage);
    }
};

TEST_F(ImgJPEGDecoder, ContainerDecodesToTheCheckersPixelsAndPassesThrough)
{
    const Bytes jpeg = containerData(fopImages(), 1);
    ASSERT_EQ(jpeg.size(), 2326u);
    qelImgJPEGDecoder decoder(jpeg.data(), static_cast<unsigned int>(jpeg.size()));
    qelImgInfo* info = decoder.getInfo();
    EXPECT_EQ(info->type, 2);
    EXPECT_EQ(info->width, 320);
    EXPECT_EQ(info->height, 200);
    EXPECT_EQ(info->bitsPerPixel, 24);
    EXPECT_EQ(info->samplesPerPixel, 3);
    EXPECT_EQ(info->compression, 9);
    EXPECT_EQ(info->photometric, 1);
    decoder.decode(nullptr);
    qelImgDIB* dib = decoder.getDIBBuffer();
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(dib->header->biBitCount, 24);
    EXPECT_EQ(dib->header->biSizeImage, 320u * 3 * 200);
    EXPECT_EQ(bits(dib), djpegPixels(writeFile("fop.jpg", jpeg), 320, 200, 3));
    // A second decode leaves the bitmap alone.
    decoder.decode(nullptr);
    EXPECT_EQ(decoder.getDIBBuffer(), dib);

    unsigned char* data = nullptr;
    unsigned int length = 0;
    decoder.getEncodedData(&data, &length);
    std::unique_ptr<unsigned char[]> owned(data);
    EXPECT_EQ(Bytes(data, data + length), jpeg);
    ASSERT_EQ(lrbtest::run("pdfimages -all " + lrbtest::shellQuote(fopImagesPdf()) + " " +
                           lrbtest::shellQuote(m_dir + "/pdf")).status, 0);
    EXPECT_EQ(Bytes(data, data + length), lrbtest::readFile(m_dir + "/pdf-000.jpg"));
}

TEST_F(ImgJPEGDecoder, FileSourceAnswersTheFileAndOnePage)
{
    const std::string path = imageFixture("gray.jpg");
    qelImgJPEGDecoder decoder(path.c_str());
    unsigned char* data = nullptr;
    unsigned int length = 0;
    decoder.getEncodedData(&data, &length);
    std::unique_ptr<unsigned char[]> owned(data);
    EXPECT_EQ(Bytes(data, data + length), lrbtest::readFile(path));
    EXPECT_TRUE(decoder.doesPageExist(0));
    EXPECT_FALSE(decoder.doesPageExist(1));
    decoder.setPageNumber(3);
    EXPECT_EQ(decoder.getPageNumber(), 0);
    EXPECT_EQ(decoder.pageCount(), 1);
    EXPECT_EQ(thrown([&] { decoder.getEncodedTileData(0, &data, &length); }).id, 26);
    EXPECT_EQ(thrown([&] { decoder.decodeTileImage(nullptr, 0); }).id, 26);
    EXPECT_EQ(thrown([&] { decoder.getEncodedBandData(nullptr); }).message,
              "OIL026: getEncodedBandData() not implemented for JPEG Decoder");
    EXPECT_EQ(thrown([] { qelImgJPEGDecoder bad(""); }).id, 8);
    EXPECT_EQ(thrown([] { qelImgJPEGDecoder bad(nullptr, 0); }).id, 12);
    const Thrown missing = thrown([&] { qelImgJPEGDecoder bad((m_dir + "/none.jpg").c_str()); });
    EXPECT_EQ(missing.id, 18);
    EXPECT_NE(missing.message.find("none.jpg"), std::string::npos) << missing.message;
}

TEST_F(ImgJPEGDecoder, GreyAndCMYKDepths)
{
    const std::string grey = imageFixture("gray.jpg");
    qelImgJPEGDecoder g(grey.c_str());
    EXPECT_EQ(g.getInfo()->bitsPerPixel, 8);
    EXPECT_EQ(g.getInfo()->colorCount, 256);
    unsigned char* palette = nullptr;
    int count = 0;
    g.getColorTable(&palette, &count);
    ASSERT_EQ(count, 256);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(palette[4 * i], i);
        EXPECT_EQ(palette[4 * i + 2], i);
    }
    g.decode(nullptr);
    EXPECT_EQ(g.getDIBBuffer()->header->biBitCount, 8);
    EXPECT_EQ(bits(g.getDIBBuffer()), djpegPixels(grey, 64, 48, 1));

    // ImageMagick writes CMYK with an Adobe marker.
    qelImgJPEGDecoder c(imageFixture("cmyk.jpg").c_str());
    EXPECT_EQ(c.getInfo()->bitsPerPixel, 32);
    EXPECT_EQ(c.getInfo()->samplesPerPixel, 4);
    EXPECT_EQ(c.getInfo()->photometric, 1);
    EXPECT_EQ(c.getScanLineSize(), 100 * 4);
    c.decode(nullptr);
    EXPECT_EQ(c.getDIBBuffer()->header->biBitCount, 32);
    EXPECT_EQ(c.getDIBBuffer()->header->biSizeImage, 100u * 4 * 70);
}

TEST_F(ImgJPEGDecoder, DensityGivesTheResolution)
{
    const Bytes jpeg = containerData(fopImages(), 1);
    ASSERT_EQ(std::string(jpeg.begin() + 6, jpeg.begin() + 10), "JFIF");
    const struct
    {
        int unit, x, y;
        float fallback;
        int xDpi, yDpi;
        bool warned;
    } cases[] = {
        {1, 300, 150, 300, 300, 150, false},
        {2, 118, 118, 300, 299, 299, false},
        {0, 1, 1, 300, 300, 300, true},
        {0, 1, 1, 72, 72, 72, true},
        {1, 0, 0, 72, 72, 72, false},
        {7, 96, 96, 150, 150, 150, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.unit * 1000 + c.x);
        Bytes patched = jpeg;
        patched[13] = static_cast<unsigned char>(c.unit);
        patched[14] = static_cast<unsigned char>(c.x >> 8);
        patched[15] = static_cast<unsigned char>(c.x);
        patched[16] = static_cast<unsigned char>(c.y >> 8);
        patched[17] = static_cast<unsigned char>(c.y);
        qelImgProcessor::setDefaultResolution(c.fallback);
        LoggerScope scope(2);
        qelImgJPEGDecoder decoder(patched.data(), static_cast<unsigned int>(patched.size()));
        EXPECT_EQ(decoder.getInfo()->xResolution, c.xDpi);
        EXPECT_EQ(decoder.getInfo()->yResolution, c.yDpi);
        EXPECT_EQ(scope.logger.lines.find("Warning! Unknown JPEG resolution unit. Resolution unit \"inch\" is used.") !=
                      std::string::npos,
                  c.warned)
            << scope.logger.lines;
    }
}

TEST_F(ImgJPEGDecoder, DataCutInHalfKeepsTheRowsRead)
{
    const Bytes jpeg = containerData(fopImages(), 1);
    qelImgJPEGDecoder whole(jpeg.data(), static_cast<unsigned int>(jpeg.size()));
    whole.decode(nullptr);
    const std::string full = bits(whole.getDIBBuffer());

    const Bytes cut(jpeg.begin(), jpeg.begin() + static_cast<long>(jpeg.size() / 2));
    LoggerScope scope(2);
    qelImgJPEGDecoder decoder(cut.data(), static_cast<unsigned int>(cut.size()));
    EXPECT_EQ(thrown([&] { decoder.decode(nullptr); }).id, -1);
    EXPECT_NE(scope.logger.lines.find("Warning! OIL044: JPEG Library Error: Premature end of JPEG file"),
              std::string::npos)
        << scope.logger.lines;
    EXPECT_EQ(qelImgErrorHandler::getPendingError(), nullptr);
    const std::string got = bits(decoder.getDIBBuffer());
    ASSERT_EQ(got.size(), full.size());
    const size_t row = 320 * 3;
    // The first rows are there; the last ones keep the bitmap's preset.
    EXPECT_EQ(got.substr(0, 8 * row), full.substr(0, 8 * row));
    EXPECT_EQ(got.substr(got.size() - row), std::string(row, '\xFF'));
    // No more rows after the end.
    std::string line(row, '\0');
    EXPECT_EQ(decoder.readNextLine(reinterpret_cast<unsigned char*>(&line[0])), 0);
    decoder.finalize();
    EXPECT_NE(scope.logger.lines.find("Warning! JPEGDecoder. JPEG input buffer is not completely read."),
              std::string::npos);
}

TEST_F(ImgJPEGDecoder, RowsByLineAndFinalizeBeforeTheEnd)
{
    const Bytes jpeg = containerData(fopImages(), 1);
    qelImgJPEGDecoder whole(jpeg.data(), static_cast<unsigned int>(jpeg.size()));
    whole.decode(nullptr);
    qelImgJPEGDecoder rows(jpeg.data(), static_cast<unsigned int>(jpeg.size()));
    EXPECT_EQ(rows.readNextLine(nullptr), -1);
    Bytes line(static_cast<size_t>(rows.getScanLineSize()));
    ASSERT_EQ(rows.readNextLine(line.data()), 1);
    EXPECT_TRUE(std::equal(line.begin(), line.end(), whole.getDIBBuffer()->bits));
    EXPECT_EQ(rows.getWidthFromData(), 320);
    LoggerScope scope(2);
    EXPECT_EQ(thrown([&] { rows.finalize(); }).id, -1);
    EXPECT_NE(scope.logger.lines.find("JPEGDecoder. JPEG input buffer is not completely read."), std::string::npos);
    EXPECT_EQ(rows.readNextLine(line.data()), -1);
    EXPECT_EQ(thrown([&] { rows.readHeader(); }).id, 27);
}

} // namespace
