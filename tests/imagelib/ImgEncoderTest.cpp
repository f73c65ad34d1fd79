#include "CxImage.h"
#include "CxMemFile.h"
#include "ImgTestSupport.h"
#include "ScratchTest.h"
#include "ShellCommand.h"
#include "qelImgBufferIOStream.h"
#include "qelImgCCITTEncoder.h"
#include "qelImgCxEncoder.h"
#include "qelImgDIB.h"
#include "qelImgDIBDecoder.h"
#include "qelImgDIBEncoder.h"
#include "qelImgDIBHeader.h"
#include "qelImgDIBUtils.h"
#include "qelImgFlateEncoder.h"
#include "qelImgInfo.h"
#include "qelImgJPEGEncoder.h"
#include "qelImgParamValue.h"
#include "qelImgRawDataDecoder.h"
#include "qelImgTIFFProcessor.h"
#include "qelImgTypes.h"
#include "qelImgUtils.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace imgtest;
using lrbtest::Bytes;

namespace {

class ImgEncoder : public lrbtest::ScratchTest
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

    static Bytes written(qelImgIOStream& stream)
    {
        char* data = nullptr;
        unsigned int size = 0;
        stream.getBuffer(&data, &size, false);
        Bytes b(data, data + size);
        delete[] data;
        return b;
    }

    qelImgParamValue params[QELIMG_PARAM_COUNT];
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

Bytes block(const qelImgDIB* dib)
{
    return Bytes(dib->buffer, dib->buffer + qelImgDIBUtils::getDIBSize(dib));
}

// ------------------------------------------------------------- CxImage

TEST_F(ImgEncoder, CxOutputsDecodeBackToTheSourcePixels)
{
    struct Target
    {
        int type;
        const char* name;
    } targets[] = {{QELIMG_IMAGETYPE_BMP, "BMP"}, {QELIMG_IMAGETYPE_PNG, "PNG"}, {QELIMG_IMAGETYPE_PCX, "PCX"},
                   {QELIMG_IMAGETYPE_GIF, "GIF"}};
    for (const char* source : {"bmp1.bmp", "bmp4.bmp", "png-pal.png", "png-gray.png", "bmp24.bmp"}) {
        Bytes data = lrbtest::readFile(imageFixture(source));
        qelImgProcessor in(data.data(), static_cast<unsigned int>(data.size()));
        qelImgDIB* dib = in.getDIBData();
        const Bytes before = block(dib);
        const std::string pixels = dibRGB(dib);
        for (const Target& t : targets) {
            SCOPED_TRACE(std::string(source) + " as " + t.name);
            if (t.type == QELIMG_IMAGETYPE_GIF && dib->header->biBitCount > 8)
                continue;
            qelImgBufferIOStream out("out", 2);
            qelImgCxEncoder encoder(&out, t.type);
            params[QELIMG_PARAM_SWAP_RGB].setInt(1);
            encoder.initialize(params, in.getInfo());
            encoder.encode(dib);
            encoder.finalize();
            // The caller's bitmap is left as it was.
            EXPECT_EQ(block(dib), before);
            Bytes bytes = written(out);
            qelImgProcessor back(bytes.data(), static_cast<unsigned int>(bytes.size()));
            EXPECT_EQ(back.getInfo()->type, t.type);
            EXPECT_EQ(dibRGB(back.getDIBData()), pixels);
        }
    }
}

TEST_F(ImgEncoder, CxTwentyFourBitsWithoutSwapExchangeRedAndBlue)
{
    Bytes data = lrbtest::readFile(imageFixture("png-rgb.png"));
    qelImgProcessor in(data.data(), static_cast<unsigned int>(data.size()));
    std::string swapped = dibRGB(in.getDIBData());
    for (size_t i = 0; i < swapped.size(); i += 3)
        std::swap(swapped[i], swapped[i + 2]);
    qelImgBufferIOStream out("out", 2);
    qelImgCxEncoder encoder(&out);
    EXPECT_EQ(encoder.getTargetFormat(), QELIMG_IMAGETYPE_PNG);
    encoder.initialize(params, in.getInfo());
    encoder.encode(in.getDIBData());
    Bytes bytes = written(out);
    qelImgProcessor back(bytes.data(), static_cast<unsigned int>(bytes.size()));
    EXPECT_EQ(dibRGB(back.getDIBData()), swapped);
}

TEST_F(ImgEncoder, CxOutputsPassTheCheckers)
{
    ASSERT_TRUE(lrbtest::toolAvailable("pngcheck"));
    ASSERT_TRUE(lrbtest::toolAvailable("mutool"));
    Bytes data = lrbtest::readFile(imageFixture("bmp24.bmp"));
    qelImgProcessor in(data.data(), static_cast<unsigned int>(data.size()));
    struct Case
    {
        int type;
        const char* file;
        const char* check;
    } cases[] = {
        {QELIMG_IMAGETYPE_PNG, "out.png", "pngcheck "},
        {QELIMG_IMAGETYPE_BMP, "out.bmp", "mutool draw -q -o /dev/null "},
        {QELIMG_IMAGETYPE_GIF, "out.gif", "mutool draw -q -o /dev/null "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        qelImgBufferIOStream out("out", 2);
        qelImgCxEncoder encoder(&out, c.type);
        params[QELIMG_PARAM_SWAP_RGB].setInt(1);
        encoder.initialize(params, in.getInfo());
        // No earlier bitmap: the decoder's decoded page is encoded.
        encoder.encode(in.getDecoder());
        encoder.finalize();
        const std::string path = writeFile(c.file, written(out));
        const auto result = lrbtest::run(std::string(c.check) + lrbtest::shellQuote(path));
        EXPECT_EQ(result.status, 0) << result.output;
    }
}

TEST_F(ImgEncoder, CxGifOfDeeperBitmapsUsesAnExactTableForGreys)
{
    // 24-bit pixels of 256 greys: exact; of many colours: near.
    for (int colourful = 0; colourful < 2; ++colourful) {
        std::unique_ptr<qelImgDIB> dib(qelImgDIBUtils::createDIBFromData(32, 16, 24, 96, 96, 0, nullptr, 0));
        for (int i = 0; i < 32 * 16; ++i) {
            unsigned char* p = dib->bits + 3 * i;
            p[0] = static_cast<unsigned char>(i);
            p[1] = static_cast<unsigned char>(colourful ? i * 7 : i);
            p[2] = static_cast<unsigned char>(colourful ? i / 2 : i);
        }
        qelImgBufferIOStream out("out", 2);
        qelImgCxEncoder encoder(&out, QELIMG_IMAGETYPE_GIF);
        params[QELIMG_PARAM_SWAP_RGB].setInt(1);
        qelImgDIBDecoder wrap(dib->buffer, static_cast<unsigned int>(qelImgDIBUtils::getDIBSize(dib.get())));
        encoder.initialize(params, wrap.getInfo());
        encoder.encode(dib.get());
        Bytes bytes = written(out);
        qelImgProcessor back(bytes.data(), static_cast<unsigned int>(bytes.size()));
        EXPECT_EQ(back.getInfo()->bitsPerPixel, 8);
        const std::string got = dibRGB(back.getDIBData());
        const std::string want(reinterpret_cast<const char*>(dib->bits), 32 * 16 * 3);
        if (!colourful) {
            EXPECT_EQ(got, want);
            continue;
        }
        int worst = 0;
        for (size_t i = 0; i < got.size(); ++i)
            worst = std::max(worst, std::abs(int(static_cast<unsigned char>(got[i])) -
                                             int(static_cast<unsigned char>(want[i]))));
        EXPECT_LE(worst, 64);
    }
}

TEST_F(ImgEncoder, CxRefusalsAndFacadeStream)
{
    qelImgBufferIOStream out("out", 2);
    qelImgCxEncoder encoder(&out, QELIMG_IMAGETYPE_BMP);
    EXPECT_EQ(encoder.typeId(), 8);
    EXPECT_EQ(thrown([&] { encoder.writeLine(nullptr, 0); }).message,
              "OIL026: writeLine() not implemented for qelImgCxEncoder");
    EXPECT_EQ(encoder.writeColorTable(nullptr, 0), 0);
    EXPECT_EQ(encoder.encode(static_cast<qelImgDIB*>(nullptr)), 0);
    LoggerScope scope(3);
    encoder.finalize();
    EXPECT_NE(scope.logger.lines.find("qelImgCxEncoder::finalize() Error: Cx encoder not initialized"),
              std::string::npos);
    // A bitmap the codec cannot take: the error passes, the library stays.
    std::unique_ptr<qelImgDIB> dib(qelImgDIBUtils::createDIBFromData(4, 2, 8, 96, 96, 0, nullptr, 0));
    dib->header->biWidth = 0;
    EXPECT_EQ(thrown([&] { encoder.encode(dib.get()); }).id, 56);
    EXPECT_TRUE(qelImgProcessor::isInitialized());
    EXPECT_EQ(qelImgProcessor::getLogger(), &scope.logger);

    const struct
    {
        QELIMG_ENCODETYPE type;
        int typeId;
    } streams[] = {{QELIMG_ENCODE_PNG, 8}, {QELIMG_ENCODE_GIF, 8}, {QELIMG_ENCODE_BMP, 8},
                   {QELIMG_ENCODE_PCX, 8}, {QELIMG_ENCODE_JPEG, 1}, {QELIMG_ENCODE_FLATE, 7},
                   {QELIMG_ENCODE_TIFF_UNCOMPRESSED, 5}, {QELIMG_ENCODE_TIFF_G3_1D, 5}, {QELIMG_ENCODE_TIFF_G3_2D, 5},
                   {QELIMG_ENCODE_TIFF_G4, 5}, {QELIMG_ENCODE_TIFF_JPEG, 5}, {QELIMG_ENCODE_TIFF_LZW, 5},
                   {QELIMG_ENCODE_TIFF_PACKBITS, 5}};
    for (const auto& s : streams) {
        qelImgProcessor p(&out, s.type);
        std::unique_ptr<qelImgEncoder> e(qelImgUtils::createEncoder(s.type, &out));
        EXPECT_EQ(e->typeId(), s.typeId);
        EXPECT_EQ(e->getEncodeType(), s.type);
    }
    for (QELIMG_ENCODETYPE t : {QELIMG_ENCODE_DIB, QELIMG_ENCODE_CCITT_G3, QELIMG_ENCODE_CCITT_G4}) {
        EXPECT_EQ(thrown([&] { qelImgProcessor p(&out, t); }).id, 9);
        std::unique_ptr<qelImgEncoder> e(qelImgUtils::createEncoder(t, &out));
        EXPECT_EQ(e->getEncodeType(), t);
    }
}

// ---------------------------------------------------------------- JPEG

std::string command(const std::string& c)
{
    return lrbtest::run(c).output;
}

TEST_F(ImgEncoder, JpegOfATwentyFourBitBitmapCarriesTheResolutionParameters)
{
    Bytes data = lrbtest::readFile(imageFixture("bmp24.bmp"));
    qelImgProcessor in(data.data(), static_cast<unsigned int>(data.size()));
    qelImgBufferIOStream out("out", 2);
    qelImgJPEGEncoder encoder(&out);
    EXPECT_EQ(encoder.typeId(), 1);
    params[QELIMG_PARAM_COLOR_SPACE].setInt(3);
    params[QELIMG_PARAM_JPEG_QUALITY].setInt(90);
    params[QELIMG_PARAM_X_RESOLUTION].setInt(200);
    params[QELIMG_PARAM_Y_RESOLUTION].setInt(150);
    encoder.setParameters(params, nullptr);
    encoder.encode(in.getDIBData());
    encoder.finalize();
    const std::string path = writeFile("out.jpg", written(out));
    EXPECT_EQ(command("djpeg -pnm " + path + " | head -c 11"), "P6\n37 48\n25");
    const std::string verbose = command("djpeg -verbose -verbose -outfile /dev/null " + path);
    EXPECT_NE(verbose.find("density 200x150  1"), std::string::npos) << verbose;
}

TEST_F(ImgEncoder, JpegDepthChecksAgainstTheColourSpace)
{
    Bytes mono = lrbtest::readFile(imageFixture("bmp1.bmp"));
    qelImgProcessor in(mono.data(), static_cast<unsigned int>(mono.size()));
    {
        qelImgBufferIOStream out("out", 2);
        qelImgJPEGEncoder e(&out);
        EXPECT_EQ(thrown([&] { e.initialize(params, in.getInfo()); }).message,
                  "OIL025: JPEG compression failed: One bit per pixel image can not be compressed using jpeg ");
    }
    {
        // Through the palette as RGB rows.
        qelImgBufferIOStream out("out", 2);
        qelImgJPEGEncoder e(&out);
        params[QELIMG_PARAM_DECODE_PALETTE_AS_RGB].setInt(1);
        params[QELIMG_PARAM_COLOR_SPACE].setInt(1);
        qelImgDecoder* d = in.getDecoder();
        e.setParameters(params, nullptr);
        e.encode(d);
        e.finalize();
        const std::string path = writeFile("mono.jpg", written(out));
        EXPECT_EQ(command("djpeg -pnm " + path + " | head -c 9"), "P6\n37 48\n");
        params[QELIMG_PARAM_DECODE_PALETTE_AS_RGB].setInt(0);
    }
    struct Case
    {
        int space;
        int bits;
        const char* message;
    } cases[] = {
        {2, 24, "OIL025: JPEG compression failed: Invalid bits per pixel (24) given for CMYK colorSpace"},
        {1, 8, "OIL025: JPEG compression failed: Invalid bits per pixel (8) given for RGB colorSpace"},
        {0, 4, "OIL025: JPEG compression failed: Invalid bits per pixel (4) given for Gray Scale colorSpace"},
        {3, 4, ""},
    };
    for (const Case& c : cases) {
        qelImgInfo info;
        info.width = 4;
        info.height = 4;
        info.bitsPerPixel = c.bits;
        params[QELIMG_PARAM_COLOR_SPACE].setInt(c.space);
        qelImgJPEGEncoder e(nullptr);
        EXPECT_EQ(thrown([&] { e.initialize(params, &info); }).message, c.message);
    }
    // CMYK from 32-bit rows: four components.
    const Bytes cmyk = [] {
        qelImgDIBHeader h;
        std::memset(&h, 0, sizeof h);
        h.biSize = 40;
        h.biWidth = 2;
        h.biHeight = 1;
        h.biPlanes = 1;
        h.biBitCount = 32;
        Bytes b(reinterpret_cast<unsigned char*>(&h), reinterpret_cast<unsigned char*>(&h) + 40);
        for (int i = 0; i < 8; ++i)
            b.push_back(static_cast<unsigned char>(i * 30));
        return b;
    }();
    qelImgDIBDecoder d(cmyk.data(), static_cast<unsigned int>(cmyk.size()));
    qelImgBufferIOStream out("out", 2);
    qelImgJPEGEncoder e(&out);
    params[QELIMG_PARAM_COLOR_SPACE].setInt(2);
    e.setParameters(params, nullptr);
    e.encode(&d);
    e.finalize();
    const std::string path = writeFile("cmyk.jpg", written(out));
    EXPECT_NE(command("djpeg -verbose -outfile /dev/null " + path).find("components=4"), std::string::npos);
}

TEST_F(ImgEncoder, JpegOutputHeightAndRowsMissing)
{
    // 10 x 300 grey rows, Output Height 100: 100 rows written.
    std::vector<unsigned char> rows(10 * 300, 0x80);
    qelImgInfo info;
    info.width = 10;
    info.height = 300;
    info.bitsPerPixel = 8;
    params[QELIMG_PARAM_COLOR_SPACE].setInt(0);
    qelImgRawDataDecoder raw(&info, rows.data(), static_cast<int>(rows.size()), nullptr);
    {
        qelImgBufferIOStream out("out", 2);
        qelImgJPEGEncoder e(&out);
        params[QELIMG_PARAM_OUTPUT_HEIGHT].setInt(100);
        e.setParameters(params, nullptr);
        e.encode(&raw);
        e.finalize();
        const std::string path = writeFile("h100.jpg", written(out));
        EXPECT_EQ(command("djpeg -pnm " + path + " | head -c 10"), "P5\n10 100\n");
        params[QELIMG_PARAM_OUTPUT_HEIGHT].setInt(0);
    }
    // A decoder that runs out: the stream is abandoned and finalize fails,
    // naming the rows written, after its trace line.
    qelImgRawDataDecoder shortRaw(&info, rows.data(), 10 * 120, nullptr);
    qelImgBufferIOStream out("out", 2);
    qelImgJPEGEncoder e(&out);
    LoggerScope scope(3);
    e.setParameters(params, nullptr);
    const Thrown during = thrown([&] { e.encode(&shortRaw); });
    EXPECT_EQ(during.id, 55);
    // The library keeps its state: only the encoder's own objects went.
    EXPECT_TRUE(qelImgProcessor::isInitialized());
    EXPECT_EQ(qelImgProcessor::getLogger(), &scope.logger);
    EXPECT_EQ(thrown([&] { e.finalize(); }).id, 64);

    qelImgRawDataDecoder again(&info, rows.data(), static_cast<int>(rows.size()), nullptr);
    qelImgJPEGEncoder f(&out);
    f.initialize(params, &info);
    std::vector<unsigned char> row(10, 0x40);
    for (int i = 0; i < 120; ++i)
        f.writeLine(row.data(), 10);
    const Thrown t = thrown([&] { f.finalize(); });
    EXPECT_EQ(t.message, "OIL025: JPEG compression failed: Only 120 of 300 lines were written");
    EXPECT_NE(scope.logger.lines.find("Image height=>300. Only 120 lines are process and written to output."),
              std::string::npos);
}

// --------------------------------------------------------------- CCITT

TEST_F(ImgEncoder, CcittStripOfAWhitePageDecodesWhiteOrBlackWhenInverted)
{
    ASSERT_TRUE(lrbtest::toolAvailable("tiffcp"));
    std::unique_ptr<qelImgDIB> white(qelImgDIBUtils::createDIBFromData(1728, 10, 1, 200, 200, 0, nullptr, 0));
    std::memset(white->bits, 0, white->header->biSizeImage);
    struct Case
    {
        int type;
        bool viaDecoder;
        bool invert;
        unsigned char expected;
    } cases[] = {
        {QELIMG_ENCODE_CCITT_G4, false, false, 0x00},
        {QELIMG_ENCODE_CCITT_G4, true, false, 0x00},
        {QELIMG_ENCODE_CCITT_G4, true, true, 0xFF},
        {QELIMG_ENCODE_CCITT_G3, true, false, 0x00},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n);
        qelImgBufferIOStream out("out", 2);
        std::unique_ptr<qelImgEncoder> encoder(qelImgUtils::createEncoder(c.type, &out));
        auto* ccitt = dynamic_cast<qelImgCCITTEncoder*>(encoder.get());
        ASSERT_NE(ccitt, nullptr);
        EXPECT_EQ(ccitt->typeId(), 2);
        qelImgDIBDecoder source(white->buffer, static_cast<unsigned int>(qelImgDIBUtils::getDIBSize(white.get())));
        ccitt->initialize(params, source.getInfo());
        ccitt->setInvert(c.invert);
        if (c.viaDecoder)
            ccitt->encode(&source);
        else
            ccitt->encode(white.get());
        ccitt->finalize();
        const Bytes strip = written(out);
        ASSERT_GT(strip.size(), 0u);
        EXPECT_LT(strip.size(), 200u);
        EXPECT_NE(Bytes(strip.begin(), strip.begin() + 2), (Bytes{'I', 'I'}));
        unsigned char* header = nullptr;
        int length = 0;
        if (c.type == QELIMG_ENCODE_CCITT_G4)
            qelImgTIFFProcessor::createTIFFHeader(1728, 10, 1, 4, 0, 1, 1, 200, 200, static_cast<int>(strip.size()),
                                                  &header, &length, nullptr);
        else
            qelImgTIFFProcessor::createG3TIFFHeader(1728, 10, 1, 0, 0, 0, 1, 1, 200, 200,
                                                    static_cast<int>(strip.size()), &header, &length);
        Bytes tiff(header, header + length);
        delete[] header;
        tiff.insert(tiff.end(), strip.begin(), strip.end());
        const std::string in = writeFile("in" + std::to_string(n) + ".tif", tiff);
        const std::string plain = m_dir + "/plain" + std::to_string(n) + ".tif";
        const auto result = lrbtest::run("tiffcp -c none " + in + " " + plain);
        ASSERT_EQ(result.status, 0) << result.output;
        size_t rowBytes = 0;
        const Bytes pixels = tiffPixels(plain, 0, &rowBytes);
        EXPECT_EQ(rowBytes, 216u);
        EXPECT_EQ(pixels, Bytes(216 * 10, c.expected));
        ++n;
    }
}

TEST_F(ImgEncoder, CcittRefusals)
{
    qelImgBufferIOStream out("out", 2);
    qelImgCCITTEncoder e(&out);
    qelImgInfo info;
    info.width = 8;
    info.height = 2;
    info.bitsPerPixel = 8;
    EXPECT_EQ(thrown([&] { e.initialize(params, &info); }).message,
              "OIL045: Images with \"8\" Bits/Pixel can not converted to CCITT");
    std::unique_ptr<qelImgDIB> dib(qelImgDIBUtils::createDIBFromData(8, 2, 1, 200, 200, 0, nullptr, 0));
    qelImgDIBDecoder d(dib->buffer, static_cast<unsigned int>(qelImgDIBUtils::getDIBSize(dib.get())));
    EXPECT_EQ(thrown([&] { e.encode(&d); }).message, "OIL064: CCITT Encoder is not initialized.");
    EXPECT_EQ(thrown([&] { e.encode(static_cast<qelImgDecoder*>(nullptr)); }).id, 24);
    EXPECT_EQ(thrown([&] { e.writeLine(dib->bits, 1); }).id, 46);
    e.finalize();
    EXPECT_EQ(written(out).size(), 0u);
}

// ----------------------------------------------------------------- DIB

TEST_F(ImgEncoder, DibEncoderAssemblesAnAttachableBlock)
{
    qelImgBufferIOStream out("out", 2);
    qelImgDIBEncoder e(&out);
    EXPECT_EQ(e.typeId(), 0);
    qelImgInfo info;
    info.width = 10;
    info.height = 3;
    info.bitsPerPixel = 1;
    params[QELIMG_PARAM_X_RESOLUTION].setInt(254);
    params[QELIMG_PARAM_Y_RESOLUTION].setInt(127);
    e.initialize(params, &info);
    EXPECT_EQ(out.getCapacity(), 54u);
    e.writeHeader();
    EXPECT_EQ(e.writeMonoColorTable(), 0);
    const unsigned char rows[3][2] = {{0xFF, 0xC0}, {0x80, 0x40}, {0x00, 0x00}};
    for (const auto& r : rows)
        e.writeLine(const_cast<unsigned char*>(r), 2);
    e.finalize();
    Bytes bytes = written(out);
    ASSERT_EQ(bytes.size(), 54u);
    auto* copy = new unsigned char[bytes.size()];
    std::memcpy(copy, bytes.data(), bytes.size());
    std::unique_ptr<qelImgDIB> dib(qelImgDIBUtils::attachDIB(copy));
    EXPECT_EQ(dib->header->biWidth, 10);
    EXPECT_EQ(dib->header->biHeight, 3);
    EXPECT_EQ(dib->header->biBitCount, 1);
    EXPECT_EQ(dib->header->biClrUsed, 0u);
    EXPECT_EQ(dib->header->biXPelsPerMeter, 10000);
    EXPECT_EQ(qelImgDIBUtils::getPixel(dib.get(), 0, 0), 1);
    EXPECT_EQ(qelImgDIBUtils::getPixel(dib.get(), 9, 1), 1);
    EXPECT_EQ(qelImgDIBUtils::getPixel(dib.get(), 8, 1), 0);
    EXPECT_EQ(Bytes(dib->palette, dib->palette + 8), (Bytes{0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));

    // Whole blocks, and the header's depths.
    qelImgBufferIOStream whole("whole", 2);
    qelImgDIBEncoder w(&whole);
    w.initialize(params, &info);
    EXPECT_EQ(thrown([&] { w.encode(static_cast<qelImgDIB*>(nullptr)); }).id, 6);
    w.encode(dib.get());
    EXPECT_EQ(written(whole), bytes);
    const int depths[][2] = {{25, 32}, {32, 32}, {33, 4}, {17, 24}};
    for (const auto& d : depths) {
        std::unique_ptr<qelImgDIBHeader> h(qelImgDIBEncoder::createDIBHeader(4, 4, d[0], 300, 300));
        EXPECT_EQ(h->biBitCount, d[1]);
        EXPECT_EQ(h->biClrUsed, 0u);
    }
}

TEST_F(ImgEncoder, DibCodecRowOrderHeaderSizeAndTableCap)
{
    auto make = [](int height, uint32_t headerSize, uint32_t clrUsed, size_t tableEntries) {
        qelImgDIBHeader h;
        std::memset(&h, 0, sizeof h);
        h.biSize = headerSize;
        h.biWidth = 1;
        h.biHeight = height;
        h.biPlanes = 1;
        h.biBitCount = 8;
        h.biClrUsed = clrUsed;
        Bytes b(reinterpret_cast<unsigned char*>(&h), reinterpret_cast<unsigned char*>(&h) + 40);
        for (size_t i = 0; i < tableEntries; ++i)
            b.insert(b.end(), {static_cast<unsigned char>(i), 0, 0, 0});
        for (int r = 0; r < 5; ++r)
            b.push_back(static_cast<unsigned char>(r));
        return b;
    };
    for (int height : {5, -5}) {
        Bytes b = make(height, 40, 0, 256);
        CxMemFile file(b.data(), b.size());
        CxImage image(&file, QELIMG_DIB_FORMAT);
        ASSERT_TRUE(image.IsValid()) << image.GetLastError();
        EXPECT_EQ(image.GetHeight(), 5u);
        // Memory row 0: the block's first row, or its last after the flip.
        EXPECT_EQ(image.GetBits(0)[0], height > 0 ? 0 : 4);
        EXPECT_EQ(image.GetBits(4)[0], height > 0 ? 4 : 0);
    }
    Bytes core = make(5, 12, 0, 256);
    CxMemFile coreFile(core.data(), core.size());
    CxImage refused(&coreFile, QELIMG_DIB_FORMAT);
    EXPECT_FALSE(refused.IsValid());
    EXPECT_STREQ(refused.GetLastError(), "Not a DIB file");

    // A colours-used count beyond the depth reads 256 entries; one beyond
    // the block is refused.
    Bytes capped = make(5, 40, 5000, 256);
    CxMemFile cappedFile(capped.data(), capped.size());
    CxImage image(&cappedFile, QELIMG_DIB_FORMAT);
    ASSERT_TRUE(image.IsValid()) << image.GetLastError();
    EXPECT_EQ(image.GetNumColors(), 256u);
    EXPECT_EQ(image.GetBits(0)[0], 0);
    Bytes beyond = make(5, 40, 200, 10);
    CxMemFile beyondFile(beyond.data(), beyond.size());
    CxImage cut(&beyondFile, QELIMG_DIB_FORMAT);
    EXPECT_FALSE(cut.IsValid());
    EXPECT_STREQ(cut.GetLastError(), "DIB: colour table beyond the data");
    // The last error keeps at most 255 characters.
    cut.SetLastError(std::string(400, 'x').c_str());
    EXPECT_EQ(std::strlen(cut.GetLastError()), 255u);
}

// --------------------------------------------------------------- Flate

TEST_F(ImgEncoder, FlateRowsGiveAStreamTheCheckerInflates)
{
    ASSERT_TRUE(lrbtest::toolAvailable("zlib-flate"));
    qelImgInfo info;
    info.width = 4000;
    info.height = 1000;
    info.bitsPerPixel = 8;
    Bytes all;
    all.reserve(4000000);
    qelImgBufferIOStream out("out", 2);
    qelImgFlateEncoder e(&out);
    EXPECT_EQ(e.typeId(), 7);
    EXPECT_EQ(e.writeColorTable(nullptr, 0), 1);
    EXPECT_EQ(e.writeLine(nullptr, 0), -1);
    e.initialize(params, &info);
    std::vector<unsigned char> row(4000);
    uint32_t seed = 7;
    for (int y = 0; y < 1000; ++y) {
        for (size_t x = 0; x < row.size(); ++x) {
            seed = seed * 1103515245u + 12345u;
            row[x] = static_cast<unsigned char>((x / 16 + y) & 0xFF) ^ static_cast<unsigned char>((seed >> 28) & 1);
        }
        ASSERT_EQ(e.writeLine(row.data(), 4000), 1);
        all.insert(all.end(), row.begin(), row.end());
    }
    EXPECT_EQ(e.getOutputSize(), 4020u);
    e.finalize();
    const std::string path = writeFile("rows.zz", written(out));
    const std::string plain = m_dir + "/rows.raw";
    ASSERT_EQ(lrbtest::run("zlib-flate -uncompress < " + path + " > " + plain).status, 0);
    EXPECT_TRUE(lrbtest::readFile(plain) == all);

    // The decoder's stored data in one piece.
    unsigned char data[6] = {1, 2, 3, 4, 5, 6};
    qelImgInfo small;
    small.width = 3;
    small.height = 2;
    small.bitsPerPixel = 8;
    qelImgRawDataDecoder raw(&small, data, 6, nullptr);
    qelImgBufferIOStream whole("whole", 2);
    qelImgFlateEncoder f(&whole);
    f.encode(&raw);
    const std::string wpath = writeFile("whole.zz", written(whole));
    EXPECT_EQ(lrbtest::run("zlib-flate -uncompress < " + wpath).output, std::string("\1\2\3\4\5\6"));

    // No rows: nothing written.
    qelImgBufferIOStream none("none", 2);
    qelImgFlateEncoder g(&none);
    g.initialize(params, &small);
    g.finalize();
    EXPECT_EQ(written(none).size(), 0u);
}

} // namespace
