#include "CxImage.h"
#include "ImgTestSupport.h"
#include "qelImgColorUtils.h"
#include "qelImgDIB.h"
#include "qelImgDIBHeader.h"
#include "qelImgDIBUtils.h"
#include "qelImgParamValue.h"
#include "qelImgTransformer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace imgtest;

namespace {

using DIBPtr = std::unique_ptr<qelImgDIB>;
using Bytes = std::vector<unsigned char>;

const Bytes kBlackWhite = {0, 0, 0, 0, 255, 255, 255, 0};

DIBPtr makeDIB(int width, int height, int bits, const Bytes& table = {}, const Bytes& pixels = {})
{
    const int colors = qelImgDIBUtils::getColorCount(bits);
    DIBPtr dib(qelImgDIBUtils::createDIBFromData(width, height, bits, 300, 300, colors,
                                                 table.empty() ? nullptr : table.data(), 0));
    if (!table.empty())
        std::memcpy(dib->palette, table.data(), table.size());
    const size_t size = dib->header->biSizeImage;
    std::memset(dib->bits, 0, size);
    if (!pixels.empty())
        std::memcpy(dib->bits, pixels.data(), pixels.size() < size ? pixels.size() : size);
    return dib;
}

Bytes pixelsOf(const qelImgDIB* dib)
{
    return Bytes(dib->bits, dib->bits + dib->header->biSizeImage);
}

Bytes greyTable()
{
    Bytes t(1024);
    for (int i = 0; i < 256; ++i)
        t[4 * i] = t[4 * i + 1] = t[4 * i + 2] = static_cast<unsigned char>(i);
    return t;
}

struct FlipParams
{
    explicit FlipParams(int mode)
    {
        std::memset(slots, 0, sizeof slots);
        slots[30].setInt(mode);
    }
    qelImgParamValue slots[36];
};

TEST(ImgTransformerFlip, ResultsByModeAndDepth)
{
    const struct
    {
        const char* name;
        int bits;
        int mode;
        int want;
    } cases[] = {
        {"4 bit vertical then horizontal", 4, 3, -3},
        {"4 bit horizontal", 4, 2, -3},
        {"4 bit vertical", 4, 1, -3},
        {"4 bit horizontal then vertical", 4, 4, -3},
        {"8 bit no flip", 8, 0, 0},
        {"8 bit both", 8, 3, 0},
        {"unknown mode", 8, 5, -2},
    };
    qelImgTransformer t;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes pixels = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC};
        DIBPtr dib = makeDIB(c.bits == 4 ? 4 : 2, 3, c.bits, {}, pixels);
        const Bytes before = pixelsOf(dib.get());
        FlipParams p(c.mode);
        EXPECT_EQ(t.flip(dib.get(), p.slots), c.want);
        if (c.want < 0) {
            EXPECT_EQ(pixelsOf(dib.get()), before);
        }
    }
    EXPECT_EQ(t.flip(nullptr, FlipParams(1).slots), -1);
    EXPECT_EQ(t.flipHorizontal(nullptr), -1);
    EXPECT_EQ(t.flipVertical(nullptr), -1);
}

TEST(ImgTransformerFlip, RowsAndPixelsMirrored)
{
    qelImgTransformer t;
    // Odd height: the middle row stays.
    DIBPtr v = makeDIB(2, 3, 8, greyTable(), {1, 2, 3, 4, 5, 6});
    EXPECT_EQ(t.flipVertical(v.get()), 0);
    EXPECT_EQ(pixelsOf(v.get()), (Bytes{5, 6, 3, 4, 1, 2}));
    DIBPtr h8 = makeDIB(3, 1, 8, greyTable(), {1, 2, 3});
    EXPECT_EQ(t.flipHorizontal(h8.get()), 0);
    EXPECT_EQ(pixelsOf(h8.get()), (Bytes{3, 2, 1}));
    DIBPtr h24 = makeDIB(2, 1, 24, {}, {1, 2, 3, 4, 5, 6});
    EXPECT_EQ(t.flipHorizontal(h24.get()), 0);
    EXPECT_EQ(pixelsOf(h24.get()), (Bytes{4, 5, 6, 1, 2, 3}));
    // 16 pixels: exact mirror, 0x01 becomes 0x80.
    DIBPtr h16 = makeDIB(16, 1, 1, kBlackWhite, {0x01, 0xC0});
    EXPECT_EQ(t.flipHorizontal(h16.get()), 0);
    EXPECT_EQ(pixelsOf(h16.get()), (Bytes{0x03, 0x80}));
    // 10 pixels: mirrored within the width, the fill stays at the end.
    DIBPtr h10 = makeDIB(10, 1, 1, kBlackWhite, {0x80, 0x40});
    EXPECT_EQ(t.flipHorizontal(h10.get()), 0);
    EXPECT_EQ(qelImgDIBUtils::getPixel(h10.get(), 9, 0), 1);
    EXPECT_EQ(qelImgDIBUtils::getPixel(h10.get(), 0, 0), 1);
    EXPECT_EQ(qelImgDIBUtils::getPixel(h10.get(), 1, 0), 0);
    EXPECT_EQ(h10->bits[1] & 0x3F, 0);
}

TEST(ImgTransformerCrop, CopiesClampsOrdersAndWidensOneBit)
{
    qelImgTransformer t;
    DIBPtr grey = makeDIB(3, 2, 8, greyTable(), {1, 2, 3, 4, 5, 6});
    DIBPtr all(t.crop(grey.get(), 0, 0, 2, 1));
    EXPECT_EQ(pixelsOf(all.get()), pixelsOf(grey.get()));
    EXPECT_EQ(Bytes(all->palette, all->palette + 1024), greyTable());
    DIBPtr swapped(t.crop(grey.get(), 2, 1, 1, 0));
    EXPECT_EQ(swapped->header->biWidth, 2);
    EXPECT_EQ(pixelsOf(swapped.get()), (Bytes{2, 3, 5, 6}));
    DIBPtr clamped(t.crop(grey.get(), 1, -4, 99, 99));
    EXPECT_EQ(pixelsOf(clamped.get()), (Bytes{2, 3, 5, 6}));
    DIBPtr rgb = makeDIB(2, 1, 24, {}, {1, 2, 3, 4, 5, 6});
    DIBPtr rgbAll(t.crop(rgb.get(), 0, 0, 1, 0));
    EXPECT_EQ(pixelsOf(rgbAll.get()), pixelsOf(rgb.get()));
    DIBPtr rgbOne(t.crop(rgb.get(), 1, 0, 1, 0));
    EXPECT_EQ(pixelsOf(rgbOne.get()), (Bytes{4, 5, 6}));

    // White first so that the widened columns (index 0) are told apart.
    DIBPtr mono = makeDIB(10, 1, 1, {255, 255, 255, 0, 0, 0, 0, 0}, {0xFF, 0xC0});
    DIBPtr monoAll(t.crop(mono.get(), 0, 0, 9, 0));
    EXPECT_EQ(monoAll->header->biWidth, 16);
    EXPECT_EQ(pixelsOf(monoAll.get()), (Bytes{0xFF, 0xC0}));
    EXPECT_EQ(monoAll->palette[0], 255);
    EXPECT_EQ(t.crop(nullptr, 0, 0, 1, 1), nullptr);
    DIBPtr four = makeDIB(2, 1, 4);
    EXPECT_EQ(thrown([&] { delete t.crop(four.get(), 0, 0, 1, 0); }).id, 58);
}

TEST(ImgTransformerMix, PaintsOnlyInsideBothImages)
{
    qelImgTransformer t;
    // Mask 4 x 1 of zeros over an 8 x 2 image.
    DIBPtr mask = makeDIB(4, 1, 1, kBlackWhite);
    DIBPtr mono = makeDIB(8, 2, 1, kBlackWhite, {0x00, 0x00});
    t.transparentMix(mono.get(), mask.get(), 0xFFFFFF);
    EXPECT_EQ(pixelsOf(mono.get()), (Bytes{0xF0, 0x00}));

    Bytes table = greyTable();
    DIBPtr grey = makeDIB(2, 2, 8, table, {9, 9, 9, 9});
    DIBPtr mask2 = makeDIB(2, 2, 1, kBlackWhite, {0x40, 0x80});
    // Grey 7 is entry 7.
    t.transparentMix(grey.get(), mask2.get(), 0x070707);
    EXPECT_EQ(pixelsOf(grey.get()), (Bytes{7, 9, 9, 7}));
    // A colour outside the table paints entry 0.
    t.transparentMix(grey.get(), mask2.get(), 0x0000FF);
    EXPECT_EQ(pixelsOf(grey.get()), (Bytes{0, 9, 9, 0}));

    DIBPtr rgb = makeDIB(2, 1, 24, {}, {1, 1, 1, 1, 1, 1});
    t.transparentMix(rgb.get(), mask2.get(), 0x302010);
    EXPECT_EQ(pixelsOf(rgb.get()), (Bytes{0x10, 0x20, 0x30, 1, 1, 1}));

    DIBPtr four = makeDIB(2, 1, 4);
    EXPECT_EQ(thrown([&] { t.transparentMix(four.get(), mask.get(), 0); }).id, 59);
}

TEST(ImgTransformer, CxImageFillPixelsShowTheEntryThatIsNotZero)
{
    for (bool blackFirst : {true, false}) {
        SCOPED_TRACE(blackFirst ? "black first" : "white first");
        CxImage image;
        ASSERT_TRUE(image.Create(10, 2, 1, 0));
        const RGBQUAD bw[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
        const RGBQUAD wb[2] = {{255, 255, 255, 0}, {0, 0, 0, 0}};
        image.SetPalette(blackFirst ? bw : wb, 2);
        image.GetBits(0)[0] = 0x80;
        image.GetBits(0)[1] = blackFirst ? 0x00 : 0x3F;
        image.SetXDPI(200);
        image.SetYDPI(100);
        DIBPtr dib(qelImgTransformer::createDIBFromCxImage(&image));
        ASSERT_TRUE(dib);
        EXPECT_EQ(dib->header->biWidth, 10);
        EXPECT_EQ(dib->bits[0], 0x80);
        EXPECT_EQ(dib->bits[1], blackFirst ? 0x3F : 0x00);
        EXPECT_EQ(dib->header->biXPelsPerMeter, 7874);
        EXPECT_EQ(dib->header->biYPelsPerMeter, 3937);
    }
}

TEST(ImgTransformerResize, EveryFilterGivesTheRequestedSize)
{
    qelImgTransformer t;
    Bytes pixels(60);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<unsigned char>(i * 4);
    DIBPtr grey = makeDIB(10, 6, 8, greyTable(), pixels);
    DIBPtr rgb = makeDIB(5, 4, 24, {}, Bytes(60, 0x80));
    DIBPtr mono = makeDIB(9, 5, 1, kBlackWhite, Bytes(10, 0xA5));
    for (int filter = 0; filter <= 17; ++filter) {
        SCOPED_TRACE("filter " + std::to_string(filter));
        for (const qelImgDIB* src : {grey.get(), rgb.get(), mono.get()}) {
            for (auto size : {std::pair<int, int>{7, 13}, {23, 3}, {1, 1}}) {
                DIBPtr out(t.resize("img", const_cast<qelImgDIB*>(src), size.first, size.second, filter));
                ASSERT_TRUE(out);
                EXPECT_EQ(out->header->biWidth, size.first);
                EXPECT_EQ(out->header->biHeight, size.second);
                EXPECT_EQ(out->header->biXPelsPerMeter, src->header->biXPelsPerMeter);
            }
        }
    }
    EXPECT_EQ(t.resize("img", grey.get(), 0, 5, 1), nullptr);
    EXPECT_EQ(t.resize("img", nullptr, 5, 5, 1), nullptr);
    EXPECT_STREQ(qelImgTransformer::filterName(0), "");
    EXPECT_STREQ(qelImgTransformer::filterName(3), "BSPLINE");
    EXPECT_STREQ(qelImgTransformer::filterName(17), "NEARESTPIXEL");
}

TEST(ImgTransformerResize, DepthAndTableOfTheResult)
{
    qelImgTransformer t;
    // White first: the nearest filter keeps depth, pixels and table.
    const Bytes whiteFirst = {255, 255, 255, 0, 0, 0, 0, 0};
    DIBPtr mono = makeDIB(8, 2, 1, whiteFirst, {0xF0, 0x0F});
    DIBPtr doubled(t.resize(nullptr, mono.get(), 16, 4, 1));
    ASSERT_TRUE(doubled);
    EXPECT_EQ(doubled->header->biBitCount, 1);
    EXPECT_EQ(pixelsOf(doubled.get()), (Bytes{0xFF, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0x00, 0xFF}));
    EXPECT_EQ(Bytes(doubled->palette, doubled->palette + 8), whiteFirst);
    // Other filters give grey levels with the ramp, never the 2-entry table.
    DIBPtr smooth(t.resize(nullptr, mono.get(), 16, 4, 2));
    ASSERT_TRUE(smooth);
    EXPECT_EQ(smooth->header->biBitCount, 8);
    EXPECT_EQ(Bytes(smooth->palette, smooth->palette + 1024), greyTable());
    // Index 0 is white: the top-left corner stays black (0) and the
    // top-right white.
    EXPECT_LT(smooth->bits[0], 20);
    EXPECT_GT(smooth->bits[15], 235);
    // A coloured 8-bit table gives 24 bits in the library's red first order.
    Bytes red(1024, 0);
    red[2] = 255;
    DIBPtr pal = makeDIB(2, 2, 8, red, {0, 0, 0, 0});
    DIBPtr colour(t.resize(nullptr, pal.get(), 5, 5, 6));
    ASSERT_TRUE(colour);
    EXPECT_EQ(colour->header->biBitCount, 24);
    EXPECT_EQ(Bytes(colour->bits, colour->bits + 3), (Bytes{255, 0, 0}));
}

TEST(ImgTransformerRotate, RightAnglesTurnClockwiseAndFreeAnglesKeepTheSize)
{
    qelImgTransformer t;
    Bytes pixels(12, 0);
    pixels[0] = 200; // top-left of 4 x 3
    DIBPtr grey = makeDIB(4, 3, 8, greyTable(), pixels);
    const struct
    {
        int angle;
        int width, height, x, y;
    } cases[] = {{90, 3, 4, 2, 0}, {180, 4, 3, 3, 2}, {270, 3, 4, 0, 3}, {45, 4, 3, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.angle);
        DIBPtr out(t.rotate(grey.get(), c.angle, 0));
        ASSERT_TRUE(out);
        EXPECT_EQ(out->header->biBitCount, 8);
        ASSERT_EQ(out->header->biWidth, c.width);
        ASSERT_EQ(out->header->biHeight, c.height);
        EXPECT_EQ(out->bits[c.y * c.width + c.x], 200);
        int marked = 0;
        for (int i = 0; i < 12; ++i)
            marked += out->bits[i] == 200;
        EXPECT_EQ(marked, 1);
    }
    // A 1-bit image keeps its depth and table on right angles.
    DIBPtr mono = makeDIB(8, 1, 1, kBlackWhite, {0x80});
    DIBPtr turned(t.rotate(mono.get(), 90, 0));
    EXPECT_EQ(turned->header->biBitCount, 1);
    EXPECT_EQ(turned->header->biWidth, 1);
    EXPECT_EQ(turned->header->biHeight, 8);
    EXPECT_EQ(qelImgDIBUtils::getPixel(turned.get(), 0, 0), 1);
    EXPECT_EQ(qelImgDIBUtils::getPixel(turned.get(), 0, 1), 0);

    // 30 degrees: size kept, corners uncovered and white.
    DIBPtr black = makeDIB(40, 20, 8, greyTable(), Bytes(800, 0));
    for (int method : {1, 2, 4}) {
        DIBPtr free(t.rotate(black.get(), 30, method));
        ASSERT_TRUE(free);
        EXPECT_EQ(free->header->biWidth, 40);
        EXPECT_EQ(free->header->biHeight, 20);
        EXPECT_EQ(free->bits[0], 255);
        EXPECT_EQ(free->bits[799], 255);
        EXPECT_EQ(free->bits[10 * 40 + 20], 0);
    }
    DIBPtr rgb = makeDIB(40, 20, 24, {}, Bytes(2400, 0));
    DIBPtr freeRgb(t.rotate(rgb.get(), 30, 2));
    EXPECT_EQ(freeRgb->header->biBitCount, 24);
    EXPECT_EQ(Bytes(freeRgb->bits, freeRgb->bits + 3), (Bytes{255, 255, 255}));
}

TEST(ImgColorUtils, ThresholdLevelsAndRefusals)
{
    qelImgColorUtils utils;
    DIBPtr grey = makeDIB(4, 1, 8, greyTable(), {100, 160, 128, 129});
    DIBPtr half(utils.threshold(grey.get(), 50));
    ASSERT_TRUE(half);
    EXPECT_EQ(half->header->biBitCount, 1);
    EXPECT_EQ(half->header->biXPelsPerMeter, grey->header->biXPelsPerMeter);
    const int white = half->palette[0] == 0 ? 1 : 0;
    EXPECT_EQ(qelImgDIBUtils::getPixel(half.get(), 0, 0), 1 - white);
    EXPECT_EQ(qelImgDIBUtils::getPixel(half.get(), 1, 0), white);
    // Level 128: 128 is not above it.
    EXPECT_EQ(qelImgDIBUtils::getPixel(half.get(), 2, 0), 1 - white);
    EXPECT_EQ(qelImgDIBUtils::getPixel(half.get(), 3, 0), white);
    for (int bad : {0, 101, 256}) {
        LoggerScope log(0);
        EXPECT_EQ(utils.threshold(grey.get(), bad), nullptr);
        EXPECT_NE(log.logger.lines.find("Invalid threshold"), std::string::npos);
    }
    // The percentage is a byte: 306 is 50.
    DIBPtr wrapped(utils.threshold(grey.get(), 306));
    ASSERT_TRUE(wrapped);
    EXPECT_EQ(pixelsOf(wrapped.get()), pixelsOf(half.get()));
}

TEST(ImgColorUtils, ThresholdWeighsTheLibrarysRedGreenBlue)
{
    // Pure red in the library's order weighs 76, pure blue 29; level 51.
    DIBPtr rgb = makeDIB(2, 1, 24, {}, {255, 0, 0, 0, 0, 255});
    DIBPtr out(qelImgColorUtils().threshold(rgb.get(), 20));
    ASSERT_TRUE(out);
    const int white = out->palette[0] == 0 ? 1 : 0;
    EXPECT_EQ(qelImgDIBUtils::getPixel(out.get(), 0, 0), white);
    EXPECT_EQ(qelImgDIBUtils::getPixel(out.get(), 1, 0), 1 - white);
}

TEST(ImgColorUtils, AdaptiveThresholdKeepsDarkTextOnAGradient)
{
    const int w = 256, h = 64;
    Bytes pixels(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int g = 40 + x * 200 / w;
            // Strokes 60 darker than the ground, two pixels wide.
            if (y >= 20 && y < 44 && (x % 16) < 2)
                g = g > 60 ? g - 60 : 0;
            pixels[static_cast<size_t>(y) * w + x] = static_cast<unsigned char>(g);
        }
    DIBPtr grey = makeDIB(w, h, 8, greyTable(), pixels);
    DIBPtr out(qelImgColorUtils().adaptiveThreshold(grey.get()));
    ASSERT_TRUE(out);
    EXPECT_EQ(out->header->biBitCount, 1);
    const int white = out->palette[0] == 0 ? 1 : 0;
    int textBlack = 0, text = 0, groundWhite = 0, ground = 0;
    for (int y = 20; y < 44; ++y)
        for (int x = 0; x < w; ++x) {
            const bool isText = (x % 16) < 2;
            const bool isWhite = qelImgDIBUtils::getPixel(out.get(), x, y) == white;
            if (isText) {
                ++text;
                textBlack += isWhite ? 0 : 1;
            } else if (x >= 160) {
                ++ground;
                groundWhite += isWhite ? 1 : 0;
            }
        }
    EXPECT_EQ(textBlack, text);
    // The bright ground between the strokes stays white.
    EXPECT_EQ(groundWhite, ground);
}

} // namespace
