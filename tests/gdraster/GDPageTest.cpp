#include "GDRasterFixture.h"

#include "qelException.h"
#include "qelGDImageHandle.h"
#include "qelImgDIB.h"
#include "qelImgDIBHeader.h"
#include "qelLogStream.h"
#include "qelPageCoordinateTransformer.h"

#include <fstream>
#include <iterator>

namespace {

qelPoint pt(float x, float y)
{
    qelPoint p;
    p.x = x;
    p.y = y;
    return p;
}

std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST_F(GDRasterTest, InterfaceAnswersFormatsAndColourSpace)
{
    qelGDImplementor gd(nullptr);
    const struct {
        int format;
        bool supported;
    } cases[] = {{4, true}, {16, true}, {64, true}, {128, false}, {2048, false}, {0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(gd.supportsOutputType(c.format), c.supported);
        EXPECT_EQ(gd.checkOutputType(c.format), c.supported ? 0 : -1);
    }
    EXPECT_STREQ(gd.getColorSpaceName(), "RGB");
    page(gd, 240, 240, 1);
    EXPECT_STREQ(gd.getColorSpaceName(), "RGB");
    EXPECT_EQ(gd.getRotation(), 0);
    gd.release();
    EXPECT_EQ(gd.getRotation(), -1);
    qelPageCoordinateTransformer t;
    gd.setOriginMode(&t);
    EXPECT_EQ(t.getAxisMode(), 2);
    gd.setOriginMode(nullptr);
}

TEST_F(GDRasterTest, OwnerStaysWithItsImplementor)
{
    auto* owner = reinterpret_cast<qelVisitor*>(&ini);
    qelGDImplementor raster(owner);
    {
        // Another implementor made and destroyed later (the AFP visitor's,
        // or a diagnostic one without owner) leaves the first one's owner.
        qelGDImplementor other(nullptr);
        EXPECT_EQ(other.getOwner(), nullptr);
    }
    EXPECT_EQ(raster.getOwner(), owner);
}

TEST_F(GDRasterTest, CheckOutputFileAppendsAndReportsE098)
{
    qelGDImplementor gd(nullptr);
    const std::string path = scratch + "out.jpg";
    {
        std::ofstream(path) << "kept";
    }
    gd.setOutputFileName(path.c_str());
    EXPECT_EQ(gd.checkOutputFile(16), 0);
    EXPECT_EQ(gd.checkOutputFile(64), -1);
    EXPECT_EQ(readText(path), "kept"); // never truncated
    gd.setOutputFileName((scratch + "no/such/dir/x.jpg").c_str());
    try {
        gd.checkOutputFile(16);
        FAIL() << "no exception";
    } catch (qelException* e) {
        EXPECT_NE(std::string(e->getMessage()).find("E098: Unable to open file ("), std::string::npos)
            << e->getMessage();
        EXPECT_NE(std::string(e->getMessage()).find("No such file or directory"), std::string::npos);
        delete e;
    }
}

TEST_F(GDRasterTest, PageBitmapSizeRoundsHalfDown)
{
    qelGDImplementor gd(nullptr);
    page(gd, 1975, 2806, 0);
    ASSERT_NE(gd.getPageImage(), nullptr);
    EXPECT_EQ(gdImageSX(gd.getPageImage()), 2469); // 2468.75
    EXPECT_EQ(gdImageSY(gd.getPageImage()), 3507); // 3507.5 goes down
    EXPECT_FLOAT_EQ(gd.getScale(), 1.25f);
}

TEST_F(GDRasterTest, PalettePageHasWhiteFirstAndNoWhiteFill)
{
    ini->setColor(false);
    qelGDImplementor gd(nullptr);
    // White background (space 1): no fill, the palette keeps two entries.
    gd.initializePage(240, 240, 240, 300, 1, 0xFFFFFF, 8, 0, 0, 1);
    gdImagePtr im = gd.getPageImage();
    ASSERT_FALSE(gdImageTrueColor(im));
    EXPECT_EQ(gd.getWhiteIndex(), 0);
    EXPECT_EQ(gdImageRed(im, 0), 255);
    EXPECT_EQ(gdImageColorsTotal(im), 2);
    EXPECT_EQ(gdImageGetPixel(im, 10, 10), 0);
    // A coloured background fills the page; CMYK is converted.
    gd.initializePage(240, 240, 240, 300, 2, 0xFF000000u, 8, 0, 0, 2);
    EXPECT_EQ(pixelRGB(gd.getPageImage(), 100, 200), 0xFFFF00); // cyan
    // Colour on, more than 8 bits: true colour, white.
    ini->setColor(true);
    gd.initializePage(240, 240, 240, 300, 0, 0, 24, 0, 0, 3);
    EXPECT_TRUE(gdImageTrueColor(gd.getPageImage()));
    EXPECT_TRUE(isWhite(gd.getPageImage(), 5, 5));
}

TEST_F(GDRasterTest, ForgedPageSizesAreRefusedWithE028)
{
    qelGDImplementor gd(nullptr);
    const struct {
        int width, height, resolution;
    } cases[] = {{60000, 60000, 240}, {0, 100, 240}, {100, -5, 240}, {100, 100, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        try {
            gd.initializePage(c.width, c.height, c.resolution, 300, 0, 0, 8, 1, 0, 1);
            FAIL() << "no exception";
        } catch (qelException* e) {
            EXPECT_EQ(e->getId(), 28);
            EXPECT_NE(std::string(e->getMessage()).find("E028: Unable to create bitmap for a page (ErrorCode: -1"),
                      std::string::npos)
                << e->getMessage();
            delete e;
        }
        EXPECT_EQ(gd.getPageImage(), nullptr);
        // No drawing without a bitmap.
        gd.drawLine(pt(0, 0), pt(10, 10), 1, 0, true);
        gd.drawMarker(1, 0, 9, pt(5, 5), 10, 10, nullptr);
        gd.savePage();
        EXPECT_EQ(gd.getPageDIB(), nullptr);
    }
    // 60000 x 60000 units at 240 -> 75000 x 75000 pixels: the message names it.
    try {
        gd.initializePage(60000, 60000, 240, 300, 0, 0, 8, 1, 0, 1);
    } catch (qelException* e) {
        EXPECT_NE(std::string(e->getMessage()).find("75000 x 75000"), std::string::npos);
        delete e;
    }
}

TEST_F(GDRasterTest, StyledLinesByTypeAndDashes)
{
    const std::string logPath = scratch + "run.log";
    qelLogStream* log = qelGlobalDSPool::getInstance()->getLogStream();
    log->setLevelMask(0x2);
    log->open(logPath.c_str());
    qelGDImplementor gd(nullptr);
    page(gd, 400, 400, 1);
    gdImagePtr im = gd.getPageImage();
    // Type 8 draws nothing and writes nothing.
    gd.drawStyledLine(pt(0, 40), pt(200, 40), 1, 0, nullptr, 0.8f, 8, nullptr, 0);
    EXPECT_TRUE(isWhite(im, 50, 50));
    // Type 7 without dash entries: solid, with the warning.
    gd.drawStyledLine(pt(0, 80), pt(200, 80), 1, 0, nullptr, 0.8f, 7, nullptr, 0);
    for (int x = 0; x < 250; x += 7)
        EXPECT_FALSE(isWhite(im, x, 100)) << x;
    // Dash {0, 3}: three coloured, three transparent entries.
    const int dash[] = {0, 3};
    EXPECT_EQ(gd.setDashPattern(gd.getBlackIndex(), 1, dash, 2), 1);
    ASSERT_EQ(im->styleLength, 6);
    const int want[] = {gd.getBlackIndex(), gd.getBlackIndex(), gd.getBlackIndex(), gdTransparent, gdTransparent,
                        gdTransparent};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(im->style[i], want[i]) << i;
    // Patterns that cannot be used.
    const int odd[] = {1, 2, 3};
    const int negative[] = {-1, 2};
    const int zero[] = {0, 0};
    EXPECT_EQ(gd.setDashPattern(0, 1, nullptr, 0), -1);
    EXPECT_EQ(gd.setDashPattern(0, 1, odd, 3), 0);
    EXPECT_EQ(gd.setDashPattern(0, 7, dash, 2), 0);
    EXPECT_EQ(gd.setDashPattern(0, 1, negative, 2), 0);
    EXPECT_EQ(gd.setDashPattern(0, 1, zero, 2), 0);
    // A dashed line leaves gaps; thickness is 1 afterwards.
    const int dashes[] = {8, 3};
    gd.drawStyledLine(pt(0, 160), pt(200, 160), 1, 0, nullptr, 4.0f, 1, dashes, 2);
    int gaps = 0;
    for (int x = 0; x < 240; ++x)
        gaps += isWhite(im, x, 200);
    EXPECT_GT(gaps, 30);
    EXPECT_EQ(im->thick, 1);
    log->closeFile();
    const std::string text = readText(logPath);
    size_t count = 0;
    for (size_t p = text.find("Warning! Unable to set line dash pattern, using default (SOLID) pattern");
         p != std::string::npos; p = text.find("Warning! Unable", p + 1))
        ++count;
    EXPECT_EQ(count, 1u) << text;
}

TEST_F(GDRasterTest, ThickHorizontalLineLiesBelowItsPosition)
{
    qelGDImplementor gd(nullptr);
    page(gd, 400, 400, 1);
    gdImagePtr im = gd.getPageImage();
    // Width 3.2 units x 1.25 = 4 pixels; nominal y 80 x 1.25 = 100.
    int colour = -1;
    qelGlobalDSPool::getInstance()->getLogStream()->setLevelMask(0x2);
    gd.drawStyledLine(pt(40, 80), pt(160, 80), 1, 0x0000FF, &colour, 3.2f, 1, nullptr, 0);
    EXPECT_EQ(colour, 0x0000FF);
    int top = -1, bottom = -1;
    for (int y = 90; y < 115; ++y)
        if (!isWhite(im, 100, y)) {
            if (top < 0)
                top = y;
            bottom = y;
        }
    EXPECT_EQ(bottom - top + 1, 4);
    // gd centres a 4-pixel line on y: rows y-2..y+1; shifted by 2.
    EXPECT_EQ(top, 100);
    EXPECT_EQ(im->thick, 1);
    // A vertical one lies to the right.
    gd.drawStyledLine(pt(240, 100), pt(240, 200), 1, 0, nullptr, 3.2f, 1, nullptr, 0);
    EXPECT_FALSE(isWhite(im, 300, 180));
    EXPECT_FALSE(isWhite(im, 303, 180));
    EXPECT_TRUE(isWhite(im, 297, 180));
}

TEST_F(GDRasterTest, MarkersAndFigures)
{
    qelGDImplementor gd(nullptr);
    page(gd, 800, 800, 1);
    gdImagePtr im = gd.getPageImage();
    // Marker 9, width 10 pixels (8 units): a dot 5 pixels wide.
    gd.drawMarker(1, 0, 9, pt(80, 80), 8.0f, 8.0f, nullptr);
    int width = 0;
    for (int x = 85; x < 115; ++x)
        width += !isWhite(im, x, 100);
    EXPECT_GE(width, 4);
    EXPECT_LE(width, 6);
    // Marker 10 draws the full-size circle: 10 pixels across.
    gd.drawMarker(1, 0, 10, pt(160, 80), 8.0f, 8.0f, nullptr);
    EXPECT_FALSE(isWhite(im, 195, 100));
    EXPECT_FALSE(isWhite(im, 205, 100));
    EXPECT_TRUE(isWhite(im, 200, 100));
    // Unknown symbols draw nothing.
    gd.drawMarker(1, 0, 11, pt(240, 80), 8.0f, 8.0f, nullptr);
    EXPECT_TRUE(isWhite(im, 300, 100));
}

TEST_F(GDRasterTest, TrimAtTheRightEdgeEndsThere)
{
    qelGDImplementor gd(nullptr);
    page(gd, 400, 400, 0);
    gd.trimImage(400, 10, 1000, 50);
    EXPECT_EQ(gdImageSX(gd.getPageImage()), 100);
    EXPECT_EQ(gdImageSY(gd.getPageImage()), 50);
    gd.resizePage(50, 20);
    EXPECT_EQ(gdImageSX(gd.getPageImage()), 50);
    EXPECT_EQ(gdImageSY(gd.getPageImage()), 20);
    EXPECT_FALSE(gdImageTrueColor(gd.getPageImage()));
}

TEST_F(GDRasterTest, SavePageGivesTheDIBRows)
{
    qelGDImplementor gd(nullptr);
    // True colour: red, green, blue bytes, no padding.
    page(gd, 8, 8, 1);
    gdImageSetPixel(gd.getPageImage(), 1, 0, gdTrueColor(10, 20, 30));
    gd.savePage();
    qelImgDIB* dib = gd.getPageDIB();
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(dib->header->biWidth, 10);
    EXPECT_EQ(dib->header->biBitCount, 24);
    EXPECT_EQ(dib->bits[3], 10);
    EXPECT_EQ(dib->bits[4], 20);
    EXPECT_EQ(dib->bits[5], 30);
    EXPECT_EQ(dib->bits[30], 255); // row 1 starts at 3 x 10
    gd.release();
    EXPECT_EQ(gd.getPageDIB(), nullptr);
    // Palette: indexes and 256 blue-green-red-0 entries.
    ini->setColor(false);
    page(gd, 8, 8, 0);
    const int red = gdImageColorResolve(gd.getPageImage(), 200, 0, 0);
    gdImageSetPixel(gd.getPageImage(), 2, 1, red);
    gd.savePage();
    dib = gd.getPageDIB();
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(dib->header->biBitCount, 8);
    EXPECT_EQ(dib->header->biClrUsed, 256u);
    EXPECT_EQ(dib->bits[10 + 2], red);
    EXPECT_EQ(dib->palette[4 * red + 2], 200);
    EXPECT_EQ(dib->palette[4 * red], 0);
    EXPECT_EQ(dib->palette[4 * 255 + 2], 0);
    // endPage hands the DIB over.
    gd.endPage();
    EXPECT_EQ(gd.getPageDIB(), nullptr);
    EXPECT_EQ(gd.getPageImage(), nullptr);
    delete dib;
}
