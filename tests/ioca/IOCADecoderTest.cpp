// Decoders of the IOCA decoding library against an independent coder:
// pictures coded by `tiffcp`, JPEG planes made by `cjpeg` and checked with
// `djpeg`, RL4 records written by hand.
#include "IOCASegments.h"
#include "ObjectFieldData.h"
#include "ScratchTest.h"
#include "ShellCommand.h"
#include "oiocaInternal.h"

#include <gtest/gtest.h>

#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace iocatest;
using lrbtest::Bytes;

namespace {

struct TIFFCloser
{
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TIFFPtr = std::unique_ptr<TIFF, TIFFCloser>;

// A 1-bit picture: rows of (width + 7) / 8 bytes, a set bit black.
struct Picture
{
    int width = 0, height = 0;
    Bytes bits;
    size_t bytesPerRow() const { return (size_t)(width + 7) / 8; }
    void set(int x, int y) { bits[y * bytesPerRow() + x / 8] |= (unsigned char)(0x80 >> (x % 8)); }
    void span(int x0, int x1, int y)
    {
        for (int x = x0; x < x1 && x < width; ++x)
            set(x, y);
    }
    Picture rows(int from) const
    {
        Picture p{width, height - from, Bytes(bits.begin() + from * bytesPerRow(), bits.end())};
        return p;
    }
};

// Blocks, lines, single pixels, alternating pixels and a long run; the
// first row is white.
Picture makePicture(int width, int height, unsigned seed)
{
    Picture p{width, height, Bytes((size_t)height * ((width + 7) / 8), 0)};
    auto next = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return (int)((seed >> 8) % (unsigned)n);
    };
    for (int i = 0; i < 12; ++i) {
        int x0 = next(width), y0 = 1 + next(height - 1), w = 1 + next(width / 3 + 1), h = 1 + next(height / 4 + 1);
        for (int y = y0; y < y0 + h && y < height; ++y)
            p.span(x0, x0 + w, y);
    }
    // Slanted edges: every vertical offset from left 3 to right 3.
    for (int slope = -3; slope <= 3; ++slope) {
        int x0 = next(width), x1 = x0 + 20 + next(40), y0 = 1 + next(height - 1);
        for (int y = y0; y < y0 + 12 && y < height; ++y)
            p.span(std::max(0, x0 + slope * (y - y0)), std::max(0, x1 - slope * (y - y0) / 2), y);
    }
    for (int y = 1; y < height; ++y) {
        if (y % 7 == 3)
            for (int i = 0; i < width / 10; ++i)
                p.set(next(width), y);
        p.set((y * 7) % width, y);
        if (y % 5 == 0)
            for (int x = y % 2; x < width; x += 2 * (1 + y % 3))
                p.set(x, y);
    }
    if (height > 3)
        p.span(0, width, 3);
    return p;
}

Bytes reversedBytes(Bytes b)
{
    for (auto& c : b) {
        unsigned char r = 0;
        for (int i = 0; i < 8; ++i)
            r |= ((c >> i) & 1) << (7 - i);
        c = r;
    }
    return b;
}

// Bits in transmission order, packed first bit highest.
struct BitWriter
{
    Bytes bytes;
    size_t count = 0;
    void put(const std::string& bits)
    {
        for (char c : bits)
            bit(c == '1');
    }
    void bit(bool one)
    {
        if (count % 8 == 0)
            bytes.push_back(0);
        if (one)
            bytes.back() |= (unsigned char)(0x80 >> (count % 8));
        ++count;
    }
    void append(const Bytes& data)
    {
        for (unsigned char c : data)
            for (int i = 7; i >= 0; --i)
                bit((c >> i) & 1);
    }
};

const char* const kEOL = "000000000001";

// The one-dimensional code of a white row.
std::string whiteRow(int width)
{
    if (width == 203)
        return "010111" "01000"; // 192 + 11
    if (width == 1728)
        return "010011011" "00110101"; // 1728 + 0
    ADD_FAILURE() << "no white row code for " << width;
    return "";
}

struct Decoded
{
    int result = -99;
    int width = 0, height = 0;
    uint32_t imageSize = 0;
    Bytes bits;
    std::string trace;
};

uint32_t word(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24; }

// Parses the segment, gathers its first tile and decodes it; optionally
// finds the width from the data first, as the image library's decoder does.
Decoded decodeSegment(const Bytes& segment, bool ignore = false, int* widthFromData = nullptr,
                      bool trace = true)
{
    Parsed p(segment, trace);
    Decoded d;
    IOCATile* tile = nullptr;
    EXPECT_EQ(p.result, 0);
    EXPECT_EQ(oioca_getFirstTile(p.handle, &tile), 0);
    EXPECT_EQ(oioca_readTileImageData(p.handle, tile), 0);
    if (widthFromData)
        *widthFromData = oioca_getWidthFromData(p.handle);
    oioca_setIgnoreDecompError(p.handle, ignore);
    IOCADecodedImage* image = nullptr;
    d.result = oioca_decompress(p.handle, tile, &image);
    if (image) {
        d.width = (int)word(image->block + 4);
        d.height = (int)word(image->block + 8);
        d.imageSize = word(image->block + 20);
        d.bits.assign(image->block + 48, image->block + 48 + d.imageSize);
        std::free(image->block);
        std::free(image);
    }
    d.trace = p.trace();
    return d;
}

Bytes segmentOf(int compression, int width, int height, const Bytes& data)
{
    Bytes size = width > 0xFFFF ? cat({imageSize(0, 2400, 1, 1), tileSize(width, height)})
                                : imageSize(0, 2400, width, height);
    return cat({kBegin, kContent, size, encoding(compression), imageDataFields(data), kEndContent, kEnd});
}

class IOCADecoding : public lrbtest::ScratchTest
{
protected:
    std::string tiffOf(const Picture& p, const std::string& name)
    {
        const std::string path = m_dir + "/" + name;
        TIFFPtr tif(TIFFOpen(path.c_str(), "w"));
        EXPECT_NE(tif, nullptr);
        TIFFSetField(tif.get(), TIFFTAG_IMAGEWIDTH, (uint32_t)p.width);
        TIFFSetField(tif.get(), TIFFTAG_IMAGELENGTH, (uint32_t)p.height);
        TIFFSetField(tif.get(), TIFFTAG_BITSPERSAMPLE, 1);
        TIFFSetField(tif.get(), TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tif.get(), TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(tif.get(), TIFFTAG_COMPRESSION, COMPRESSION_NONE);
        TIFFSetField(tif.get(), TIFFTAG_ROWSPERSTRIP, (uint32_t)p.height);
        Bytes row(p.bytesPerRow());
        for (int y = 0; y < p.height; ++y) {
            std::memcpy(row.data(), p.bits.data() + y * p.bytesPerRow(), row.size());
            EXPECT_EQ(TIFFWriteScanline(tif.get(), row.data(), (uint32_t)y, 0), 1);
        }
        return path;
    }

    // The coded strip of `tiffcp -c <coding>` of a file, as one strip.
    Bytes codedStrip(const std::string& path, const std::string& coding, int height)
    {
        const std::string out = path + "." + coding.substr(0, 2) + ".tif";
        const std::string command = "tiffcp -c " + coding + " -r " + std::to_string(height) + " " +
                                    lrbtest::shellQuote(path) + " " + lrbtest::shellQuote(out) + " 2>&1";
        EXPECT_EQ(lrbtest::commandOutput(command), "") << command;
        return rawStrip(out);
    }

    Bytes rawStrip(const std::string& path)
    {
        TIFFPtr tif(TIFFOpen(path.c_str(), "r"));
        Bytes strip;
        if (!tif)
            return strip;
        EXPECT_EQ(TIFFNumberOfStrips(tif.get()), 1u);
        strip.resize((size_t)TIFFRawStripSize(tif.get(), 0));
        EXPECT_EQ(TIFFReadRawStrip(tif.get(), 0, strip.data(), (tmsize_t)strip.size()), (tmsize_t)strip.size());
        return strip;
    }

    // The rows of `tiffcp -c none` of a file.
    Bytes uncompressedRows(const std::string& path)
    {
        const std::string out = path + ".none.tif";
        EXPECT_EQ(lrbtest::commandOutput("tiffcp -c none " + lrbtest::shellQuote(path) + " " +
                                         lrbtest::shellQuote(out) + " 2>&1"),
                  "");
        TIFFPtr tif(TIFFOpen(out.c_str(), "r"));
        Bytes rows;
        if (!tif)
            return rows;
        uint32_t height = 0;
        TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height);
        Bytes row((size_t)TIFFScanlineSize(tif.get()));
        for (uint32_t y = 0; y < height; ++y) {
            EXPECT_EQ(TIFFReadScanline(tif.get(), row.data(), y, 0), 1);
            rows.insert(rows.end(), row.begin(), row.end());
        }
        return rows;
    }

    // IBM MMR data of a picture whose first row is white: EOL, tag, the
    // first row one-dimensional, EOL, tag, then the G4 strip of the rest.
    Bytes ibmMMR(const Picture& p, const std::string& name)
    {
        BitWriter w;
        w.put(kEOL);
        w.put("1");
        w.put(whiteRow(p.width));
        w.put(kEOL);
        w.put("0");
        w.append(codedStrip(tiffOf(p.rows(1), name), "g4", p.height - 1));
        return w.bytes;
    }
};

const struct PictureCase
{
    const char* name;
    int width, height;
    unsigned seed;
} kPictures[] = {
    {"203 x 61", 203, 61, 1},
    {"long runs over make-up codes", 6001, 9, 2},
    {"one pixel wide", 1, 7, 3},
    {"wider than 16 bits", 70000, 5, 4},
};

TEST_F(IOCADecoding, G4StripsOfTiffcpDecodeToItsUncompressedRows)
{
    for (const auto& c : kPictures) {
        SCOPED_TRACE(c.name);
        Picture p = makePicture(c.width, c.height, c.seed);
        const std::string file = tiffOf(p, "g4-" + std::to_string(c.seed) + ".tif");
        const Bytes strip = codedStrip(file, "g4", c.height);
        const Bytes expected = uncompressedRows(file);
        ASSERT_EQ(expected, p.bits);
        // Through the TIFF library, as Image Encoding X'82'.
        Decoded d = decodeSegment(segmentOf(0x82, c.width, c.height, strip), false, nullptr, false);
        ASSERT_EQ(d.result, 0);
        EXPECT_EQ(d.width, c.width);
        EXPECT_TRUE(d.bits == expected);
        // Through the run decoder, every row two-dimensional.
        Bytes own(expected.size(), 0xAA);
        uint64_t bytes = 0;
        EXPECT_EQ(qelIBMMMRDecoder_decompressG4MMR(strip.data(), (uint32_t)strip.size(), "G4", c.width,
                                                   c.height, 1, own.data(), &bytes),
                  1);
        EXPECT_EQ(bytes, expected.size());
        EXPECT_TRUE(own == expected);
    }
}

TEST_F(IOCADecoding, G3StripsOfTiffcpDecodeRowByRow)
{
    for (const auto& c : kPictures) {
        SCOPED_TRACE(c.name);
        Picture p = makePicture(c.width, c.height, c.seed);
        const Bytes strip = codedStrip(tiffOf(p, "g3.tif"), "g3", c.height);
        Bytes own(p.bits.size(), 0xAA);
        uint64_t bytes = 0;
        EXPECT_EQ(qelIBMMMRDecoder_decompressG31D(strip.data(), (uint32_t)strip.size(), "G3", c.width, c.height,
                                                  1, own.data(), &bytes),
                  1);
        EXPECT_EQ(bytes, p.bits.size());
        EXPECT_TRUE(own == p.bits);
    }
}

TEST_F(IOCADecoding, G4ContainerOfAnAfpFileDecodes)
{
    const Bytes container = lrbtest::objectFieldData(std::string(LORBANE_TEST_DATA) + "/fop/fop-images-native.afp",
                                                     {0xA892, 0xEE92, 0xA992}, 2);
    ASSERT_FALSE(container.empty());
    const std::string file = writeFile("container.tif", container);
    const Bytes strip = rawStrip(file);
    const Bytes expected = uncompressedRows(file);
    ASSERT_EQ(expected.size(), 38u * 150);
    Decoded d = decodeSegment(segmentOf(0x82, 300, 150, strip), false, nullptr, false);
    ASSERT_EQ(d.result, 0);
    EXPECT_EQ(d.height, 150);
    EXPECT_TRUE(d.bits == expected);
}

TEST_F(IOCADecoding, G4FailuresAndTheMemoryTiffOnTrace)
{
    Picture p = makePicture(203, 20, 7);
    const Bytes strip = codedStrip(tiffOf(p, "trace.tif"), "g4", 20);
    // With tracing on, the memory TIFF goes to "ioca.tif" in the working
    // directory: width and height as LONG, no ResolutionUnit.
    char* previous = ::getcwd(nullptr, 0);
    ASSERT_EQ(::chdir(m_dir.c_str()), 0);
    Decoded traced = decodeSegment(segmentOf(0x82, 203, 20, strip));
    ASSERT_EQ(::chdir(previous), 0);
    std::free(previous);
    EXPECT_EQ(traced.result, 0);
    EXPECT_TRUE(traced.bits == p.bits);
    EXPECT_NE(traced.trace.find("\tIOCA compression type: G4 Modified Modified Read\n"), std::string::npos);
    const std::string dump = lrbtest::commandOutput("tiffdump " + lrbtest::shellQuote(m_dir + "/ioca.tif"));
    EXPECT_NE(dump.find("ImageWidth (256) LONG (4) 1<203>"), std::string::npos) << dump;
    EXPECT_NE(dump.find("ImageLength (257) LONG (4) 1<20>"), std::string::npos) << dump;
    EXPECT_NE(dump.find("XResolution (282) RATIONAL (5) 1<240>"), std::string::npos) << dump;
    EXPECT_EQ(dump.find("ResolutionUnit"), std::string::npos);

    // A strip that is not G4 at all; the TIFF library's reports go to the
    // handlers the caller installed.
    static int reports;
    reports = 0;
    auto count = [](const char*, const char*, va_list) { ++reports; };
    TIFFErrorHandler previousError = TIFFSetErrorHandler(count);
    TIFFErrorHandler previousWarning = TIFFSetWarningHandler(count);
    Decoded bad = decodeSegment(segmentOf(0x82, 203, 20, Bytes(40, 0x00)), false, nullptr, false);
    TIFFSetErrorHandler(previousError);
    TIFFSetWarningHandler(previousWarning);
    EXPECT_GT(reports, 0);
    EXPECT_EQ(bad.result, -26);
    EXPECT_TRUE(bad.bits.empty());
    EXPECT_STREQ(oioca_getErrorMessage(-26), "Decompression of G4 image data failed.");
}

TEST_F(IOCADecoding, IBMMMRDecodesAndStopsAtTheEndOfItsRows)
{
    // A picture of 100 rows in a tile that says 200 (and one that says 100).
    Picture p = makePicture(203, 100, 11);
    const Bytes data = ibmMMR(p, "mmr.tif");
    Decoded whole = decodeSegment(segmentOf(1, 203, 100, data));
    ASSERT_EQ(whole.result, 0) << whole.trace;
    EXPECT_TRUE(whole.bits == p.bits);
    EXPECT_NE(whole.trace.find("\tIOCA compression type: IBM MMR\n"), std::string::npos);

    Decoded twice = decodeSegment(segmentOf(1, 203, 200, data));
    EXPECT_EQ(twice.result, -29);
    EXPECT_TRUE(twice.bits.empty());
    EXPECT_NE(twice.trace.find("decompress: decodeData() failed with return value (-29)"), std::string::npos);
    EXPECT_STREQ(oioca_getErrorMessage(-29), "Decompression of IBM MMR image data failed.");

    Decoded ignored = decodeSegment(segmentOf(1, 203, 200, data), true);
    ASSERT_EQ(ignored.result, 0);
    EXPECT_EQ(ignored.height, 100);
    EXPECT_EQ(ignored.imageSize, 100u * 26);
    EXPECT_TRUE(ignored.bits == p.bits);

    // An EOL in a two-dimensional row ends the image; what follows it must
    // be the rest of an end-of-facsimile block.
    struct
    {
        const char* tail;
        bool badRTC;
    } ends[] = {{"1" "000000000001", false}, {"1111111111111", true}};
    for (const auto& e : ends) {
        BitWriter w;
        w.put(std::string(kEOL) + "1" + "10011" + kEOL + "0" + "1" + "0000000" "0000" + e.tail);
        Decoded d = decodeSegment(segmentOf(1, 8, 3, w.bytes), true);
        ASSERT_EQ(d.result, 0) << e.tail;
        EXPECT_EQ(d.height, 2) << "two rows before the EOL";
        EXPECT_EQ(d.trace.find("\tBad RTC\n\n") != std::string::npos, e.badRTC) << d.trace;
    }
}

TEST_F(IOCADecoding, IBMMMRReadsEitherFillOrder)
{
    Picture p = makePicture(203, 30, 12);
    const Bytes data = ibmMMR(p, "order.tif");
    struct
    {
        int fillOrder;
        Bytes data;
    } cases[] = {{1, data}, {2, reversedBytes(data)}};
    for (const auto& c : cases) {
        Bytes out(p.bits.size());
        uint64_t bytes = 0;
        int32_t rows = -1;
        EXPECT_EQ(qelIBMMMRDecoder_decompressIBMMMR(c.data.data(), (uint32_t)c.data.size(), "IBMMMR", 203, 30,
                                                    c.fillOrder, out.data(), &bytes, 0, &rows),
                  1)
            << c.fillOrder;
        EXPECT_EQ(rows, 30);
        EXPECT_EQ(bytes, out.size());
        EXPECT_TRUE(out == p.bits) << c.fillOrder;
    }
}

TEST_F(IOCADecoding, WidthFromDataIsWhereTheFirstRowEnds)
{
    // Rows of 1728 pixels in tiles that say otherwise.
    Picture p = makePicture(1728, 6, 13);
    const Bytes data = ibmMMR(p, "width.tif");
    struct
    {
        int headerWidth;
        const char* report;
    } cases[] = {{1800, " Premature EOL at scanline 0 (ActualWidth:1728, ByteAlignedWidth:1800)"},
                 {1700, " Line length mismatch at scanline 0 (ActualWidth:1728, ByteAlignedWidth:1704)"},
                 {1728, nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.headerWidth);
        int width = 0;
        Decoded d = decodeSegment(segmentOf(1, c.headerWidth, 6, data), false, &width);
        EXPECT_EQ(width, 1728);
        const std::string lines = "\tHeaderWidth:" + std::to_string(c.headerWidth) + "\n" +
                                  (c.report ? std::string("\t") + c.report + "\n" : std::string()) +
                                  "\tActualWidth:1728\n";
        EXPECT_NE(d.trace.find(lines), std::string::npos) << d.trace;
        // Decoding then uses the width found.
        ASSERT_EQ(d.result, 0);
        EXPECT_EQ(d.width, 1728);
        EXPECT_TRUE(d.bits == p.bits);
    }
    // Data that holds no row.
    int width = 0;
    decodeSegment(segmentOf(1, 1800, 6, Bytes{0xFF, 0xFF}), false, &width);
    EXPECT_EQ(width, -29);
}

TEST_F(IOCADecoding, RunDecoderRefusals)
{
    Bytes out(64);
    uint64_t bytes = 7;
    int32_t rows = 7;
    const Bytes data = {0x00, 0x10};
    // Run arrays for the width are sized in 64 bits and refused beyond the
    // block limit before anything is written.
    EXPECT_EQ(qelIBMMMRDecoder_decompressIBMMMR(data.data(), 2, "IBMMMR", INT32_MAX, 1, 1, out.data(), &bytes, 0,
                                                &rows),
              -3);
    EXPECT_EQ(qelIBMMMRDecoder_decompressG4MMR(data.data(), 2, "G4", 0x40000000, 1, 1, out.data(), &bytes), -3);
    EXPECT_EQ(qelIBMMMRDecoder_decompressIBMMMR(data.data(), 2, "IBMMMR", 8, 1, 1, nullptr, &bytes, 0, &rows), -6);
    EXPECT_EQ(qelIBMMMRDecoder_decompressIBMMMR(data.data(), 2, "IBMMMR", 0, 1, 1, out.data(), &bytes, 0, &rows),
              -6);
    EXPECT_EQ(qelIBMMMRDecoder_decompressG4MMR(data.data(), 2, "G4", 8, 1, 1, nullptr, &bytes), -7);
    EXPECT_EQ(qelIBMMMRDecoder_decompressG31D(data.data(), 2, "G3", 8, 1, 1, nullptr, &bytes), -2);
    // A bad code word, and the extension code, are messages of the decoder.
    BitWriter bad;
    bad.put("0000001111"); // extension
    EXPECT_EQ(qelIBMMMRDecoder_decompressG4MMR(bad.bytes.data(), (uint32_t)bad.bytes.size(), "G4", 8, 1, 1,
                                               out.data(), &bytes),
              -24);
    EXPECT_EQ(bytes, 0u);
    EXPECT_STREQ(oioca_getErrorMessage(-24), "ImageName=G4, Uncompressed data (not supported) at scanline 0 (XPos=0)");
    BitWriter code;
    code.put("000000000001" "00000000000"); // EOL, then no white code
    EXPECT_EQ(qelIBMMMRDecoder_decompressG31D(code.bytes.data(), (uint32_t)code.bytes.size(), "G3", 8, 2, 1,
                                              out.data(), &bytes),
              -23);
    EXPECT_STREQ(oioca_getErrorMessage(-23), "ImageName=G3, Bad code word at scanline 0 (XPos=0)");
    // An end-of-facsimile block after the only row: the next row ends.
    BitWriter eofb;
    eofb.put("1" "000000000001" "000000000001"); // V0 over a white row, EOFB
    EXPECT_EQ(qelIBMMMRDecoder_decompressG4MMR(eofb.bytes.data(), (uint32_t)eofb.bytes.size(), "G4", 8, 1, 1,
                                               out.data(), &bytes),
              1);
    EXPECT_EQ(qelIBMMMRDecoder_decompressG4MMR(eofb.bytes.data(), (uint32_t)eofb.bytes.size(), "G4", 8, 2, 1,
                                               out.data(), &bytes),
              -1);
}

// RL4: scan-line records of nibble codes.
Bytes record(int line, const Bytes& runs)
{
    return cat({be(line, 2), be((uint32_t)runs.size() + 4, 2), runs});
}

TEST_F(IOCADecoding, RL4RecordsDrawTheirBlackRunsInsideTheirRows)
{
    auto row = [](std::initializer_list<int> blackFromTo, int width) {
        Picture p{width, 1, Bytes((size_t)(width + 7) / 8, 0)};
        for (auto it = blackFromTo.begin(); it != blackFromTo.end(); it += 2)
            p.span(*it, *(it + 1), 0);
        return p.bits;
    };
    struct
    {
        const char* name;
        int width, height;
        Bytes data;
        Bytes bits;
    } cases[] = {
        {"white 1, end of line", 16, 3, record(2, {0x0F, 0xFF}), Bytes(6, 0)},
        {"white 8, end of line", 16, 1, record(0, {0x7F, 0xFF}), Bytes(2, 0)},
        {"white 1, black 8", 16, 1, record(0, {0x07, 0xFF}), row({1, 9}, 16)},
        {"records in any order, rows skipped", 8, 4, cat({record(3, {0x00, 0xFF}), record(1, {0x17, 0xFF})}),
         Bytes{0x00, 0x3F, 0x00, 0x40}},
        {"row beyond the height draws nothing", 8, 2, cat({record(2, {0x07, 0xFF}), record(1, {0x07, 0xFF})}),
         Bytes{0x00, 0x7F}},
        {"a cut-off record ends with the rows before it", 8, 2, cat({record(0, {0x07, 0xFF}), Bytes{0, 1, 0, 9, 0x07}}),
         Bytes{0x7F, 0x00}},
        {"a record shorter than its header ends decoding", 8, 1, cat({record(0, {0x07}), Bytes{0, 0, 0}}), Bytes{0x7F}},
        {"a run past the row is clipped at its end", 10, 2, record(1, {0x1E, 0x00, 0xFF, 0xFF}),
         Bytes{0x00, 0x00, 0x3F, 0xC0}},
        {"a run past the last row stays inside the bitmap", 12, 1, record(0, {0x0F, 0x0F, 0x0F, 0x0F}),
         Bytes{0x7F, 0xF0}},
        {"every code form", 6000, 1,
         record(0, {0x80, 0xC0, 0x0E, 0x00, 0x0F, 0xEF, 0x8F, 0x00, 0x00, 0x7F, 0xFF}), row({9, 82, 5348, 5356}, 6000)},
    };
    for (const auto& c : cases) {
        Decoded d = decodeSegment(cat({kContent, imageSize(0, 2400, c.width, c.height), encoding(6),
                                       imageData(c.data), kEndContent}));
        ASSERT_EQ(d.result, 0) << c.name;
        EXPECT_TRUE(d.bits == c.bits) << c.name;
    }
    Decoded traced = decodeSegment(cat({kContent, imageSize(0, 2400, 16, 1), encoding(6),
                                        imageData(record(0, {0x07, 0xFF})), kEndContent}));
    EXPECT_NE(traced.trace.find("\tLineNumber=0 Length=6 Run data\n\t W000001 B000008\n"), std::string::npos)
        << traced.trace;
    EXPECT_EQ(qelRL4Decoder_decodeRL4(nullptr, traced.bits.data(), 1, traced.bits.data()), -4);
}

// JPEG planes: cjpeg of uniform grey pictures.
class IOCAJpegPlanes : public IOCADecoding
{
protected:
    Bytes plane(int width, int height, int value)
    {
        Bytes pgm;
        const std::string head = "P5\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
        pgm.assign(head.begin(), head.end());
        pgm.insert(pgm.end(), (size_t)width * height, (unsigned char)value);
        const std::string in = writeFile("plane" + std::to_string(++m_planes) + ".pgm", pgm);
        const std::string out = in + ".jpg";
        EXPECT_EQ(lrbtest::commandOutput("cjpeg -grayscale -quality 100 -outfile " + lrbtest::shellQuote(out) + " " +
                                         lrbtest::shellQuote(in) + " 2>&1"),
                  "");
        return lrbtest::readFile(out);
    }

    struct Result
    {
        int rc = -99;
        Bytes jpeg;
        std::string trace;
    };

    Result convert(const Bytes& c, const Bytes& m, const Bytes& y, const Bytes& k, int compression = 0x83)
    {
        Parsed p(cat({kContent, encoding(compression), bandData(1, c), bandData(2, m), bandData(3, y),
                      bandData(4, k), kEndContent}),
                 true);
        IOCATile* tile = p.tiles()[0];
        EXPECT_EQ(oioca_readTileImageData(p.handle, tile), 0);
        unsigned char* buffer = nullptr;
        uint32_t length = 0;
        Result r;
        r.rc = oioca_getRGBJpeg(p.handle, tile, 300, 90, &buffer, &length);
        if (buffer)
            r.jpeg.assign(buffer, buffer + length);
        std::free(buffer);
        r.trace = p.trace();
        return r;
    }

    // djpeg's P6 picture: width, height and pixels; its messages must be empty.
    struct RGB
    {
        int width = 0, height = 0;
        Bytes pixels;
    };
    RGB decode(const Bytes& jpeg)
    {
        const std::string in = writeFile("rgb" + std::to_string(++m_planes) + ".jpg", jpeg);
        const std::string out = in + ".ppm";
        EXPECT_EQ(lrbtest::commandOutput("djpeg -pnm -outfile " + lrbtest::shellQuote(out) + " " +
                                         lrbtest::shellQuote(in) + " 2>&1"),
                  "");
        const Bytes ppm = lrbtest::readFile(out);
        RGB rgb;
        int maxval = 0, consumed = 0;
        if (std::sscanf(reinterpret_cast<const char*>(ppm.data()), "P6 %d %d %d%n", &rgb.width, &rgb.height, &maxval,
                        &consumed) == 3)
            rgb.pixels.assign(ppm.begin() + consumed + 1, ppm.end());
        return rgb;
    }

    int m_planes = 0;
};

TEST_F(IOCAJpegPlanes, FourPlanesMakeOneRGBJpegWithTheirDensity)
{
    const Bytes zero = plane(100, 50, 0);
    Result r = convert(zero, zero, zero, zero);
    ASSERT_EQ(r.rc, 0) << r.trace;
    ASSERT_GT(r.jpeg.size(), 20u);
    // JFIF marker: unit 1 (dots per inch), 300 by 300.
    EXPECT_EQ(std::string(r.jpeg.begin() + 6, r.jpeg.begin() + 11), std::string("JFIF\0", 5));
    EXPECT_EQ(r.jpeg[13], 1);
    EXPECT_EQ(r.jpeg[14] << 8 | r.jpeg[15], 300);
    EXPECT_EQ(r.jpeg[16] << 8 | r.jpeg[17], 300);
    RGB rgb = decode(r.jpeg);
    EXPECT_EQ(rgb.width, 100);
    EXPECT_EQ(rgb.height, 50);
    EXPECT_EQ(rgb.pixels.size(), 100u * 50 * 3);
    EXPECT_NE(r.trace.find("\tSource Jpeg Image Width:100\n\tSource Jpeg Image Height:50\n"), std::string::npos);
    EXPECT_NE(r.trace.find("\tNumber of lines processed in jpeg: 50.\n"), std::string::npos);
}

TEST_F(IOCAJpegPlanes, PixelsGoFromCMYKToRGB)
{
    struct
    {
        int c, m, y, k;
        int r, g, b;
    } cases[] = {
        {0, 0, 0, 255, 0, 0, 0},       {0, 0, 0, 0, 255, 255, 255}, {255, 0, 0, 0, 0, 255, 255},
        {100, 50, 0, 128, 77, 102, 127}, {0, 200, 40, 0, 255, 55, 215},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.c << " " << c.m << " " << c.y << " " << c.k);
        Result r = convert(plane(16, 8, c.c), plane(16, 8, c.m), plane(16, 8, c.y), plane(16, 8, c.k));
        ASSERT_EQ(r.rc, 0);
        RGB rgb = decode(r.jpeg);
        ASSERT_EQ(rgb.pixels.size(), 16u * 8 * 3);
        for (size_t i = 0; i < rgb.pixels.size(); i += 3) {
            EXPECT_NEAR(rgb.pixels[i], c.r, 3);
            EXPECT_NEAR(rgb.pixels[i + 1], c.g, 3);
            EXPECT_NEAR(rgb.pixels[i + 2], c.b, 3);
        }
    }
}

TEST_F(IOCAJpegPlanes, PlanesOfUnequalHeightGiveTheShortestPlanesRows)
{
    const Bytes full = plane(100, 50, 30);
    Result r = convert(full, full, full, plane(100, 40, 60));
    ASSERT_EQ(r.rc, 0) << r.trace;
    RGB rgb = decode(r.jpeg);
    EXPECT_EQ(rgb.width, 100);
    EXPECT_EQ(rgb.height, 40);
    EXPECT_EQ(rgb.pixels.size(), 100u * 40 * 3);
    EXPECT_EQ(r.trace.find("not completely written"), std::string::npos);
    size_t unread = 0;
    for (size_t at = r.trace.find("Warning! Jpeg input buffer is not completely read."); at != std::string::npos;
         at = r.trace.find("Warning! Jpeg input buffer is not completely read.", at + 1))
        ++unread;
    EXPECT_EQ(unread, 3u);
}

TEST_F(IOCAJpegPlanes, BrokenPlanesFailWithTheLibrarysMessage)
{
    const Bytes full = plane(100, 50, 30);
    const Bytes truncated(full.begin(), full.begin() + full.size() / 2);
    struct
    {
        const char* name;
        Bytes k;
        const char* message;
    } cases[] = {
        {"truncated plane", truncated, "Error while creating RGB Jpeg.\nMsg:Premature end of JPEG file"},
        {"narrower plane", plane(90, 50, 30), "Error while creating RGB Jpeg.\nMsg:Jpeg planes differ in width"},
        {"not a JPEG", Bytes{1, 2, 3, 4}, "Error while creating RGB Jpeg.\nMsg:Not a JPEG file: starts with 0x01 0x02"},
    };
    for (const auto& c : cases) {
        Result r = convert(full, full, full, c.k);
        EXPECT_EQ(r.rc, -21) << c.name;
        EXPECT_TRUE(r.jpeg.empty()) << c.name;
        EXPECT_STREQ(oioca_getErrorMessage(-21), c.message) << c.name;
        EXPECT_NE(r.trace.find(std::string("\t") + c.message + "\n"), std::string::npos) << r.trace;
    }
    EXPECT_EQ(convert(full, full, full, full, 0x82).rc, -20);
    Parsed three(cat({kContent, encoding(0x83), bandData(1, full), bandData(2, full), bandData(3, full), kEndContent}));
    IOCATile* tile = three.tiles()[0];
    unsigned char* buffer = nullptr;
    uint32_t length = 0;
    EXPECT_EQ(oioca_getRGBJpeg(three.handle, tile, 300, 90, &buffer, &length), -19);
    EXPECT_EQ(oioca_getRGBJpeg(three.handle, nullptr, 300, 90, &buffer, &length), -16);
}

} // namespace
