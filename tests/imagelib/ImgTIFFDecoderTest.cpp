#include "ImgTestSupport.h"
#include "ScratchTest.h"
#include "ShellCommand.h"
#include "qelImgDIB.h"
#include "qelImgDIBHeader.h"
#include "qelImgDIBUtils.h"
#include "qelImgErrorHandler.h"
#include "qelImgInfo.h"
#include "qelImgParamValue.h"
#include "qelImgTIFFDataPadded.h"
#include "qelImgTIFFDecoder.h"
#include "qelImgTIFFProcessor.h"
#include "qelImgUtils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>

using namespace imgtest;
using lrbtest::Bytes;

namespace {

class ImgTIFFDecoder : public lrbtest::ScratchTest
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
        qelImgProcessor::setDefaultResolution(300);
        qelImgProcessor::releaseLibraryResources();
        qelImgProcessor::finalizeLibrary();
        lrbtest::ScratchTest::TearDown();
    }

    // Reference pixels of a page by a checker: "tiffcp" (stored samples) or
    // "rgba" (tiff2rgba without alpha).
    Bytes reference(const std::string& path, int page, const std::string& checker, size_t* rowBytes)
    {
        const std::string out = m_dir + "/ref.tif";
        std::remove(out.c_str());
        const std::string source = lrbtest::shellQuote(page ? path + "," + std::to_string(page) : path);
        const std::string command = checker == "rgba"
                                        ? "tiff2rgba -c none -n " + source + " " + lrbtest::shellQuote(out)
                                        : "tiffcp -s -c none -r 100000 " + source + " " + lrbtest::shellQuote(out);
        EXPECT_EQ(lrbtest::run(command).status, 0) << command;
        return tiffPixels(out, 0, rowBytes);
    }

    qelImgParamValue m_params[36];
};

TEST_F(ImgTIFFDecoder, ContainerTIFFsDecodeToTheCheckersPixels)
{
    // G4, no resolution tags: the default resolution and a warning.
    const Bytes g4 = containerData(fopImages(), 2);
    ASSERT_FALSE(g4.empty());
    {
        LoggerScope scope(2);
        qelImgTIFFDecoder decoder(g4.data(), static_cast<unsigned int>(g4.size()));
        qelImgInfo* info = decoder.getInfo();
        EXPECT_EQ(info->compression, 3);
        EXPECT_EQ(info->xResolution, 300);
        EXPECT_EQ(info->yResolution, 300);
        EXPECT_NE(scope.logger.lines.find("Warning! TIFF page 0 has no resolution. Default resolution (300 dpi) is used."),
                  std::string::npos)
            << scope.logger.lines;
        decoder.decode(m_params);
        size_t rowBytes = 0;
        const Bytes expected = reference(writeFile("g4.tif", g4), 0, "tiffcp", &rowBytes);
        ASSERT_EQ(rowBytes, 38u);
        qelImgDIB* dib = decoder.getDIBBuffer();
        ASSERT_EQ(dib->header->biSizeImage, expected.size());
        // Bits past the last pixel are white in the bitmap (clear: WhiteIsZero).
        for (size_t row = 0; row < 150; ++row)
            for (size_t i = 0; i < rowBytes; ++i) {
                const unsigned char mask = i + 1 == rowBytes ? 0xF0 : 0xFF;
                ASSERT_EQ(dib->bits[row * rowBytes + i] & mask, expected[row * rowBytes + i] & mask) << row;
            }

        unsigned char* data = nullptr;
        unsigned int length = 0;
        decoder.getEncodedData(&data, &length);
        std::unique_ptr<unsigned char[]> owned(data);
        ASSERT_EQ(lrbtest::run("pdfimages -all " + lrbtest::shellQuote(fopImagesPdf()) + " " +
                               lrbtest::shellQuote(m_dir + "/pdf")).status, 0);
        EXPECT_EQ(Bytes(data, data + length), lrbtest::readFile(m_dir + "/pdf-001.ccitt"));
    }
    // Inside a conversion the kernel sets 72.
    qelImgProcessor::setDefaultResolution(72);
    const Bytes rgb = containerData(fopImages(), 3);
    qelImgTIFFDecoder decoder(rgb.data(), static_cast<unsigned int>(rgb.size()));
    EXPECT_EQ(decoder.getInfo()->xResolution, 72);
    EXPECT_EQ(decoder.getInfo()->yResolution, 72);
    decoder.decode(m_params);
    const std::string list = lrbtest::commandOutput("pdfimages -list " + lrbtest::shellQuote(fopImagesPdf()));
    // Image 2 of page 1: its object number.
    const size_t at = list.find("\n   1     2 image");
    ASSERT_NE(at, std::string::npos) << list;
    std::istringstream fields(list.substr(at + 1));
    std::string field;
    for (int i = 0; i < 11; ++i)
        fields >> field;
    const std::string object = field;
    const std::string stream = lrbtest::commandOutput("qpdf --show-object=" + object +
                                                      " --filtered-stream-data " + lrbtest::shellQuote(fopImagesPdf()));
    ASSERT_EQ(stream.size(), 200u * 100 * 3) << object;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(decoder.getDIBBuffer()->bits), 60000), stream);
}

TEST_F(ImgTIFFDecoder, FixturesDecodeToTheCheckersPixels)
{
    const struct
    {
        const char* file;
        int page;
        const char* checker;
        int bits;
        int tolerance;
    } cases[] = {
        {"pal4.tif", 0, "tiffcp", 4, 0},
        {"pal8.tif", 0, "tiffcp", 8, 0},
        {"pal8-packbits.tif", 0, "tiffcp", 8, 0},
        {"b10-lsb.tif", 0, "tiffcp", 1, 0},
        {"b10-g4-lsb.tif", 0, "tiffcp", 1, 0},
        {"rgb-lzw2.tif", 0, "tiffcp", 24, 0},
        {"three.tif", 0, "tiffcp", 1, 0},
        {"three.tif", 1, "tiffcp", 8, 0},
        {"three.tif", 2, "tiffcp", 24, 0},
        {"gray-tiles.tif", 0, "tiffcp", 8, 0},
        {"b10.tif", 0, "tiffcp", 1, 0},
        {"cmyk.tif", 0, "rgba", 24, 1},
        {"rgb-jpeg.tif", 0, "rgba", 24, 0},
        {"rgb-jpeg3.tif", 0, "rgba", 24, 0},
        {"rgb-jpegtiles.tif", 0, "rgba", 24, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + "," + std::to_string(c.page));
        const std::string path = imageFixture(c.file);
        qelImgTIFFDecoder decoder(path.c_str());
        decoder.setPageNumber(c.page);
        decoder.decode(m_params);
        qelImgDIB* dib = decoder.getDIBBuffer();
        ASSERT_NE(dib, nullptr);
        EXPECT_EQ(dib->header->biBitCount, c.bits);
        EXPECT_EQ(decoder.getDecodeBPP(), c.bits);
        size_t rowBytes = 0;
        const Bytes expected = reference(path, c.page, c.checker, &rowBytes);
        const int width = dib->header->biWidth;
        const size_t pitch = static_cast<size_t>(qelImgDIBUtils::getRowBytes(width, c.bits));
        ASSERT_EQ(pitch, rowBytes);
        ASSERT_EQ(expected.size(), pitch * static_cast<size_t>(dib->header->biHeight));
        int worst = 0;
        for (size_t i = 0; i < expected.size(); ++i) {
            unsigned char mask = 0xFF;
            if (c.bits == 1 && i % pitch == pitch - 1 && width % 8)
                mask = static_cast<unsigned char>(0xFF << (8 - width % 8));
            worst = std::max(worst, std::abs((dib->bits[i] & mask) - (expected[i] & mask)));
        }
        EXPECT_LE(worst, c.tolerance);

        // The row interface gives the same rows.
        qelImgTIFFDecoder rows(path.c_str());
        rows.setParameters(m_params);
        rows.setPageNumber(c.page);
        Bytes line(static_cast<size_t>(rows.getScanLineSize()));
        ASSERT_EQ(line.size(), pitch);
        for (int y = 0; y < dib->header->biHeight; ++y) {
            ASSERT_EQ(rows.readNextLine(line.data()), 1) << y;
            ASSERT_TRUE(std::equal(line.begin(), line.end(), dib->bits + pitch * static_cast<size_t>(y))) << y;
        }
        EXPECT_EQ(rows.readNextLine(line.data()), 0);

        // Stored rows one by one, as the IOCA decoder takes them.
        if (std::string(c.checker) == "tiffcp" && !rows.getInfo()->tiled) {
            qelImgTIFFDecoder lines(path.c_str());
            lines.setPageNumber(c.page);
            Bytes stored(rowBytes);
            for (int y = 0; y < dib->header->biHeight; ++y) {
                ASSERT_EQ(lines.decodeLine(y, stored.data()), 1) << y;
                ASSERT_TRUE(std::equal(stored.begin(), stored.end(), expected.begin() + static_cast<long>(rowBytes) * y))
                    << y;
            }
            EXPECT_EQ(lines.decodeLine(dib->header->biHeight, stored.data()), 0);
            // And from the handle that decoded the whole page.
            for (int y = 0; y < dib->header->biHeight; ++y) {
                ASSERT_EQ(decoder.decodeLine(y, stored.data()), 1) << y;
                ASSERT_TRUE(std::equal(stored.begin(), stored.end(), expected.begin() + static_cast<long>(rowBytes) * y))
                    << y;
            }
        }
    }
}

TEST_F(ImgTIFFDecoder, BilevelWidth10RowsEndInWhite)
{
    // BlackIsZero as made, and the same pixels as WhiteIsZero.
    const Bytes blackIsZero = lrbtest::readFile(imageFixture("b10.tif"));
    const std::string white = writeFile("w10.tif", blackIsZero);
    ASSERT_EQ(lrbtest::run("tiffset -s 262 0 " + lrbtest::shellQuote(white)).status, 0);
    for (int photometric : {1, 0}) {
        SCOPED_TRACE(photometric);
        qelImgTIFFDecoder decoder((photometric ? imageFixture("b10.tif") : white).c_str());
        decoder.decode(m_params);
        qelImgDIB* dib = decoder.getDIBBuffer();
        ASSERT_EQ(dib->header->biSizeImage, 2u * 7);
        // Entry 0 black for BlackIsZero, white otherwise.
        EXPECT_EQ(dib->palette[0], photometric ? 0x00 : 0xFF);
        EXPECT_EQ(dib->palette[4], photometric ? 0xFF : 0x00);
        for (int row = 0; row < 7; ++row)
            EXPECT_EQ(dib->bits[2 * row + 1] & 0x3F, photometric ? 0x3F : 0x00) << row;
    }
}

TEST_F(ImgTIFFDecoder, ColourTablesOf16And8BitMaps)
{
    qelImgTIFFDecoder pal4(imageFixture("pal4.tif").c_str());
    unsigned char* palette = nullptr;
    int count = 0;
    pal4.getColorTable(&palette, &count);
    ASSERT_EQ(count, 16);
    TIFF* tif = TIFFOpen(imageFixture("pal4.tif").c_str(), "r");
    uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
    ASSERT_EQ(TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue), 1);
    bool wide = false;
    for (int i = 0; i < 16; ++i) {
        wide = wide || red[i] > 255 || green[i] > 255 || blue[i] > 255;
        EXPECT_EQ(palette[4 * i + 2], red[i] >> 8);
        EXPECT_EQ(palette[4 * i + 1], green[i] >> 8);
        EXPECT_EQ(palette[4 * i], blue[i] >> 8);
    }
    EXPECT_TRUE(wide);
    TIFFClose(tif);

    // A map whose values all fit in 8 bits is taken as it is.
    const std::string narrow = m_dir + "/narrow.tif";
    tif = TIFFOpen(narrow.c_str(), "w");
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 4);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 1);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
    uint16_t map[3][256];
    for (int i = 0; i < 256; ++i) {
        map[0][i] = static_cast<uint16_t>(i);
        map[1][i] = static_cast<uint16_t>(255 - i);
        map[2][i] = static_cast<uint16_t>(i / 2);
    }
    TIFFSetField(tif, TIFFTAG_COLORMAP, map[0], map[1], map[2]);
    unsigned char row[4] = {0, 1, 2, 255};
    TIFFWriteScanline(tif, row, 0, 0);
    TIFFClose(tif);
    qelImgTIFFDecoder pal8(narrow.c_str());
    pal8.getColorTable(&palette, &count);
    ASSERT_EQ(count, 256);
    EXPECT_EQ(palette[4 * 200 + 2], 200);
    EXPECT_EQ(palette[4 * 200 + 1], 55);
    EXPECT_EQ(palette[4 * 200], 100);

    // Palette as RGB through the parameter.
    m_params[0].setInt(1);
    pal8.decode(m_params);
    EXPECT_EQ(pal8.getDIBBuffer()->header->biBitCount, 24);
    const unsigned char expected[] = {0, 255, 0, 1, 254, 0, 2, 253, 1, 255, 0, 127};
    EXPECT_TRUE(std::equal(expected, expected + 12, pal8.getDIBBuffer()->bits));
}

TEST_F(ImgTIFFDecoder, LayoutsRefusedOrOpenedSafely)
{
    qelImgTIFFDecoder planar(imageFixture("rgb-planar.tif").c_str());
    EXPECT_EQ(thrown([&] { planar.decode(m_params); }).id, 57);

    // 32-bit float grey: no colour table, a bitmap without a crash.
    qelImgTIFFDecoder deep(imageFixture("f32.tif").c_str());
    EXPECT_EQ(deep.getInfo()->bitsPerPixel, 32);
    EXPECT_EQ(deep.getInfo()->colorCount, 0);
    unsigned char* palette = nullptr;
    int count = -1;
    deep.getColorTable(&palette, &count);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(palette, nullptr);
    deep.decode(m_params);
    EXPECT_EQ(deep.getDIBBuffer()->header->biBitCount, 32);

    // Old-style JPEG without its interchange format: no header can be made.
    qelImgTIFFDecoder old(imageFixture("gray-ojpeg.tif").c_str());
    unsigned char* data = nullptr;
    unsigned int length = 0;
    EXPECT_EQ(thrown([&] { old.getEncodedData(&data, &length); }).id, 42);
    EXPECT_EQ(data, nullptr);

    // Sizes from the header beyond the limit: OIL021, nothing allocated.
    unsigned char* header = nullptr;
    int headerLength = 0;
    const Bytes pixels(64, 0x55);
    qelImgTIFFProcessor::createTIFFHeader(60000, 60000, 8, 1, 1, 1, 1, 300, 300, 64, &header, &headerLength, nullptr);
    std::unique_ptr<unsigned char[]> owned(header);
    Bytes file(header, header + headerLength);
    file.insert(file.end(), pixels.begin(), pixels.end());
    qelImgTIFFDecoder huge(file.data(), static_cast<unsigned int>(file.size()));
    EXPECT_EQ(thrown([&] { huge.decode(m_params); }).id, 21);
    Bytes line(1);
    // Rows come strip by strip: the missing data is a coded error.
    const Thrown rowFailure = thrown([&] { huge.readNextLine(line.data()); });
    EXPECT_EQ(rowFailure.id, 20) << rowFailure.message;

    // Stored data cut short: the failure closes the handle, and later calls
    // are coded errors too.
    qelImgTIFFProcessor::createTIFFHeader(37, 48, 8, 1, 1, 1, 1, 300, 300, 37 * 48, &header, &headerLength, nullptr);
    std::unique_ptr<unsigned char[]> shortHeader(header);
    Bytes cut(header, header + headerLength);
    cut.resize(cut.size() + 100, 0x80);
    qelImgTIFFDecoder shortData(cut.data(), static_cast<unsigned int>(cut.size()));
    EXPECT_EQ(thrown([&] { shortData.getEncodedData(&data, &length); }).message,
              "OIL020: TIFF Library Error: Error while reading raw data for strip (0) from the tiff handle");
    Bytes row(37);
    EXPECT_EQ(thrown([&] { shortData.readNextLine(row.data()); }).id, 46);
    EXPECT_EQ(thrown([&] { shortData.setPageNumber(0); }).id, 46);
    EXPECT_EQ(thrown([&] { shortData.getEncodedData(&data, &length); }).id, 46);
    EXPECT_FALSE(shortData.doesPageExist(1));
    EXPECT_EQ(shortData.getWidthFromData(), -1);
    EXPECT_EQ(shortData.decodeLine(0, row.data()), -1);
    // A tiled page: rows come from tiles, and the handle is still checked.
    qelImgTIFFDecoder tiles(imageFixture("gray-tiles.tif").c_str());
    EXPECT_EQ(thrown([&] { tiles.getEncodedTileData(-1, &data, &length); }).message,
              "OIL020: TIFF Library Error: Error while reading raw data from tile (-1) from the tiff handle");
    Bytes wide(130);
    EXPECT_EQ(thrown([&] { tiles.readNextLine(wide.data()); }).id, 46);

    // RowsPerStrip beyond the height: rows are those of the image.
    const std::string tall = writeFile("tall.tif", lrbtest::readFile(imageFixture("pal8.tif")));
    ASSERT_EQ(lrbtest::run("tiffset -s 278 100000 " + lrbtest::shellQuote(tall)).status, 0);
    qelImgTIFFDecoder rows(tall.c_str());
    rows.decode(m_params);
    qelImgTIFFDecoder plain(imageFixture("pal8.tif").c_str());
    plain.decode(m_params);
    EXPECT_EQ(Bytes(rows.getDIBBuffer()->bits, rows.getDIBBuffer()->bits + 37 * 48),
              Bytes(plain.getDIBBuffer()->bits, plain.getDIBBuffer()->bits + 37 * 48));
}

TEST_F(ImgTIFFDecoder, StoredJPEGDataIsOneStream)
{
    const struct
    {
        const char* file;
        bool restarts;
    } cases[] = {{"rgb-jpeg3.tif", true}, {"rgb-jpeg.tif", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        qelImgTIFFDecoder decoder(imageFixture(c.file).c_str());
        unsigned char* data = nullptr;
        unsigned int length = 0;
        decoder.getEncodedData(&data, &length);
        std::unique_ptr<unsigned char[]> owned(data);
        const Bytes jpeg(data, data + length);
        ASSERT_GT(jpeg.size(), 4u);
        EXPECT_EQ(jpeg[0], 0xFF);
        EXPECT_EQ(jpeg[1], 0xD8);
        EXPECT_EQ(jpeg[jpeg.size() - 2], 0xFF);
        EXPECT_EQ(jpeg[jpeg.size() - 1], 0xD9);
        const Bytes dri = {0xFF, 0xDD, 0x00, 0x04};
        const Bytes rst1 = {0xFF, 0xD1};
        EXPECT_EQ(std::search(jpeg.begin(), jpeg.end(), dri.begin(), dri.end()) != jpeg.end(), c.restarts);
        EXPECT_EQ(std::search(jpeg.begin(), jpeg.end(), rst1.begin(), rst1.end()) != jpeg.end(), c.restarts);
        const std::string path = writeFile("stored.jpg", jpeg);
        const std::string pnm = lrbtest::commandOutput("djpeg -pnm " + lrbtest::shellQuote(path) + " 2>/dev/null");
        ASSERT_EQ(pnm.rfind("P6\n37 48\n255\n", 0), 0u) << pnm.substr(0, 20);
        // The whole image, against libjpeg's own decoding of the page.
        size_t rowBytes = 0;
        const Bytes expected = reference(imageFixture(c.file), 0, "rgba", &rowBytes);
        // Strips decoded one by one differ at their edges from one stream
        // decoded whole (upsampling across rows): compare on average.
        ASSERT_EQ(pnm.size(), 13 + expected.size());
        long total = 0;
        for (size_t i = 0; i < expected.size(); ++i)
            total += std::abs(static_cast<unsigned char>(pnm[13 + i]) - expected[i]);
        EXPECT_LE(total / static_cast<long>(expected.size()), 2);
    }

    // A tile: the tables without their end, then the tile without its start.
    qelImgTIFFDecoder tiles(imageFixture("rgb-jpegtiles.tif").c_str());
    EXPECT_EQ(tiles.getInfo()->tileCount, 4);
    unsigned char* data = nullptr;
    unsigned int length = 0;
    tiles.getEncodedTileData(3, &data, &length);
    std::unique_ptr<unsigned char[]> owned(data);
    TIFF* tif = TIFFOpen(imageFixture("rgb-jpegtiles.tif").c_str(), "r");
    void* tables = nullptr;
    uint32_t tablesLength = 0;
    ASSERT_EQ(TIFFGetField(tif, TIFFTAG_JPEGTABLES, &tablesLength, &tables), 1);
    Bytes raw(static_cast<size_t>(TIFFGetStrileByteCount(tif, 3)));
    ASSERT_EQ(TIFFReadRawTile(tif, 3, raw.data(), static_cast<tmsize_t>(raw.size())), static_cast<tmsize_t>(raw.size()));
    Bytes expected(static_cast<unsigned char*>(tables), static_cast<unsigned char*>(tables) + tablesLength - 2);
    expected.insert(expected.end(), raw.begin() + 2, raw.end());
    TIFFClose(tif);
    EXPECT_EQ(Bytes(data, data + length), expected);
    const std::string pnm =
        lrbtest::commandOutput("djpeg -pnm " + lrbtest::shellQuote(writeFile("tile.jpg", expected)) + " 2>/dev/null");
    EXPECT_EQ(pnm.rfind("P6\n64 64\n255\n", 0), 0u);
    tiles.decodeTileImage(m_params, 3);
    EXPECT_EQ(tiles.getDIBBufferForTile(3)->header->biWidth, 64);
    EXPECT_EQ(tiles.getDIBBufferForTile(2), nullptr);
}

TEST_F(ImgTIFFDecoder, StoredDataFillOrderPaddingAndResolution)
{
    // Fill order 2 comes out reversed and the page then says 1.
    qelImgTIFFDecoder lsb(imageFixture("b10-g4-lsb.tif").c_str());
    EXPECT_EQ(lsb.getInfo()->fillOrder, 2);
    unsigned char* data = nullptr;
    unsigned int length = 0;
    lsb.getEncodedData(&data, &length);
    std::unique_ptr<unsigned char[]> owned(data);
    EXPECT_EQ(lsb.getInfo()->fillOrder, 1);
    const std::string msb = m_dir + "/msb.tif";
    ASSERT_EQ(lrbtest::run("tiffcp -c g4 -f msb2lsb " + lrbtest::shellQuote(imageFixture("b10.tif")) + " " +
                           lrbtest::shellQuote(msb)).status, 0);
    qelImgTIFFDecoder plain(msb.c_str());
    unsigned char* other = nullptr;
    unsigned int otherLength = 0;
    plain.getEncodedData(&other, &otherLength);
    std::unique_ptr<unsigned char[]> owned2(other);
    EXPECT_EQ(Bytes(data, data + length), Bytes(other, other + otherLength));

    // EOL codes on byte boundaries only with fill bits.
    EXPECT_EQ(qelImgTIFFDecoder(imageFixture("mono-g3.tif").c_str()).getInfo()->dataPadded, 1);
    EXPECT_EQ(qelImgTIFFDecoder(imageFixture("b10-g3.tif").c_str()).getInfo()->dataPadded, 0);
    const unsigned char aligned[] = {0x00, 0x01, 0x80, 0x00, 0x10};
    EXPECT_EQ(qelImgTIFFDataPadded::isDataPadded(aligned, 2, 1), 1);
    EXPECT_EQ(qelImgTIFFDataPadded::isDataPadded(aligned + 2, 3, 1), 0);

    // 118 pixels a centimetre.
    EXPECT_EQ(qelImgTIFFDecoder(imageFixture("b10-cm.tif").c_str()).getInfo()->xResolution, 299);

    qelImgTIFFDecoder three(imageFixture("three.tif").c_str());
    EXPECT_EQ(three.pageCount(), 3);
    EXPECT_TRUE(three.doesPageExist(0));
    EXPECT_TRUE(three.doesPageExist(2));
    EXPECT_FALSE(three.doesPageExist(3));
    three.setPageNumber(2);
    EXPECT_EQ(three.getInfo()->width, 37);
    EXPECT_EQ(three.getInfo()->photometric, 2);

    // Asking about another page leaves the decoder on its own page.
    qelImgTIFFDecoder asked(imageFixture("three.tif").c_str());
    const int firstWidth = asked.getInfo()->width;
    EXPECT_TRUE(asked.doesPageExist(2));
    EXPECT_FALSE(asked.doesPageExist(3));
    asked.decode(m_params);
    ASSERT_NE(asked.getDIBBuffer(), nullptr);
    EXPECT_EQ(asked.getDIBBuffer()->header->biWidth, firstWidth);
    EXPECT_EQ(asked.getDecodeBPP(), 1);
    const int pitch = qelImgDIBUtils::getRowBytes(firstWidth, 1);
    qelImgTIFFDecoder lines(imageFixture("three.tif").c_str());
    Bytes stored(static_cast<size_t>(pitch)), again(stored.size());
    ASSERT_EQ(lines.decodeLine(0, stored.data()), 1);
    EXPECT_TRUE(lines.doesPageExist(1));
    ASSERT_EQ(lines.decodeLine(0, again.data()), 1);
    EXPECT_EQ(again, stored);
    qelImgTIFFDecoder rows(imageFixture("three.tif").c_str());
    rows.setParameters(m_params);
    ASSERT_EQ(rows.readNextLine(stored.data()), 1);
    EXPECT_TRUE(rows.doesPageExist(2));
    ASSERT_EQ(rows.readNextLine(again.data()), 1);
    EXPECT_EQ(again, Bytes(asked.getDIBBuffer()->bits + pitch, asked.getDIBBuffer()->bits + 2 * pitch));
}

} // namespace
