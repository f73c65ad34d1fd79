#include "ImgTestSupport.h"
#include "ScratchTest.h"
#include "qelImgDIB.h"
#include "qelImgDIBDecoder.h"
#include "qelImgDIBHeader.h"
#include "qelImgDIBUtils.h"
#include "qelImgInfo.h"
#include "qelImgParamValue.h"
#include "qelImgRawDataDecoder.h"
#include "qelImgTypes.h"
#include "qelImgUtils.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace imgtest;
using lrbtest::Bytes;

namespace {

class ImgDIBDecoder : public lrbtest::ScratchTest
{
protected:
    void SetUp() override
    {
        lrbtest::ScratchTest::SetUp();
        qelImgProcessor::initializeLibrary();
        qelImgUtils::setDefaultParameters(params);
    }
    void TearDown() override
    {
        qelImgProcessor::finalizeLibrary();
        lrbtest::ScratchTest::TearDown();
    }
    qelImgParamValue params[QELIMG_PARAM_COUNT];
};

// A bitmap block: header, table, rows as given.
Bytes block(int width, int height, int bits, const Bytes& table, const Bytes& rows, int ppm = 11811)
{
    qelImgDIBHeader h;
    std::memset(&h, 0, sizeof h);
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<uint16_t>(bits);
    h.biSizeImage = static_cast<uint32_t>(rows.size());
    h.biXPelsPerMeter = h.biYPelsPerMeter = ppm;
    Bytes b(reinterpret_cast<unsigned char*>(&h), reinterpret_cast<unsigned char*>(&h) + 40);
    b.insert(b.end(), table.begin(), table.end());
    b.insert(b.end(), rows.begin(), rows.end());
    return b;
}

Bytes row(qelImgDecoder& d)
{
    Bytes r(static_cast<size_t>(d.getScanLineSize()));
    EXPECT_EQ(d.readNextLine(r.data()), 1);
    return r;
}

TEST_F(ImgDIBDecoder, PaletteRowsAsRGBAndCMYKSwitchOnlyFor32Bits)
{
    Bytes table(1024, 0);
    for (int i = 0; i < 256; ++i) {
        table[4 * i] = static_cast<unsigned char>(i);          // blue
        table[4 * i + 1] = static_cast<unsigned char>(255 - i); // green
        table[4 * i + 2] = 7;                                   // red
    }
    const Bytes rows = {1, 2, 3, 200, 201, 202};
    const Bytes data = block(3, 2, 8, table, rows);
    qelImgDIBDecoder d(data.data(), static_cast<unsigned int>(data.size()));
    EXPECT_EQ(d.getInfo()->type, QELIMG_IMAGETYPE_DIB);
    EXPECT_EQ(d.getInfo()->photometric, 3);
    EXPECT_EQ(d.getInfo()->xResolution, 300);
    params[QELIMG_PARAM_DECODE_PALETTE_AS_RGB].setInt(1);
    d.setParameters(params);
    EXPECT_EQ(d.getDecodeBPP(), 24);
    EXPECT_EQ(d.getScanLineSize(), 9);
    EXPECT_EQ(row(d), (Bytes{7, 254, 1, 7, 253, 2, 7, 252, 3}));

    qelImgDIBDecoder e(data.data(), static_cast<unsigned int>(data.size()));
    params[QELIMG_PARAM_DECODE_PALETTE_AS_RGB].setInt(0);
    params[QELIMG_PARAM_CMYK_TO_RGB].setInt(1);
    e.setParameters(params);
    EXPECT_EQ(e.getDecodeBPP(), 8);
    EXPECT_EQ(row(e), (Bytes{1, 2, 3}));

    // 32 bits are CMYK: converted on request.
    const Bytes cmyk = block(2, 1, 32, {}, {0, 0, 0, 0, 255, 0, 0, 0});
    qelImgDIBDecoder c(cmyk.data(), static_cast<unsigned int>(cmyk.size()));
    c.setParameters(params);
    EXPECT_EQ(c.getDecodeBPP(), 24);
    EXPECT_EQ(row(c), (Bytes{255, 255, 255, 0, 255, 255}));
}

TEST_F(ImgDIBDecoder, FillBitsOfOneBitRowsAreWhite)
{
    struct Case
    {
        Bytes table;
        int photometric;
        unsigned char last;
    } cases[] = {
        {{0, 0, 0, 0, 255, 255, 255, 0}, 1, 0xFF},  // black first: fill bits set
        {{255, 255, 255, 0, 0, 0, 0, 0}, 0, 0xC0},  // white first: fill bits cleared
    };
    for (const Case& c : cases) {
        const Bytes data = block(10, 1, 1, c.table, {0xAA, 0xC5});
        qelImgDIBDecoder d(data.data(), static_cast<unsigned int>(data.size()));
        EXPECT_EQ(d.getInfo()->photometric, c.photometric);
        EXPECT_EQ(d.getScanLineSize(), 2);
        EXPECT_EQ(row(d), (Bytes{0xAA, c.last}));
    }
}

TEST_F(ImgDIBDecoder, ShortAndDamagedBlocks)
{
    const Bytes tiny(10, 40);
    Thrown t = thrown([&] { qelImgDIBDecoder d(tiny.data(), 10); });
    EXPECT_EQ(t.id, 55);
    EXPECT_EQ(t.message, "OIL055: Insufficient data read from \"\". ExpectedBytes=40 ReadBytes=10");

    // A table cut short.
    const Bytes table = block(4, 1, 8, Bytes(100, 0), {});
    t = thrown([&] { qelImgDIBDecoder d(table.data(), static_cast<unsigned int>(table.size())); });
    EXPECT_EQ(t.message, "OIL055: Insufficient data read from \"\". ExpectedBytes=1024 ReadBytes=100");

    // Rows claimed far beyond the data: refused before the bitmap is made.
    const Bytes huge = block(3, 1000000, 24, {}, Bytes(9, 0));
    qelImgDIBDecoder d(huge.data(), static_cast<unsigned int>(huge.size()));
    t = thrown([&] { d.decode(params); });
    EXPECT_EQ(t.message, "OIL055: Insufficient data read from \"\". ExpectedBytes=9000000 ReadBytes=9");
    EXPECT_EQ(d.getDIBBuffer(), nullptr);
    // A row wider than all the data: refused when the header is read.
    const struct
    {
        int bits;
        const char* message;
    } wide[] = {
        {24, "OIL055: Insufficient data read from \"\". ExpectedBytes=2147483647 ReadBytes=9"},
        {4, "OIL055: Insufficient data read from \"\". ExpectedBytes=1000000001 ReadBytes=9"},
    };
    for (const auto& w : wide) {
        const Bytes data = block(2000000001, 1, w.bits, {}, Bytes(9, 0));
        t = thrown([&] { qelImgDIBDecoder d2(data.data(), static_cast<unsigned int>(data.size())); });
        EXPECT_EQ(t.message, w.message);
    }

    for (const Bytes& bad : {block(0, 1, 8, Bytes(1024, 0), {1}), block(1, -1, 8, Bytes(1024, 0), {1}),
                             block(1, 1, 16, {}, {1, 2})}) {
        t = thrown([&] { qelImgDIBDecoder e(bad.data(), static_cast<unsigned int>(bad.size())); });
        EXPECT_EQ(t.message, "OIL056: Error while reading header information from image DIB.");
    }
}

TEST_F(ImgDIBDecoder, OnePageStoredRowsAndRefusals)
{
    // 4-bit rows of width 3 (2 bytes) and 24-bit rows of width 3 (9 bytes).
    const Bytes four = block(3, 2, 4, Bytes(64, 0), {0x12, 0x30, 0x45, 0x60});
    qelImgDIBDecoder d(four.data(), static_cast<unsigned int>(four.size()));
    d.setPageNumber(3);
    EXPECT_EQ(d.getPageNumber(), 0);
    EXPECT_EQ(d.pageCount(), 1);
    EXPECT_TRUE(d.doesPageExist(0));
    EXPECT_FALSE(d.doesPageExist(1));
    unsigned char* data = nullptr;
    unsigned int length = 0;
    d.getEncodedData(&data, &length);
    EXPECT_EQ(Bytes(data, data + length), (Bytes{0x12, 0x30, 0x45, 0x60}));
    delete[] data;
    d.decode(params);
    ASSERT_NE(d.getDIBBuffer(), nullptr);
    EXPECT_EQ(Bytes(d.getDIBBuffer()->bits, d.getDIBBuffer()->bits + 4), (Bytes{0x12, 0x30, 0x45, 0x60}));
    EXPECT_EQ(thrown([&] { d.getEncodedBandData(nullptr); }).id, 26);
    EXPECT_EQ(thrown([] { qelImgDIBDecoder f("x.dib"); }).message,
              "OIL026: qelImgDIBDecoder(char *pcFileNamePar) not implemented for qelImgDIBDecoder");

    // Through the facade: the type is recognised and a raw-data DIB has no information.
    Bytes whole = four;
    qelImgProcessor p(whole.data(), static_cast<unsigned int>(whole.size()));
    EXPECT_EQ(p.getInfo()->type, QELIMG_IMAGETYPE_DIB);
    EXPECT_EQ(p.getInfo()->bitsPerPixel, 4);
    qelImgInfo info;
    info.type = QELIMG_IMAGETYPE_DIB;
    EXPECT_EQ(thrown([&] { qelImgProcessor q(&info, whole.data(), 4, nullptr); }).id, 5);
}

TEST_F(ImgDIBDecoder, RawRowsThroughTheCallersPalette)
{
    qelImgInfo info;
    info.type = QELIMG_IMAGETYPE_RAW;
    info.width = 4;
    info.height = 2;
    info.bitsPerPixel = 4;
    info.colorCount = 3;
    unsigned char palette[12] = {10, 20, 30, 0, 40, 50, 60, 0, 70, 80, 90, 0};
    unsigned char rows[4] = {0x01, 0x2F, 0x10, 0x22};
    qelImgProcessor p(&info, rows, 4, palette);
    p.setParameter(QELIMG_PARAM_DECODE_PALETTE_AS_RGB, 1);
    qelImgRawDataDecoder* d = dynamic_cast<qelImgRawDataDecoder*>(p.getDecoder());
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->getDecoderKind(), 3);
    EXPECT_STREQ(d->name(), "Raw Image Decoder");
    EXPECT_EQ(d->getScanLineSize(), 2);
    params[QELIMG_PARAM_DECODE_PALETTE_AS_RGB].setInt(1);
    d->setParameters(params);
    EXPECT_EQ(d->getScanLineSize(), 12);
    // Index 15 lies beyond the caller's three entries: black.
    EXPECT_EQ(row(*d), (Bytes{30, 20, 10, 60, 50, 40, 90, 80, 70, 0, 0, 0}));
    EXPECT_EQ(row(*d), (Bytes{60, 50, 40, 30, 20, 10, 90, 80, 70, 90, 80, 70}));
    EXPECT_EQ(d->readNextLine(palette), 0);
    unsigned char* copy = nullptr;
    unsigned int length = 0;
    d->getEncodedData(&copy, &length);
    EXPECT_EQ(Bytes(copy, copy + length), Bytes(rows, rows + 4));
    delete[] copy;

    // Rows missing from the data.
    qelImgRawDataDecoder shortRows(&info, rows, 3, nullptr);
    EXPECT_EQ(thrown([&] { shortRows.decode(nullptr); }).message,
              "OIL055: Insufficient data read from \"(null)\". ExpectedBytes=4 ReadBytes=3");
    EXPECT_EQ(thrown([&] { qelImgRawDataDecoder n(&info, nullptr, 3, nullptr); }).id, 12);
    EXPECT_EQ(thrown([&] { qelImgRawDataDecoder n(nullptr, rows, 3, nullptr); }).id, 5);
}

} // namespace
