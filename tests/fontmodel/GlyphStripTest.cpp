#include "FontModelFixture.h"

#include "qelAFPCharMetrics.h"
#include "qelAFPFontRepresentation.h"
#include "qelFontGlyph.h"
#include "qelFontMetrics.h"
#include "qelException.h"
#include "qelGDImageHandle.h"

#include <fstream>
#include <iterator>

namespace {

// Metrics with a 33 x 3 pel box and three entries: a glyph 10 pels wide,
// an entry without glyph and a glyph claiming more rows than its bytes.
qelFontMetrics* stripMetrics()
{
    auto* m = new qelFontMetrics;
    m->setMaxCharBoxWidth(33);
    m->setMaxCharBoxHeight(3);
    auto* wide = new qelFontGlyph;
    wide->setWidth(10);
    wide->setHeight(2);
    const uint8_t wideBits[] = {0xFF, 0xC0, 0x80, 0x40};
    wide->setRaster(wideBits, 4);
    auto* damaged = new qelFontGlyph;
    damaged->setWidth(8);
    damaged->setHeight(200);
    const uint8_t damagedBits[] = {0x81};
    damaged->setRaster(damagedBits, 1);
    m->setGlyphList(new qelFontGlyph*[2]{wide, damaged}, 2);
    auto* a = new qelAFPCharMetrics;
    a->setGlyph(wide);
    auto* blank = new qelAFPCharMetrics;
    auto* c = new qelAFPCharMetrics;
    c->setGlyph(damaged);
    m->setCharMetricsList(new qelCharMetrics*[4]{a, nullptr, blank, c}, 4);
    return m;
}

} // namespace

TEST_F(FontModelTest, GlyphStripStacksGlyphsInBoxSlots)
{
    qelAFPFontRepresentation rep;
    rep.buildGlyphBitmap(); // no metrics: nothing
    EXPECT_EQ(rep.getRasterImage(), nullptr);
    rep.setMetrics(stripMetrics());
    rep.buildGlyphBitmap();
    // A gd image of the gd module, read through gd's macros only.
    ASSERT_NE(rep.getRasterImage(), nullptr);
    ASSERT_EQ(rep.getRasterImage()->getHandleKind(), 0);
    gdImagePtr image = static_cast<qelGDImageHandle*>(rep.getRasterImage())->getImage();
    EXPECT_EQ(gdImageSX(image), 64); // 33 pels raised to 64: 8 bytes a row
    EXPECT_EQ(gdImageSY(image), 12);
    EXPECT_EQ(gdImageColorsTotal(image), 2);
    // The white entry of a 1-bit strip is transparent: only ink is drawn.
    EXPECT_EQ(gdImageGetTransparent(image), 0);
    EXPECT_EQ(gdImageRed(image, 0), 255);
    EXPECT_EQ(gdImageRed(image, 1), 0);

    auto pel = [&](int x, int y) { return gdImagePalettePixel(image, x, y); };
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(pel(x, 0), 1) << x;
    EXPECT_EQ(pel(10, 0), 0);
    EXPECT_EQ(pel(0, 1), 1);
    EXPECT_EQ(pel(9, 1), 1);
    EXPECT_EQ(pel(1, 1), 0);
    for (int y = 3; y < 9; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(pel(x, y), 0) << x << "," << y;
    EXPECT_EQ(pel(0, 9), 1);
    EXPECT_EQ(pel(7, 9), 1);
    EXPECT_EQ(pel(0, 10), 0); // rows past the glyph's bytes stay white

    qelCharMetrics** list = rep.getMetrics()->getCharMetricsList();
    EXPECT_EQ(list[0]->getPatternIndex(), 0);
    EXPECT_EQ(list[2]->getPatternIndex(), 2);
    EXPECT_EQ(list[3]->getPatternIndex(), 3);

    qelImageHandle* first = rep.getRasterImage();
    rep.buildGlyphBitmap();
    EXPECT_EQ(rep.getRasterImage(), first);
}

TEST_F(FontModelTest, DevTestDumpsTheBitmapBottomUp)
{
    ini->setDevTest(true);
    ini->setTempPath(scratch.c_str());
    qelAFPFontRepresentation rep;
    rep.setRequestedName("C0STRIP");
    rep.setMetrics(stripMetrics());
    rep.buildGlyphBitmap();
    ASSERT_NE(rep.getRasterImage(), nullptr);
    std::ifstream in(scratch + "C0STRIP.dib", std::ios::binary);
    ASSERT_TRUE(in.good());
    const std::vector<unsigned char> dib((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(dib.size(), 40u + 8u + 8u * 12u);
    auto le32 = [&](size_t at) {
        return static_cast<int32_t>(dib[at] | (dib[at + 1] << 8) | (dib[at + 2] << 16) | (dib[at + 3] << 24));
    };
    EXPECT_EQ(le32(0), 40);
    EXPECT_EQ(le32(4), 64);
    EXPECT_EQ(le32(8), 12); // positive: bottom-up
    EXPECT_EQ(le32(20), 96);
    EXPECT_EQ(le32(32), 2);
    EXPECT_EQ(le32(40), -1); // white
    EXPECT_EQ(le32(44), 0);  // black
    EXPECT_EQ(dib[48], 0xFF);
    EXPECT_EQ(dib[49], 0xC0);
}

TEST_F(FontModelTest, ImpossibleStripSizesAreRefused)
{
    qelAFPFontRepresentation rep;
    auto* m = new qelFontMetrics;
    m->setMaxCharBoxWidth(0x7FFFFFF0);
    m->setMaxCharBoxHeight(0x7FFFFFF0);
    m->setCharMetricsList(new qelCharMetrics*[1]{new qelAFPCharMetrics}, 1);
    rep.setMetrics(m);
    try {
        rep.buildGlyphBitmap();
        ADD_FAILURE() << "no error";
    } catch (qelException* e) {
        EXPECT_EQ(e->getId(), 38);
        delete e;
    }
    EXPECT_EQ(rep.getRasterImage(), nullptr);
}
