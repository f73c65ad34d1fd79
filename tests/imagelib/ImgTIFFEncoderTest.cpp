#include "ImgTestSupport.h"
#include "ScratchTest.h"
#include "ShellCommand.h"
#include "qelImgBufferIOStream.h"
#include "qelImgDIB.h"
#include "qelImgDIBDecoder.h"
#include "qelImgDIBHeader.h"
#include "qelImgDIBUtils.h"
#include "qelImgEncoder.h"
#include "qelImgInfo.h"
#include "qelImgJPEGDecoder.h"
#include "qelImgParamValue.h"
#include "qelImgRawDataDecoder.h"
#include "qelImgTIFFDecoder.h"
#include "qelImgTIFFEncoder.h"
#include "qelImgTypes.h"
#include "qelImgUtils.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <regex>
#include <string>
#include <vector>

using namespace imgtest;
using lrbtest::Bytes;

namespace {

using DIBPtr = std::unique_ptr<qelImgDIB>;

// One page to encode: a bitmap or a decoder, with the page's encode type.
struct Page
{
    qelImgDIB* dib;
    qelImgDecoder* decoder;
    int type;
};

int count(const std::string& text, const std::string& word)
{
    int n = 0;
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
        ++n;
    return n;
}

class ImgTIFFEncoder : public lrbtest::ScratchTest
{
protected:
    void SetUp() override
    {
        lrbtest::ScratchTest::SetUp();
        qelImgProcessor::initializeLibrary();
        qelImgUtils::setDefaultParameters(m_params);
        m_params[QELIMG_PARAM_SOFTWARE].setText("lorbane test");
        m_params[QELIMG_PARAM_KEYWORDS].setText("k1");
        m_params[QELIMG_PARAM_SUBJECT].setText("s1");
        m_params[QELIMG_PARAM_TITLE].setText("t1");
        m_params[QELIMG_PARAM_AUTHOR].setText("a1");
    }
    void TearDown() override
    {
        qelImgProcessor::setTempFileMode(0);
        qelImgProcessor::releaseLibraryResources();
        qelImgProcessor::finalizeLibrary();
        lrbtest::ScratchTest::TearDown();
    }

    // The bytes of a TIFF made by an encoder of the file and buffer factory
    // from the pages, one encode each, and one finalize.
    Bytes encodeTIFF(const std::vector<Page>& pages)
    {
        qelImgBufferIOStream out("out", 2);
        out.open();
        std::unique_ptr<qelImgEncoder> encoder(qelImgUtils::createEncoder(pages.front().type, &out));
        EXPECT_NE(dynamic_cast<qelImgTIFFEncoder*>(encoder.get()), nullptr);
        qelImgInfo info;
        encoder->initialize(m_params, &info);
        for (const Page& page : pages) {
            encoder->setEncodeType(page.type);
            if (page.dib)
                encoder->encode(page.dib);
            else
                encoder->encode(page.decoder);
        }
        encoder->finalize();
        char* data = nullptr;
        unsigned int size = 0;
        out.getBuffer(&data, &size, false);
        std::unique_ptr<char[]> owned(data);
        return Bytes(data, data + size);
    }

    std::string writeTIFF(const std::string& name, const std::vector<Page>& pages)
    {
        return writeFile(name, encodeTIFF(pages));
    }

    // RGB pixels of a page by tiff2rgba; rowBytes gets the row size.
    // tiff2rgba reads only a file's first page: tiffcp copies the page out
    // as it is stored.
    Bytes rgba(const std::string& path, int page, size_t* rowBytes)
    {
        const std::string single = m_dir + "/single.tif";
        const std::string out = m_dir + "/rgba.tif";
        std::remove(single.c_str());
        std::remove(out.c_str());
        const std::string command = "tiffcp " + lrbtest::shellQuote(path + "," + std::to_string(page)) + " " +
                                    lrbtest::shellQuote(single) + " && tiff2rgba -c none -n " +
                                    lrbtest::shellQuote(single) + " " + lrbtest::shellQuote(out);
        EXPECT_EQ(lrbtest::run(command).status, 0) << command;
        return tiffPixels(out, 0, rowBytes);
    }

    // Stored samples of a page, uncompressed by tiffcp.
    Bytes stored(const std::string& path, int page, size_t* rowBytes)
    {
        const std::string out = m_dir + "/plain.tif";
        const std::string command = "tiffcp -c none " + lrbtest::shellQuote(path + "," + std::to_string(page)) + " " +
                                    lrbtest::shellQuote(out);
        EXPECT_EQ(lrbtest::run(command).status, 0) << command;
        return tiffPixels(out, 0, rowBytes);
    }

    std::string tiffinfo(const std::string& path)
    {
        return lrbtest::run("tiffinfo -c " + lrbtest::shellQuote(path)).output;
    }

    qelImgParamValue m_params[QELIMG_PARAM_COUNT];
};

std::vector<unsigned char> greyTable()
{
    std::vector<unsigned char> table(1024);
    for (int i = 0; i < 256; ++i)
        table[4 * i] = table[4 * i + 1] = table[4 * i + 2] = static_cast<unsigned char>(i);
    return table;
}

// A 24-bit bitmap with a different colour in every pixel, or smooth
// ramps for lossy compression.
DIBPtr colourPicture(int width, int height, bool smooth = false)
{
    DIBPtr dib(qelImgDIBUtils::createDIBFromData(width, height, 24, 300, 300, 0, nullptr, 0));
    const int rowBytes = static_cast<int>(dib->header->biSizeImage) / height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned char* p = dib->bits + y * rowBytes + 3 * x;
            p[0] = static_cast<unsigned char>(x * 7);
            p[1] = static_cast<unsigned char>(y * 11);
            p[2] = static_cast<unsigned char>(smooth ? 128 : x * y);
        }
    return dib;
}

TEST_F(ImgTIFFEncoder, TwoPagesWithTagsAndOwnResolutions)
{
    std::vector<unsigned char> table(1024);
    for (int i = 0; i < 256; ++i)
        table[4 * i + 2] = static_cast<unsigned char>(i);
    DIBPtr pal(qelImgDIBUtils::createDIBFromData(16, 4, 8, 300, 200, 256, table.data(), 0));
    std::memset(pal->bits, 5, pal->header->biSizeImage);
    DIBPtr rgb(qelImgDIBUtils::createDIBFromData(8, 8, 24, 204, 98, 0, nullptr, 0));
    m_params[QELIMG_PARAM_COPYRIGHT].setText("c1");
    const std::string path =
        writeTIFF("two.tif", {{pal.get(), nullptr, QELIMG_ENCODE_TIFF_LZW}, {rgb.get(), nullptr, QELIMG_ENCODE_TIFF_LZW}});
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    ASSERT_TRUE(tif);
    EXPECT_EQ(TIFFNumberOfDirectories(tif), 2);
    for (int d = 0; d < 2; ++d) {
        ASSERT_TRUE(TIFFSetDirectory(tif, static_cast<tdir_t>(d)));
        EXPECT_EQ(TIFFNumberOfStrips(tif), 1u);
    }
    TIFFClose(tif);

    const std::string info = tiffinfo(path);
    EXPECT_EQ(count(info, "TIFF Directory at offset"), 2) << info;
    EXPECT_NE(info.find("Image Width: 16 Image Length: 4"), std::string::npos);
    EXPECT_NE(info.find("Rows/Strip: 4\n"), std::string::npos);
    EXPECT_NE(info.find("Rows/Strip: 8\n"), std::string::npos);
    // Each page its own vertical resolution.
    EXPECT_NE(info.find("Resolution: 300, 200 pixels/inch"), std::string::npos) << info;
    EXPECT_NE(info.find("Resolution: 204, 98 pixels/inch"), std::string::npos) << info;
    // The palette page's map: 256 entries of palette value x 256.
    EXPECT_EQ(count(info, "Color Map:"), 1);
    EXPECT_NE(info.find("\n     255: 65280     0     0\n"), std::string::npos) << info;
    EXPECT_NE(info.find("\n       1:   256     0     0\n"), std::string::npos) << info;
    EXPECT_EQ(count(info, "\n     255: "), 1);
    EXPECT_EQ(count(info, "\n     256: "), 0);
    EXPECT_EQ(count(info, "Compression Scheme: LZW"), 2);
    // Both pages carry the document tags, the date in the day-first form.
    EXPECT_EQ(count(info, "Software: lorbane test"), 2);
    EXPECT_EQ(count(info, "Copyright: c1"), 2);
    const std::regex stamp("DateTime: [0-3][0-9]\\.[01][0-9]\\.[0-9]{4} [0-2][0-9]:[0-5][0-9]:[0-6][0-9]\n");
    EXPECT_EQ(std::distance(std::sregex_iterator(info.begin(), info.end(), stamp), std::sregex_iterator()), 2) << info;

    const std::string dump = lrbtest::run("tiffdump " + lrbtest::shellQuote(path)).output;
    for (const char* text : {"667 (0x29b) ASCII (2) 12<Keywords=k1", "668 (0x29c) ASCII (2) 11<Subject=s1",
                             "669 (0x29d) ASCII (2) 9<Title=t1", "670 (0x29e) ASCII (2) 10<Author=a1"})
        EXPECT_EQ(count(dump, text), 2) << text << "\n" << dump;
    EXPECT_EQ(lrbtest::run("tiffcp -c none " + lrbtest::shellQuote(path) + " " + lrbtest::shellQuote(m_dir + "/c.tif"))
                  .status,
              0);
}

TEST_F(ImgTIFFEncoder, ShortPaletteLeavesTheRestOfTheMapZero)
{
    qelImgInfo info;
    info.width = 4;
    info.height = 2;
    info.bitsPerPixel = 8;
    info.bitsPerSample = 8;
    info.samplesPerPixel = 1;
    info.photometric = 3;
    info.colorCount = 3;
    // Blue, green, red, reserved.
    unsigned char palette[12] = {0, 0, 10, 0, 0, 20, 0, 0, 30, 0, 0, 0};
    unsigned char pixels[8] = {0, 1, 2, 1, 2, 1, 0, 0};
    qelImgRawDataDecoder decoder(&info, pixels, 8, palette);
    const std::string text = tiffinfo(writeTIFF("short.tif", {{nullptr, &decoder, QELIMG_ENCODE_TIFF_PACKBITS}}));
    EXPECT_NE(text.find("\n       0:  2560     0     0\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n       2:     0     0  7680\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n       3:     0     0     0\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n     255:     0     0     0\n"), std::string::npos) << text;
}

TEST_F(ImgTIFFEncoder, DevTestSoftwareDropsDateAndCopyright)
{
    DIBPtr rgb(qelImgDIBUtils::createDIBFromData(8, 8, 24, 300, 300, 0, nullptr, 0));
    const struct
    {
        const char* software;
        bool dated;
    } cases[] = {{"devtest", false}, {"DevTest", false}, {"DEVTEST", false}, {"devtest2", true}, {"lorbane", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.software);
        m_params[QELIMG_PARAM_SOFTWARE].setText(c.software);
        m_params[QELIMG_PARAM_COPYRIGHT].setText("c1");
        const std::string info = tiffinfo(writeTIFF("dev.tif", {{rgb.get(), nullptr, QELIMG_ENCODE_TIFF_PACKBITS}}));
        EXPECT_NE(info.find(std::string("Software: ") + c.software), std::string::npos) << info;
        EXPECT_EQ(info.find("DateTime:") != std::string::npos, c.dated) << info;
        EXPECT_EQ(info.find("Copyright: c1") != std::string::npos, c.dated) << info;
        EXPECT_NE(info.find("Keywords=k1"), std::string::npos) << info;
    }
}

TEST_F(ImgTIFFEncoder, BlackIsZeroPageIsWrittenInvertedAsWhiteIsZero)
{
    // Entry 0 black: the bitmap decodes as BlackIsZero.
    DIBPtr bw(qelImgDIBUtils::createDIBFromData(16, 6, 1, 300, 300, 2, nullptr, 1));
    for (unsigned int i = 0; i < bw->header->biSizeImage; ++i)
        bw->bits[i] = static_cast<unsigned char>(i * 37 + 1);
    const Bytes source(bw->bits, bw->bits + bw->header->biSizeImage);
    for (int type : {QELIMG_ENCODE_TIFF_G4, QELIMG_ENCODE_TIFF_LZW, QELIMG_ENCODE_TIFF_UNCOMPRESSED}) {
        SCOPED_TRACE(type);
        const std::string path = writeTIFF("biz.tif", {{bw.get(), nullptr, type}});
        EXPECT_NE(tiffinfo(path).find("Photometric Interpretation: min-is-white"), std::string::npos);
        size_t rowBytes = 0;
        const Bytes samples = stored(path, 0, &rowBytes);
        ASSERT_EQ(rowBytes, 2u);
        ASSERT_EQ(samples.size(), source.size());
        for (size_t i = 0; i < source.size(); ++i)
            ASSERT_EQ(samples[i], static_cast<unsigned char>(~source[i])) << i;
        // The bitmap itself is left alone.
        EXPECT_EQ(Bytes(bw->bits, bw->bits + bw->header->biSizeImage), source);
    }
}

TEST_F(ImgTIFFEncoder, FaxPagesOfEightBitSources)
{
    // Dithered rows are white where set: written WhiteIsZero, inverted.
    const std::vector<unsigned char> table = greyTable();
    const struct
    {
        int type;
        int dither;
        int grey;
        int black; // of 64 x 32
        const char* scheme;
        const char* options;
    } cases[] = {
        {QELIMG_ENCODE_TIFF_G3_2D, 0, 255, 0, "CCITT Group 3", "Group 3 Options: 2-d encoding (1 = 0x1)"},
        {QELIMG_ENCODE_TIFF_G3_1D, 1, 255, 0, "CCITT Group 3", nullptr},
        {QELIMG_ENCODE_TIFF_G4, 2, 0, 2048, "CCITT Group 4", nullptr},
        {QELIMG_ENCODE_TIFF_G4, 2, 255, 0, "CCITT Group 4", nullptr},
        // Bayer sets the pixels whose thresholds are below 128: half.
        {QELIMG_ENCODE_TIFF_G4, 3, 128, 1024, "CCITT Group 4", nullptr},
        // The clustered dot sets its two zero cells of every 8 x 8 at grey 0.
        {QELIMG_ENCODE_TIFF_G4, 0, 0, 2048 - 2 * 32, "CCITT Group 4", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + "/" + std::to_string(c.dither) + "/" + std::to_string(c.grey));
        DIBPtr grey(qelImgDIBUtils::createDIBFromData(64, 32, 8, 300, 300, 256, table.data(), 0));
        std::memset(grey->bits, c.grey, grey->header->biSizeImage);
        m_params[QELIMG_PARAM_DITHER_METHOD].setInt(c.dither);
        const std::string path = writeTIFF("fax.tif", {{grey.get(), nullptr, c.type}});
        const std::string info = tiffinfo(path);
        EXPECT_NE(info.find("Bits/Sample: 1\n"), std::string::npos) << info;
        EXPECT_NE(info.find("Photometric Interpretation: min-is-white"), std::string::npos) << info;
        EXPECT_NE(info.find(std::string("Compression Scheme: ") + c.scheme), std::string::npos) << info;
        if (c.options) {
            EXPECT_NE(info.find(c.options), std::string::npos) << info;
        }
        // Rows and tags agree: the page decodes whole.
        size_t rowBytes = 0;
        const Bytes samples = stored(path, 0, &rowBytes);
        ASSERT_EQ(rowBytes, 8u);
        ASSERT_EQ(samples.size(), 8u * 32);
        int black = 0;
        for (unsigned char b : samples)
            for (int bit = 0; bit < 8; ++bit)
                black += (b >> bit) & 1;
        EXPECT_EQ(black, c.black);
    }
}

TEST_F(ImgTIFFEncoder, CompressedPagesConvertAndKeepTheirPixels)
{
    DIBPtr picture = colourPicture(40, 24);
    DIBPtr smooth = colourPicture(40, 24, true);
    const std::vector<unsigned char> table = greyTable();
    DIBPtr grey(qelImgDIBUtils::createDIBFromData(40, 24, 8, 300, 300, 256, table.data(), 0));
    for (unsigned int i = 0; i < grey->header->biSizeImage; ++i)
        grey->bits[i] = static_cast<unsigned char>(i * 13);
    const struct
    {
        qelImgDIB* dib;
        int type;
        const char* scheme;
        int tolerance; // mean difference
    } cases[] = {
        {picture.get(), QELIMG_ENCODE_TIFF_LZW, "LZW", 0},
        {picture.get(), QELIMG_ENCODE_TIFF_PACKBITS, "PackBits", 0},
        {picture.get(), QELIMG_ENCODE_TIFF_UNCOMPRESSED, "None", 0},
        {smooth.get(), QELIMG_ENCODE_TIFF_JPEG, "JPEG", 8},
        {grey.get(), QELIMG_ENCODE_TIFF_LZW, "LZW", 0},
        {grey.get(), QELIMG_ENCODE_TIFF_PACKBITS, "PackBits", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scheme + std::string(c.dib == grey.get() ? " grey" : " rgb"));
        const std::string path = writeTIFF("page.tif", {{c.dib, nullptr, c.type}});
        EXPECT_NE(tiffinfo(path).find(std::string("Compression Scheme: ") + c.scheme), std::string::npos);
        size_t rowBytes = 0;
        stored(path, 0, &rowBytes);
        const Bytes pixels = rgba(path, 0, &rowBytes);
        ASSERT_EQ(rowBytes, 120u);
        ASSERT_EQ(pixels.size(), 120u * 24);
        const size_t dibRow = c.dib->header->biSizeImage / 24;
        long total = 0;
        for (size_t y = 0; y < 24; ++y)
            for (size_t x = 0; x < 40; ++x)
                for (size_t s = 0; s < 3; ++s) {
                    const int want = c.dib == grey.get() ? c.dib->bits[y * dibRow + x]
                                                         : c.dib->bits[y * dibRow + 3 * x + s];
                    total += std::abs(want - pixels[y * rowBytes + 3 * x + s]);
                }
        EXPECT_LE(total, static_cast<long>(c.tolerance) * 40 * 24 * 3);
    }
}

TEST_F(ImgTIFFEncoder, OutputSizeLargerThanTheSourceGivesWholeRows)
{
    // libtiff reads rows of the page's width: the source's shorter rows
    // and missing rows are padded.
    DIBPtr picture = colourPicture(10, 6);
    m_params[QELIMG_PARAM_OUTPUT_WIDTH].setInt(25);
    m_params[QELIMG_PARAM_OUTPUT_HEIGHT].setInt(9);
    const std::string path = writeTIFF("big.tif", {{picture.get(), nullptr, QELIMG_ENCODE_TIFF_LZW}});
    EXPECT_NE(tiffinfo(path).find("Image Width: 25 Image Length: 9"), std::string::npos);
    size_t rowBytes = 0;
    const Bytes samples = stored(path, 0, &rowBytes);
    ASSERT_EQ(rowBytes, 75u);
    ASSERT_EQ(samples.size(), 75u * 9);
    EXPECT_EQ(Bytes(samples.begin(), samples.begin() + 30), Bytes(picture->bits, picture->bits + 30));
    EXPECT_EQ(samples[30], 0);
}

TEST_F(ImgTIFFEncoder, FopContainersAsOneFile)
{
    const Bytes jpeg = containerData(fopImages(), 1);
    const Bytes g4 = containerData(fopImages(), 2);
    const Bytes rgb = containerData(fopImages(), 3);
    ASSERT_FALSE(jpeg.empty());
    ASSERT_FALSE(g4.empty());
    ASSERT_FALSE(rgb.empty());
    qelImgJPEGDecoder jpegPage(jpeg.data(), static_cast<unsigned int>(jpeg.size()));
    qelImgTIFFDecoder g4Page(g4.data(), static_cast<unsigned int>(g4.size()));
    qelImgTIFFDecoder rgbPage(rgb.data(), static_cast<unsigned int>(rgb.size()));
    const std::string path = writeTIFF("fop.tif", {{nullptr, &jpegPage, QELIMG_ENCODE_TIFF_LZW},
                                                   {nullptr, &g4Page, QELIMG_ENCODE_TIFF_G4},
                                                   {nullptr, &rgbPage, QELIMG_ENCODE_TIFF_LZW}});
    const std::string info = tiffinfo(path);
    EXPECT_EQ(count(info, "TIFF Directory at offset"), 3) << info;
    EXPECT_EQ(count(info, "Compression Scheme: LZW"), 2) << info;
    EXPECT_EQ(count(info, "Compression Scheme: CCITT Group 4"), 1) << info;

    // Reference bitmaps from fresh decoders.
    qelImgJPEGDecoder jpegRef(jpeg.data(), static_cast<unsigned int>(jpeg.size()));
    qelImgTIFFDecoder g4Ref(g4.data(), static_cast<unsigned int>(g4.size()));
    qelImgTIFFDecoder rgbRef(rgb.data(), static_cast<unsigned int>(rgb.size()));
    qelImgDecoder* refs[] = {&jpegRef, &g4Ref, &rgbRef};
    for (int page = 0; page < 3; ++page) {
        SCOPED_TRACE(page);
        qelImgDecoder* ref = refs[page];
        ref->decode(m_params);
        const qelImgDIB* dib = ref->getDIBBuffer();
        ASSERT_NE(dib, nullptr);
        const int width = ref->getInfo()->width;
        const int height = ref->getInfo()->height;
        const size_t dibRow = dib->header->biSizeImage / static_cast<size_t>(height);
        size_t rowBytes = 0;
        const Bytes pixels = rgba(path, page, &rowBytes);
        ASSERT_EQ(rowBytes, 3u * static_cast<size_t>(width));
        ASSERT_EQ(pixels.size(), rowBytes * static_cast<size_t>(height));
        const bool oneBit = dib->header->biBitCount == 1;
        // WhiteIsZero bits unless the bitmap says black is entry 0.
        const bool setIsBlack = ref->getInfo()->photometric == 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                unsigned char want[3];
                if (oneBit) {
                    const bool set = (dib->bits[y * dibRow + x / 8] >> (7 - x % 8)) & 1;
                    want[0] = want[1] = want[2] = set == setIsBlack ? 0 : 255;
                } else {
                    std::memcpy(want, dib->bits + y * dibRow + 3 * x, 3);
                }
                const unsigned char* got = pixels.data() + y * rowBytes + 3 * x;
                ASSERT_EQ(Bytes(got, got + 3), Bytes(want, want + 3)) << x << "," << y;
            }
    }
}

TEST_F(ImgTIFFEncoder, PagesWaitInTemporaryFilesInTheTemporaryFileMode)
{
    const std::string temp = m_dir + "/temp";
    ASSERT_EQ(lrbtest::run("mkdir " + lrbtest::shellQuote(temp)).status, 0);
    qelImgProcessor::setTempDirectory(temp.c_str());
    m_params[QELIMG_PARAM_SOFTWARE].setText("devtest");
    DIBPtr a = colourPicture(30, 20);
    DIBPtr b = colourPicture(12, 40);
    const std::vector<Page> pages = {{a.get(), nullptr, QELIMG_ENCODE_TIFF_LZW},
                                     {b.get(), nullptr, QELIMG_ENCODE_TIFF_PACKBITS}};
    const Bytes inMemory = encodeTIFF(pages);
    qelImgProcessor::setTempFileMode(1);
    const std::string files = "ls " + lrbtest::shellQuote(temp) + " | wc -l";
    {
        qelImgBufferIOStream out("out", 2);
        out.open();
        qelImgTIFFEncoder encoder(&out);
        qelImgInfo info;
        encoder.initialize(m_params, &info);
        for (const Page& page : pages) {
            encoder.setEncodeType(page.type);
            encoder.encode(page.dib);
        }
        EXPECT_EQ(lrbtest::run(files).output, "2\n");
        encoder.finalize();
        char* data = nullptr;
        unsigned int size = 0;
        out.getBuffer(&data, &size, false);
        std::unique_ptr<char[]> owned(data);
        EXPECT_EQ(Bytes(data, data + size), inMemory);
    }
    EXPECT_EQ(lrbtest::run(files).output, "0\n");
}

TEST_F(ImgTIFFEncoder, FinalizeWithoutPagesWritesNothing)
{
    qelImgBufferIOStream out("out", 2);
    out.open();
    qelImgTIFFEncoder encoder(&out);
    qelImgInfo info;
    encoder.initialize(m_params, &info);
    encoder.finalize();
    char* data = nullptr;
    unsigned int size = 0;
    out.getBuffer(&data, &size, false);
    std::unique_ptr<char[]> owned(data);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(encoder.getPageCount(), 0);
}

} // namespace
