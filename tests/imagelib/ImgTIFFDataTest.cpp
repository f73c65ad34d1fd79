#include "ImgTestSupport.h"
#include "ScratchTest.h"
#include "ShellCommand.h"
#include "qelImgTIFFProcessor.h"

#include <gtest/gtest.h>

#include <tiffio.h>

#include <memory>
#include <string>

using namespace imgtest;
using lrbtest::Bytes;

namespace {

struct TIFFCloser
{
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TIFFPtr = std::unique_ptr<TIFF, TIFFCloser>;

uint32_t tag32(TIFF* tif, ttag_t tag)
{
    uint32_t value = 0;
    TIFFGetField(tif, tag, &value);
    return value;
}

uint16_t tag16(TIFF* tif, ttag_t tag)
{
    uint16_t value = 0;
    TIFFGetFieldDefaulted(tif, tag, &value);
    return value;
}

// The coded bytes of every strip in order.
Bytes rawStrips(TIFF* tif)
{
    Bytes data;
    for (tstrip_t s = 0; s < TIFFNumberOfStrips(tif); ++s) {
        Bytes strip(static_cast<size_t>(TIFFRawStripSize(tif, s)));
        EXPECT_EQ(TIFFReadRawStrip(tif, s, strip.data(), static_cast<tmsize_t>(strip.size())),
                  static_cast<tmsize_t>(strip.size()));
        data.insert(data.end(), strip.begin(), strip.end());
    }
    return data;
}

class ImgTIFFData : public lrbtest::ScratchTest
{
protected:
    void TearDown() override
    {
        qelImgProcessor::releaseLibraryResources();
        lrbtest::ScratchTest::TearDown();
    }

    // The rows of `tiffcp -c none` of a file, as decoded bytes.
    Bytes uncompressedRows(const std::string& path)
    {
        const std::string out = m_dir + "/none" + std::to_string(++m_copies) + ".tif";
        const std::string command = "tiffcp -c none " + lrbtest::shellQuote(path) + " " + lrbtest::shellQuote(out) +
                                    " 2>&1";
        EXPECT_EQ(lrbtest::commandOutput(command), "") << path;
        TIFFPtr tif(TIFFOpen(out.c_str(), "r"));
        Bytes rows;
        if (!tif)
            return rows;
        EXPECT_EQ(tag16(tif.get(), TIFFTAG_COMPRESSION), COMPRESSION_NONE);
        Bytes row(static_cast<size_t>(TIFFScanlineSize(tif.get())));
        for (uint32_t y = 0; y < tag32(tif.get(), TIFFTAG_IMAGELENGTH); ++y) {
            EXPECT_EQ(TIFFReadScanline(tif.get(), row.data(), y, 0), 1);
            rows.insert(rows.end(), row.begin(), row.end());
        }
        return rows;
    }

    // A header block followed by the strip, as a file.
    std::string behind(unsigned char* header, int length, const Bytes& strip, const std::string& name)
    {
        std::unique_ptr<unsigned char[]> owned(header);
        Bytes file(header, header + length);
        file.insert(file.end(), strip.begin(), strip.end());
        return writeFile(name, file);
    }

    int m_copies = 0;
};

TEST_F(ImgTIFFData, ContainerTIFFsOpenFromMemory)
{
    const struct
    {
        int container;
        uint32_t width, length;
        uint16_t bits, samples, compression;
    } cases[] = {{2, 300, 150, 1, 1, COMPRESSION_CCITTFAX4}, {3, 200, 100, 8, 3, COMPRESSION_NONE}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.container);
        const Bytes data = containerData(fopImages(), c.container);
        TIFFPtr tif(qelImgTIFFProcessor::openTIFFMemoryToRead(data.data(), static_cast<int>(data.size())));
        ASSERT_NE(tif, nullptr);
        EXPECT_EQ(tag32(tif.get(), TIFFTAG_IMAGEWIDTH), c.width);
        EXPECT_EQ(tag32(tif.get(), TIFFTAG_IMAGELENGTH), c.length);
        EXPECT_EQ(tag16(tif.get(), TIFFTAG_BITSPERSAMPLE), c.bits);
        EXPECT_EQ(tag16(tif.get(), TIFFTAG_SAMPLESPERPIXEL), c.samples);
        EXPECT_EQ(tag16(tif.get(), TIFFTAG_COMPRESSION), c.compression);
    }
}

TEST_F(ImgTIFFData, G4StripBehindARawHeaderKeepsItsPixels)
{
    const Bytes data = containerData(fopImages(), 2);
    const std::string own = writeFile("container.tif", data);
    TIFFPtr tif(qelImgTIFFProcessor::openTIFFMemoryToRead(data.data(), static_cast<int>(data.size())));
    ASSERT_NE(tif, nullptr);
    const Bytes strip = rawStrips(tif.get());
    const int photometric = tag16(tif.get(), TIFFTAG_PHOTOMETRIC);
    tif.reset();

    unsigned char* header = nullptr;
    int length = 0;
    qelImgTIFFProcessor::createTIFFHeader(300, 150, 1, COMPRESSION_CCITTFAX4, photometric, FILLORDER_MSB2LSB, 1, 300,
                                          300, static_cast<int>(strip.size()), &header, &length, nullptr);
    const std::string made = behind(header, length, strip, "g4.tif");
    const Bytes expected = uncompressedRows(own);
    ASSERT_EQ(expected.size(), 38u * 150);
    EXPECT_EQ(uncompressedRows(made), expected);
}

TEST_F(ImgTIFFData, G3StripBehindAG3HeaderKeepsItsPixels)
{
    const std::string dir = std::string(LORBANE_TEST_DATA) + "/imagelib/";
    const Bytes data = lrbtest::readFile(dir + "mono-g3.tif");
    TIFFPtr tif(qelImgTIFFProcessor::openTIFFMemoryToRead(data.data(), static_cast<int>(data.size())));
    ASSERT_NE(tif, nullptr);
    EXPECT_EQ(tag16(tif.get(), TIFFTAG_COMPRESSION), COMPRESSION_CCITTFAX3);
    const Bytes strip = rawStrips(tif.get());
    const int photometric = tag16(tif.get(), TIFFTAG_PHOTOMETRIC);
    tif.reset();

    unsigned char* header = nullptr;
    int length = 0;
    qelImgTIFFProcessor::createG3TIFFHeader(100, 40, 1, 1, 1, photometric, FILLORDER_MSB2LSB, 1, 200, 200,
                                            static_cast<int>(strip.size()), &header, &length);
    const std::string made = behind(header, length, strip, "g3.tif");
    const Bytes expected = uncompressedRows(dir + "mono.tif");
    ASSERT_EQ(expected.size(), 13u * 40);
    EXPECT_EQ(uncompressedRows(made), expected);
}

} // namespace
