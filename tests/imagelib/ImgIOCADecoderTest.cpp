// The IOCA decoder through the processor: image segments of FOP's AFP
// against the images of FOP's own PDF, fax pages coded by libtiff, band
// images built field by field.
#include "ImgTestSupport.h"
#include "ScratchTest.h"
#include "ShellCommand.h"
#include "qelImgBufferIOStream.h"
#include "qelImgDIB.h"
#include "qelImgDIBUtils.h"
#include "qelImgDIBHeader.h"
#include "qelImgDecodeReport.h"
#include "qelImgIOCACMYKHandler.h"
#include "qelImgErrorHandler.h"
#include "qelImgIOCADecoder.h"
#include "qelImgInfo.h"
#include "qelImgParamValue.h"
#include "qelImgTypes.h"
#include "qelImgUtils.h"

#include <gtest/gtest.h>

#include <tiffio.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

using namespace imgtest;
using lrbtest::Bytes;

namespace {

Bytes cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes be(uint32_t v, int n)
{
    Bytes b;
    for (int i = n - 1; i >= 0; --i)
        b.push_back(static_cast<unsigned char>(v >> (8 * i)));
    return b;
}

// A self-defining field: one-byte id and length, or X'FE' and a 2-byte length.
Bytes sdf(unsigned id, const Bytes& content)
{
    if (id > 0xFF)
        return cat({{0xFE, static_cast<unsigned char>(id)}, be(static_cast<uint32_t>(content.size()), 2), content});
    return cat({{static_cast<unsigned char>(id), static_cast<unsigned char>(content.size())}, content});
}

// Image Data fields of at most 30000 bytes.
Bytes imageData(const Bytes& d, unsigned id = 0xFE92, int band = 0)
{
    Bytes out;
    for (size_t at = 0; at < d.size(); at += 30000) {
        const size_t n = std::min<size_t>(30000, d.size() - at);
        Bytes part(d.begin() + static_cast<long>(at), d.begin() + static_cast<long>(at + n));
        if (band)
            part.insert(part.begin(), {static_cast<unsigned char>(band), 0, 0});
        const Bytes field = sdf(id, part);
        out.insert(out.end(), field.begin(), field.end());
    }
    return out;
}

struct Segment
{
    int width = 0, height = 0, compression = 3, recording = 1, bits = 1;
    int unit = 0, resolution = 720;
    Bytes ide;               // IDE structure content, none when empty
    std::vector<Bytes> bands; // one: Image Data; more: Band Image Data
};

Bytes segment(const Segment& s)
{
    Bytes out = cat({sdf(0x70, {}), sdf(0x91, {0xFF}),
                     sdf(0x94, cat({{static_cast<unsigned char>(s.unit)}, be(s.resolution, 2), be(s.resolution, 2),
                                    be(s.width, 2), be(s.height, 2)})),
                     sdf(0x95, {static_cast<unsigned char>(s.compression), static_cast<unsigned char>(s.recording)}),
                     sdf(0x96, {static_cast<unsigned char>(s.bits)})});
    if (s.bands.size() > 1) {
        Bytes count = {static_cast<unsigned char>(s.bands.size())};
        for (size_t i = 0; i < s.bands.size(); ++i)
            count.push_back(static_cast<unsigned char>(s.bits / static_cast<int>(s.bands.size())));
        out = cat({out, sdf(0x98, count)});
    }
    if (!s.ide.empty())
        out = cat({out, sdf(0x9B, s.ide)});
    if (s.bands.size() == 1)
        out = cat({out, imageData(s.bands[0])});
    else
        for (size_t i = 0; i < s.bands.size(); ++i)
            out = cat({out, imageData(s.bands[i], 0xFE9C, static_cast<int>(i + 1))});
    return cat({out, sdf(0x93, {}), sdf(0x71, {})});
}

// A buffer the caller frees, as a vector.
Bytes taken(unsigned char* data, unsigned int length)
{
    Bytes out(data, data + length);
    delete[] data;
    return out;
}

Bytes pixels(const qelImgDIB* dib) { return Bytes(dib->bits, dib->bits + dib->header->biSizeImage); }

// The n-th image object (from 1) of an AFP file: its segment.
Bytes imageSegment(const std::string& path, int n)
{
    return lrbtest::objectFieldData(path, {0xA8FB, 0xEEFB, 0xA9FB}, n);
}

std::string fop(const std::string& name) { return std::string(LORBANE_TEST_DATA) + "/fop/" + name; }

struct TIFFCloser
{
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TIFFPtr = std::unique_ptr<TIFF, TIFFCloser>;

// 1-bit rows of (width + 7) / 8 bytes, a set bit black.
struct Picture
{
    int width = 0, height = 0;
    Bytes bits;
    size_t pitch() const { return static_cast<size_t>(width + 7) / 8; }
    void set(int x, int y) { bits[static_cast<size_t>(y) * pitch() + static_cast<size_t>(x / 8)] |= 0x80 >> (x % 8); }
};

// Bars, steps and dots; rows from `same` on repeat the row before.
Picture picture(int width, int height, int same = -1)
{
    Picture p{width, height, Bytes(static_cast<size_t>(height) * ((width + 7) / 8), 0)};
    for (int y = 0; y < height; ++y) {
        if (same >= 0 && y >= same) {
            std::memcpy(&p.bits[static_cast<size_t>(y) * p.pitch()], &p.bits[static_cast<size_t>(y - 1) * p.pitch()],
                        p.pitch());
            continue;
        }
        for (int x = (y * 3) % 17; x < width; x += 9 + y % 5)
            p.set(x, y);
        for (int x = y % width; x < width && x < y % width + 12; ++x)
            p.set(x, y);
    }
    return p;
}

class ImgIOCADecoder : public lrbtest::ScratchTest
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

    // The coded strip of a WhiteIsZero page written by libtiff.
    Bytes faxStrip(const Picture& p, int compression, uint32_t g3options = 0)
    {
        const std::string path = m_dir + "/fax.tif";
        {
            TIFFPtr tif(TIFFOpen(path.c_str(), "w"));
            if (!tif)
                return {};
            TIFFSetField(tif.get(), TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(p.width));
            TIFFSetField(tif.get(), TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(p.height));
            TIFFSetField(tif.get(), TIFFTAG_BITSPERSAMPLE, 1);
            TIFFSetField(tif.get(), TIFFTAG_SAMPLESPERPIXEL, 1);
            TIFFSetField(tif.get(), TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
            TIFFSetField(tif.get(), TIFFTAG_COMPRESSION, compression);
            if (compression == COMPRESSION_CCITTFAX3)
                TIFFSetField(tif.get(), TIFFTAG_GROUP3OPTIONS, g3options);
            TIFFSetField(tif.get(), TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(p.height));
            Bytes row(p.pitch());
            for (int y = 0; y < p.height; ++y) {
                std::memcpy(row.data(), &p.bits[static_cast<size_t>(y) * p.pitch()], row.size());
                EXPECT_EQ(TIFFWriteScanline(tif.get(), row.data(), static_cast<uint32_t>(y), 0), 1);
            }
        }
        TIFFPtr tif(TIFFOpen(path.c_str(), "r"));
        Bytes strip(static_cast<size_t>(TIFFRawStripSize(tif.get(), 0)));
        EXPECT_EQ(TIFFReadRawStrip(tif.get(), 0, strip.data(), static_cast<tmsize_t>(strip.size())),
                  static_cast<tmsize_t>(strip.size()));
        return strip;
    }

    // The decoded stream of a PDF object, read by qpdf.
    static Bytes pdfStream(const std::string& pdf, int object)
    {
        const std::string text = lrbtest::commandOutput("qpdf --show-object=" + std::to_string(object) +
                                                        " --filtered-stream-data " + lrbtest::shellQuote(pdf));
        return Bytes(text.begin(), text.end());
    }
};

// ---------------------------------------------------------------- FOP images

TEST_F(ImgIOCADecoder, FopImagesDecodeToThePixelsOfTheirPdfImages)
{
    const struct
    {
        const char* afp;
        int image;
        const char* pdf;
        int object, width, height, bits;
    } cases[] = {
        {"fop-rich.afp", 1, "fop-rich.ref.pdf", 7, 200, 120, 24},
        {"fop-rich.afp", 2, "fop-rich.ref.pdf", 9, 64, 64, 8},
        {"fop-images-native.afp", 1, "fop-images-native.ref.pdf", 16, 200, 120, 24},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.afp) + " image " + std::to_string(c.image));
        Bytes data = imageSegment(fop(c.afp), c.image);
        ASSERT_FALSE(data.empty());
        qelImgProcessor processor(data.data(), static_cast<unsigned int>(data.size()));
        EXPECT_EQ(processor.getImageType(), QELIMG_IMAGETYPE_IOCA);
        qelImgInfo* info = processor.getInfo();
        EXPECT_EQ(info->width, c.width);
        EXPECT_EQ(info->height, c.height);
        EXPECT_EQ(info->bitsPerPixel, c.bits);
        EXPECT_EQ(info->xResolution, 72);
        EXPECT_EQ(info->yResolution, 72);
        qelImgDIB* dib = processor.getDIBData();
        ASSERT_NE(dib, nullptr);
        EXPECT_EQ(dib->header->biWidth, c.width);
        EXPECT_EQ(dib->header->biHeight, c.height);
        EXPECT_EQ(dib->header->biBitCount, c.bits);
        EXPECT_EQ(dib->header->biXPelsPerMeter, 2835);
        if (c.bits == 8) {
            ASSERT_NE(dib->palette, nullptr);
            for (int i = 0; i < 256; ++i)
                ASSERT_EQ(dib->palette[4 * i] + dib->palette[4 * i + 1] + dib->palette[4 * i + 2], 3 * i) << i;
        }
        EXPECT_TRUE(pixels(dib) == pdfStream(fop(c.pdf), c.object));
    }
}

TEST_F(ImgIOCADecoder, BilevelFopImagesAreWhiteZeroBlackOne)
{
    const struct
    {
        int image, object, width, height, components;
    } cases[] = {{1, 7, 64, 40, 3}, {2, 9, 50, 30, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.image);
        Bytes data = imageSegment(fop("fop-bw.afp"), c.image);
        qelImgProcessor processor(data.data(), static_cast<unsigned int>(data.size()));
        qelImgDIB* dib = processor.getDIBData();
        ASSERT_NE(dib, nullptr);
        ASSERT_EQ(dib->header->biBitCount, 1);
        ASSERT_EQ(dib->header->biWidth, c.width);
        ASSERT_EQ(dib->header->biHeight, c.height);
        EXPECT_EQ(Bytes(dib->palette, dib->palette + 8), (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}));
        // FOP's PDF holds the source picture; the AFP has it dithered, so
        // only pure black and pure white must agree.
        const Bytes pdf = pdfStream(fop("fop-bw.ref.pdf"), c.object);
        ASSERT_EQ(pdf.size(), static_cast<size_t>(c.width * c.height * c.components));
        const size_t pitch = static_cast<size_t>(c.width + 7) / 8;
        int black = 0, white = 0;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                const int bit = (dib->bits[y * pitch + x / 8] >> (7 - x % 8)) & 1;
                int sum = 0;
                for (int i = 0; i < c.components; ++i)
                    sum += pdf[(static_cast<size_t>(y) * c.width + x) * c.components + i];
                if (sum == 0) {
                    ASSERT_EQ(bit, 1) << x << "," << y;
                    ++black;
                } else if (sum == 255 * c.components) {
                    ASSERT_EQ(bit, 0) << x << "," << y;
                    ++white;
                }
            }
        EXPECT_GT(black, 0);
        if (c.components == 1) {
            EXPECT_GT(white, 0);
        }
        EXPECT_GT(black, 0);
    }
}

// ------------------------------------------------------------------- faxes

TEST_F(ImgIOCADecoder, FaxPagesOfLibtiffDecodeThroughTheTIFFDecoder)
{
    // libtiff writes G3 pages with an EOL before every row, which the IOCA
    // library's own bilevel decoders do not take: the decoder hands G3 and
    // G4 to the TIFF decoder.
    const Picture p = picture(203, 61);
    const struct
    {
        const char* name;
        int tiff, ioca;
        uint32_t options;
        int recording;
    } cases[] = {
        {"G3 1D, unpadded RIDIC", COMPRESSION_CCITTFAX3, 0x80, 0, 4},
        {"G3 2D", COMPRESSION_CCITTFAX3, 0x81, GROUP3OPT_2DENCODING, 1},
        {"G3 1D byte-aligned EOLs", COMPRESSION_CCITTFAX3, 0x80, GROUP3OPT_FILLBITS, 1},
        {"G4", COMPRESSION_CCITTFAX4, 0x82, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Segment s;
        s.width = p.width;
        s.height = p.height;
        s.compression = c.ioca;
        s.recording = c.recording;
        s.bands = {faxStrip(p, c.tiff, c.options)};
        Bytes data = segment(s);
        qelImgProcessor processor(data.data(), static_cast<unsigned int>(data.size()));
        qelImgInfo* info = processor.getInfo();
        EXPECT_EQ(info->width, p.width);
        EXPECT_EQ(info->dataPadded, (c.options & GROUP3OPT_FILLBITS) ? 1 : 0);
        qelImgDIB* dib = processor.getDIBData();
        ASSERT_NE(dib, nullptr);
        EXPECT_EQ(dib->header->biHeight, p.height);
        EXPECT_TRUE(pixels(dib) == p.bits);
        EXPECT_EQ(Bytes(dib->palette, dib->palette + 3), (Bytes{0xFF, 0xFF, 0xFF}));
        EXPECT_EQ(Bytes(dib->palette + 4, dib->palette + 7), (Bytes{0, 0, 0}));
        ASSERT_NE(processor.getDecoder()->getDecodeReport(), nullptr);
        EXPECT_EQ(processor.getDecoder()->getDecodeReport()->status, qelImgDecodeReport::COMPLETE);
    }
}

TEST_F(ImgIOCADecoder, IBMMMRSegmentDecodesThroughTheIOCALibrary)
{
    // First row white, coded one-dimensionally after EOL and tag 1; then
    // EOL, tag 0 and libtiff's G4 code of the other rows, whose reference
    // for their first row is white too.
    Picture p = picture(64, 30);
    std::fill(p.bits.begin(), p.bits.begin() + static_cast<long>(p.pitch()), 0);
    Picture rest = p;
    rest.height = p.height - 1;
    rest.bits.erase(rest.bits.begin(), rest.bits.begin() + static_cast<long>(p.pitch()));
    // The G4 code starts on a byte boundary: fill zeros go in front of the
    // second EOL. White 64: make-up 64, then terminating 0.
    const std::string head = "000000000001" "1" "11011" "00110101";
    const std::string bits = head + std::string((8 - (head.size() + 13) % 8) % 8, '0') + "000000000001" "0";
    Bytes code;
    for (size_t i = 0; i < bits.size(); ++i) {
        if (i % 8 == 0)
            code.push_back(0);
        if (bits[i] == '1')
            code.back() |= static_cast<unsigned char>(0x80 >> (i % 8));
    }
    const Bytes g4 = faxStrip(rest, COMPRESSION_CCITTFAX4);
    code.insert(code.end(), g4.begin(), g4.end());
    Segment s;
    s.width = 64;
    s.height = 30;
    s.compression = 0x01;
    s.bands = {code};
    Bytes data = segment(s);
    qelImgProcessor processor(data.data(), static_cast<unsigned int>(data.size()));
    EXPECT_EQ(processor.getInfo()->compression, QELIMG_COMP_IBM_MMR);
    EXPECT_EQ(processor.getWidthFromData(), 64);
    qelImgDIB* dib = processor.getDIBData();
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(dib->header->biHeight, 30);
    EXPECT_TRUE(pixels(dib) == p.bits);
    EXPECT_EQ(Bytes(dib->palette, dib->palette + 8), (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}));
}

// A G4 segment whose data break at row 100: the rows before, then a code
// word libtiff refuses as an error.
class ImgIOCABrokenG4 : public ImgIOCADecoder
{
protected:
    Bytes broken()
    {
        // Rows from 100 on repeat row 99, so the code of row 100 starts
        // with a vertical 0 while the 100-row page has its EOFB there.
        const Picture whole = picture(64, 200, 100);
        Picture first = whole;
        first.height = 100;
        first.bits.resize(100 * first.pitch());
        const Bytes all = faxStrip(whole, COMPRESSION_CCITTFAX4);
        const Bytes head = faxStrip(first, COMPRESSION_CCITTFAX4);
        size_t bit = 0;
        auto at = [](const Bytes& b, size_t i) { return i / 8 < b.size() ? (b[i / 8] >> (7 - i % 8)) & 1 : -1; };
        while (at(all, bit) >= 0 && at(all, bit) == at(head, bit))
            ++bit;
        // The rows kept, then an uncompressed-mode extension and ones.
        Bytes out(all.begin(), all.begin() + static_cast<long>(bit / 8 + 1));
        out.back() &= static_cast<unsigned char>(0xFF00 >> (bit % 8));
        const char* tail = "0000001111111111111111111111111111111111";
        size_t n = bit;
        for (const char* t = tail; *t; ++t, ++n) {
            if (n / 8 >= out.size())
                out.push_back(0);
            if (*t == '1')
                out[n / 8] |= static_cast<unsigned char>(0x80 >> (n % 8));
        }
        out.insert(out.end(), 8, 0xFF);
        Segment s;
        s.width = 64;
        s.height = 200;
        s.compression = 0x82;
        s.bands = {out};
        expected = Bytes(whole.bits.begin(), whole.bits.begin() + 100 * 8);
        return segment(s);
    }
    Bytes expected;
};

TEST_F(ImgIOCABrokenG4, KeepsTheRowsBeforeTheBreakWhenErrorsAreIgnored)
{
    Bytes data = broken();
    {
        qelImgProcessor processor(data.data(), static_cast<unsigned int>(data.size()));
        qelImgDIB* dib = processor.getDIBData();
        ASSERT_NE(dib, nullptr);
        EXPECT_EQ(dib->header->biHeight, 100);
        EXPECT_EQ(dib->header->biSizeImage, 800u);
        EXPECT_TRUE(pixels(dib) == expected);
        qelImgDecodeReport* report = processor.getDecoder()->getDecodeReport();
        ASSERT_NE(report, nullptr);
        EXPECT_EQ(report->status, qelImgDecodeReport::PARTIAL);
        EXPECT_EQ(report->rowsDecoded, 100);
        EXPECT_NE(std::string(report->warningText).find("Image Height=200"), std::string::npos)
            << report->warningText;
        EXPECT_EQ(qelImgErrorHandler::getPendingError(), nullptr);
    }
    // Nothing of the break is left to fail the next image.
    const std::string tif = imageFixture("mono.tif");
    qelImgProcessor next(tif.c_str());
    EXPECT_NE(next.getDIBData(), nullptr);
}

TEST_F(ImgIOCABrokenG4, FailsWithTheTIFFErrorWhenErrorsCount)
{
    Bytes data = broken();
    qelImgProcessor processor(data.data(), static_cast<unsigned int>(data.size()));
    processor.setParameter(QELIMG_PARAM_IGNORE_DECOMP_ERROR, 0);
    const Thrown t = thrown([&] { processor.decode(); });
    EXPECT_EQ(t.id, 20);
    EXPECT_EQ(qelImgErrorHandler::getPendingError(), nullptr);
}

} // namespace

// ------------------------------------------------------------ band images

namespace {

// Four-band segments: CMYK as IDE structure colour space 4.
Segment cmykSegment(int width, int height, int bits, const std::vector<Bytes>& planes, int compression = 3)
{
    Segment s;
    s.width = width;
    s.height = height;
    s.compression = compression;
    s.bits = bits;
    const unsigned char component = static_cast<unsigned char>(bits / 4);
    s.ide = {0x01, 0x04, 0, 0, 0, component, component, component, component};
    s.bands = planes;
    return s;
}

class ImgIOCABands : public ImgIOCADecoder
{
protected:
    // The decoded bitmap of a segment with parameters set first; null
    // when none.
    std::unique_ptr<qelImgProcessor> open(const Segment& s, std::initializer_list<std::pair<int, int>> params = {})
    {
        m_data = segment(s);
        auto processor = std::make_unique<qelImgProcessor>(m_data.data(), static_cast<unsigned int>(m_data.size()));
        for (const auto& p : params)
            processor->setParameter(p.first, p.second);
        return processor;
    }

    // A greyscale JPEG of a plane, by cjpeg.
    Bytes grayJpeg(int width, int height, const Bytes& samples, const std::string& name)
    {
        std::string pgm = "P5\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
        Bytes file(pgm.begin(), pgm.end());
        file.insert(file.end(), samples.begin(), samples.end());
        const std::string in = writeFile(name + ".pgm", file);
        const std::string out = m_dir + "/" + name + ".jpg";
        EXPECT_EQ(lrbtest::commandOutput("cjpeg -grayscale -quality 90 -outfile " + lrbtest::shellQuote(out) + " " +
                                         lrbtest::shellQuote(in) + " 2>&1"),
                  "");
        return lrbtest::readFile(out);
    }

    Bytes m_data;
};

TEST_F(ImgIOCABands, FourBitPlanesCombineIntoInkIndexes)
{
    // Pixel x of 8: C, M, Y, K set where bits 3 to 0 of x + 8 are set;
    // pixel 7 (15) carries every ink.
    std::vector<Bytes> planes(4, Bytes(2, 0));
    for (int x = 0; x < 16; ++x)
        for (int ink = 0; ink < 4; ++ink)
            if ((x >> (3 - ink)) & 1)
                planes[ink][x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
    const struct
    {
        int colorSpace;
        unsigned char* (*table)();
    } cases[] = {{1, qelImgDIBUtils::createCMYKPalette}, {0, qelImgDIBUtils::createCMYKGrayPalette}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.colorSpace);
        auto processor = open(cmykSegment(16, 1, 4, planes), {{QELIMG_PARAM_COLOR_SPACE, c.colorSpace}});
        qelImgDIB* dib = processor->getDIBData();
        ASSERT_NE(dib, nullptr);
        ASSERT_EQ(dib->header->biBitCount, 4);
        ASSERT_EQ(dib->header->biWidth, 16);
        Bytes expected;
        for (int x = 0; x < 16; x += 2)
            expected.push_back(static_cast<unsigned char>(x << 4 | (x + 1)));
        EXPECT_TRUE(pixels(dib) == expected);
        std::unique_ptr<unsigned char[]> table(c.table());
        ASSERT_NE(dib->palette, nullptr);
        EXPECT_EQ(std::memcmp(dib->palette, table.get(), 64), 0);
    }
}

TEST_F(ImgIOCABands, EightBitPlanesGiveTheColourSpacesPixels)
{
    // Pixel 0: ink 0 everywhere; pixel 1: black only; pixel 2: some of each.
    const std::vector<Bytes> planes = {{0, 0, 10}, {0, 0, 20}, {0, 0, 30}, {0, 255, 40}};
    const struct
    {
        int colorSpace, quality, bits;
        Bytes expected;
        int tolerance;
    } cases[] = {
        {2, 100, 32, {0, 0, 0, 0, 0, 0, 0, 255, 10, 20, 30, 40}, 0},
        {1, 100, 24, {255, 255, 255, 0, 0, 0, 207, 198, 190}, 0},
        {0, 100, 8, {255, 0, 197}, 0},
        // Through greyscale JPEG planes first.
        {2, 50, 32, {0, 0, 0, 0, 0, 0, 0, 255, 10, 20, 30, 40}, 12},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.colorSpace) + "/" + std::to_string(c.quality));
        auto processor = open(cmykSegment(3, 1, 32, planes),
                              {{QELIMG_PARAM_COLOR_SPACE, c.colorSpace}, {QELIMG_PARAM_JPEG_QUALITY, c.quality}});
        qelImgDIB* dib = processor->getDIBData();
        ASSERT_NE(dib, nullptr);
        ASSERT_EQ(dib->header->biBitCount, c.bits);
        const Bytes got = pixels(dib);
        ASSERT_EQ(got.size(), c.expected.size());
        for (size_t i = 0; i < got.size(); ++i)
            EXPECT_NEAR(got[i], c.expected[i], c.tolerance) << i;
        if (c.bits == 8) {
            // Grey 255 is white: an ascending table.
            ASSERT_NE(dib->palette, nullptr);
            EXPECT_EQ(dib->palette[0], 0);
            EXPECT_EQ(dib->palette[4 * 255], 255);
        }
    }
}

TEST_F(ImgIOCABands, TraceLevelThreeKeepsThePlanesOnTheWay)
{
    const std::vector<Bytes> planes = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}};
    qelImgProcessor::setTempDirectory(m_dir.c_str());
    {
        LoggerScope log(3);
        auto processor = open(cmykSegment(3, 1, 32, planes), {{QELIMG_PARAM_COLOR_SPACE, 2}});
        ASSERT_NE(processor->getDIBData(), nullptr);
    }
    qelImgProcessor::setTempDirectory(nullptr);
    for (const char* name : {"cr.jpeg", "mr.jpeg", "yr.jpeg", "kr.jpeg"}) {
        const Bytes jpeg = lrbtest::readFile(m_dir + "/" + name);
        ASSERT_GT(jpeg.size(), 2u) << name;
        EXPECT_EQ(Bytes(jpeg.begin(), jpeg.begin() + 2), (Bytes{0xFF, 0xD8})) << name;
    }
    // One row of three samples, as the re-encoded planes give them back.
    const Bytes k = lrbtest::readFile(m_dir + "/k.raw");
    ASSERT_EQ(k.size(), 3u);
    EXPECT_NEAR(k[0], 10, 4);
}

TEST_F(ImgIOCABands, RGBPlanesGiveRGBOrTruncatedGrey)
{
    Segment s;
    s.width = 2;
    s.height = 1;
    s.bits = 24;
    s.ide = {0x00, 0x01, 0, 0, 0, 8, 8, 8};
    s.bands = {{255, 10}, {0, 20}, {0, 30}};
    {
        auto processor = open(s, {{QELIMG_PARAM_COLOR_SPACE, 0}});
        qelImgDIB* dib = processor->getDIBData();
        ASSERT_NE(dib, nullptr);
        ASSERT_EQ(dib->header->biBitCount, 8);
        // 76.5 and 18.1 cut.
        EXPECT_EQ(pixels(dib), (Bytes{76, 18}));
    }
    auto processor = open(s, {{QELIMG_PARAM_COLOR_SPACE, 1}});
    qelImgDIB* dib = processor->getDIBData();
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(pixels(dib), (Bytes{255, 0, 0, 10, 20, 30}));
}

TEST_F(ImgIOCABands, ThreeJpegBandsDecodeToTheColourPicture)
{
    const int width = 48, height = 32;
    Bytes rgb;
    std::vector<Bytes> samples(3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned char v[3] = {static_cast<unsigned char>(x * 5), static_cast<unsigned char>(y * 7),
                                        static_cast<unsigned char>(128 + (x - y))};
            for (int i = 0; i < 3; ++i) {
                rgb.push_back(v[i]);
                samples[i].push_back(v[i]);
            }
        }
    Segment s;
    s.width = width;
    s.height = height;
    s.bits = 24;
    s.compression = 0x83;
    s.ide = {0x00, 0x01, 0, 0, 0, 8, 8, 8};
    for (int i = 0; i < 3; ++i)
        s.bands.push_back(grayJpeg(width, height, samples[i], "band" + std::to_string(i)));
    auto processor = open(s, {{QELIMG_PARAM_COLOR_SPACE, 1}});
    qelImgDIB* dib = processor->getDIBData();
    ASSERT_NE(dib, nullptr);
    ASSERT_EQ(dib->header->biBitCount, 24);
    const Bytes got = pixels(dib);
    ASSERT_EQ(got.size(), rgb.size());
    int worst = 0;
    for (size_t i = 0; i < got.size(); ++i)
        worst = std::max(worst, std::abs(got[i] - rgb[i]));
    EXPECT_LE(worst, 8);
}

TEST_F(ImgIOCABands, PlanesOfAnotherWidthAreRefused)
{
    Bytes narrow(16 * 8, 100), wide(24 * 8, 100);
    const Bytes a = grayJpeg(16, 8, narrow, "narrow"), b = grayJpeg(24, 8, wide, "wide");
    Segment rgb;
    rgb.width = 16;
    rgb.height = 8;
    rgb.bits = 24;
    rgb.compression = 0x83;
    rgb.ide = {0x00, 0x01, 0, 0, 0, 8, 8, 8};
    rgb.bands = {a, b, a};
    Segment cmyk = cmykSegment(16, 8, 32, {a, a, b, a}, 0x83);
    for (const Segment* s : {&rgb, &cmyk}) {
        auto processor = open(*s, {{QELIMG_PARAM_JPEG_QUALITY, 100}});
        const Thrown t = thrown([&] { processor->decode(); });
        EXPECT_EQ(t.id, 51) << t.message;
    }
}

TEST_F(ImgIOCABands, OneBandJpegsAndRefusedCombinations)
{
    // A CMYK JPEG in one band gives a 32-bit bitmap.
    Segment s;
    s.width = 0;
    s.compression = 0x83;
    s.bits = 32;
    s.bands = {lrbtest::readFile(imageFixture("cmyk.jpg"))};
    qelImgProcessor probe(imageFixture("cmyk.jpg").c_str());
    s.width = probe.getInfo()->width;
    s.height = probe.getInfo()->height;
    {
        auto processor = open(s);
        qelImgDIB* dib = processor->getDIBData();
        ASSERT_NE(dib, nullptr);
        EXPECT_EQ(dib->header->biBitCount, 32);
        EXPECT_EQ(dib->header->biWidth, s.width);
    }
    // Two JPEG bands of 24 bits make no picture.
    s.bits = 24;
    s.bands = {s.bands[0], s.bands[0]};
    auto processor = open(s);
    EXPECT_EQ(thrown([&] { processor->decode(); }).id, 10);
}

TEST_F(ImgIOCABands, CMYKHandlerWithoutPlaneDecodersWritesNothing)
{
    qelImgInfo info;
    info.width = 2;
    info.height = 1;
    info.bitsPerPixel = 32;
    info.compression = QELIMG_COMP_PACKBITS;
    Bytes plane = {1, 2};
    qelImgBufferIOStream stream("encode", 2);
    qelImgIOCACMYKHandler handler(&stream);
    handler.setSource(&info, plane.data(), 2, plane.data(), 2, plane.data(), 2, plane.data(), 2);
    qelImgParamValue params[QELIMG_PARAM_COUNT];
    qelImgUtils::setDefaultParameters(params);
    handler.convert(QELIMG_ENCODE_DIB, params);
    char* data = nullptr;
    unsigned int size = 0;
    stream.getBuffer(&data, &size, false);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(size, 0u);
    delete[] data;
}

} // namespace

// ---------------------------------------------------------- decoder states

namespace {

Bytes tocEntry(int x, int y, int w, int h)
{
    return cat({be(x, 4), be(y, 4), be(w, 4), be(h, 4), {1, 3}, be(0, 4), be(0x100, 4)});
}

// Tile TOC, three uncompressed 1-bit tiles, the second with a mask 13
// pels wide.
Bytes tiledSegment()
{
    auto size = [](int w, int h) {
        return sdf(0x94, cat({{0}, be(2400, 2), be(2400, 2), be(w, 2), be(h, 2)}));
    };
    auto tile = [](int w, int h) { return sdf(0xB6, cat({be(w, 4), be(h, 4)})); };
    const Bytes toc = cat({{0, 0}, tocEntry(0, 0, 8, 2), tocEntry(8, 0, 16, 2), tocEntry(0, 2, 24, 1)});
    const Bytes mask = cat({sdf(0x8E, {}), size(13, 2), imageData({0xF0, 0x08, 0xAA, 0x50}), sdf(0x8F, {})});
    return cat({sdf(0x70, {}), sdf(0x91, {0xFF}), size(24, 3), sdf(0xFEBB, toc), sdf(0x8C, {}),
                sdf(0xB5, cat({be(0, 4), be(0, 4)})), tile(8, 2),
                imageData({0x81, 0x42}), sdf(0x8D, {}), sdf(0x8C, {}), sdf(0x94, cat({{0}, be(2400, 2), be(2400, 2), be(16, 2), be(2, 2)})),
                sdf(0x95, {3, 1}), imageData({1, 2, 3, 4}), mask, sdf(0x8D, {}), sdf(0x8C, {}),
                sdf(0xB5, cat({be(0, 4), be(2, 4)})), tile(24, 1), imageData({7, 8, 9}), sdf(0x8D, {}),
                sdf(0x93, {}), sdf(0x71, {})});
}

class ImgIOCAStates : public ImgIOCADecoder
{
};

TEST_F(ImgIOCAStates, TilesAreImageContentsWithTheirMasks)
{
    const Bytes data = tiledSegment();
    LoggerScope log(2);
    qelImgIOCADecoder decoder(data.data(), static_cast<unsigned int>(data.size()));
    EXPECT_EQ(decoder.getImageContentCount(), 3);
    std::vector<int> widths, tileY;
    int rounds = 0;
    while (decoder.hasNextImageContent() && rounds < 5) {
        decoder.nextImageContent();
        ++rounds;
        widths.push_back(decoder.getInfo()->width);
        tileY.push_back(decoder.getInfo()->tileY);
        if (decoder.hasMask()) {
            decoder.decodeMask(nullptr);
            qelImgDIB* mask = decoder.getMaskDIBBuffer();
            ASSERT_NE(mask, nullptr);
            EXPECT_EQ(mask->header->biWidth, 16);
            EXPECT_EQ(pixels(mask), (Bytes{0xF0, 0x08, 0xAA, 0x50}));
            unsigned char* stored = nullptr;
            unsigned int length = 0;
            decoder.getEncodedMaskData(&stored, &length);
            EXPECT_EQ(taken(stored, length), (Bytes{0xF0, 0x08, 0xAA, 0x50}));
        }
        qelImgParamValue params[QELIMG_PARAM_COUNT];
        qelImgUtils::setDefaultParameters(params);
        decoder.decode(params);
        ASSERT_NE(decoder.getDIBBuffer(), nullptr);
    }
    EXPECT_EQ(rounds, 3);
    EXPECT_EQ(widths, (std::vector<int>{8, 16, 24}));
    EXPECT_EQ(tileY, (std::vector<int>{0, INT32_MAX, 2}));
    EXPECT_EQ(pixels(decoder.getDIBBuffer()), (Bytes{7, 8, 9}));
    // A fourth tile is only a warning.
    decoder.readHeader();
    EXPECT_NE(log.logger.lines.find("Warning! Trying to read more IOCA tiles than given in input file"),
              std::string::npos);
}

TEST_F(ImgIOCAStates, ResolutionsAndRefusals)
{
    const struct
    {
        const char* name;
        int unit, resolution, compression, bits;
        int dpi;     // 0: not checked
        int created; // error id of the constructor, -1 none
        int decoded; // error id of decode, -1 none
    } cases[] = {
        {"ten centimetres", 1, 945, 3, 1, 240, -1, -1},
        {"ten inches", 0, 2400, 3, 1, 240, -1, -1},
        {"logical", 2, 100, 3, 1, 0, 37, -1},
        {"solid fill", 0, 720, 32, 1, 72, -1, 38},
        {"ABIC", 0, 720, 8, 1, 72, -1, 38},
        {"RL4 of 8 bits", 0, 720, 6, 8, 72, -1, 10},
        // Uncompressed 4 bits in one band: no bitmap can be made of it.
        {"uncompressed 4 bits", 0, 720, 3, 4, 72, -1, 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Segment s;
        s.width = 8;
        s.height = 2;
        s.unit = c.unit;
        s.resolution = c.resolution;
        s.compression = c.compression;
        s.bits = c.bits;
        s.bands = {Bytes(16, 0)};
        const Bytes data = segment(s);
        std::unique_ptr<qelImgIOCADecoder> decoder;
        const Thrown made = thrown([&] { decoder.reset(new qelImgIOCADecoder(data.data(), data.size())); });
        EXPECT_EQ(made.id, c.created);
        if (!decoder)
            continue;
        if (c.dpi) {
            EXPECT_EQ(decoder->getInfo()->xResolution, c.dpi);
        }
        qelImgParamValue params[QELIMG_PARAM_COUNT];
        qelImgUtils::setDefaultParameters(params);
        EXPECT_EQ(thrown([&] { decoder->decode(params); }).id, c.decoded);
    }
}

TEST_F(ImgIOCAStates, FaxRowsBeyondTheLimitAreNotHandedToLibtiff)
{
    // A tile size of 2^24 x 2 pels over a few bytes of G4 data.
    const Bytes data = cat({sdf(0x70, {}), sdf(0x91, {0xFF}), sdf(0x94, {0, 0x02, 0xD0, 0x02, 0xD0, 0, 8, 0, 2}),
                            sdf(0xB6, cat({be(1u << 24, 4), be(2, 4)})), sdf(0x95, {0x82, 0x01}),
                            imageData({0x00, 0x10, 0x01}), sdf(0x93, {}), sdf(0x71, {})});
    EXPECT_EQ(thrown([&] { qelImgIOCADecoder decoder(data.data(), static_cast<unsigned int>(data.size())); }).id,
              21);
    qelImgProcessor::setWidthFromData(false);
    qelImgIOCADecoder decoder(data.data(), static_cast<unsigned int>(data.size()));
    qelImgProcessor::setWidthFromData(true);
    EXPECT_EQ(decoder.getInfo()->width, 1 << 24);
    qelImgParamValue params[QELIMG_PARAM_COUNT];
    qelImgUtils::setDefaultParameters(params);
    EXPECT_EQ(thrown([&] { decoder.decode(params); }).id, 21);
}

TEST_F(ImgIOCAStates, SourcesWithoutImage)
{
    // Two image contents: no information, a warning, no exception.
    {
        Segment s;
        s.width = 8;
        s.height = 1;
        s.bands = {Bytes(1, 0)};
        Bytes one = segment(s);
        Bytes content(one.begin() + 2, one.end() - 2);
        const Bytes two = cat({sdf(0x70, {}), content, content, sdf(0x71, {})});
        LoggerScope log(2);
        qelImgIOCADecoder decoder(two.data(), static_cast<unsigned int>(two.size()));
        EXPECT_EQ(decoder.getMaskInfo(), nullptr);
        EXPECT_NE(log.logger.lines.find("Warning! IOCA with Multiple Image Contents not yet supported"),
                  std::string::npos);
        EXPECT_EQ(thrown([&] { decoder.getInfo(); }).id, 5);
    }
    // Raw data: nothing to read.
    qelImgInfo info;
    unsigned char byte = 0;
    qelImgIOCADecoder raw(&info, &byte, 1);
    const Thrown header = thrown([&] { raw.readHeader(); });
    EXPECT_EQ(header.id, 15);
    EXPECT_NE(header.message.find("Rc:-15"), std::string::npos) << header.message;
    unsigned char* data = nullptr;
    unsigned int length = 0;
    EXPECT_EQ(thrown([&] { raw.getEncodedData(&data, &length); }).id, 14);
    EXPECT_EQ(thrown([&] { raw.getEncodedMaskData(&data, &length); }).id, 14);
    EXPECT_EQ(raw.getWidthFromData(), -1);
    EXPECT_FALSE(raw.hasMask());
    EXPECT_EQ(thrown([&] { raw.readNextLine(&byte); }).id, 26);
    EXPECT_EQ(thrown([&] { qelImgIOCADecoder none(nullptr, 0u); }).id, 12);
    EXPECT_EQ(thrown([&] { qelImgIOCADecoder none(""); }).id, 8);
    // A file whose tile cannot be taken leaves nothing behind.
    Segment logical;
    logical.width = 8;
    logical.height = 1;
    logical.unit = 2;
    logical.bands = {Bytes(1, 0)};
    const std::string file = writeFile("logical.ioca", segment(logical));
    EXPECT_EQ(thrown([&] { qelImgIOCADecoder none(file.c_str()); }).id, 37);
    // A file that is not there reads as an empty segment.
    EXPECT_EQ(thrown([&] { qelImgIOCADecoder none((m_dir + "/missing.ioca").c_str()); }).id, 15);
}

TEST_F(ImgIOCAStates, FileSourceReadsTheWholeSegment)
{
    const std::string path = writeFile("rich2.ioca", imageSegment(fop("fop-rich.afp"), 2));
    qelImgProcessor processor(path.c_str());
    EXPECT_EQ(processor.getImageType(), QELIMG_IMAGETYPE_IOCA);
    qelImgDIB* dib = processor.getDIBData();
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(dib->header->biWidth, 64);
    unsigned char* data = nullptr;
    unsigned int length = 0;
    processor.getEncodedData(&data, &length);
    EXPECT_EQ(taken(data, length), pixels(dib));
}

} // namespace
