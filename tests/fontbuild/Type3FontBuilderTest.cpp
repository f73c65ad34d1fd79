// The Type 3 font builder on hand-made raster fonts: widths, procedures,
// Differences and the failures of damaged or incomplete fonts.
#include "BuilderTestSupport.h"

#include "qelAFPCSBuilder.h"
#include "qelFontConverter.h"
#include "qelString.h"
#include "qelType1PFBBuilder.h"
#include "qelType1PFMBuilder.h"
#include "qelType3FontBuilder.h"
#include "qelType3FontRepresentation.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

using namespace buildtest;
using lrbtest::raised;

namespace {

class Type3FontBuilderTest : public lrbtest::ScratchTest
{
protected:
    std::unique_ptr<qelType3FontRepresentation> build(Font& font)
    {
        qelFontConverter converter;
        converter.setQuietMode(1);
        return std::unique_ptr<qelType3FontRepresentation>(
            static_cast<qelType3FontRepresentation*>(converter.convert(font.rep.get(), 4)));
    }
    lrbtest::Raised failure(Font& font)
    {
        return raised([&] { build(font); });
    }
};

std::string contentOf(const qelType3CharProc* proc)
{
    return proc ? std::string(reinterpret_cast<const char*>(proc->content), static_cast<size_t>(proc->length))
                 : std::string();
}

// The d1 operands of a procedure: width, llx, lly, urx, ury.
std::vector<double> d1Of(const qelType3CharProc* proc)
{
    double w = 0, wy = 0, llx = 0, lly = 0, urx = 0, ury = 0;
    if (std::sscanf(contentOf(proc).c_str(), "%lf %lf %lf %lf %lf %lf d1", &w, &wy, &llx, &lly, &urx, &ury) != 6)
        return {};
    return {w, llx, lly, urx, ury};
}

} // namespace

TEST_F(Type3FontBuilderTest, FactoryServesThePfmPfbType3AndAfpCharacterSetTargetsOnly)
{
    for (int type = -1; type <= 10; ++type) {
        std::unique_ptr<qelFontBuilder> builder(qelFontConverter::createBuilder(type));
        switch (type) {
        case 2: EXPECT_TRUE(dynamic_cast<qelType1PFMBuilder*>(builder.get())); break;
        case 3: EXPECT_TRUE(dynamic_cast<qelType1PFBBuilder*>(builder.get())); break;
        case 4: EXPECT_TRUE(dynamic_cast<qelType3FontBuilder*>(builder.get())); break;
        case 7: EXPECT_TRUE(dynamic_cast<qelAFPCSBuilder*>(builder.get())); break;
        default: EXPECT_EQ(builder, nullptr) << type;
        }
    }
    Font font;
    font.setGlyphs({{"LA020000"}});
    font.setCodes({{0xC1, "LA020000"}});
    qelFontConverter converter;
    for (int type : {5, 6, 8})
        EXPECT_EQ(converter.convert(font.rep.get(), type), nullptr) << type;
}

TEST_F(Type3FontBuilderTest, WidthsFollowTheFontScale)
{
    // 240 pels and 12 points: 25 units a pel.
    struct Case
    {
        const char* what;
        int increment;
        int maxIncrement;
        bool uniform;
        int width;
    } cases[] = {
        {"increment 40", 40, 100, false, 1000},
        {"above the maximum", 40, 30, false, 750},
        {"uniform increment", 10, 36, true, 900},
    };
    for (const Case& c : cases) {
        Font font;
        font.metrics->setMaxCharIncrement(0, static_cast<int16_t>(c.maxIncrement));
        font.metrics->setUniformCharIncrement(0, c.uniform);
        Glyph g{"LA020000"};
        g.increment = c.increment;
        font.setGlyphs({g});
        font.setCodes({{0xC1, "LA020000"}});
        auto t3 = build(font);
        ASSERT_TRUE(t3) << c.what;
        EXPECT_EQ(t3->getWidthTable()[0], c.width) << c.what;
        EXPECT_EQ(d1Of(t3->getCharProcs()[0]).at(0), c.width) << c.what;
    }
}

TEST_F(Type3FontBuilderTest, SpaceCodeGetsTheSpaceProcedureAndIncrement)
{
    // With metrics of SP010000, and with only the code's own glyph name
    // having metrics.
    for (const char* gcgid : {"SP010000", "SP010001"}) {
        Font font;
        font.setGlyphs({{gcgid}, {"LA020000"}});
        font.setCodes({{0x40, gcgid}, {0xC1, "LA020000"}});
        auto t3 = build(font);
        ASSERT_TRUE(t3) << gcgid;
        EXPECT_EQ(t3->getWidthTable()[0], 500) << gcgid;
        EXPECT_STREQ(t3->getCharProcs()[0]->name, "QELSPACE");
        const std::string golden = std::string("500 0 1 1 1 1 d1\nq\n1 0 0 1 0 0 cm\nBI\n/BPC 1\n/IM true\n/D [1 0]\n"
                                               "/W 1\n/H 1\nID ")
                                   + '\0' + "EI\nQ";
        EXPECT_EQ(contentOf(t3->getCharProcs()[0]), golden);
        EXPECT_STREQ(t3->getDifferences()->getBuffer(), " 64 /QELSPACE 193 /LA020000");
    }
}

TEST_F(Type3FontBuilderTest, CodeWithoutGlyphNameGetsNothingAndEndsTheRun)
{
    Font font;
    font.setGlyphs({{"LA020000"}, {"LC020000"}});
    font.setCodes({{0xC1, "LA020000"}, {0xC2, nullptr}, {0xC3, "LC020000"}});
    auto t3 = build(font);
    ASSERT_TRUE(t3);
    EXPECT_STREQ(t3->getDifferences()->getBuffer(), " 193 /LA020000 195 /LC020000");
    EXPECT_EQ(t3->getWidthTable()[1], 0);
    EXPECT_EQ(t3->getCharProcCount(), 2);
    EXPECT_STREQ(t3->getCharProcs()[1]->name, "LC020000");
    // Sized by the code range: every code fits.
    EXPECT_EQ(t3->getCharProcArraySize(), 3);
}

TEST_F(Type3FontBuilderTest, GlyphBoxesTakeTheFontValues)
{
    // Uniform A-space: the box starts at the minimum A-space; ascender 0:
    // the font's maximum ascender height.
    Font font;
    font.metrics->setUniformASpace(0, true);
    font.metrics->setMinASpace(0, -2);
    Glyph g{"LA020000"};
    g.aSpace = 3;
    g.ascender = 0;
    g.descender = 4;
    font.setGlyphs({g});
    font.setCodes({{0xC1, "LA020000"}});
    auto t3 = build(font);
    ASSERT_TRUE(t3);
    const std::vector<double> d1 = d1Of(t3->getCharProcs()[0]);
    ASSERT_EQ(d1.size(), 5u);
    EXPECT_DOUBLE_EQ(d1[1], -50.0);
    EXPECT_DOUBLE_EQ(d1[4], 30 * 25.0);
}

TEST_F(Type3FontBuilderTest, ProcedureEqualsItsGoldenText)
{
    Font font;
    Glyph g{"LA020000"};
    g.increment = 5;
    g.aSpace = 1;
    g.cSpace = 1;
    g.ascender = 1;
    g.descender = 1;
    g.width = 3;
    g.height = 2;
    font.setGlyphs({g});
    font.setCodes({{0xC1, "LA020000"}});
    auto t3 = build(font);
    ASSERT_TRUE(t3);
    EXPECT_EQ(contentOf(t3->getCharProcs()[0]), "125 0 25.000000 -25.000000 100.000000 25.000000 d1\n"
                                                "q\n"
                                                "75.000000 0 0 50.000000 25.000000 -25.000000 cm\n"
                                                "BI\n/BPC 1\n/IM true\n/D [1 0]\n/W 3\n/H 2\nID \xFF\xFF"
                                                "EI\nQ");
}

TEST_F(Type3FontBuilderTest, CodesOfOneGlyphNameShareOneProcedure)
{
    // Two codes without metrics of their own both take the default
    // character: one procedure of that name, both widths and entries.
    Font font;
    font.rep->setSpaceCharName(nullptr);
    font.rep->setDefaultCharName("LA020000");
    font.setGlyphs({{"LA020000"}});
    font.setCodes({{0xC1, "LX010000"}, {0xC2, "LY010000"}});
    auto t3 = build(font);
    ASSERT_TRUE(t3);
    EXPECT_STREQ(t3->getDifferences()->getBuffer(), " 193 /LA020000 /LA020000");
    ASSERT_TRUE(t3->getCharProcs()[0]);
    EXPECT_EQ(t3->getCharProcs()[1], nullptr);
    EXPECT_EQ(t3->getCharProcCount(), 2);
    EXPECT_EQ(t3->getWidthTable()[1], 1000);
}

TEST_F(Type3FontBuilderTest, NamesOutsideThePdfNameCharactersAreEscaped)
{
    Font font;
    font.setGlyphs({{"L(A) 2#"}});
    font.setCodes({{0xC1, "L(A) 2#"}});
    auto t3 = build(font);
    ASSERT_TRUE(t3);
    EXPECT_STREQ(t3->getDifferences()->getBuffer(), " 193 /L#28A#29#202#23");
    EXPECT_STREQ(t3->getCharProcs()[0]->name, "L#28A#29#202#23");
}

TEST_F(Type3FontBuilderTest, DamagedFontsFailWithE114)
{
    struct Case
    {
        const char* what;
        std::function<void(Font&)> damage;
        const char* reason;
    } cases[] = {
        {"pattern short by a byte",
         [](Font& f) {
             Glyph g{"LA020000"};
             g.width = 10;
             g.height = 20;
             g.rasterLength = 39;
             f.setGlyphs({g});
         },
         "Type3 font creation failed. Pattern data length (39) for GCCID LA020000 is less than expected data length "
         "(40)"},
        {"height 0", [](Font& f) { f.rep->setHeight(0); }, "Invalid size (0)"},
        {"no resolution",
         [](Font& f) {
             f.rep->setFontResolutionY(0);
             f.rep->setUnitsPerUnitBase(0);
         },
         "Invalid resolution (0)"},
        {"reversed range",
         [](Font& f) {
             f.rep->setFirstChar(0xC2);
             f.rep->setLastChar(0xC1);
         },
         "Code point of last character (193) is less than the code point of first character (194)"},
        {"range beyond one byte", [](Font& f) { f.rep->setLastChar(300); }, "Code range (193 to 300) lies outside 0 to 255"},
        {"no metrics anywhere",
         [](Font& f) {
             f.rep->setSpaceCharName("SP010000");
             f.rep->setDefaultCharName("LB020000");
             f.setCodes({{0xC1, "LZ020000"}});
         },
         "Type3 generation: CS=C0TEST10, Metrics not found for character (GCCID=LZ020000). Also for space "
         "(GCGID=SP010000) and default (GCGID=LB020000) characters"},
        {"no glyph names", [](Font& f) { f.rep->setGCGIDArray(nullptr); }, "GCGID array is empty"},
        {"no metrics", [](Font& f) { f.rep->setMetrics(nullptr); }, "Font metrics is null"},
    };
    for (const Case& c : cases) {
        Font font;
        font.setGlyphs({{"LA020000"}});
        font.setCodes({{0xC1, "LA020000"}});
        c.damage(font);
        const lrbtest::Raised r = failure(font);
        EXPECT_EQ(r.id, qelMsg::E114) << c.what;
        EXPECT_EQ(reasonOf(r), c.reason) << c.what;
    }
    qelType3FontBuilder builder;
    EXPECT_EQ(raised([&] { builder.build(nullptr); }).id, qelMsg::E008);
}

TEST_F(Type3FontBuilderTest, ConverterGoesOnAfterAFailedConversion)
{
    // The builder of the failed conversion is freed (the leak check would
    // report it); the next conversion uses the same name and flags.
    Font font;
    font.setGlyphs({{"LA020000"}});
    font.setCodes({{0xC1, "LA020000"}});
    qelFontConverter converter;
    converter.setQuietMode(1);
    converter.setFontName("Kept");
    font.rep->setHeight(0);
    EXPECT_EQ(raised([&] { delete converter.convert(font.rep.get(), 4); }).id, qelMsg::E114);
    font.rep->setHeight(120);
    std::unique_ptr<qelRepresentation> made(converter.convert(font.rep.get(), 4));
    EXPECT_TRUE(made);
    EXPECT_STREQ(converter.getFontName(), "Kept");
}

namespace {

// The cm operands of a procedure: box width, height, x and y of the image.
std::vector<double> cmOf(const qelType3CharProc* proc)
{
    const std::string text = contentOf(proc);
    const size_t at = text.find("q\n");
    double w = 0, b = 0, c = 0, h = 0, x = 0, y = 0;
    if (at == std::string::npos
        || std::sscanf(text.c_str() + at + 2, "%lf %lf %lf %lf %lf %lf cm", &w, &b, &c, &h, &x, &y) != 6)
        return {};
    return {w, h, x, y};
}

} // namespace

TEST_F(Type3FontBuilderTest, ImageLowerEdgeFollowsAscenderAndDescender)
{
    // Glyph 8 x 20 pels, 25 units a pel; the font's maximum descender is 0
    // where the glyph's descender 0 must stay 0.
    struct Case
    {
        const char* what;
        int ascender, descender, fontDescender;
        double y, lly;
    } cases[] = {
        {"no descender, ascender above", 15, 0, 0, (15 - 20) * 25.0, 0},
        {"no descender, ascender below", -3, 0, 0, -3 * 25.0, 0},
        {"descender, ascender above", 15, 5, 0, (15 - 20) * 25.0, -(20 - 15) * 25.0},
        {"ascender below, descender above", -3, 4, 0, -4 * 25.0, -4 * 25.0},
        {"ascender and descender below", -3, -6, 0, 3 * 25.0, 6 * 25.0},
    };
    for (const Case& c : cases) {
        Font font;
        font.metrics->setMaxDescenderDepth(0, static_cast<int16_t>(c.fontDescender));
        Glyph g{"LA020000"};
        g.ascender = c.ascender;
        g.descender = c.descender;
        font.setGlyphs({g});
        font.setCodes({{0xC1, "LA020000"}});
        auto t3 = build(font);
        ASSERT_TRUE(t3) << c.what;
        const std::vector<double> cm = cmOf(t3->getCharProcs()[0]);
        ASSERT_EQ(cm.size(), 4u) << c.what;
        EXPECT_DOUBLE_EQ(cm[0], 8 * 25.0) << c.what;
        EXPECT_DOUBLE_EQ(cm[1], 20 * 25.0) << c.what;
        EXPECT_DOUBLE_EQ(cm[3], c.y) << c.what;
        EXPECT_DOUBLE_EQ(d1Of(t3->getCharProcs()[0]).at(2), c.lly) << c.what;
    }
}

TEST_F(Type3FontBuilderTest, NegativeASpaceGivesWayToTheMinimumByTheKerningFlag)
{
    struct Case
    {
        const char* what;
        bool kerning;
        int minASpace, aSpace, used;
    } cases[] = {
        {"kerning, minimum above 0, larger overhang", true, 2, -5, 2},
        {"kerning, minimum above 0, smaller overhang", true, 6, -5, -5},
        {"kerning, minimum 0", true, 0, -5, 0},
        {"no kerning, negative minimum above", false, -2, -5, -2},
        {"no kerning, minimum 0", false, 0, -5, -5},
        {"positive A-space kept", false, -2, 3, 3},
    };
    for (const Case& c : cases) {
        Font font;
        font.metrics->setKerning(0, c.kerning);
        font.metrics->setMinASpace(0, c.minASpace);
        Glyph g{"LA020000"};
        g.aSpace = c.aSpace;
        font.setGlyphs({g});
        font.setCodes({{0xC1, "LA020000"}});
        auto t3 = build(font);
        ASSERT_TRUE(t3) << c.what;
        EXPECT_DOUBLE_EQ(d1Of(t3->getCharProcs()[0]).at(1), c.used * 25.0) << c.what;
    }
}

TEST_F(Type3FontBuilderTest, RelativeMetricsScaleThePatternsOnly)
{
    // Relative metrics at 240 pels and 12 points: widths as given, patterns
    // 25 units a pel; no fallback to the units per unit base.
    Font font;
    font.rep->setRelativeMetric(true);
    font.rep->setUnitsPerUnitBase(1000);
    font.metrics->setMaxCharIncrement(0, 1000);
    Glyph g{"LA020000"};
    g.increment = 600;
    g.ascender = 700;
    font.setGlyphs({g});
    font.setCodes({{0xC1, "LA020000"}});
    auto t3 = build(font);
    ASSERT_TRUE(t3);
    EXPECT_EQ(t3->getWidthTable()[0], 600);
    const std::vector<double> cm = cmOf(t3->getCharProcs()[0]);
    ASSERT_EQ(cm.size(), 4u);
    EXPECT_DOUBLE_EQ(cm[0], 8 * 25.0);
    EXPECT_DOUBLE_EQ(cm[1], 20 * 25.0);
    EXPECT_DOUBLE_EQ(cm[3], 700 - 20 * 25.0);
    font.rep->setFontResolutionY(0);
    EXPECT_EQ(reasonOf(failure(font)), "Invalid resolution (0)");
}
