#include "../ioca/IOCASegments.h"
#include "ImgTestSupport.h"
#include "ScratchTest.h"
#include "ShellCommand.h"
#include "qelImgAFPIOCAEncoder.h"
#include "qelImgAFPIOCAImage.h"
#include "qelImgBufferIOStream.h"
#include "qelImgInfo.h"
#include "qelImgParamValue.h"
#include "qelImgTIFFDecoder.h"
#include "qelImgTypes.h"
#include "qelImgUtils.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

using namespace imgtest;
using lrbtest::Bytes;

namespace {

uint32_t word(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24; }

struct Pixels
{
    int result = -99;
    int width = 0;
    int height = 0;
    Bytes bits; // rows of (width + 7) / 8 bytes, a set bit black
};

// A bare IOCA segment decompressed by the IOCA library.
Pixels decompress(const Bytes& segment)
{
    Pixels p;
    iocatest::Parsed parsed(segment);
    EXPECT_EQ(parsed.result, 0);
    IOCATile* tile = nullptr;
    if (oioca_getFirstTile(parsed.handle, &tile) != 0 || oioca_readTileImageData(parsed.handle, tile) != 0)
        return p;
    IOCADecodedImage* image = nullptr;
    p.result = oioca_decompress(parsed.handle, tile, &image);
    if (image) {
        p.width = static_cast<int>(word(image->block + 4));
        p.height = static_cast<int>(word(image->block + 8));
        const uint32_t size = word(image->block + 20);
        p.bits.assign(image->block + 48, image->block + 48 + size);
        std::free(image->block);
        std::free(image);
    }
    return p;
}

Bytes taken(qelImgIOStream& s)
{
    char* data = nullptr;
    unsigned int size = 0;
    s.getBuffer(&data, &size, false);
    Bytes b(data, data + size);
    delete[] data;
    return b;
}

class ImgAFPIOCAEncoder : public lrbtest::ScratchTest
{
protected:
    void SetUp() override
    {
        lrbtest::ScratchTest::SetUp();
        qelImgProcessor::initializeLibrary();
        qelImgProcessor::setDefaultResolution(300);
        qelImgUtils::setDefaultParameters(params);
        params[QELIMG_PARAM_IOCA_WRAPPER].setInt(0);
    }
    void TearDown() override
    {
        qelImgProcessor::finalizeLibrary();
        lrbtest::ScratchTest::TearDown();
    }

    // The rows of `tiffcp -c none` of a TIFF, as decoded bytes.
    Bytes plainRows(const std::string& tif, size_t* rowBytes)
    {
        const std::string plain = m_dir + "/plain-" + std::to_string(++m_count) + ".tif";
        EXPECT_EQ(lrbtest::run("tiffcp -c none " + lrbtest::shellQuote(tif) + " " + lrbtest::shellQuote(plain)).status,
                  0);
        return tiffPixels(plain, 0, rowBytes);
    }

    // Runs the encoder as the processor does and answers the bare segment.
    Bytes encode(const Bytes& tiff, int type, qelImgAFPIOCAEncoder** keep = nullptr)
    {
        qelImgTIFFDecoder decoder(tiff.data(), static_cast<unsigned int>(tiff.size()));
        // A fresh stream each time: reopening a memory stream keeps its position.
        stream.reset(new qelImgBufferIOStream("out", 2));
        auto* encoder = new qelImgAFPIOCAEncoder(stream.get());
        encoder->setEncodeType(type);
        encoder->initialize(params, decoder.getInfo());
        encoder->encode(&decoder);
        encoder->finalize();
        if (keep)
            *keep = encoder;
        else
            delete encoder;
        return taken(*stream);
    }

    // The first `width` columns of every row equal.
    static void expectSameColumns(const Pixels& got, const Bytes& want, size_t wantRow, int width, int height)
    {
        ASSERT_EQ(got.result, 0);
        ASSERT_EQ(got.height, height);
        const size_t gotRow = static_cast<size_t>(got.width + 7) / 8;
        ASSERT_GE(got.bits.size(), gotRow * static_cast<size_t>(height));
        ASSERT_GE(want.size(), wantRow * static_cast<size_t>(height));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const unsigned char bit = static_cast<unsigned char>(0x80 >> (x % 8));
                ASSERT_EQ(got.bits[y * gotRow + x / 8] & bit, want[y * wantRow + x / 8] & bit) << x << "," << y;
            }
    }

    qelImgParamValue params[QELIMG_PARAM_COUNT] = {};
    qelImgBufferIOStream out{"out", 2};
    std::unique_ptr<qelImgBufferIOStream> stream;
    int m_count = 0;
};

TEST_F(ImgAFPIOCAEncoder, G4StripPassesThroughUnlessByteAlignmentIsAsked)
{
    ASSERT_TRUE(lrbtest::toolAvailable("tiffcp"));
    const Bytes g4 = containerData(fopImages(), 2);
    ASSERT_FALSE(g4.empty());
    size_t rowBytes = 0;
    const Bytes want = plainRows(writeFile("g4.tif", g4), &rowBytes);
    ASSERT_EQ(rowBytes, 38u);

    struct Case
    {
        int byteAlign;
        int width;
        int recording;
        bool passedThrough;
    } cases[] = {{0, 300, 4, true}, {1, 304, 1, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.byteAlign);
        params[QELIMG_PARAM_BYTE_ALIGN].setInt(c.byteAlign);
        qelImgAFPIOCAEncoder* encoder = nullptr;
        const Bytes segment = encode(g4, QELIMG_ENCODE_IOCA_G4, &encoder);
        std::unique_ptr<qelImgAFPIOCAEncoder> owned(encoder);
        qelImgAFPIOCAImage* image = encoder->getIOCAImage();
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->getCompression(), 3);
        EXPECT_EQ(image->getRecordingAlgorithm(), c.recording);
        EXPECT_EQ(image->getWidth(), c.width);
        EXPECT_EQ(encoder->getOutputInfo()->width, c.width);
        EXPECT_EQ(segment[18], 0x82);
        EXPECT_EQ(segment[19], c.recording);
        if (c.passedThrough) {
            qelImgTIFFDecoder decoder(g4.data(), static_cast<unsigned int>(g4.size()));
            unsigned char* data = nullptr;
            unsigned int length = 0;
            decoder.getEncodedData(&data, &length);
            std::unique_ptr<unsigned char[]> strip(data);
            EXPECT_EQ(Bytes(image->getImageData(), image->getImageData() + image->getImageDataLength()),
                      Bytes(data, data + length));
        }
        const Pixels got = decompress(segment);
        EXPECT_EQ(got.width, c.width);
        expectSameColumns(got, want, rowBytes, 300, 150);
    }
}

TEST_F(ImgAFPIOCAEncoder, BlackIsZeroSourceIsReencodedInverted)
{
    ASSERT_TRUE(lrbtest::toolAvailable("tiffcp"));
    ASSERT_TRUE(lrbtest::toolAvailable("tiffset"));
    const std::string g4 = writeFile("g4.tif", containerData(fopImages(), 2));
    const std::string raw = m_dir + "/raw.tif", bz = m_dir + "/bz.tif";
    // The same bits declared BlackIsZero, then coded G4 again.
    ASSERT_EQ(lrbtest::run("tiffcp -c none " + lrbtest::shellQuote(g4) + " " + lrbtest::shellQuote(raw)).status, 0);
    ASSERT_EQ(lrbtest::run("tiffset -s 262 1 " + lrbtest::shellQuote(raw)).status, 0);
    ASSERT_EQ(lrbtest::run("tiffcp -c g4 " + lrbtest::shellQuote(raw) + " " + lrbtest::shellQuote(bz)).status, 0);
    const Bytes tiff = lrbtest::readFile(bz);
    {
        qelImgTIFFDecoder probe(tiff.data(), static_cast<unsigned int>(tiff.size()));
        ASSERT_EQ(probe.getInfo()->photometric, 1) << "the checker made no BlackIsZero TIFF";
        ASSERT_EQ(probe.getInfo()->compression, 3);
    }
    size_t rowBytes = 0;
    // Black pixels of the source, as a set bit: the inverse of BlackIsZero samples.
    Bytes want = plainRows(bz, &rowBytes);
    for (unsigned char& b : want)
        b = static_cast<unsigned char>(~b);
    params[QELIMG_PARAM_BYTE_ALIGN].setInt(0);
    LoggerScope scope(3);
    qelImgAFPIOCAEncoder* encoder = nullptr;
    const Bytes segment = encode(tiff, QELIMG_ENCODE_IOCA_G4, &encoder);
    std::unique_ptr<qelImgAFPIOCAEncoder> owned(encoder);
    EXPECT_NE(scope.logger.lines.find("Source Image photometric is \"Black is zero\""), std::string::npos);
    EXPECT_EQ(encoder->getIOCAImage()->getRecordingAlgorithm(), 1);
    EXPECT_EQ(encoder->getIOCAImage()->getWidth(), 304);
    expectSameColumns(decompress(segment), want, rowBytes, 300, 150);
}

TEST_F(ImgAFPIOCAEncoder, ColourBecomesJpegAndOtherDepthsAreRefused)
{
    ASSERT_TRUE(lrbtest::toolAvailable("djpeg"));
    Bytes bmp = lrbtest::readFile(imageFixture("bmp24.bmp"));
    struct Case
    {
        int colorSpace;
        int bits;
        const char* header;
    } cases[] = {{0, 8, "P5\n37 48\n"}, {3, 24, "P6\n37 48\n"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.colorSpace);
        qelImgProcessor in(bmp.data(), static_cast<unsigned int>(bmp.size()));
        qelImgBufferIOStream s("jpeg", 2);
        qelImgAFPIOCAEncoder encoder(&s);
        encoder.setEncodeType(QELIMG_ENCODE_IOCA);
        params[QELIMG_PARAM_COLOR_SPACE].setInt(c.colorSpace);
        encoder.initialize(params, in.getInfo());
        encoder.encode(in.getDIBData());
        encoder.finalize();
        qelImgAFPIOCAImage* image = encoder.getIOCAImage();
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->getCompression(), 9);
        EXPECT_EQ(image->getBitsPerPixel(), c.bits);
        const std::string path = writeFile("fs11-" + std::to_string(c.colorSpace) + ".jpg",
                                           Bytes(image->getImageData(),
                                                 image->getImageData() + image->getImageDataLength()));
        EXPECT_EQ(lrbtest::run("djpeg -pnm " + lrbtest::shellQuote(path) + " | head -c 9").output, c.header);
        const Bytes segment = taken(s);
        EXPECT_EQ(segment[18], 0x83);
        EXPECT_EQ(segment[23], c.bits);
    }

    qelImgInfo four;
    four.bitsPerPixel = 4;
    qelImgAFPIOCAEncoder encoder(&out);
    EXPECT_EQ(thrown([&] { encoder.initialize(params, &four); }).message,
              "OIL045: Images with \"4\" Bits/Pixel can not converted to AFP IOCA");

    // An 8-bit source as G4 needs a 1-bit conversion first.
    Bytes grey = lrbtest::readFile(imageFixture("bmp8.bmp"));
    qelImgProcessor in(grey.data(), static_cast<unsigned int>(grey.size()));
    qelImgAFPIOCAEncoder g4(&out);
    g4.setEncodeType(QELIMG_ENCODE_IOCA_G4);
    g4.initialize(params, in.getInfo());
    EXPECT_EQ(thrown([&] { g4.encode(in.getDIBData()); }).id, 45);
}

TEST_F(ImgAFPIOCAEncoder, FailuresKeepTheLibraryAndFinalizeWithoutRecordWritesNothing)
{
    qelImgAFPIOCAEncoder encoder(&out);
    EXPECT_EQ(thrown([&] { encoder.encode(static_cast<qelImgDecoder*>(nullptr)); }).id, 24);
    const Bytes g4 = containerData(fopImages(), 2);
    qelImgTIFFDecoder decoder(g4.data(), static_cast<unsigned int>(g4.size()));
    EXPECT_EQ(thrown([&] { encoder.encode(&decoder); }).id, 5);
    encoder.finalize();
    EXPECT_TRUE(taken(out).empty());

    // A JPEG line-mode start the JPEG encoder refuses: only the encoder's
    // own objects go.
    qelImgInfo rgb;
    rgb.bitsPerPixel = 24;
    rgb.width = 4;
    rgb.height = 2;
    params[QELIMG_PARAM_COLOR_SPACE].setInt(2);
    qelImgAFPIOCAEncoder line(&out);
    EXPECT_EQ(thrown([&] { line.initializeLineMode(params, &rgb, true); }).id, 25);
    EXPECT_TRUE(qelImgProcessor::isInitialized());
}

TEST_F(ImgAFPIOCAEncoder, LineModeRowsBecomeOneG4Image)
{
    qelImgInfo info;
    info.width = 20;
    info.height = 4;
    params[QELIMG_PARAM_IOCA_WRAPPER].setInt(1);
    qelImgAFPIOCAEncoder encoder(&out);
    encoder.setEncodeType(QELIMG_ENCODE_IOCA_G4);
    encoder.initializeLineMode(params, &info, true);
    EXPECT_EQ(encoder.getOutputInfo()->width, 24);
    unsigned char rows[4][3] = {{0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00}, {0x00, 0x00, 0xF0}, {0x81, 0x81, 0x80}};
    for (auto& r : rows)
        encoder.writeLine(r, 3);
    encoder.finalize();
    const Bytes object = taken(out);
    ASSERT_GT(object.size(), 60u);
    // Begin Image Object ... Image Picture Data: the segment follows its 9-byte introducer.
    size_t at = 0;
    for (int i = 0; i < 6; ++i)
        at += 1 + static_cast<size_t>(object[at + 1] << 8 | object[at + 2]);
    ASSERT_EQ(object[at + 4], 0xEE);
    const size_t length = static_cast<size_t>(object[at + 1] << 8 | object[at + 2]);
    const Pixels got = decompress(Bytes(object.begin() + static_cast<long>(at + 9),
                                        object.begin() + static_cast<long>(at + 1 + length)));
    EXPECT_EQ(got.width, 24);
    expectSameColumns(got, Bytes(&rows[0][0], &rows[0][0] + 12), 3, 24, 4);
}

} // namespace

namespace {

// A WhiteIsZero CCITT TIFF of 10 x 7 written with libtiff.
Bytes ccittTiff(const std::string& path, uint16_t compression)
{
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (!tif)
        return {};
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 10u);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 7u);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 7u);
    for (uint32_t y = 0; y < 7; ++y) {
        unsigned char row[2] = {static_cast<unsigned char>(0x80 >> y), static_cast<unsigned char>(y % 2 ? 0xC0 : 0)};
        TIFFWriteScanline(tif, row, y, 0);
    }
    TIFFClose(tif);
    return lrbtest::readFile(path);
}

TEST_F(ImgAFPIOCAEncoder, RecordingAlgorithmAndAlignmentOfSmallPages)
{
    struct Case
    {
        const char* name;
        uint16_t compression; // 0: the uncompressed BlackIsZero fixture
        int byteAlign;
        int compressionCode;
        int recording;
        int width;
        bool decodable; // the IOCA library reads the segment back
    } cases[] = {
        // The IOCA library does not read the EOL-coded strips libtiff writes for G3.
        {"G3 passed through unpadded", COMPRESSION_CCITTFAX3, 0, 1, 4, 10, false},
        {"G3 byte aligned becomes G4", COMPRESSION_CCITTFAX3, 1, 3, 1, 16, true},
        {"G4 passed through", COMPRESSION_CCITTFAX4, 0, 3, 4, 10, true},
        {"uncompressed always G4", 0, 0, 3, 1, 16, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes tiff = c.compression ? ccittTiff(m_dir + "/" + std::to_string(c.compression) + ".tif", c.compression)
                                         : lrbtest::readFile(imageFixture("b10.tif"));
        ASSERT_FALSE(tiff.empty());
        params[QELIMG_PARAM_BYTE_ALIGN].setInt(c.byteAlign);
        qelImgAFPIOCAEncoder* encoder = nullptr;
        const Bytes segment = encode(tiff, QELIMG_ENCODE_IOCA, &encoder);
        std::unique_ptr<qelImgAFPIOCAEncoder> owned(encoder);
        ASSERT_NE(encoder->getIOCAImage(), nullptr);
        EXPECT_EQ(encoder->getIOCAImage()->getCompression(), c.compressionCode);
        EXPECT_EQ(encoder->getIOCAImage()->getRecordingAlgorithm(), c.recording);
        EXPECT_EQ(encoder->getOutputInfo()->width, c.width);
        EXPECT_EQ(segment[18], c.compressionCode == 1 ? 0x80 : 0x82);
        EXPECT_EQ(segment[19], c.recording);
        if (!c.decodable)
            continue;
        const Pixels got = decompress(segment);
        EXPECT_EQ(got.result, 0);
        EXPECT_EQ(got.width, c.width);
    }
}

} // namespace
