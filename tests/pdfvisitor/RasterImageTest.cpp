// Raster images through writeImageObject: 1-bit TIFF data render black
// exactly where the source is black, whatever the photometric.
#include "PdfVisitorSupport.h"

#include "qelImageObject.h"
#include "qelImgInfo.h"
#include "qelImgTypes.h"
#include "qelTiffObject.h"

#include <tiffio.h>

namespace {

using pdfvtest::PdfVisitorTest;
using pdfvtest::Raster;
using pdfvtest::TestPage;

// The one strip of a 64 x 64 1-bit TIFF file whose left half is black.
std::vector<unsigned char> halfBlackTiff(const std::string& path, int compression, int photometric)
{
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (!tif)
        return {};
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 64);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 64);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 64);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, 64.0);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, 64.0);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    const unsigned char black = photometric == PHOTOMETRIC_MINISWHITE ? 0xFF : 0x00;
    unsigned char row[8];
    for (int i = 0; i < 8; ++i)
        row[i] = i < 4 ? black : static_cast<unsigned char>(~black);
    for (uint32_t y = 0; y < 64; ++y)
        TIFFWriteScanline(tif, row, y, 0);
    TIFFClose(tif);
    tif = TIFFOpen(path.c_str(), "r");
    if (!tif)
        return {};
    std::vector<unsigned char> strip(static_cast<size_t>(TIFFRawStripSize(tif, 0)));
    TIFFReadRawStrip(tif, 0, strip.data(), static_cast<tmsize_t>(strip.size()));
    TIFFClose(tif);
    return strip;
}

class RasterImageTest : public PdfVisitorTest
{
};

TEST_F(RasterImageTest, BilevelTiffRendersBlackWhereTheSourceIsBlack)
{
    if (!pdfvtest::toolAvailable("pdftoppm"))
        GTEST_SKIP() << "pdftoppm missing";
    struct Case
    {
        const char* label;
        int compression;
        int infoCompression;
        int photometric;
        bool encFlate;
    };
    const Case cases[] = {
        {"G4 white is zero", COMPRESSION_CCITTFAX4, QELIMG_COMP_G4, PHOTOMETRIC_MINISWHITE, false},
        {"G4 black is zero", COMPRESSION_CCITTFAX4, QELIMG_COMP_G4, PHOTOMETRIC_MINISBLACK, false},
        {"raw white is zero", COMPRESSION_NONE, QELIMG_COMP_NONE, PHOTOMETRIC_MINISWHITE, false},
        {"raw black is zero", COMPRESSION_NONE, QELIMG_COMP_NONE, PHOTOMETRIC_MINISBLACK, false},
        {"raw white is zero ENC_FLATE", COMPRESSION_NONE, QELIMG_COMP_NONE, PHOTOMETRIC_MINISWHITE, true},
        {"raw black is zero ENC_FLATE", COMPRESSION_NONE, QELIMG_COMP_NONE, PHOTOMETRIC_MINISBLACK, true},
        {"LZW white is zero", COMPRESSION_LZW, QELIMG_COMP_LZW, PHOTOMETRIC_MINISWHITE, false},
        {"LZW black is zero", COMPRESSION_LZW, QELIMG_COMP_LZW, PHOTOMETRIC_MINISBLACK, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string tif = pdfvtest::tempPath(".tif");
        m_files.push_back(tif);
        const std::vector<unsigned char> bytes = halfBlackTiff(tif, c.compression, c.photometric);
        ASSERT_FALSE(bytes.empty());
        ini()->setAttribute("PKEY", c.encFlate ? "ENC_FLATE" : "");
        TestPage page(1, 2400, 2400, 240);
        const std::string pdf = runPage(page, [&](qelPDFVisitor& v) {
            qelImageObject image;
            image.setKind(qelImageObject::IMAGE_TIFF);
            image.setName("IMG1");
            image.setFullName(c.label);
            image.setResolution(240);
            image.setPresentationSize(240, 240);
            image.setMappingOption(0x20);
            image.setAbsolutePosition(240, 240);
            image.setData(bytes.data(), static_cast<int32_t>(bytes.size()));
            image.setDataLength(static_cast<int32_t>(bytes.size()));
            // A raster input delivers the strip with its decoded record.
            qelImgInfo info;
            info.type = QELIMG_IMAGETYPE_TIFF;
            info.width = 64;
            info.height = 64;
            info.compression = c.infoCompression;
            info.photometric = c.photometric;
            info.xResolution = 64;
            info.yResolution = 64;
            info.stripCount = 1;
            image.setImage(&info);
            v.writeImageObject(&image);
        });
        EXPECT_EQ(0, pdfvtest::run("qpdf --check '" + pdf + "' > /dev/null").status);
        const pdfvtest::CommandResult list = pdfvtest::run("pdfimages -list '" + pdf + "'");
        EXPECT_TRUE(list.output.find(" image ") != std::string::npos || list.output.find(" stencil ") != std::string::npos)
            << list.output;
        const std::string stem = pdfvtest::tempPath("");
        pdfvtest::run("pdftoppm -r 72 -singlefile '" + pdf + "' '" + stem + "'");
        m_files.push_back(stem + ".ppm");
        Raster r;
        ASSERT_TRUE(r.load(stem + ".ppm"));
        // The image covers one inch from (1, 1) inches: 72..144 points.
        EXPECT_EQ(0x000000u, r.at(90, 108)) << "left half";
        EXPECT_EQ(0xFFFFFFu, r.at(126, 108)) << "right half";
        EXPECT_EQ(0xFFFFFFu, r.at(60, 108)) << "left of the image";
    }
    ini()->setAttribute("PKEY", "");
}

// A TIFF object under the resource path is imported as a black stencil,
// whatever colour the previous object left.
TEST_F(RasterImageTest, TiffObjectUnderTheResourcePathIsImportedInBlack)
{
    if (!pdfvtest::toolAvailable("pdftoppm"))
        GTEST_SKIP() << "pdftoppm missing";
    const std::string tif = pdfvtest::tempPath(".tif");
    m_files.push_back(tif);
    ASSERT_FALSE(halfBlackTiff(tif, COMPRESSION_CCITTFAX4, PHOTOMETRIC_MINISWHITE).empty());
    const size_t slash = tif.rfind('/');
    ini()->setResPath(tif.substr(0, slash + 1).c_str());
    TestPage page(1, 2400, 2400, 240);
    const std::string pdf = runPage(page, [&](qelPDFVisitor& v) {
        v.setOPDFColor(1, 0x0000FF, 3, 100, 0);
        qelTiffObject object;
        object.setFileName(tif.substr(slash + 1).c_str());
        object.setPosition(240, 240);
        v.writeTiffObject(&object);
    });
    EXPECT_EQ(0, pdfvtest::run("qpdf --check '" + pdf + "' > /dev/null").status);
    const pdfvtest::CommandResult list = pdfvtest::run("pdfimages -list '" + pdf + "'");
    EXPECT_NE(std::string::npos, list.output.find("64    64")) << list.output;
    const std::string stem = pdfvtest::tempPath("");
    pdfvtest::run("pdftoppm -r 72 -singlefile '" + pdf + "' '" + stem + "'");
    m_files.push_back(stem + ".ppm");
    Raster r;
    ASSERT_TRUE(r.load(stem + ".ppm"));
    int black = 0, other = 0;
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x) {
            const uint32_t c = r.at(x, y);
            black += c == 0x000000u;
            other += c != 0x000000u && c != 0xFFFFFFu;
        }
    EXPECT_GT(black, 0);
    EXPECT_EQ(0, other) << "stencil painted in a leftover colour";
}

} // namespace
