#include "ImgTestSupport.h"
#include "ScratchTest.h"
#include "ShellCommand.h"
#include "qelImg1BPPConverter.h"
#include "qelImg24BPPConverter.h"
#include "qelImgDIB.h"
#include "qelImgDIBHeader.h"
#include "qelImgDIBUtils.h"
#include "qelImgBufferIOStream.h"
#include "qelImgCxEncoder.h"
#include "qelImgEncoder.h"
#include "qelImgGrayscaleConverter.h"
#include "qelImgInfo.h"
#include "qelImgParamValue.h"
#include "qelImgRawDataDecoder.h"
#include "qelImgTIFFEncoder.h"
#include "qelImgTypes.h"
#include "qelImgUtils.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace imgtest;

namespace {

using DIBPtr = std::unique_ptr<qelImgDIB>;

struct Params
{
    Params() { std::memset(slots, 0, sizeof slots); }
    qelImgParamValue slots[36];
};

// A bitmap of the depth with the table (blue, green, red entries) and rows.
DIBPtr makeDIB(int width, int height, int bits, const std::vector<unsigned char>& table,
               const std::vector<unsigned char>& pixels)
{
    const int colors = qelImgDIBUtils::getColorCount(bits);
    DIBPtr dib(qelImgDIBUtils::createDIBFromData(width, height, bits, 300, 300, colors,
                                                 table.empty() ? nullptr : table.data(), 0));
    if (!table.empty())
        std::memcpy(dib->palette, table.data(), table.size());
    std::memcpy(dib->bits, pixels.data(), pixels.size());
    return dib;
}

std::vector<unsigned char> row(const qelImgDIB* dib, int y)
{
    const int n = qelImgDIBUtils::getRowBytes(dib->header->biWidth, dib->header->biBitCount);
    return std::vector<unsigned char>(dib->bits + static_cast<size_t>(y) * n, dib->bits + static_cast<size_t>(y + 1) * n);
}

// Grey of the first n table entries.
std::vector<unsigned char> greys(const qelImgDIB* dib, int n)
{
    std::vector<unsigned char> out;
    for (int i = 0; i < n; ++i)
        out.push_back(dib->palette[4 * i]);
    return out;
}

std::vector<unsigned char> ramp()
{
    std::vector<unsigned char> r(256);
    for (int i = 0; i < 256; ++i)
        r[i] = static_cast<unsigned char>(i);
    return r;
}

TEST(ImgGrayscaleConverter, PixelsAndTablesByDepthAndParameters)
{
    const std::vector<unsigned char> bw = {0, 0, 0, 0, 255, 255, 255, 0};
    const std::vector<unsigned char> wb = {255, 255, 255, 0, 0, 0, 0, 0};
    std::vector<unsigned char> pal8(1024, 0);
    // Entry 1 pure red (grey 76), entry 2 white.
    pal8[4 + 2] = 255;
    pal8[8] = pal8[9] = pal8[10] = 255;
    std::vector<unsigned char> pal4(64, 0);
    pal4[4 * 3] = pal4[4 * 3 + 1] = pal4[4 * 3 + 2] = 128;
    const struct
    {
        const char* name;
        int bits;
        std::vector<unsigned char> table;
        std::vector<unsigned char> pixels;
        bool transparent;
        bool fillGrey;
        std::vector<unsigned char> wantPixels;
        // Greys of the result table; the ramp when empty.
        std::vector<unsigned char> wantTable;
    } cases[] = {
        // Red 200, green 100, blue 50 in the library's order: 60 + 59 + 5.5.
        {"24 bit", 24, {}, {200, 100, 50, 255, 255, 255, 0, 0, 0, 10, 20, 30}, false, true, {124, 255, 0, 18}, {}},
        {"1 bit black first", 1, bw, {0x50}, false, true, {0, 255, 0, 255}, {}},
        {"1 bit white first", 1, wb, {0x50}, false, true, {255, 0, 255, 0}, {}},
        // Weights truncate: grey 128 weighs 127.
        {"4 bit", 4, pal4, {0x30, 0x03}, false, true, {127, 0, 0, 127}, {}},
        {"8 bit grey levels", 8, pal8, {0, 1, 2, 1}, false, true, {0, 76, 255, 76}, {}},
        {"8 bit transparent keeps indexes", 8, pal8, {0, 1, 2, 1}, true, true, {0, 1, 2, 1}, {0, 76, 255}},
        {"8 bit without fill keeps indexes", 8, pal8, {0, 1, 2, 1}, false, false, {0, 1, 2, 1}, {0, 76, 255}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DIBPtr src = makeDIB(4, 1, c.bits, c.table, c.pixels);
        Params p;
        p.slots[32].setByte(c.transparent ? 1 : 0);
        p.slots[35].setInt(c.fillGrey ? 1 : 0);
        qelImgGrayscaleConverter converter(p.slots);
        DIBPtr out(converter.convert(src.get()));
        ASSERT_TRUE(out);
        EXPECT_EQ(out->header->biBitCount, 8);
        EXPECT_EQ(row(out.get(), 0), c.wantPixels);
        if (c.wantTable.empty())
            EXPECT_EQ(greys(out.get(), 256), ramp());
        else
            EXPECT_EQ(greys(out.get(), static_cast<int>(c.wantTable.size())), c.wantTable);
    }
}

TEST(ImgGrayscaleConverter, RampWhateverThePhotometricSlotAndWithoutParameters)
{
    DIBPtr src = makeDIB(2, 1, 24, {}, {0, 0, 0, 255, 255, 255});
    for (int photometric : {0, 1}) {
        Params p;
        p.slots[16].setInt(photometric);
        p.slots[35].setInt(1);
        DIBPtr out(qelImgGrayscaleConverter(p.slots).convert(src.get()));
        EXPECT_EQ(greys(out.get(), 256), ramp());
    }
    DIBPtr out(qelImgGrayscaleConverter().convert(src.get()));
    EXPECT_EQ(row(out.get(), 0), (std::vector<unsigned char>{0, 255}));
    EXPECT_EQ(greys(out.get(), 256), ramp());
}

TEST(ImgGrayscaleConverter, RefusesNullAndOtherDepths)
{
    EXPECT_EQ(thrown([] { delete qelImgGrayscaleConverter().convert(nullptr); }).id, 6);
    DIBPtr src = makeDIB(2, 1, 24, {}, {0, 0, 0, 0, 0, 0});
    src->header->biBitCount = 32;
    const Thrown t = thrown([&] { delete qelImgGrayscaleConverter().convert(src.get()); });
    EXPECT_EQ(t.id, 33);
    EXPECT_NE(t.message.find("32"), std::string::npos);
}

class ImgGreyOutput : public lrbtest::ScratchTest
{
protected:
    void SetUp() override
    {
        lrbtest::ScratchTest::SetUp();
        qelImgProcessor::initializeLibrary();
        qelImgUtils::setDefaultParameters(m_params);
    }
    void TearDown() override
    {
        qelImgProcessor::finalizeLibrary();
        lrbtest::ScratchTest::TearDown();
    }

    lrbtest::Bytes encoded(qelImgEncoder& encoder, qelImgBufferIOStream& out, qelImgDIB* dib)
    {
        qelImgInfo info;
        encoder.initialize(m_params, &info);
        encoder.encode(dib);
        encoder.finalize();
        char* data = nullptr;
        unsigned int size = 0;
        out.getBuffer(&data, &size, false);
        std::unique_ptr<char[]> owned(data);
        return lrbtest::Bytes(data, data + size);
    }

    qelImgParamValue m_params[QELIMG_PARAM_COUNT];
};

TEST_F(ImgGreyOutput, GreyOfAColourPictureShowsItsGreyLevelsInPngAndTiff)
{
    // A row of colours whose greys span the range.
    const int width = 16;
    std::vector<unsigned char> pixels;
    for (int x = 0; x < width; ++x)
        for (int s = 0; s < 3; ++s)
            pixels.push_back(static_cast<unsigned char>(x * 17));
    pixels[3 * 5] = 255; // red-heavy pixel
    DIBPtr picture = makeDIB(width, 2, 24, {}, pixels);
    std::memcpy(picture->bits + 3 * width, pixels.data(), pixels.size());
    m_params[QELIMG_PARAM_FILL_GRAY].setInt(1);
    DIBPtr grey(qelImgGrayscaleConverter(m_params).convert(picture.get()));
    ASSERT_TRUE(grey);
    const std::vector<unsigned char> levels = row(grey.get(), 0);
    ASSERT_EQ(levels.size(), static_cast<size_t>(width));
    EXPECT_EQ(levels[15], 255);
    EXPECT_GT(levels[5], 85);

    // PNG, read by libpng through its table into grey.
    {
        qelImgBufferIOStream out("png", 2);
        qelImgCxEncoder encoder(&out, QELIMG_IMAGETYPE_PNG);
        const lrbtest::Bytes png = encoded(encoder, out, grey.get());
        png_image image;
        std::memset(&image, 0, sizeof image);
        image.version = PNG_IMAGE_VERSION;
        ASSERT_TRUE(png_image_begin_read_from_memory(&image, png.data(), png.size()));
        image.format = PNG_FORMAT_RGB;
        std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
        ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
        ASSERT_EQ(image.width, static_cast<unsigned>(width));
        for (int x = 0; x < width; ++x)
            for (int s = 0; s < 3; ++s)
                EXPECT_EQ(rgb[3 * x + s], levels[x]) << x;
    }
    // TIFF LZW, drawn by tiff2rgba through its colour map.
    {
        qelImgBufferIOStream out("tiff", 2);
        out.open();
        qelImgTIFFEncoder encoder(&out);
        encoder.setEncodeType(QELIMG_ENCODE_TIFF_LZW);
        const std::string path = writeFile("grey.tif", encoded(encoder, out, grey.get()));
        const std::string rgba = m_dir + "/rgba.tif";
        ASSERT_EQ(lrbtest::run("tiff2rgba -c none -n " + lrbtest::shellQuote(path) + " " + lrbtest::shellQuote(rgba))
                      .status,
                  0);
        size_t rowBytes = 0;
        const lrbtest::Bytes rgb = tiffPixels(rgba, 0, &rowBytes);
        ASSERT_EQ(rowBytes, 3u * width);
        ASSERT_EQ(rgb.size(), 2 * rowBytes);
        for (int x = 0; x < width; ++x)
            for (int s = 0; s < 3; ++s)
                EXPECT_EQ(rgb[3 * x + s], levels[x]) << x;
    }
}

// Keeps the rows it is given.
class RowSink : public qelImgEncoder
{
public:
    int typeId() override { return TYPE_DIB; }
    void initialize(qelImgParamValue*, qelImgInfo*) override {}
    void finalize() override {}
    int writeLine(unsigned char* row, int length) override
    {
        rows.emplace_back(row, row + length);
        return 1;
    }
    int writeColorTable(unsigned char*, int) override { return 0; }
    int encode(qelImgDIB*) override { return 0; }
    int encode(qelImgDecoder*) override { return 0; }
    std::vector<std::vector<unsigned char>> rows;
};

TEST(Img24BPPConverter, FortyEightBitRowsKeepTheHighBytes)
{
    qelImgInfo info;
    info.width = 2;
    info.height = 2;
    info.bitsPerPixel = 48;
    info.bitsPerSample = 16;
    info.samplesPerPixel = 3;
    std::vector<unsigned char> data = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06,
                                       0xFF, 0x00, 0x00, 0xFF, 0x80, 0x7F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x11};
    qelImgRawDataDecoder decoder(&info, data.data(), static_cast<int>(data.size()), nullptr);
    RowSink sink;
    qelImg24BPPConverter converter;
    EXPECT_EQ(converter.convert(&decoder, &sink, nullptr), 1);
    ASSERT_EQ(sink.rows.size(), 2u);
    EXPECT_EQ(sink.rows[0], (std::vector<unsigned char>{0x34, 0x78, 0xBC, 0x02, 0x04, 0x06}));
    EXPECT_EQ(sink.rows[1], (std::vector<unsigned char>{0x00, 0xFF, 0x7F, 0x00, 0x00, 0x11}));
}

// 1-bit result of a uniform 8-bit grey image through the DIB form.
DIBPtr dither(int method, int grey, int width, int height, int threshold = 128)
{
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height, static_cast<unsigned char>(grey));
    DIBPtr src = makeDIB(width, height, 8, std::vector<unsigned char>(1024, 0), pixels);
    Params p;
    p.slots[4].setInt(300);
    p.slots[5].setInt(300);
    p.slots[24].setInt(method);
    p.slots[25].setInt(threshold);
    qelImg1BPPConverter converter;
    converter.setParameters(p.slots);
    DIBPtr out(converter.convert(src.get(), p.slots));
    converter.finalize();
    return out;
}

int setBits(const qelImgDIB* dib)
{
    int n = 0;
    const int w = dib->header->biWidth;
    for (int y = 0; y < dib->header->biHeight; ++y)
        for (int x = 0; x < w; ++x)
            n += qelImgDIBUtils::getPixel(dib, x, y);
    return n;
}

TEST(Img1BPPConverter, DitherMethodsOnUniformGreys)
{
    const struct
    {
        const char* name;
        int method;
        int grey;
        int want; // set pixels of 8 x 8
    } cases[] = {
        {"Floyd-Steinberg white", 2, 255, 64},
        {"Floyd-Steinberg black", 2, 0, 0},
        {"Bayer grey 100: thresholds 0 to 96", 3, 100, 28},
        {"Bayer white", 3, 255, 64},
        {"clustered dot grey 128 sets all", 1, 128, 64},
        {"clustered dot grey 0 sets the zero cells", 1, 0, 2},
        {"method 5 is the clustered dot", 5, 128, 64},
        {"method 0 is the clustered dot", 0, 0, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DIBPtr out = dither(c.method, c.grey, 8, 8);
        ASSERT_TRUE(out);
        EXPECT_EQ(out->header->biBitCount, 1);
        EXPECT_EQ(out->header->biWidth, 8);
        EXPECT_EQ(out->header->biHeight, 8);
        EXPECT_EQ(setBits(out.get()), c.want);
        // Black then white.
        EXPECT_EQ(out->palette[0], 0);
        EXPECT_EQ(out->palette[4], 255);
    }
}

TEST(Img1BPPConverter, FloydSteinbergDiffusesTruncatedShares)
{
    // Grey 128 at threshold 128: the first pixel stays 0 and passes 56 on.
    DIBPtr out = dither(2, 128, 2, 1);
    ASSERT_TRUE(out);
    EXPECT_EQ(qelImgDIBUtils::getPixel(out.get(), 0, 0), 0);
    EXPECT_EQ(qelImgDIBUtils::getPixel(out.get(), 1, 0), 1);
    EXPECT_EQ(out->header->biHeight, 1);
    // Grey 100 keeps its share of white over a block.
    DIBPtr block = dither(2, 100, 16, 16);
    EXPECT_NEAR(setBits(block.get()), 100 * 256 / 255, 4);
}

TEST(Img1BPPConverter, RefusesOtherDepthsAndNullDecoder)
{
    qelImg1BPPConverter converter;
    EXPECT_EQ(thrown([&] { converter.convert(static_cast<qelImgDecoder*>(nullptr), nullptr, nullptr); }).id, 24);
    DIBPtr src = makeDIB(8, 1, 24, {}, std::vector<unsigned char>(24, 0));
    const Thrown t = thrown([&] { delete converter.convert(src.get(), nullptr); });
    EXPECT_EQ(t.id, 34);
}

TEST(Img24BPPConverter, CopiesTwentyFourBitsAndRefusesOtherDepths)
{
    DIBPtr src = makeDIB(2, 2, 24, {}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    Params p;
    p.slots[4].setInt(200);
    p.slots[5].setInt(100);
    qelImg24BPPConverter converter;
    DIBPtr out(converter.convert(src.get(), p.slots));
    ASSERT_TRUE(out);
    EXPECT_EQ(out->header->biBitCount, 24);
    EXPECT_EQ(row(out.get(), 0), row(src.get(), 0));
    EXPECT_EQ(row(out.get(), 1), row(src.get(), 1));
    EXPECT_EQ(out->header->biXPelsPerMeter, 7874);
    EXPECT_EQ(out->header->biYPelsPerMeter, 3937);
    DIBPtr grey = makeDIB(2, 1, 8, std::vector<unsigned char>(1024, 0), {0, 0});
    EXPECT_EQ(converter.convert(grey.get(), p.slots), nullptr);
    EXPECT_EQ(converter.convert(static_cast<qelImgDIB*>(nullptr), p.slots), nullptr);
    EXPECT_EQ(converter.convert(static_cast<qelImgDecoder*>(nullptr), nullptr, nullptr), -1);
}

} // namespace
