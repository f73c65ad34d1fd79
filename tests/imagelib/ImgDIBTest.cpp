#include "ImgTestSupport.h"
#include "ScratchTest.h"
#include "qelImgDIB.h"
#include "qelImgDIBHeader.h"
#include "qelImgDIBUtils.h"
#include "qelImgUtils.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace imgtest;
using lrbtest::Bytes;

namespace {

using DIBPtr = std::unique_ptr<qelImgDIB>;
using TablePtr = std::unique_ptr<unsigned char[]>;

// Blue, green, red of entry i.
std::string entry(const unsigned char* table, int i)
{
    const unsigned char* e = table + 4 * i;
    return std::to_string(e[0]) + "," + std::to_string(e[1]) + "," + std::to_string(e[2]) + "," +
           std::to_string(e[3]);
}

Bytes block(const qelImgDIB* dib)
{
    return Bytes(dib->buffer, dib->buffer + qelImgDIBUtils::getDIBSize(dib));
}

class ImgDIB : public lrbtest::ScratchTest
{
};

TEST(ImgDIBSizes, RowsArePaddedToAByteOnly)
{
    const struct
    {
        int bits, width, aligned, rowBytes, colors, fileSize3;
    } cases[] = {
        {1, 10, 16, 2, 2, 3 * 2 + 48},  {1, 8, 8, 1, 2, 3 + 48},      {1, 1, 8, 1, 2, 3 + 48},
        {4, 3, 4, 2, 16, 6 + 104},      {4, 4, 4, 2, 16, 6 + 104},    {8, 7, 7, 7, 256, 21 + 1064},
        {24, 5, 5, 15, 0, 45 + 40},     {32, 3, 3, 12, 0, 36 + 40},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.bits) + " bits, width " + std::to_string(c.width));
        EXPECT_EQ(qelImgDIBUtils::getAlignedWidth(c.width, c.bits), c.aligned);
        EXPECT_EQ(qelImgDIBUtils::getRowBytes(c.width, c.bits), c.rowBytes);
        EXPECT_EQ(qelImgDIBUtils::getColorCount(c.bits), c.colors);
        EXPECT_EQ(qelImgDIBUtils::getDIBFileSize(c.bits, c.width, 3), c.fileSize3);
    }
    EXPECT_EQ(qelImgDIBUtils::getDIBSize(nullptr), 0);
}

TEST(ImgDIBSizes, HeaderDepthsAreNormalised)
{
    const struct
    {
        int in, out;
        bool warned;
    } cases[] = {{0, 1, false}, {1, 1, false}, {2, 4, false}, {4, 4, false}, {5, 8, false},
                 {8, 8, false}, {9, 24, false}, {16, 24, false}, {24, 24, false}, {32, 4, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        LoggerScope scope(3);
        std::unique_ptr<qelImgDIBHeader> h(qelImgDIBUtils::createDIBHeader(10, 3, c.in, 300, 150));
        EXPECT_EQ(h->biBitCount, c.out);
        EXPECT_EQ(h->biSize, 40u);
        EXPECT_EQ(h->biPlanes, 1);
        EXPECT_EQ(h->biHeight, 3);
        EXPECT_EQ(h->biSizeImage, 3u * qelImgDIBUtils::getRowBytes(10, c.out));
        EXPECT_EQ(h->biClrUsed, static_cast<uint32_t>(qelImgDIBUtils::getColorCount(c.out)));
        EXPECT_EQ(h->biXPelsPerMeter, 11811);
        EXPECT_EQ(h->biYPelsPerMeter, 5906);
        const std::string warning = "Warning! \t\tqelImgDecoder::createDIBHeader() Invalid BitsPerPixel:" +
                                    std::to_string(c.in) + ". BitsPerPixel set as 4.\n";
        EXPECT_EQ(scope.logger.lines.find(warning) != std::string::npos, c.warned) << scope.logger.lines;
        EXPECT_NE(scope.logger.lines.find("\tqelImgDIBUtils::createDIBHeader()\n\t\tWidth=>10\n\t\tHeight=>3\n\t\tBPP=>" +
                                          std::to_string(c.in) + "\n\t\tResolution=>300\n"),
                  std::string::npos)
            << scope.logger.lines;
    }
}

TEST(ImgDIBSizes, HeaderImageSizeBeyond32BitsIsZero)
{
    // Sizes are worked out in 64 bits; 70000 x 70000 x 3 bytes does not fit the field.
    std::unique_ptr<qelImgDIBHeader> big(qelImgDIBUtils::createDIBHeader(70000, 70000, 24, 300, 300));
    EXPECT_EQ(big->biSizeImage, 0u);
    EXPECT_EQ(big->biWidth, 70000);
    std::unique_ptr<qelImgDIBHeader> edge(qelImgDIBUtils::createDIBHeader(65535, 21845, 24, 300, 300));
    EXPECT_EQ(edge->biSizeImage, 65535u * 3u * 21845u);
    EXPECT_EQ(qelImgDIBUtils::pixelsPerMetre(2000000000), INT32_MAX);
}

TEST(ImgDIBMake, OneBitImagesShowEntryZero)
{
    const struct
    {
        int blackFirst;
        const char* first;
        const char* second;
        int whiteIndex;
    } cases[] = {{1, "0,0,0,0", "255,255,255,255", 1}, {0, "255,255,255,255", "0,0,0,0", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.blackFirst);
        DIBPtr dib(qelImgDIBUtils::createDIBFromData(10, 3, 1, 300, 300, 0, nullptr, c.blackFirst));
        EXPECT_EQ(dib->header->biSizeImage, 6u);
        EXPECT_EQ(dib->header->biClrUsed, 2u);
        EXPECT_EQ(dib->header->biXPelsPerMeter, 11811);
        EXPECT_EQ(qelImgDIBUtils::getDIBSize(dib.get()), 54);
        EXPECT_EQ(entry(dib->palette, 0), c.first);
        EXPECT_EQ(entry(dib->palette, 1), c.second);
        EXPECT_EQ(Bytes(dib->bits, dib->bits + 6), Bytes(6, 0));
        EXPECT_EQ(qelImgDIBUtils::findPaletteIndex(dib.get(), 0xFFFFFF), c.whiteIndex);
        EXPECT_EQ(qelImgDIBUtils::findPaletteIndex(dib.get(), 0x808080), 0);
    }
}

TEST(ImgDIBMake, OtherDepthsArePresetToFF)
{
    unsigned char table[8] = {1, 2, 3, 0, 4, 5, 6, 0};
    DIBPtr grey(qelImgDIBUtils::createDIBFromData(3, 2, 8, 72, 72, 2, table, 1));
    EXPECT_EQ(qelImgDIBUtils::getDIBSize(grey.get()), 40 + 1024 + 6);
    EXPECT_EQ(Bytes(grey->palette, grey->palette + 12), Bytes({1, 2, 3, 0, 4, 5, 6, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Bytes(grey->bits, grey->bits + 6), Bytes(6, 0xFF));
    EXPECT_EQ(qelImgDIBUtils::findPaletteIndex(grey.get(), 0x040506), 1);

    DIBPtr rgb(qelImgDIBUtils::createDIBFromData(5, 2, 24, 300, 300, 2, table, 1));
    EXPECT_EQ(rgb->palette, rgb->bits);
    EXPECT_EQ(rgb->bits, rgb->buffer + 40);
    EXPECT_EQ(qelImgDIBUtils::getDIBSize(rgb.get()), 40 + 30);
    EXPECT_EQ(Bytes(rgb->bits, rgb->bits + 30), Bytes(30, 0xFF));
    EXPECT_EQ(qelImgDIBUtils::findPaletteIndex(rgb.get(), 0xFFFFFF), -1);
    EXPECT_EQ(qelImgDIBUtils::findPaletteIndex(nullptr, 0), -1);
}

TEST(ImgDIBMake, CopyAndAttachOwnTheirBlocks)
{
    DIBPtr dib(qelImgDIBUtils::createDIBFromData(12, 2, 4, 300, 300, 0, nullptr, 1));
    qelImgDIBUtils::setPixel(dib.get(), 11, 1, 7);
    DIBPtr copy(qelImgDIBUtils::copyDIB(dib.get()));
    EXPECT_NE(copy->buffer, dib->buffer);
    EXPECT_EQ(block(copy.get()), block(dib.get()));
    EXPECT_EQ(copy->bits, copy->buffer + 40 + 64);
    qelImgDIBUtils::setPixel(copy.get(), 0, 0, 1);
    EXPECT_EQ(qelImgDIBUtils::getPixel(dib.get(), 0, 0), 15);

    const Bytes bytes = block(dib.get());
    auto* raw = new unsigned char[bytes.size()];
    std::copy(bytes.begin(), bytes.end(), raw);
    DIBPtr attached(qelImgDIBUtils::attachDIB(raw));
    EXPECT_EQ(attached->buffer, raw);
    EXPECT_EQ(reinterpret_cast<unsigned char*>(attached->header), raw);
    EXPECT_EQ(attached->palette, raw + 40);
    EXPECT_EQ(attached->bits, raw + 104);
    EXPECT_EQ(qelImgDIBUtils::getPixel(attached.get(), 11, 1), 7);
    EXPECT_EQ(qelImgDIBUtils::copyDIB(nullptr), nullptr);
    EXPECT_EQ(qelImgDIBUtils::attachDIB(nullptr), nullptr);
}

TEST(ImgDIBPixels, PixelsAreAddressedTopRowFirst)
{
    const struct
    {
        int bits, x, y, value, byte;
        unsigned char expected;
    } cases[] = {
        {1, 0, 0, 1, 0, 0x80},  {1, 9, 0, 1, 1, 0x40}, {1, 2, 2, 3, 4, 0x20},
        {4, 0, 0, 0x1A, 0, 0xAF}, {4, 3, 1, 2, 6, 0xF2}, {8, 2, 1, 0x5A, 12, 0x5A},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.bits) + ": " + std::to_string(c.x) + "," + std::to_string(c.y));
        DIBPtr dib(qelImgDIBUtils::createDIBFromData(10, 3, c.bits, 300, 300, 0, nullptr, 1));
        qelImgDIBUtils::setPixel(dib.get(), c.x, c.y, c.value);
        EXPECT_EQ(dib->bits[c.byte], c.expected);
        EXPECT_EQ(qelImgDIBUtils::getPixel(dib.get(), c.x, c.y), c.value & ((1 << c.bits) - 1));
    }
}

TEST(ImgDIBPixels, PointsOutsideAreNeitherReadNorWritten)
{
    for (int bits : {1, 4, 8}) {
        SCOPED_TRACE(bits);
        DIBPtr dib(qelImgDIBUtils::createDIBFromData(10, 3, bits, 300, 300, 0, nullptr, 1));
        const Bytes before = block(dib.get());
        for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {10, 0}, {0, 3}, {1000, 1000}, {-5000, 2}}) {
            qelImgDIBUtils::setPixel(dib.get(), x, y, 0xFF);
            EXPECT_EQ(qelImgDIBUtils::getPixel(dib.get(), x, y), 0);
        }
        EXPECT_EQ(block(dib.get()), before);
    }
    DIBPtr rgb(qelImgDIBUtils::createDIBFromData(2, 2, 24, 300, 300, 0, nullptr, 1));
    qelImgDIBUtils::setPixel(rgb.get(), 0, 0, 0);
    EXPECT_EQ(qelImgDIBUtils::getPixel(rgb.get(), 0, 0), 0);
    EXPECT_EQ(rgb->bits[0], 0xFF);
    EXPECT_EQ(qelImgDIBUtils::getPixel(nullptr, 0, 0), 0);
    qelImgDIBUtils::setPixel(nullptr, 0, 0, 1);
    EXPECT_EQ(qelImgDIBUtils::getRowPixel(nullptr, 0, 8), 0);
    EXPECT_EQ(qelImgDIBUtils::getRowPixel(rgb->bits, -1, 8), 0);
}

TEST_F(ImgDIB, WriteAnswersMinusOneWhenTheFileCannotBeWritten)
{
    DIBPtr dib(qelImgDIBUtils::createDIBFromData(10, 3, 1, 300, 300, 0, nullptr, 1));
    const std::string path = m_dir + "/out.dib";
    EXPECT_EQ(qelImgDIBUtils::writeDIB(path.c_str(), dib.get()), 1);
    EXPECT_EQ(lrbtest::readFile(path), block(dib.get()));
    EXPECT_EQ(qelImgDIBUtils::writeDIB((m_dir + "/missing/out.dib").c_str(), dib.get()), -1);
    EXPECT_EQ(qelImgDIBUtils::writeDIB(m_dir.c_str(), dib.get()), -1);
    EXPECT_EQ(qelImgDIBUtils::writeDIB(nullptr, dib.get()), -1);
    EXPECT_EQ(qelImgDIBUtils::writeDIB(path.c_str(), nullptr), -1);
    // A full disk: the write itself fails.
    EXPECT_EQ(qelImgDIBUtils::writeDIB("/dev/full", dib.get()), -1);
}

TEST(ImgDIBPalettes, GreyTables)
{
    const struct
    {
        int count;
        bool ascending;
        std::vector<int> greys;
    } cases[] = {
        {16, true, {0, 17, 34, 51, 68, 85, 102, 119, 136, 153, 170, 187, 204, 221, 238, 255}},
        {8, true, {0, 36, 72, 108, 144, 180, 216, 252}},
        {8, false, {255, 219, 183, 147, 111, 75, 39, 3}},
        {2, false, {255, 0}},
        {1, true, {0}},
        {1, false, {255}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.count) + (c.ascending ? " ascending" : " descending"));
        TablePtr table(qelImgDIBUtils::createGrayPalette(c.count, c.ascending));
        for (int i = 0; i < c.count; ++i) {
            const std::string g = std::to_string(c.greys[static_cast<size_t>(i)]);
            EXPECT_EQ(entry(table.get(), i), g + "," + g + "," + g + ",0") << i;
        }
        EXPECT_TRUE(qelImgDIBUtils::isGrayPalette(table.get(), c.count));
    }
    EXPECT_EQ(qelImgDIBUtils::createGrayPalette(0, true), nullptr);
    EXPECT_EQ(qelImgDIBUtils::createGrayPaletteFromPalette(2, nullptr), nullptr);
}

TEST(ImgDIBPalettes, BitmapGreyCutsTheFractionWhereTheUtilityRounds)
{
    // Blue, green, red entries; the bitmap grey is 0.3 r + 0.59 g + 0.11 b cut off.
    unsigned char table[] = {1, 1, 1, 0, 0, 0, 255, 0, 255, 255, 255, 0, 200, 100, 50, 0};
    TablePtr grey(qelImgDIBUtils::createGrayPaletteFromPalette(4, table));
    EXPECT_EQ(entry(grey.get(), 0), "0,0,0,0");
    EXPECT_EQ(entry(grey.get(), 1), "76,76,76,0");
    EXPECT_EQ(entry(grey.get(), 2), "255,255,255,0");
    EXPECT_EQ(entry(grey.get(), 3), "96,96,96,0");
    int rounded = 0;
    qelImgUtils::rgbToGray(1, 1, 1, &rounded);
    EXPECT_EQ(rounded, 1);
    qelImgUtils::rgbToGray(255, 0, 0, &rounded);
    EXPECT_EQ(rounded, 77);
    EXPECT_FALSE(qelImgDIBUtils::isGrayPalette(table, 2));
}

TEST(ImgDIBPalettes, CMYKTables)
{
    TablePtr standard(qelImgDIBUtils::createStandardPalette());
    TablePtr rgb(qelImgDIBUtils::createCMYKPalette());
    TablePtr grey(qelImgDIBUtils::createCMYKGrayPalette());
    const struct
    {
        int index;
        const char* cmyk;
        const char* bgr;
        const char* grey;
    } cases[] = {
        {0, "0,0,0,0", "255,255,255,0", "255,255,255,0"}, {1, "0,0,0,255", "0,0,0,0", "0,0,0,0"},
        {8, "255,0,0,0", "255,255,0,0", "179,179,179,0"}, {4, "0,255,0,0", "255,0,255,0", "105,105,105,0"},
        {2, "0,0,255,0", "0,255,255,0", "226,226,226,0"}, {14, "255,255,255,0", "0,0,0,0", "0,0,0,0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(entry(standard.get(), c.index), c.cmyk);
        EXPECT_EQ(entry(rgb.get(), c.index), c.bgr);
        EXPECT_EQ(entry(grey.get(), c.index), c.grey);
    }
}

TEST(ImgDIBPalettes, RowsAndPixelsConvert)
{
    unsigned char table[] = {0, 0, 0, 0, 10, 20, 30, 0, 255, 255, 255, 0};
    unsigned char row[] = {0x12, 0x00};
    unsigned char out[9] = {};
    EXPECT_EQ(qelImgDIBUtils::expandRowToRGB(row, 4, 3, table, out), 1);
    EXPECT_EQ(Bytes(out, out + 9), Bytes({30, 20, 10, 255, 255, 255, 0, 0, 0}));
    unsigned char bitRow[] = {0x40};
    EXPECT_EQ(qelImgDIBUtils::expandRowToRGB(bitRow, 1, 2, table, out), 1);
    EXPECT_EQ(Bytes(out, out + 6), Bytes({0, 0, 0, 30, 20, 10}));

    unsigned char cmyk[] = {0, 0, 0, 0, 255, 0, 0, 0, 0, 0, 0, 128};
    unsigned char pixels[9] = {};
    qelImgDIBUtils::cmykToRGBPixels(cmyk, pixels, 3);
    EXPECT_EQ(Bytes(pixels, pixels + 9), Bytes({255, 255, 255, 0, 255, 255, 127, 127, 127}));

    unsigned char swap[] = {1, 2, 3, 4, 5, 6};
    qelImgDIBUtils::swapRGBPixels(swap, 2);
    EXPECT_EQ(Bytes(swap, swap + 6), Bytes({3, 2, 1, 6, 5, 4}));
    qelImgDIBUtils::swapPaletteRB(table, 2);
    EXPECT_EQ(entry(table, 1), "30,20,10,0");
    qelImgDIBUtils::swapRGBPixels(nullptr, 2);
}

} // namespace
