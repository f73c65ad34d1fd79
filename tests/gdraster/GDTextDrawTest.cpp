#include "GDRasterFixture.h"
#include "NullVisitor.h"

#include "qelAFPCharMetrics.h"
#include "qelAFPFont.h"
#include "qelAFPFontMetrics.h"
#include "qelAFPFontRepresentation.h"
#include "qelException.h"
#include "qelFontGlyph.h"
#include "qelFontMetrics.h"
#include "qelGDImageHandle.h"
#include "qelLorbane.h"
#include "qelFontRepresentation.h"
#include "qelPDFFontFileEntry.h"
#include "qelPageCoordinateTransformer.h"
#include "qelTextObject.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <memory>
#include <vector>

namespace {

const char* const kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

} // namespace

// A page of 240 units at 300 dpi, an owner whose transformer is at (40, 80)
// in 240 units, and a font of 12 points with relative metrics.
class GDTextDrawTest : public GDRasterTest
{
protected:
    void SetUp() override
    {
        GDRasterTest::SetUp();
        owner.reset(new lrbtest::NullVisitor());
        gd.reset(new qelGDImplementor(owner.get()));
        page(*gd, 800, 400, 1);
        t = owner->getTransformer();
        t->setResolution(240);
        t->setPosition(40.0f, 80.0f);
        font.reset(new qelAFPFont("C0TEST10", "T1TEST10"));
        font->ensureRepresentation();
        font->setHeight(120);
        font->setRelativeMetric(true);
        font->setResolution(240);
        for (int c : {0x41, 0x42, 0x43, 0x40}) {
            metrics.emplace_back(new qelAFPCharMetrics());
            metrics.back()->setCharIncrement(0, 500);
            entry.charMetrics[c] = metrics.back().get();
        }
        text.setText("A BC");
        text.setResolution(240);
        text.setColorValue(0);
    }
    void TearDown() override
    {
        gd.reset();
        font.reset();
        owner.reset();
        GDRasterTest::TearDown();
    }

    // Columns in [fromX, toX) with a pixel that is not white.
    int inkedColumns(int fromX, int toX) const
    {
        gdImagePtr im = gd->getPageImage();
        int n = 0;
        for (int x = fromX; x < toX && x < gdImageSX(im); ++x) {
            for (int y = 0; y < gdImageSY(im); ++y) {
                if (!isWhite(im, x, y)) {
                    ++n;
                    break;
                }
            }
        }
        return n;
    }

    std::unique_ptr<lrbtest::NullVisitor> owner;
    std::unique_ptr<qelGDImplementor> gd;
    qelPageCoordinateTransformer* t = nullptr;
    std::unique_ptr<qelAFPFont> font;
    std::vector<std::unique_ptr<qelAFPCharMetrics>> metrics;
    qelPDFFontFileEntry entry{"T1TEST10"};
    qelTextObject text;
};

TEST_F(GDTextDrawTest, NothingIsDrawnWithoutArgumentsOrFontFile)
{
    const uint8_t codes[] = {'A'};
    EXPECT_EQ(-1.0f, gd->drawText(&text, font.get(), &entry, codes, 1, 0x40, nullptr, false));
    EXPECT_EQ(-1.0f, gd->drawOutlineText(&text, font.get(), nullptr));
    gd->setFontFileName(kDejaVu);
    EXPECT_EQ(-1.0f, gd->drawText(nullptr, font.get(), &entry, codes, 1, 0x40, nullptr, false));
    EXPECT_EQ(-1.0f, gd->drawText(&text, nullptr, &entry, codes, 1, 0x40, nullptr, false));
    EXPECT_EQ(-1.0f, gd->drawText(&text, font.get(), nullptr, codes, 1, 0x40, nullptr, false));
    EXPECT_EQ(0.0f, gd->drawText(&text, font.get(), &entry, codes, 0, 0x40, nullptr, false));
    EXPECT_EQ(0.0f, gd->drawText(&text, font.get(), &entry, nullptr, 1, 0x40, nullptr, false));
    EXPECT_EQ(-1.0f, gd->drawOutlineText(nullptr, font.get(), nullptr));
    EXPECT_EQ(0, inkedColumns(0, gdImageSX(gd->getPageImage())));
}

// 500/1000 em of a 12-point font at 300 dpi is 25 pixels, 20 page units.
TEST_F(GDTextDrawTest, RelativeIncrementsAdvanceAndInk)
{
    gd->setFontFileName(kDejaVu);
    const uint8_t codes[] = {'A', 'B', 'C'};
    for (bool byteFont : {false, true}) {
        SCOPED_TRACE(byteFont);
        EXPECT_FLOAT_EQ(60.0f, gd->drawText(&text, font.get(), &entry, codes, 3, 0x40, nullptr, byteFont));
    }
    // Start at 40 units = 50 px; the third glyph starts at 100 px and is
    // about 35 px wide.
    EXPECT_EQ(0, inkedColumns(0, 49));
    EXPECT_GT(inkedColumns(50, 126), 40);
    EXPECT_EQ(0, inkedColumns(145, 800));
}

// Converted bytes equal to the space code are skipped: the variable space
// increment, else the font's space width, moves the pen.
TEST_F(GDTextDrawTest, SpaceCodeAdvancesWithoutDrawing)
{
    gd->setFontFileName(kDejaVu);
    auto* fm = new qelAFPFontMetrics;
    fm->addOrientation(0);
    fm->setSpaceCharIncrement(0, 200); // 10 px
    font->getRepresentation()->setMetrics(fm);
    const unsigned char converted[] = {0x40, 0x40};
    text.setTextLength(2);
    text.setCodePointText(converted);
    const uint8_t codes[] = {0x40, 0x40};
    struct Case {
        float spacing;
        float expected; // page units
    } cases[] = {{24.0f, 48.0f}, {65535.0f, 16.0f}, {0.0f, 16.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.spacing);
        text.setWordSpacing(c.spacing);
        EXPECT_FLOAT_EQ(c.expected, gd->drawText(&text, font.get(), &entry, codes, 2, 0x40, nullptr, false));
    }
    EXPECT_EQ(0, inkedColumns(0, gdImageSX(gd->getPageImage())));
    // Codes past the converted text are drawn.
    const uint8_t three[] = {0x40, 0x40, 'A'};
    text.setWordSpacing(0.0f);
    EXPECT_FLOAT_EQ(36.0f, gd->drawText(&text, font.get(), &entry, three, 3, 0x40, nullptr, false));
    EXPECT_GT(inkedColumns(0, gdImageSX(gd->getPageImage())), 5);
}

TEST_F(GDTextDrawTest, FixedMetricFontOfResolutionZeroIsRefused)
{
    gd->setFontFileName(kDejaVu);
    font->setRelativeMetric(false);
    font->setResolution(0);
    const uint8_t codes[] = {'A'};
    try {
        gd->drawText(&text, font.get(), &entry, codes, 1, 0x40, nullptr, false);
        FAIL() << "no exception";
    } catch (qelException* e) {
        EXPECT_EQ(114, e->getId());
        delete e;
    }
}

// A code without metrics takes the drawn glyph's width.
TEST_F(GDTextDrawTest, MissingMetricsTakeTheGlyphWidth)
{
    gd->setFontFileName(kDejaVu);
    const uint8_t codes[] = {'W'};
    const float advance = gd->drawText(&text, font.get(), &entry, codes, 1, 0x40, nullptr, false);
    // About one em: 50 px, 40 units.
    EXPECT_GT(advance, 30.0f);
    EXPECT_LT(advance, 50.0f);
}

TEST_F(GDTextDrawTest, OutlineTextReturnsItsWidth)
{
    gd->setFontFileName(kDejaVu);
    ini->setResolution(300);
    text.setText("HHHH");
    const float width = gd->drawOutlineText(&text, font.get(), nullptr);
    // Four advances of 0.75 em at 50 px an em: 150 px, 120 units.
    EXPECT_GT(width, 110.0f);
    EXPECT_LT(width, 130.0f);
    EXPECT_GT(inkedColumns(50, 50 + static_cast<int>(width * 1.25f) + 2), 10);
}

TEST_F(GDTextDrawTest, GlyphBitmapIsDrawnAtTheScaledPosition)
{
    unsigned char rows[4 * 4];
    for (unsigned char& b : rows)
        b = 255;
    FT_Bitmap bitmap{};
    bitmap.rows = 4;
    bitmap.width = 4;
    bitmap.pitch = 4;
    bitmap.buffer = rows;
    bitmap.num_grays = 256;
    bitmap.pixel_mode = FT_PIXEL_MODE_GRAY;
    gd->drawGlyphBitmap(80.0f, 40.0f, 1, 0, &bitmap);
    gdImagePtr im = gd->getPageImage();
    EXPECT_FALSE(isWhite(im, 100, 50));
    EXPECT_FALSE(isWhite(im, 103, 53));
    EXPECT_TRUE(isWhite(im, 99, 50));
    EXPECT_TRUE(isWhite(im, 104, 50));
    gd->drawGlyphBitmap(0.0f, 0.0f, 1, 0, nullptr);
}

namespace {

// A representation whose strip holds one 8 x 8 glyph: a solid upper half.
qelFontMetrics* halfBlockMetrics()
{
    auto* m = new qelFontMetrics;
    m->setMaxCharBoxWidth(8);
    m->setMaxCharBoxHeight(8);
    auto* glyph = new qelFontGlyph;
    glyph->setWidth(8);
    glyph->setHeight(8);
    const uint8_t bits[] = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};
    glyph->setRaster(bits, 8);
    m->setGlyphList(new qelFontGlyph*[1]{glyph}, 1);
    auto* a = new qelAFPCharMetrics;
    a->setGlyph(glyph);
    m->setCharMetricsList(new qelCharMetrics*[1]{a}, 1);
    return m;
}

} // namespace

TEST_F(GDTextDrawTest, GlyphStripCharactersTakeTheTextColour)
{
    qelLorbane::registerImageHandleFactory(&qelGDImplementor::createImageHandle);
    qelAFPFontRepresentation rep;
    EXPECT_EQ(-1, gd->drawImageHandle(&text, 0, 0, 0, 8, 8, 0, 0, 8, 8, &rep, nullptr));
    rep.setMetrics(halfBlockMetrics());
    rep.buildGlyphBitmap();
    ASSERT_NE(rep.getRasterImage(), nullptr);
    gdImagePtr strip = static_cast<qelGDImageHandle*>(rep.getRasterImage())->getImage();
    gdImagePtr im = gd->getPageImage();
    EXPECT_EQ(-1, gd->drawImageHandle(nullptr, 0, 0, 0, 8, 8, 0, 0, 8, 8, &rep, nullptr));

    // Red text at (80, 40) units: 10 x 10 pixels from (100, 50).
    text.setColorSpace(1);
    EXPECT_EQ(1, gd->drawImageHandle(&text, 0x0000FF, 80, 40, 8, 8, 0, 0, 8, 8, &rep, nullptr));
    EXPECT_EQ(0x0000FF, pixelRGB(im, 102, 51));
    EXPECT_TRUE(isWhite(im, 102, 58)); // the lower half is background
    EXPECT_TRUE(isWhite(im, 99, 51));

    // OCA 7 is white: on black only the glyph shows, and the strip is put back.
    const int black = gdImageColorResolve(im, 0, 0, 0);
    gdImageFilledRectangle(im, 200, 0, 260, 60, black);
    text.setColorSpace(5);
    EXPECT_EQ(1, gd->drawImageHandle(&text, 7, 176, 16, 8, 8, 0, 0, 8, 8, &rep, nullptr));
    EXPECT_TRUE(isWhite(im, 222, 21));
    EXPECT_EQ(0, pixelRGB(im, 222, 28));
    EXPECT_EQ(255, gdImageRed(strip, 0));
    EXPECT_EQ(0, gdImageRed(strip, 1));
    EXPECT_EQ(0, gdImageGetTransparent(strip));

    // A text turned by a quarter: the solid half lies on a side.
    text.setColorSpace(1);
    text.setIAxisOrientation(90);
    text.setAngle(90.0f, true);
    EXPECT_EQ(1, gd->drawImageHandle(&text, 0, 80, 160, 8, 8, 0, 0, 8, 8, &rep, nullptr));
    int inkedLeft = 0, inkedRight = 0;
    for (int y = 200; y < 210; ++y) {
        inkedLeft += !isWhite(im, 101, y);
        inkedRight += !isWhite(im, 108, y);
    }
    EXPECT_NE(inkedLeft > 5, inkedRight > 5);
    // Angles off the quarter turns draw nothing.
    text.setAngle(45.0f, true);
    EXPECT_EQ(-1, gd->drawImageHandle(&text, 0, 0, 0, 8, 8, 0, 0, 8, 8, &rep, nullptr));
}
