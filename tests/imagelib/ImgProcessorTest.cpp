#include "ImgTestSupport.h"
#include "ScratchTest.h"
#include "qelImgBufferIOStream.h"
#include "qelImgDIB.h"
#include "qelImgDIBHeader.h"
#include "qelImgDecoder.h"
#include "qelImgInfo.h"
#include "qelImgUtils.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace imgtest;
using lrbtest::Bytes;

namespace {

class ImgProcessor : public lrbtest::ScratchTest
{
protected:
    void SetUp() override
    {
        lrbtest::ScratchTest::SetUp();
        qelImgProcessor::initializeLibrary();
    }
    void TearDown() override
    {
        qelImgProcessor::releaseLibraryResources();
        qelImgProcessor::finalizeLibrary();
        lrbtest::ScratchTest::TearDown();
    }
};

TEST_F(ImgProcessor, PagesAreWalkedOnceAndSelectedFreely)
{
    qelImgProcessor processor(imageFixture("three.tif").c_str());
    EXPECT_EQ(processor.getImageType(), 3);
    EXPECT_EQ(processor.getPageCount(), 3);
    EXPECT_EQ(processor.getPageNumber(), 0);
    // The current page again: nothing is read.
    qelImgInfo* first = processor.getInfo();
    processor.setPageNumber(0);
    EXPECT_EQ(processor.getInfo(), first);
    EXPECT_EQ(processor.getPageInfo(2)->width, 37);
    EXPECT_EQ(processor.getPageNumber(), 2);

    const int widths[] = {10, 37, 37};
    EXPECT_EQ(processor.readFirst(), 0);
    EXPECT_EQ(processor.getInfo()->width, widths[0]);
    for (int page = 1; page < 3; ++page) {
        EXPECT_EQ(processor.readNext(), 0);
        EXPECT_EQ(processor.getPageNumber(), page);
        EXPECT_EQ(processor.getInfo()->width, widths[page]);
    }
    EXPECT_EQ(processor.readNext(), -1);
    EXPECT_EQ(processor.readFirst(), -1);

    // The sequential index of the stored-data walk.
    EXPECT_TRUE(processor.doesPageExist());
    processor.skipPages(2);
    EXPECT_TRUE(processor.doesPageExist());
    processor.skipPages(1);
    EXPECT_FALSE(processor.doesPageExist());
}

TEST_F(ImgProcessor, ResolutionParametersFollowTheSource)
{
    qelImgProcessor processor(imageFixture("b10-cm.tif").c_str());
    EXPECT_EQ(processor.getParameterInt(QELIMG_PARAM_X_RESOLUTION), 299);
    EXPECT_EQ(processor.getParameterInt(QELIMG_PARAM_Y_RESOLUTION), 299);
    qelImgDIB* dib = processor.getDIBData();
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(processor.getDIBDataLength(), 40 + 8 + 14);
    // 299 dpi as pixels per metre, half up.
    EXPECT_EQ(dib->header->biXPelsPerMeter, 11772);
}

TEST_F(ImgProcessor, ParametersAreCheckedAndCut)
{
    qelImgProcessor processor;
    EXPECT_EQ(processor.getImageType(), 14);
    EXPECT_EQ(processor.getPageNumber(), -1);
    for (int n : {36, -1}) {
        qelImgException* caught = nullptr;
        try {
            processor.setParameter(n, 1);
        } catch (qelImgException* e) {
            caught = e;
        }
        ASSERT_NE(caught, nullptr) << n;
        EXPECT_EQ(caught->getErrorCode(), 13);
        EXPECT_EQ(caught->getKind(), qelImgException::KIND_WARNING);
        EXPECT_EQ(std::string(caught->getMessage()), "OIL013: Invalid compression parameter id: " + std::to_string(n));
        delete caught;
    }
    processor.setParameter(35, 0);
    EXPECT_EQ(processor.getParameterInt(35), 0);
    processor.setParameter(3, 2.5f);
    EXPECT_FLOAT_EQ(processor.getParameterFloat(3), 2.5f);
    processor.setParameter(4, 123456L);
    EXPECT_EQ(processor.getParameterLong(4), 123456L);
    processor.setParameter(6, static_cast<unsigned char>(0xAB));
    EXPECT_EQ(processor.getParameterByte(6), 0xAB);
    const std::string longText(1500, 'x');
    processor.setParameter(14, longText.c_str());
    EXPECT_EQ(std::string(processor.getParameterText(14)), longText.substr(0, 1023));

    // Without a decoder: coded errors or neutral answers.
    EXPECT_EQ(thrown([&] { processor.getInfo(); }).id, 24);
    EXPECT_EQ(thrown([&] { processor.getPageCount(); }).id, 24);
    EXPECT_FALSE(processor.doesPageExist());
    EXPECT_EQ(processor.getImageContentCount(), 0);
    EXPECT_EQ(processor.getWidthFromData(), 0);
    EXPECT_EQ(processor.getUniqueColorsCount(5), -4);
}

TEST_F(ImgProcessor, TypesWithoutADecoderOrEncoderAreRefused)
{
    // Bytes of no known signature.
    const unsigned char none[] = {'X', 'Y', 'Z', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 0, 0};
    Bytes data(none, none + sizeof none);
    const Thrown unknown = thrown([&] { qelImgProcessor p(data.data(), static_cast<unsigned int>(data.size())); });
    EXPECT_EQ(unknown.id, 9);
    EXPECT_EQ(unknown.message, "OIL009: Unsupported image type ");
    EXPECT_EQ(thrown([&] { qelImgProcessor p(nullptr, 4u); }).id, 12);
    EXPECT_EQ(thrown([&] { qelImgProcessor p(""); }).id, 8);
    EXPECT_EQ(thrown([&] { qelImgProcessor p(7); }).message,
              "OIL026: qelImgProcessor( int iFileDescPar) not implemented for qelImgProcessor");

    qelImgBufferIOStream stream("out", 2);
    EXPECT_EQ(thrown([&] { qelImgProcessor p(&stream, QELIMG_ENCODE_DIB); }).message,
              "OIL009: Unsupported image type ");
    EXPECT_EQ(thrown([&] { qelImgUtils::createEncoder(QELIMG_ENCODE_IOCA_RL4, &stream); }).message,
              "OIL050: ICOA RL4 compression is not supported");

    // Raw data without information: the text, then OIL005.
    LoggerScope scope(1);
    EXPECT_EQ(thrown([&] { qelImgProcessor p(nullptr, data.data(), 4, nullptr); }).id, 5);
    EXPECT_NE(scope.logger.lines.find("\nSource Image information is null."), std::string::npos);

    // A typed constructor records the given type.
    const Bytes tiff = lrbtest::readFile(imageFixture("b10.tif"));
    Bytes copy = tiff;
    qelImgProcessor typed(3, copy.data(), static_cast<unsigned int>(copy.size()));
    EXPECT_EQ(typed.getImageType(), 3);
    EXPECT_EQ(thrown([&] { qelImgProcessor p(2, copy.data(), static_cast<unsigned int>(copy.size())); }).id, 44);
}

TEST_F(ImgProcessor, UniqueColoursOfRawPages)
{
    // Raw 1-bit rows of 0x00 and 0xFF bytes only.
    qelImgInfo info;
    info.type = 3;
    info.width = 16;
    info.height = 2;
    info.bitsPerPixel = 1;
    info.bitsPerSample = 1;
    info.photometric = 1;
    unsigned char bilevel[] = {0x00, 0xFF, 0xFF, 0x00};
    qelImgProcessor mono(&info, bilevel, 4, nullptr);
    EXPECT_EQ(mono.getImageType(), 3);
    EXPECT_EQ(mono.getUniqueColorsCount(-1), 2);
    EXPECT_EQ(mono.getUniqueColorsCount(0), -3);
    EXPECT_EQ(mono.getUniqueColorsCount(-7), -3);
    EXPECT_EQ(mono.getUniqueColorsCount(1), 1);

    // 16-bit grey is not counted.
    info.width = 2;
    info.height = 1;
    info.bitsPerPixel = 16;
    info.bitsPerSample = 16;
    unsigned char deep[] = {1, 2, 3, 4};
    qelImgProcessor grey16(&info, deep, 4, nullptr);
    EXPECT_EQ(grey16.getUniqueColorsCount(-1), -6);

    // 8-bit grey with three values, stopped by the limit within a row.
    info.width = 4;
    info.height = 2;
    info.bitsPerPixel = 8;
    info.bitsPerSample = 8;
    unsigned char grey[] = {5, 5, 9, 9, 9, 200, 5, 9};
    qelImgProcessor g(&info, grey, 8, nullptr);
    EXPECT_EQ(g.getUniqueColorsCount(-1), 3);
    qelImgProcessor limited(&info, grey, 8, nullptr);
    EXPECT_EQ(limited.getUniqueColorsCount(2), 2);
}

TEST_F(ImgProcessor, RawPaletteShorterThanTheDepthIsNotOverread)
{
    qelImgInfo info;
    info.type = 3;
    info.width = 4;
    info.height = 1;
    info.bitsPerPixel = 8;
    info.bitsPerSample = 8;
    info.photometric = 3;
    info.colorCount = 4;
    // Four entries on the heap: the header of 256 entries must not read past them.
    std::unique_ptr<unsigned char[]> palette(new unsigned char[16]);
    for (int i = 0; i < 16; ++i)
        palette[i] = static_cast<unsigned char>(16 * i);
    unsigned char pixels[] = {0, 1, 2, 3};
    qelImgProcessor processor(&info, pixels, 4, palette.get());
    unsigned char* table = nullptr;
    int count = 0;
    processor.getColorTable(&table, &count);
    ASSERT_EQ(count, 256);
    // Blue, green, red of entry 3 back through the 16-bit map; the rest black.
    EXPECT_EQ(table[12], 0xC0);
    EXPECT_EQ(table[13], 0xD0);
    EXPECT_EQ(table[14], 0xE0);
    EXPECT_EQ(table[4 * 4], 0);
    qelImgDIB* dib = processor.getDIBData();
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(dib->bits[3], 3);
}

TEST_F(ImgProcessor, StoredDataAndRowsThroughTheFacade)
{
    Bytes jpeg = containerData(fopImages(), 1);
    qelImgProcessor processor(jpeg.data(), static_cast<unsigned int>(jpeg.size()));
    EXPECT_EQ(processor.getImageType(), 2);
    unsigned char* data = nullptr;
    unsigned int length = 0;
    EXPECT_EQ(processor.getNextEncodedData(&data, &length), 0);
    std::unique_ptr<unsigned char[]> owned(data);
    EXPECT_EQ(Bytes(data, data + length), jpeg);
    qelImgDIB* dib = nullptr;
    EXPECT_EQ(processor.getNextDIBData(&dib), 0);
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(processor.getDIBData(), dib);
    EXPECT_EQ(processor.getDecoder()->getDecoderKind(), 1);
    qelImageStrips* bands = nullptr;
    EXPECT_EQ(thrown([&] { processor.getNextEncodedBandData(&bands); }).id, 26);
    EXPECT_EQ(bands, nullptr);
}

} // namespace
