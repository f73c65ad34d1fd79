#include "ImgTestSupport.h"
#include "ScratchTest.h"
#include "qelImgCxDecoder.h"
#include "qelImgDIB.h"
#include "qelImgDIBHeader.h"
#include "qelImgDIBUtils.h"
#include "qelImgDecoder.h"
#include "qelImgInfo.h"
#include "qelImgTypes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace imgtest;
using lrbtest::Bytes;

namespace {

class ImgCxDecoder : public lrbtest::ScratchTest
{
protected:
    void SetUp() override
    {
        lrbtest::ScratchTest::SetUp();
        qelImgProcessor::initializeLibrary();
    }
    void TearDown() override
    {
        qelImgProcessor::finalizeLibrary();
        lrbtest::ScratchTest::TearDown();
    }
};

// A bitmap's pixels as red, green, blue bytes, top row first.
std::string dibRGB(const qelImgDIB* dib)
{
    const qelImgDIBHeader* h = dib->header;
    const int bits = h->biBitCount;
    const size_t rowBytes = static_cast<size_t>(qelImgDIBUtils::getAlignedWidth(h->biWidth, bits)) * bits / 8;
    std::string out;
    for (int y = 0; y < h->biHeight; ++y) {
        const unsigned char* row = dib->bits + y * rowBytes;
        for (int x = 0; x < h->biWidth; ++x) {
            if (bits == 24) {
                out.append(reinterpret_cast<const char*>(row + 3 * x), 3);
            } else {
                const unsigned char* e = dib->palette + 4 * qelImgDIBUtils::getRowPixel(row, x, bits);
                out += static_cast<char>(e[2]);
                out += static_cast<char>(e[1]);
                out += static_cast<char>(e[0]);
            }
        }
    }
    return out;
}

std::string text(const Bytes& b) { return std::string(b.begin(), b.end()); }

struct Fixture
{
    const char* file;
    int type;
    int bits;
    int compression;
};

TEST_F(ImgCxDecoder, FixturesDecodeToTheCheckersPixelsFromBufferAndFile)
{
    const Fixture cases[] = {
        {"bmp1.bmp", QELIMG_IMAGETYPE_BMP, 1, 0},   {"bmp4.bmp", QELIMG_IMAGETYPE_BMP, 4, 0},
        {"bmp8.bmp", QELIMG_IMAGETYPE_BMP, 8, 0},   {"bmp24.bmp", QELIMG_IMAGETYPE_BMP, 24, 0},
        {"bmp-rle8.bmp", QELIMG_IMAGETYPE_BMP, 8, 0}, {"bmp-rle4.bmp", QELIMG_IMAGETYPE_BMP, 4, 0},
        {"pcx8.pcx", QELIMG_IMAGETYPE_PCX, 8, 0},   {"pcx24.pcx", QELIMG_IMAGETYPE_PCX, 24, 0},
        {"gif-trans.gif", QELIMG_IMAGETYPE_GIF, 8, 11}, {"gif-two.gif", QELIMG_IMAGETYPE_GIF, 8, 11},
        {"png-gray.png", QELIMG_IMAGETYPE_PNG, 8, 0}, {"png-pal.png", QELIMG_IMAGETYPE_PNG, 8, 0},
        {"png-rgb.png", QELIMG_IMAGETYPE_PNG, 24, 0}, {"png-rgba.png", QELIMG_IMAGETYPE_PNG, 24, 0},
    };
    for (const Fixture& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = imageFixture(c.file);
        std::string dump = text(lrbtest::readFile(path + ".rgb"));
        if (dump.empty())
            dump = text(lrbtest::readFile(path + ".0.rgb"));
        ASSERT_EQ(dump.size(), 37u * 48 * 3);
        Bytes data = lrbtest::readFile(path);
        for (int fromFile = 0; fromFile < 2; ++fromFile) {
            std::unique_ptr<qelImgProcessor> p(
                fromFile ? new qelImgProcessor(path.c_str())
                         : new qelImgProcessor(data.data(), static_cast<unsigned int>(data.size())));
            qelImgInfo* info = p->getInfo();
            EXPECT_EQ(info->type, c.type);
            EXPECT_EQ(info->width, 37);
            EXPECT_EQ(info->height, 48);
            EXPECT_EQ(info->bitsPerPixel, c.bits);
            EXPECT_EQ(info->compression, c.compression);
            EXPECT_EQ(p->getPageCount(), 1);
            qelImgDIB* dib = p->getDIBData();
            ASSERT_NE(dib, nullptr);
            EXPECT_EQ(dib->header->biBitCount, c.bits);
            EXPECT_EQ(dibRGB(dib), dump);
            // Rows read one by one are the bitmap's rows.
            const int size = p->getDecoder()->getScanLineSize();
            EXPECT_EQ(size, qelImgDIBUtils::getAlignedWidth(37, c.bits) * c.bits / 8);
            std::vector<unsigned char> row(static_cast<size_t>(size));
            std::string rows;
            while (p->readNextLine(row.data()) == 1)
                rows.append(reinterpret_cast<const char*>(row.data()), row.size());
            EXPECT_EQ(rows, std::string(reinterpret_cast<const char*>(dib->bits), dib->header->biSizeImage));
        }
    }
}

TEST_F(ImgCxDecoder, TransparentIndexAndAlphaMask)
{
    Bytes gif = lrbtest::readFile(imageFixture("gif-trans.gif"));
    qelImgProcessor g(gif.data(), static_cast<unsigned int>(gif.size()));
    qelImgInfo* info = g.getInfo();
    EXPECT_EQ(info->transparent, 1);
    EXPECT_EQ(info->transparencyKind, 1);
    EXPECT_EQ(info->transparentColorIndex, 22);
    unsigned char* palette = nullptr;
    int count = 0;
    g.getColorTable(&palette, &count);
    ASSERT_GT(count, 22);
    EXPECT_EQ(0, std::memcmp(info->transparentColor, palette + 4 * 22, 3));
    EXPECT_FALSE(g.hasMask());

    Bytes png = lrbtest::readFile(imageFixture("png-rgba.png"));
    qelImgProcessor p(png.data(), static_cast<unsigned int>(png.size()));
    info = p.getInfo();
    EXPECT_EQ(info->transparent, 1);
    EXPECT_EQ(info->transparencyKind, 2);
    EXPECT_EQ(info->photometric, 2);
    ASSERT_TRUE(p.hasMask());
    qelImgInfo* mask = p.getMaskInfo();
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->width, 37);
    EXPECT_EQ(mask->height, 48);
    EXPECT_EQ(mask->bitsPerPixel, 8);
    EXPECT_EQ(mask->photometric, 1);
    // The mask's pixels are not delivered.
    EXPECT_EQ(p.getMaskDIBData(), nullptr);
    // Reading the page again keeps the mask.
    p.getDecoder()->setPageNumber(0);
    EXPECT_TRUE(p.hasMask());

    Bytes rgb = lrbtest::readFile(imageFixture("png-rgb.png"));
    qelImgProcessor opaque(rgb.data(), static_cast<unsigned int>(rgb.size()));
    EXPECT_EQ(opaque.getInfo()->transparent, 0);
    EXPECT_FALSE(opaque.hasMask());
}

TEST_F(ImgCxDecoder, SecondFrameAfterSetPageNumber)
{
    Bytes gif = lrbtest::readFile(imageFixture("gif-two.gif"));
    qelImgProcessor p(gif.data(), static_cast<unsigned int>(gif.size()));
    EXPECT_EQ(p.getPageCount(), 1);
    auto* cx = dynamic_cast<qelImgCxDecoder*>(p.getDecoder());
    ASSERT_NE(cx, nullptr);
    EXPECT_EQ(cx->getFrameCount(), 2);
    EXPECT_TRUE(cx->doesPageExist(1));
    EXPECT_FALSE(cx->doesPageExist(2));
    const std::string first = dibRGB(p.getDIBData());
    EXPECT_EQ(first, text(lrbtest::readFile(imageFixture("gif-two.gif.0.rgb"))));
    p.setPageNumber(1);
    EXPECT_EQ(p.getInfo()->colorCount, 16);
    EXPECT_EQ(dibRGB(p.getDIBData()), text(lrbtest::readFile(imageFixture("gif-two.gif.1.rgb"))));
    p.setPageNumber(0);
    EXPECT_EQ(dibRGB(p.getDIBData()), first);
    // A frame that is not there.
    const Thrown t = thrown([&] { p.setPageNumber(5); });
    EXPECT_EQ(t.id, 17);
    EXPECT_EQ(t.message, "OIL017: CxImage Library Error: GIF: no such frame");
}

TEST_F(ImgCxDecoder, RepositoryPngThroughItsTable)
{
    const std::string path = std::string(LORBANE_TEST_DATA) + "/fop/fop-overlay-mark.png";
    const std::string grey = text(lrbtest::readFile(imageFixture("fop-overlay-mark.gray")));
    ASSERT_EQ(grey.size(), 32u);
    qelImgProcessor p(path.c_str());
    qelImgInfo* info = p.getInfo();
    EXPECT_EQ(info->width, 8);
    EXPECT_EQ(info->height, 4);
    EXPECT_EQ(info->bitsPerPixel, 8);
    EXPECT_EQ(info->photometric, 3);
    qelImgDIB* dib = p.getDIBData();
    std::string levels;
    for (int i = 0; i < 32; ++i) {
        const unsigned char* e = dib->palette + 4 * dib->bits[i];
        EXPECT_EQ(e[0], e[2]);
        levels += static_cast<char>(e[0]);
    }
    EXPECT_EQ(levels, grey);
}

// A bitmap file: headers, table, rows (padded to 4 bytes).
Bytes bmp(int width, int height, int bits, uint32_t compression, const Bytes& table, const Bytes& rows,
          uint32_t clrUsed = 0)
{
    Bytes b(54, 0);
    auto put = [&](size_t at, uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            b[at + i] = static_cast<unsigned char>(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put(2, static_cast<uint32_t>(54 + table.size() + rows.size()), 4);
    put(10, static_cast<uint32_t>(54 + table.size()), 4);
    put(14, 40, 4);
    put(18, static_cast<uint32_t>(width), 4);
    put(22, static_cast<uint32_t>(height), 4);
    put(26, 1, 2);
    put(28, static_cast<uint32_t>(bits), 2);
    put(30, compression, 4);
    put(46, clrUsed, 4);
    b.insert(b.end(), table.begin(), table.end());
    b.insert(b.end(), rows.begin(), rows.end());
    return b;
}

TEST_F(ImgCxDecoder, FourBitRowsOfWidthFiveAndTopDownRows)
{
    Bytes table(64, 0);
    for (int i = 0; i < 16; ++i)
        table[4 * i] = table[4 * i + 1] = table[4 * i + 2] = static_cast<unsigned char>(i * 17);
    // Two rows, bottom first: 0x12345 and 0xABCDE.
    const Bytes rows = {0xAB, 0xCD, 0xE0, 0, 0x12, 0x34, 0x50, 0};
    Bytes file = bmp(5, 2, 4, 0, table, rows);
    qelImgProcessor p(file.data(), static_cast<unsigned int>(file.size()));
    EXPECT_EQ(p.getDecoder()->getScanLineSize(), 3);
    unsigned char row[3];
    ASSERT_EQ(p.readNextLine(row), 1);
    EXPECT_EQ(Bytes(row, row + 3), (Bytes{0x12, 0x34, 0x50}));
    ASSERT_EQ(p.readNextLine(row), 1);
    EXPECT_EQ(Bytes(row, row + 3), (Bytes{0xAB, 0xCD, 0xE0}));
    EXPECT_EQ(p.readNextLine(row), 0);

    // A negative height: rows stored top first.
    Bytes down = bmp(5, -2, 4, 0, table, rows);
    qelImgProcessor q(down.data(), static_cast<unsigned int>(down.size()));
    ASSERT_EQ(q.readNextLine(row), 1);
    EXPECT_EQ(Bytes(row, row + 3), (Bytes{0xAB, 0xCD, 0xE0}));
}

TEST_F(ImgCxDecoder, DamagedHeadersAreCodedErrorsBeforeAnyLargeAllocation)
{
    Bytes table(8, 0);
    table[4] = table[5] = table[6] = 0xFF;
    struct Case
    {
        const char* name;
        Bytes data;
        const char* message;
    } cases[] = {
        {"huge bitmap over a few bytes", bmp(60000, 60000, 24, 0, {}, Bytes(64, 0)),
         "OIL017: CxImage Library Error: BMP: image larger than its data"},
        {"rows cut short", bmp(8, 8, 1, 0, table, Bytes(20, 0)),
         "OIL017: CxImage Library Error: BMP: image larger than its data"},
        {"huge RLE8 bitmap", bmp(60000, 60000, 8, 1, Bytes(1024, 0), {0, 1}),
         "OIL017: CxImage Library Error: BMP: image larger than its data"},
        {"16 bits", bmp(2, 2, 16, 0, {}, Bytes(8, 0)), "OIL017: CxImage Library Error: BMP: unsupported bits per pixel"},
        {"RLE8 on 24 bits", bmp(2, 2, 24, 1, {}, Bytes(16, 0)),
         "OIL017: CxImage Library Error: BMP: unsupported compression"},
        {"zero width", bmp(0, 2, 8, 0, Bytes(1024, 0), Bytes(8, 0)),
         "OIL017: CxImage Library Error: BMP: invalid image size"},
        {"RLE data ends early", bmp(4, 4, 8, 1, Bytes(1024, 0), {2, 1, 0}),
         "OIL017: CxImage Library Error: BMP: run-length data ends early"},
        {"PCX of 65535 x 65535 over its header", [] {
             Bytes b(130, 0);
             b[0] = 0x0A; b[1] = 5; b[2] = 1; b[3] = 8;
             b[8] = b[9] = b[10] = b[11] = 0xFE;
             b[65] = 3; b[66] = 0xFF; b[67] = 0xFF;
             return b;
         }(),
         "OIL017: CxImage Library Error: PCX: image larger than its data"},
        {"PNG signature only", Bytes{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13},
         "OIL017: CxImage Library Error: PNG data ends early"},
        {"GIF header only", Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, ';'},
         "OIL017: CxImage Library Error: GIF: no image"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes data = c.data;
        const Thrown t = thrown([&] { qelImgProcessor p(data.data(), static_cast<unsigned int>(data.size())); });
        EXPECT_EQ(t.message, c.message);
    }
}

TEST_F(ImgCxDecoder, ColourCountBeyondTheDepthIsCapped)
{
    // biClrUsed of 5000 on a 1-bit bitmap: two entries are read, the data
    // follow at the header's offset.
    Bytes table(8, 0);
    table[4] = table[5] = table[6] = 0xFF;
    Bytes file = bmp(8, 1, 1, 0, table, {0x0F, 0, 0, 0}, 5000);
    qelImgProcessor p(file.data(), static_cast<unsigned int>(file.size()));
    EXPECT_EQ(p.getInfo()->colorCount, 2);
    EXPECT_EQ(p.getInfo()->photometric, 1);
    EXPECT_EQ(p.getDIBData()->bits[0], 0x0F);
}

TEST_F(ImgCxDecoder, RefusedOperationsAndVersion)
{
    Bytes data = lrbtest::readFile(imageFixture("bmp8.bmp"));
    qelImgCxDecoder d(data.data(), static_cast<unsigned int>(data.size()), QELIMG_IMAGETYPE_BMP);
    EXPECT_EQ(d.getDecoderKind(), 4);
    EXPECT_STREQ(d.name(), "DIB Image Decoder");
    EXPECT_EQ(thrown([&] { d.getEncodedData(nullptr, nullptr); }).message,
              "OIL026: getEncodedData() not implemented for qelImgCxDecoder");
    qelImgInfo info;
    EXPECT_EQ(thrown([&] { qelImgProcessor p(&info, data.data(), 4, nullptr); }).id, 9);
    info.type = QELIMG_IMAGETYPE_PNG;
    EXPECT_EQ(thrown([&] { qelImgProcessor p(&info, data.data(), 4, nullptr); }).id, 26);
    EXPECT_EQ(thrown([&] { qelImgCxDecoder f("/nonexistent/x.bmp", QELIMG_IMAGETYPE_BMP); }).id, 18);
    EXPECT_EQ(thrown([&] { qelImgCxDecoder f("", QELIMG_IMAGETYPE_BMP); }).id, 8);
    char version[32];
    qelImgCxDecoder::getCxImageVersion(version);
    EXPECT_STREQ(version, "6.00000");
}

} // namespace
