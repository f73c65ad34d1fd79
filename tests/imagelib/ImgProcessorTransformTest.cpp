#include "ImgTestSupport.h"
#include "qelImgDIB.h"
#include "qelImgDIBHeader.h"
#include "qelImgDIBUtils.h"
#include "qelImgProcessor.h"
#include "qelImgTypes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

using namespace imgtest;

namespace {

using DIBPtr = std::unique_ptr<qelImgDIB>;
using Bytes = std::vector<unsigned char>;

// The block of a uniform grey 8-bit bitmap, or a 24-bit one.
Bytes block(int bits, unsigned char value)
{
    Bytes table(1024);
    for (int i = 0; i < 256; ++i)
        table[4 * i] = table[4 * i + 1] = table[4 * i + 2] = static_cast<unsigned char>(i);
    DIBPtr dib(qelImgDIBUtils::createDIBFromData(16, 8, bits, 300, 300, 256, table.data(), 0));
    std::memset(dib->bits, value, dib->header->biSizeImage);
    return Bytes(dib->buffer, dib->buffer + qelImgDIBUtils::getDIBSize(dib.get()));
}

TEST(ImgProcessorTransforms, BitDemoteByTargetAndSource)
{
    Bytes grey = block(8, 100);
    qelImgProcessor processor(QELIMG_IMAGETYPE_DIB, grey.data(), static_cast<unsigned int>(grey.size()));
    processor.decode();
    EXPECT_EQ(processor.bitDemote(8, 3), nullptr);
    DIBPtr mono(processor.bitDemote(1, 3));
    ASSERT_TRUE(mono);
    EXPECT_EQ(processor.getParameterInt(QELIMG_PARAM_DITHER_METHOD), 3);
    EXPECT_EQ(mono->header->biBitCount, 1);
    EXPECT_EQ(mono->header->biWidth, 16);
    // Bayer on grey 100: 7 of every 16 pixels.
    int set = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            set += qelImgDIBUtils::getPixel(mono.get(), x, y);
    EXPECT_EQ(set, 7 * 8);

    Bytes rgb = block(24, 50);
    qelImgProcessor colour(QELIMG_IMAGETYPE_DIB, rgb.data(), static_cast<unsigned int>(rgb.size()));
    colour.decode();
    EXPECT_EQ(colour.bitDemote(24, 0), nullptr);
    DIBPtr dithered(colour.bitDemote(1, 2));
    ASSERT_TRUE(dithered);
    EXPECT_EQ(dithered->header->biBitCount, 1);
}

TEST(ImgProcessorTransforms, FlipByParameterAndStaticTransforms)
{
    Bytes grey = block(8, 7);
    qelImgProcessor processor(QELIMG_IMAGETYPE_DIB, grey.data(), static_cast<unsigned int>(grey.size()));
    processor.decode();
    qelImgDIB* dib = processor.getDIBData();
    ASSERT_TRUE(dib);
    dib->bits[0] = 255;
    processor.setParameter(QELIMG_PARAM_FLIP_IMAGE, 5);
    EXPECT_EQ(processor.flip(dib), -2);
    EXPECT_EQ(dib->bits[0], 255);
    processor.setParameter(QELIMG_PARAM_FLIP_IMAGE, 2);
    EXPECT_EQ(processor.flip(dib), 0);
    EXPECT_EQ(dib->bits[15], 255);
    EXPECT_EQ(processor.flip(nullptr), -1);

    DIBPtr part(qelImgProcessor::crop(dib, 2, 1, 4, 3));
    ASSERT_TRUE(part);
    EXPECT_EQ(part->header->biWidth, 4);
    EXPECT_EQ(part->header->biHeight, 3);
    DIBPtr small(qelImgProcessor::resize(nullptr, dib, 5, 3, 0));
    ASSERT_TRUE(small);
    EXPECT_EQ(small->header->biWidth, 5);
    DIBPtr turned(processor.rotate(90, 0));
    ASSERT_TRUE(turned);
    EXPECT_EQ(turned->header->biWidth, 8);
    EXPECT_EQ(turned->header->biHeight, 16);
    DIBPtr bw(qelImgProcessor::threshold(dib, 50));
    ASSERT_TRUE(bw);
    EXPECT_EQ(bw->header->biBitCount, 1);
    EXPECT_EQ(qelImgProcessor::threshold(nullptr, 50), nullptr);
    DIBPtr grey2(processor.convertToGrayscale());
    ASSERT_TRUE(grey2);
    EXPECT_EQ(grey2->bits[15], 255);
}

} // namespace
