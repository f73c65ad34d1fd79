#include "FontModelFixture.h"

#include "qelAFPCharMetrics.h"
#include "qelAFPFontMetrics.h"
#include "qelFontGlyph.h"
#include "qelFontMetrics.h"
#include "qelType3CharMetrics.h"

TEST_F(FontModelTest, FirstOrientationStandsInForZeroDegrees)
{
    qelFontMetrics m;
    EXPECT_EQ(m.getCapMHeight(0), -32768);
    m.setCapMHeight(2, 700);
    EXPECT_EQ(m.getCapMHeight(0), 700);
    EXPECT_EQ(m.getCapMHeight(2), 700);
    m.setCapMHeight(0, 710);
    m.setCapMHeight(1, 720);
    EXPECT_EQ(m.getCapMHeight(0), 710);
    EXPECT_EQ(m.getCapMHeight(1), 720);
    EXPECT_EQ(m.getCapMHeight(7), 710);
    EXPECT_EQ(m.getCapMHeight(-1), 710);

    qelFontMetrics illegal;
    illegal.setUnderscoreWidth(4, 50);
    illegal.setUnderscoreWidth(4, 60);
    EXPECT_EQ(illegal.getUnderscoreWidth(0), 50);
    EXPECT_EQ(illegal.getUnderscoreWidth(1), -32768);
    illegal.setMaxCharIncrement(3, 90);
    EXPECT_EQ(illegal.getMaxCharIncrement(0), 90);

    // Flags outside 0..3 are dropped instead of written past the arrays.
    illegal.setKerning(5, true);
    illegal.setUniformCharIncrement(-2, true);
    EXPECT_FALSE(illegal.hasKerning(0));
    illegal.setKerning(2, true);
    EXPECT_TRUE(illegal.hasKerning(2));
    EXPECT_FALSE(illegal.hasKerning(9));
}

TEST_F(FontModelTest, AFPMetricsFollowTheRotationRule)
{
    qelAFPCharMetrics only90;
    only90.setCharIncrement(1, 555);
    EXPECT_EQ(only90.getCharIncrement(0), 555);
    EXPECT_EQ(only90.getCharIncrement(1), 555);
    EXPECT_EQ(only90.getBSpace(0), 0xFFFF);

    qelAFPCharMetrics own;
    own.setASpace(0, -5);
    own.setASpace(2, 17);
    EXPECT_EQ(own.getASpace(0), -5);
    EXPECT_EQ(own.getASpace(7), -5);
    EXPECT_EQ(own.getASpace(2), 17);

    own.setGlyphName(1, "LA010000");
    own.setGlyphName(2, "LB010000");
    EXPECT_STREQ(own.getGlyphName(), "LA010000");
    own.setGlyphName(0, "LC010000");
    EXPECT_STREQ(own.getGlyphName(), "LC010000");

    qelAFPFontMetrics font;
    for (int r : {0, 1, 2, 3, 1})
        font.addOrientation(r);
    EXPECT_EQ(font.getOrientationCount(), 4);
    EXPECT_TRUE(font.hasOrientation(3));

    qelAFPFontMetrics only270;
    only270.addOrientation(3);
    EXPECT_FALSE(only270.hasOrientation(0));
    EXPECT_FALSE(only270.hasOrientation(4));
    only270.setSpaceCharIncrement(3, 333);
    only270.setMaxAscenderHeight(3, 800);
    only270.setMinASpace(3, -40);
    EXPECT_EQ(only270.getSpaceCharIncrement(0), 0);
    EXPECT_EQ(only270.getSpaceCharIncrement(3), 333);
    EXPECT_EQ(only270.getMaxAscenderHeight(0), 800);
    EXPECT_EQ(only270.getMinASpace(0), -40);
    EXPECT_EQ(only270.getDefaultBaselineIncrement(0), 0xFFFF);
    only270.setDefaultBaselineIncrement(3, 280);
    EXPECT_EQ(only270.getDefaultBaselineIncrement(0), 280);
}

TEST_F(FontModelTest, CharacterMetricsLookUps)
{
    qelFontMetrics m;
    EXPECT_EQ(m.findCharMetrics("SP010000"), nullptr);
    auto* named = new qelAFPCharMetrics;
    named->setGlyphName("sp010000");
    named->setCodePoint(0x40);
    auto* exact = new qelAFPCharMetrics;
    exact->setGlyphName("SP010000");
    auto* type3 = new qelType3CharMetrics;
    type3->setGlyphName("a");
    type3->setCodePoint(0x61);
    m.setCharMetricsList(new qelCharMetrics*[4]{nullptr, named, exact, type3}, 4);
    EXPECT_EQ(m.findCharMetrics("SP010000"), exact);
    EXPECT_EQ(m.findCharMetrics(nullptr), nullptr);
    EXPECT_EQ(m.findCharMetrics("a"), nullptr); // not an AFP entry
    EXPECT_EQ(m.findCharMetricsByCode(0x40), named);
    EXPECT_EQ(m.findCharMetricsByCode(0x61), type3);
    EXPECT_EQ(m.findCharMetricsByCode(-1), nullptr);
}

TEST_F(FontModelTest, ReplacingTheCharacterListKeepsTheGlyphs)
{
    qelFontMetrics m;
    auto* glyph = new qelFontGlyph;
    const uint8_t bits[] = {0xF0, 0x0F};
    glyph->setRaster(bits, 2);
    m.setGlyphList(new qelFontGlyph*[1]{glyph}, 1);
    auto* c = new qelAFPCharMetrics;
    c->setGlyph(glyph);
    m.setCharMetricsList(new qelCharMetrics*[1]{c}, 1);
    m.setCharMetricsList(new qelCharMetrics*[1]{new qelAFPCharMetrics}, 1);
    EXPECT_EQ(m.getGlyph(0), glyph);
    EXPECT_EQ(m.getGlyph(0)->getRaster()[1], 0x0F);
    EXPECT_EQ(m.getGlyph(1), nullptr);
    m.setCharMetricsList(nullptr, 0);
    EXPECT_EQ(m.getCharMetricsList(), nullptr);
    EXPECT_EQ(m.getCharMetricsCount(), 0);

    glyph->setRaster(nullptr, 5);
    EXPECT_EQ(glyph->getRaster(), nullptr);
    EXPECT_EQ(glyph->getRasterLength(), 0);
}
