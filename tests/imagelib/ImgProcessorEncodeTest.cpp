// The processor's encode operations: page encodes to files and buffers,
// the pass-through paths, the preprocessing and the best-match search.
#include "ImgTestSupport.h"
#include "ScratchTest.h"
#include "ShellCommand.h"
#include "qelImgBufferIOStream.h"
#include "qelImgDIB.h"
#include "qelImgDIBHeader.h"
#include "qelImgDIBUtils.h"
#include "qelImgDecoder.h"
#include "qelImgInfo.h"
#include "qelImgTypes.h"
#include "qelImgUtils.h"

#include <gtest/gtest.h>

#include <tiffio.h>
#include <zlib.h>

#include <algorithm>
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

Bytes sdf(unsigned id, const Bytes& content)
{
    if (id > 0xFF)
        return cat({{0xFE, static_cast<unsigned char>(id), static_cast<unsigned char>(content.size() >> 8),
                     static_cast<unsigned char>(content.size())},
                    content});
    return cat({{static_cast<unsigned char>(id), static_cast<unsigned char>(content.size())}, content});
}

std::string fop(const std::string& name) { return std::string(LORBANE_TEST_DATA) + "/fop/" + name; }

Bytes imageSegment(const std::string& path, int n) { return lrbtest::objectFieldData(path, {0xA8FB, 0xEEFB, 0xA9FB}, n); }

// A buffer the caller frees, as a vector.
Bytes taken(unsigned char* data, unsigned int length)
{
    Bytes out(data, data + length);
    delete[] data;
    return out;
}

Bytes pixels(const qelImgDIB* dib) { return Bytes(dib->bits, dib->bits + dib->header->biSizeImage); }

bool contains(const Bytes& haystack, const Bytes& needle)
{
    return !needle.empty() && std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) !=
                                  haystack.end();
}

// Four 8-bit CMYK bands, uncompressed.
Bytes cmykSegment(int width, int height, const std::vector<Bytes>& planes)
{
    Bytes out = cat({sdf(0x70, {}), sdf(0x91, {0xFF}),
                     sdf(0x94, {0, 0x02, 0xD0, 0x02, 0xD0, 0, static_cast<unsigned char>(width), 0,
                                static_cast<unsigned char>(height)}),
                     sdf(0x95, {0x03, 0x01}), sdf(0x96, {32}), sdf(0x98, {4, 8, 8, 8, 8}),
                     sdf(0x9B, {0x01, 0x04, 0, 0, 0, 8, 8, 8, 8})});
    for (size_t i = 0; i < planes.size(); ++i)
        out = cat({out, sdf(0xFE9C, cat({{static_cast<unsigned char>(i + 1), 0, 0}, planes[i]}))});
    return cat({out, sdf(0x93, {}), sdf(0x71, {})});
}

class ImgProcessorEncode : public lrbtest::ScratchTest
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

    // A WhiteIsZero G4 page written by libtiff.
    std::string g4Page(int width, int height)
    {
        const std::string path = m_dir + "/g4.tif";
        TIFF* tif = TIFFOpen(path.c_str(), "w");
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(width));
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(height));
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(height));
        Bytes row(static_cast<size_t>(width + 7) / 8);
        for (int y = 0; y < height; ++y) {
            std::fill(row.begin(), row.end(), 0);
            for (int x = y % 13; x < width; x += 37)
                row[static_cast<size_t>(x / 8)] |= static_cast<unsigned char>(0x80 >> (x % 8));
            TIFFWriteScanline(tif, row.data(), static_cast<uint32_t>(y), 0);
        }
        TIFFClose(tif);
        return path;
    }

    static Bytes rawStrip(const std::string& path)
    {
        TIFF* tif = TIFFOpen(path.c_str(), "r");
        Bytes strip(static_cast<size_t>(TIFFRawStripSize(tif, 0)));
        TIFFReadRawStrip(tif, 0, strip.data(), static_cast<tmsize_t>(strip.size()));
        TIFFClose(tif);
        return strip;
    }
};

TEST_F(ImgProcessorEncode, FopImagesEncodeAndDecodeBackToTheirPixels)
{
    const struct
    {
        int image;
        QELIMG_ENCODETYPE type;
    } cases[] = {
        {1, QELIMG_ENCODE_PNG}, {1, QELIMG_ENCODE_BMP}, {1, QELIMG_ENCODE_PCX}, {1, QELIMG_ENCODE_DIB},
        {2, QELIMG_ENCODE_PNG}, {2, QELIMG_ENCODE_BMP}, {2, QELIMG_ENCODE_PCX}, {2, QELIMG_ENCODE_DIB},
        {1, QELIMG_ENCODE_TIFF_LZW}, {2, QELIMG_ENCODE_TIFF_LZW}, {1, QELIMG_ENCODE_TIFF_PACKBITS},
        {2, QELIMG_ENCODE_TIFF_UNCOMPRESSED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.image) + " as " + qelImgUtils::getEncodeTypeName(c.type));
        Bytes segment = imageSegment(fop("fop-rich.afp"), c.image);
        qelImgProcessor source(segment.data(), static_cast<unsigned int>(segment.size()));
        // The CxImage encoders take blue first.
        source.setParameter(QELIMG_PARAM_SWAP_RGB, 1);
        const Bytes expected = pixels(source.getDIBData());
        unsigned char* data = nullptr;
        unsigned int length = 0;
        qelImgInfo* info = nullptr;
        source.encode(&data, &length, &info, c.type);
        std::unique_ptr<qelImgInfo> owned(info);
        Bytes encoded = taken(data, length);
        ASSERT_FALSE(encoded.empty());
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->type, QELIMG_IMAGETYPE_DIB);
        EXPECT_EQ(info->width, c.image == 1 ? 200 : 64);
        qelImgProcessor back(encoded.data(), static_cast<unsigned int>(encoded.size()));
        qelImgDIB* dib = back.getDIBData();
        ASSERT_NE(dib, nullptr);
        EXPECT_TRUE(pixels(dib) == expected);
        // The page itself is left as decoded.
        EXPECT_TRUE(pixels(source.getDIBData()) == expected);
    }
}

TEST_F(ImgProcessorEncode, FlateAndFilesHoldThePixels)
{
    Bytes segment = imageSegment(fop("fop-rich.afp"), 1);
    qelImgProcessor source(segment.data(), static_cast<unsigned int>(segment.size()));
    const Bytes expected = pixels(source.getDIBData());
    unsigned char* data = nullptr;
    unsigned int length = 0;
    source.encode(&data, &length, QELIMG_ENCODE_FLATE);
    const Bytes flate = taken(data, length);
    Bytes inflated(expected.size() + 16);
    uLongf size = static_cast<uLongf>(inflated.size());
    ASSERT_EQ(uncompress(inflated.data(), &size, flate.data(), static_cast<uLong>(flate.size())), Z_OK);
    inflated.resize(size);
    EXPECT_TRUE(inflated == expected);

    // A PNG file, read by an independent checker.
    const std::string png = m_dir + "/rich.png";
    source.setParameter(QELIMG_PARAM_SWAP_RGB, 1);
    source.encode(png.c_str(), QELIMG_ENCODETYPE(QELIMG_ENCODE_PNG));
    EXPECT_NE(lrbtest::commandOutput("pngcheck " + lrbtest::shellQuote(png)).find("OK"), std::string::npos);
    EXPECT_EQ(thrown([&] { source.encode("", QELIMG_ENCODE_PNG); }).id, 8);
    EXPECT_EQ(thrown([&] { source.encode(png.c_str(), QELIMG_ENCODETYPE(1)); }).message.find("Unhandled") !=
                  std::string::npos,
              true);
}

TEST_F(ImgProcessorEncode, EncodeTypesSetTheirParameters)
{
    // A palette page to JPEG decodes its palette as RGB.
    qelImgProcessor palette(imageFixture("pal8.tif").c_str());
    unsigned char* data = nullptr;
    unsigned int length = 0;
    palette.encode(&data, &length, QELIMG_ENCODE_JPEG);
    EXPECT_EQ(palette.getParameterInt(QELIMG_PARAM_DECODE_PALETTE_AS_RGB), 1);
    const std::string path = writeFile("pal8.jpg", taken(data, length));
    EXPECT_EQ(lrbtest::commandOutput("djpeg -pnm " + lrbtest::shellQuote(path)).rfind("P6\n37 48\n", 0), 0u);

    // A bilevel page to G4: the answered information says so.
    qelImgProcessor mono(imageFixture("mono.tif").c_str());
    qelImgInfo* info = nullptr;
    mono.encode(&data, &length, &info, QELIMG_ENCODE_CCITT_G4);
    std::unique_ptr<qelImgInfo> owned(info);
    delete[] data;
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->type, QELIMG_IMAGETYPE_DIB);
    EXPECT_EQ(info->compression, QELIMG_COMP_G4);
    EXPECT_EQ(info->width, 100);
    EXPECT_EQ(info->bitsPerPixel, 1);
}

TEST_F(ImgProcessorEncode, DIBComesFromTheFileAndBufferFactoryOnly)
{
    Bytes png = lrbtest::readFile(imageFixture("png-rgb.png"));
    qelImgProcessor source(png.data(), static_cast<unsigned int>(png.size()));
    unsigned char* data = nullptr;
    unsigned int length = 0;
    source.encode(&data, &length, QELIMG_ENCODE_DIB);
    const Bytes dib = taken(data, length);
    qelImgDIB* page = source.getDIBData();
    ASSERT_EQ(dib.size(), 40u + page->header->biSizeImage);
    EXPECT_TRUE(Bytes(dib.begin() + 40, dib.end()) == pixels(page));
    qelImgBufferIOStream stream("out", 2);
    EXPECT_EQ(thrown([&] { qelImgProcessor through(&stream, QELIMG_ENCODE_DIB); }).id, 9);
}

TEST_F(ImgProcessorEncode, CMYKBandsGoStraightToJpeg)
{
    std::vector<Bytes> planes(4, Bytes(16 * 8, 0));
    for (int i = 0; i < 16 * 8; ++i) {
        planes[0][i] = static_cast<unsigned char>(i * 2);
        planes[3][i] = static_cast<unsigned char>(i % 16 * 4);
    }
    Bytes segment = cmykSegment(16, 8, planes);
    qelImgProcessor source(segment.data(), static_cast<unsigned int>(segment.size()));
    source.setParameter(QELIMG_PARAM_JPEG_QUALITY, 100);
    unsigned char* data = nullptr;
    unsigned int length = 0;
    qelImgInfo* info = reinterpret_cast<qelImgInfo*>(&length);
    source.encode(&data, &length, &info, QELIMG_ENCODE_JPEG);
    const Bytes jpeg = taken(data, length);
    // No page was decoded and no information answered.
    EXPECT_EQ(source.getDecoder()->getDIBBuffer(), nullptr);
    EXPECT_EQ(info, reinterpret_cast<qelImgInfo*>(&length));
    const std::string path = writeFile("cmyk.jpg", jpeg);
    const std::string ppm = lrbtest::commandOutput("djpeg -pnm " + lrbtest::shellQuote(path));
    EXPECT_EQ(ppm.rfind("P6\n16 8\n255\n", 0), 0u) << ppm.substr(0, 16);
}

TEST_F(ImgProcessorEncode, IOCAOutputOfG4WrapsTheStoredDataWhenRowsNeedNoAlignment)
{
    const std::string page = g4Page(1700, 20);
    const Bytes strip = rawStrip(page);
    for (int align : {0, 1}) {
        SCOPED_TRACE(align);
        qelImgProcessor source(page.c_str());
        source.setParameter(QELIMG_PARAM_BYTE_ALIGN, align);
        unsigned char* data = nullptr;
        unsigned int length = 0;
        source.encode(&data, &length, QELIMG_ENCODE_IOCA);
        const Bytes ioca = taken(data, length);
        ASSERT_FALSE(ioca.empty());
        EXPECT_EQ(source.getDecoder()->getDIBBuffer() != nullptr, align == 1);
        if (align == 0) {
            EXPECT_TRUE(contains(ioca, strip));
        }
    }
}

TEST_F(ImgProcessorEncode, OverlayFromTheStoredG4DataOnlyThroughAFile)
{
    Bytes container = containerData(fopImages(), 2);
    ASSERT_FALSE(container.empty());
    qelImgProcessor source(container.data(), static_cast<unsigned int>(container.size()));
    const std::string file = m_dir + "/overlay.afp";
    source.encode(file.c_str(), QELIMG_ENCODE_AFP_OLY);
    const Bytes written = lrbtest::readFile(file);
    // Begin Overlay first, End Overlay last, the stored G4 strip and the
    // overlay's name inside.
    ASSERT_GT(written.size(), 18u);
    EXPECT_EQ(Bytes(written.begin(), written.begin() + 6), (Bytes{0x5A, 0x00, 0x10, 0xD3, 0xA8, 0xDF}));
    EXPECT_TRUE(contains(Bytes(written.end() - 16, written.end()), Bytes{0xD3, 0xA9, 0xDF}));
    EXPECT_TRUE(contains(written, Bytes(file.begin(), file.end())));
    EXPECT_TRUE(contains(written, rawStrip(writeFile("c.tif", container))));
    // The buffer path hands the overlay encoder a bitmap.
    unsigned char* data = nullptr;
    unsigned int length = 0;
    EXPECT_EQ(thrown([&] { source.encode(&data, &length, QELIMG_ENCODE_AFP_OLY); }).id, 26);
    delete[] data;
    // Only TIFF and JPEG sources carry data for it.
    Bytes segment = imageSegment(fop("fop-rich.afp"), 2);
    qelImgProcessor ioca(segment.data(), static_cast<unsigned int>(segment.size()));
    EXPECT_EQ(thrown([&] { ioca.encode(file.c_str(), QELIMG_ENCODE_AFP_OLY); }).id, 9);
}

TEST_F(ImgProcessorEncode, PreprocessGreysByTypeAndDepth)
{
    std::unique_ptr<qelImgDIB> rgb(qelImgDIBUtils::createDIBFromData(4, 2, 24, 72, 72, 0, nullptr, 0));
    std::unique_ptr<qelImgDIB> mono(qelImgDIBUtils::createDIBFromData(4, 2, 1, 72, 72, 0, nullptr, 0));
    qelImgProcessor processor;
    processor.setParameter(QELIMG_PARAM_COLOR_SPACE, 0);
    const struct
    {
        int type;
        qelImgDIB* dib;
        bool grey;
    } cases[] = {
        {QELIMG_ENCODE_TIFF_G3_2D, rgb.get(), false}, {QELIMG_ENCODE_TIFF_G3_2D, mono.get(), false},
        {QELIMG_ENCODE_TIFF_G3_1D, rgb.get(), true},  {QELIMG_ENCODE_JPEG, rgb.get(), false},
        {QELIMG_ENCODE_JPEG, mono.get(), true},       {QELIMG_ENCODE_FLATE, mono.get(), false},
        {QELIMG_ENCODE_FLATE, rgb.get(), true},       {QELIMG_ENCODE_BMP, rgb.get(), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        std::unique_ptr<qelImgDIB> out(processor.doPreprocess(c.dib, c.type));
        EXPECT_EQ(out != nullptr, c.grey);
        if (out) {
            EXPECT_EQ(out->header->biBitCount, 8);
        }
    }
    // The default colour space converts nothing.
    processor.setParameter(QELIMG_PARAM_COLOR_SPACE, 1);
    EXPECT_EQ(processor.doPreprocess(rgb.get(), QELIMG_ENCODE_TIFF_G3_1D), nullptr);
    EXPECT_EQ(processor.doPreprocess(nullptr, QELIMG_ENCODE_TIFF_G3_1D), nullptr);
}

TEST_F(ImgProcessorEncode, StreamProcessorEncodesABitmapBlock)
{
    // A 1-bit header, its two entries and the rows of 9 x 3.
    Bytes block(40 + 8 + 6, 0);
    qelImgDIBHeader header = {};
    header.biSize = 40;
    header.biWidth = 9;
    header.biHeight = 3;
    header.biPlanes = 1;
    header.biBitCount = 1;
    header.biSizeImage = 6;
    std::memcpy(block.data(), &header, sizeof header);
    for (int i = 0; i < 8; ++i)
        block[40 + i] = static_cast<unsigned char>(i < 4 ? 0 : 0xFF);
    for (int i = 0; i < 6; ++i)
        block[48 + i] = static_cast<unsigned char>(0x11 * (i + 1));
    qelImgBufferIOStream stream("out", 2);
    qelImgProcessor processor(&stream, QELIMG_ENCODE_FLATE);
    processor.encode(block.data());
    processor.finalizeEncoder();
    char* data = nullptr;
    unsigned int size = 0;
    stream.getBuffer(&data, &size, false);
    const Bytes flate(data, data + size);
    delete[] data;
    Bytes rows(16);
    uLongf n = static_cast<uLongf>(rows.size());
    ASSERT_EQ(uncompress(rows.data(), &n, flate.data(), static_cast<uLong>(flate.size())), Z_OK);
    rows.resize(n);
    EXPECT_EQ(rows, Bytes(block.begin() + 48, block.end()));
}

// --------------------------------------------------------------- best match

class ImgBestMatch : public ImgProcessorEncode
{
protected:
    std::unique_ptr<qelImgProcessor> jpegSource()
    {
        m_jpeg = containerData(fopImages(), 1);
        return std::make_unique<qelImgProcessor>(m_jpeg.data(), static_cast<unsigned int>(m_jpeg.size()));
    }
    Bytes m_jpeg;
};

TEST_F(ImgBestMatch, SkipsIncompatibleAndRepeatedTypesAndMarksRepeats)
{
    auto source = jpegSource();
    LoggerScope log(2);
    QELIMG_ENCODETYPE types[] = {QELIMG_ENCODE_PNG, QELIMG_ENCODE_BMP, QELIMG_ENCODE_BMP, QELIMG_ENCODE_DIB};
    QELIMG_ENCODETYPE chosen = QELIMG_ENCODE_UNKNOWN;
    unsigned char* data = nullptr;
    unsigned int length = 0;
    qelImgInfo* info = nullptr;
    source->encode(&data, &length, types, 4, &chosen, QELIMG_BEST_COMP_SIZE, &info);
    std::unique_ptr<qelImgInfo> owned(info);
    const Bytes best = taken(data, length);
    EXPECT_NE(log.logger.lines.find("Warning! Encoding PNG is not compatible for image bits per pixel 24"),
              std::string::npos);
    int third;
    std::memcpy(&third, &types[2], sizeof third);
    EXPECT_EQ(third, 32);
    // The DIB block is smaller than the BMP file of the same rows.
    EXPECT_EQ(chosen, QELIMG_ENCODE_DIB);
    EXPECT_EQ(best.size(), 40u + 320 * 200 * 3);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->compression, QELIMG_COMP_NONE);

    // A second search over the same array passes the mark by.
    log.logger.lines.clear();
    chosen = QELIMG_ENCODE_UNKNOWN;
    source->encode(&data, &length, types, 4, &chosen, QELIMG_BEST_COMP_SIZE, nullptr);
    delete[] data;
    EXPECT_EQ(chosen, QELIMG_ENCODE_DIB);
    EXPECT_NE(log.logger.lines.find("Warning! Encoding Unhandled is not compatible"), std::string::npos);
}

TEST_F(ImgBestMatch, TheSourcesOwnDataIsACandidate)
{
    auto source = jpegSource();
    QELIMG_ENCODETYPE types[] = {QELIMG_ENCODE_DIB, QELIMG_ENCODE_JPEG};
    QELIMG_ENCODETYPE chosen = QELIMG_ENCODE_UNKNOWN;
    unsigned char* data = nullptr;
    unsigned int length = 0;
    source->encode(&data, &length, types, 2, &chosen, QELIMG_BEST_COMP_SIZE, nullptr);
    EXPECT_EQ(chosen, QELIMG_ENCODE_JPEG);
    EXPECT_TRUE(taken(data, length) == m_jpeg);
    // An empty list answers nothing.
    data = reinterpret_cast<unsigned char*>(&length);
    source->encode(&data, &length, types, 0, &chosen, QELIMG_BEST_COMP_SIZE, nullptr);
    EXPECT_EQ(data, reinterpret_cast<unsigned char*>(&length));
}

TEST_F(ImgBestMatch, EmptyCandidatesAreNoEncoding)
{
    // A CMYK band image whose fourth band is empty: the band handler
    // writes nothing for it.
    std::vector<Bytes> planes = {Bytes(4, 1), Bytes(4, 2), Bytes(4, 3), Bytes()};
    Bytes segment = cmykSegment(2, 2, planes);
    qelImgProcessor source(segment.data(), static_cast<unsigned int>(segment.size()));
    QELIMG_ENCODETYPE types[] = {QELIMG_ENCODE_DIB, QELIMG_ENCODE_JPEG};
    QELIMG_ENCODETYPE chosen = QELIMG_ENCODE_UNKNOWN;
    unsigned char* data = nullptr;
    unsigned int length = 7;
    source.encode(&data, &length, types, 2, &chosen, QELIMG_BEST_COMP_SIZE, nullptr);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(chosen, QELIMG_ENCODE_UNKNOWN);
}

TEST_F(ImgBestMatch, CompatibilityAndCompressionTables)
{
    EXPECT_TRUE(qelImgProcessor::isEncodingCompatible(12, 1));
    EXPECT_FALSE(qelImgProcessor::isEncodingCompatible(12, 4));
    EXPECT_FALSE(qelImgProcessor::isEncodingCompatible(8, 1));
    EXPECT_TRUE(qelImgProcessor::isEncodingCompatible(25, 24));
    EXPECT_FALSE(qelImgProcessor::isEncodingCompatible(27, 24));
    EXPECT_FALSE(qelImgProcessor::isEncodingCompatible(0, 16));
    const int compressions[32] = {0, 20, 1, 2, 3, 9, 11, 12, 9, 17, 0, 1, 3, 37, 4, 0,
                                  5, 6, 7, 8, 37, 11, 1, 2, 3, 9, 37, 13, 15, 16, 29, 37};
    for (int type = 0; type < 32; ++type)
        EXPECT_EQ(qelImgProcessor::getEncodeCompression(type), compressions[type]) << type;
}

} // namespace
