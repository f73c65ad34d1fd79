// Blend modes, patterns, predefined patterns and Separation colour spaces.
#include <gtest/gtest.h>

#include "OpdfTestSupport.h"

extern "C" {
#include "opdfFonts.h"
}

using namespace opdftest;

namespace {

class ColorSpaces : public ::testing::Test {
protected:
    std::vector<Reported> reports;
    PDFDocContext* ctx = nullptr;
    TempDir dir;

    void openDoc(int maxPatterns = 0)
    {
        PDFDocLimits l{0, 0, 0, 0, 0, maxPatterns};
        ctx = opdf_open(0, &l);
        collectReports(ctx, &reports);
        opdf_setOmitVariableInfo(ctx, 1);
        opdf_setOutputFile(ctx, dir.file("out.pdf").c_str());
        ASSERT_EQ(0, opdf_init(ctx));
        ASSERT_EQ(0, opdf_pageInit(ctx, 1, 0, "0 0 200 200", nullptr));
    }
    void SetUp() override { openDoc(); }
    void TearDown() override
    {
        if (ctx)
            opdf_close(ctx);
    }
    std::string finish()
    {
        EXPECT_EQ(0, opdf_finalizeAll(ctx));
        return readFile(dir.file("out.pdf"));
    }
    void expectValidFile()
    {
        if (!toolAvailable("qpdf"))
            return;
        auto r = run("qpdf --check '" + dir.file("out.pdf") + "'");
        EXPECT_EQ(0, r.status) << r.output;
    }
};

TEST_F(ColorSpaces, BlendModesShareOneExtGStatePerMode)
{
    opdf_setBlendMode(ctx, 1);
    ASSERT_EQ(0, opdf_pageInit(ctx, 2, 0, "0 0 200 200", nullptr));
    opdf_setBlendMode(ctx, 1);
    EXPECT_EQ("/GS0 gs\n", currentContent(ctx));
    opdf_setBlendMode(ctx, 16);
    opdf_setBlendMode(ctx, (unsigned)-1);
    EXPECT_TRUE(hasReport(reports, "Invalid BlendMode: 16."));
    EXPECT_TRUE(hasReport(reports, "Invalid BlendMode: -1."));
    EXPECT_EQ(1, ctx->extGStateCount);
    std::string pdf = finish();
    EXPECT_EQ(0u, pdf.find("%PDF-1.4\n"));
    int gs = ctx->extGStates[0].objectNumber;
    EXPECT_NE(std::string::npos, objectText(pdf, ctx->pages[1]->objectNumber)
                                     .find("/ExtGState <<\n/GS0 " + std::to_string(gs) + " 0 R\n>>\n"));
    EXPECT_NE(std::string::npos, objectText(pdf, ctx->pages[2]->objectNumber).find("/GS0 " + std::to_string(gs) + " 0 R"));
    EXPECT_NE(std::string::npos, objectText(pdf, gs).find("/Type /ExtGState /BM /Multiply \n"));
    expectValidFile();
}

TEST_F(ColorSpaces, PatternOpeningRules)
{
    struct Case {
        int type;
        int result;
        const char* message;
    } refused[] = {{0, -1, "Invalid Pattern Type: 0"}, {3, -1, "Invalid Pattern Type: 3"}};
    for (const auto& c : refused) {
        EXPECT_EQ(c.result, opdf_beginPattern(ctx, c.type, 1, 1, 1, 1, 1, "1 0 0 1 0 0"));
        EXPECT_TRUE(hasReport(reports, c.message));
    }
    EXPECT_EQ(0, ctx->patternCount);
    int h = opdf_beginPattern(ctx, 1, 1, 10, 10, 10, 10, "1 0 0 1 0 0");
    EXPECT_EQ(0, h);
    EXPECT_EQ(-2, opdf_beginPattern(ctx, 1, 1, 10, 10, 10, 10, "1 0 0 1 0 0"));
    EXPECT_TRUE(hasReport(reports, "Nested Patterns not supported"));
    opdf_rawrect(ctx, 0, 0, 5, 5);
    opdf_fill(ctx);
    opdf_endPattern(ctx, h);
    EXPECT_EQ("", currentContent(ctx)); // the cell went into the pattern
    opdf_setPattern(ctx, 5, 2, 0, 0, 0, 0);
    EXPECT_TRUE(hasReport(reports, "Pattern Hanlde not found: 5"));
    opdf_setPattern(ctx, h, 4, 0, 0, 0, 0);
    EXPECT_TRUE(hasReport(reports, "Invalid color space passed: 4"));
    std::string pdf = finish();
    EXPECT_EQ(0u, pdf.find("%PDF-1.2\n"));
}

TEST_F(ColorSpaces, PatternLimit)
{
    opdf_close(ctx);
    openDoc(2);
    for (int i = 0; i < 2; i++) {
        EXPECT_EQ(i, opdf_beginPattern(ctx, 2, 1, 1, 1, 1, 1, "1 0 0 1 0 0"));
        opdf_endPattern(ctx, i);
    }
    EXPECT_EQ(-1, opdf_beginPattern(ctx, 2, 1, 1, 1, 1, 1, "1 0 0 1 0 0"));
    EXPECT_TRUE(hasReport(reports, "Too many Patterns in this PDF: 2. Increase limit by opdf_open()"));
}

TEST_F(ColorSpaces, PredefinedPatternsAreBuiltOnceAndSelected)
{
    EXPECT_EQ(0, opdf_setPredefinedPattern(ctx, 5, 2, 0xFF));
    EXPECT_EQ("/Cs0 cs\n1.0000 0.0000 0.0000 /P0 scn\n", currentContent(ctx));
    EXPECT_EQ(0, opdf_setPredefinedPattern(ctx, 5, 2, 0xFF));
    EXPECT_EQ(1, ctx->patternCount);
    EXPECT_EQ(0, opdf_setPredefinedPattern(ctx, 5, 3, 0xFF000000u));
    EXPECT_NE(std::string::npos, currentContent(ctx).find("/Cs1 cs\n1.0000 0.0000 0.0000 0.0000 /P0 scn\n"));
    EXPECT_EQ(-2, opdf_setPredefinedPattern(ctx, 0, 2, 0));
    EXPECT_EQ(-2, opdf_setPredefinedPattern(ctx, 17, 2, 0));
    EXPECT_TRUE(hasReport(reports, "Invalid predefined pattern id: 17"));
    EXPECT_EQ(-1, opdf_setPredefinedPattern(nullptr, 1, 2, 0));
}

TEST_F(ColorSpaces, EveryPredefinedPatternRendersAndEmptyCellsStayValid)
{
    opdf_close(ctx);
    openDoc(17);
    // an opened and closed pattern without drawing keeps a valid object
    int empty = opdf_beginPattern(ctx, 1, 1, 5, 5, 5, 5, "1 0 0 1 0 0");
    opdf_endPattern(ctx, empty);
    for (int id = 1; id <= 16; id++) {
        ASSERT_EQ(0, opdf_setPredefinedPattern(ctx, id, 1, 0));
        opdf_rawrect(ctx, (float)((id - 1) % 4 * 50), (float)((id - 1) / 4 * 50), 45, 45);
        opdf_fill(ctx);
    }
    opdf_setPattern(ctx, empty, 1, 0, 0, 0, 0);
    std::string pdf = finish();
    std::string cell = objectText(pdf, ctx->patterns[empty].objectNumber);
    EXPECT_NE(std::string::npos, cell.find("/Length 0\n>>\nstream\n\nendstream\nendobj\n")) << cell;
    std::string p5 = objectText(pdf, ctx->patterns[ctx->predefinedPatterns[4]].objectNumber);
    EXPECT_NE(std::string::npos, p5.find("/PaintType 2\n/TilingType 1\n/BBox [0 0 2.400000 4.800000]\n"
                                         "/XStep 2.400000\n/YStep 4.800000\n"));
    static const char tile[] = "q\n1.200000 0 0 1.200000 0.000000 1.200000 cm\nBI\n/W 4\n/H 4\n"
                               "/BPC 1\n/IM true\nID \x90\0\0\x90\nEI\nQ\nq\n";
    EXPECT_NE(std::string::npos, p5.find(std::string(tile, sizeof tile - 1)));
    expectValidFile();
    if (!toolAvailable("pdftoppm"))
        return;
    std::string base = dir.file("r");
    ASSERT_EQ(0, run("pdftoppm -r 72 -gray -singlefile '" + dir.file("out.pdf") + "' '" + base + "'").status);
    std::string pgm = readFile(base + ".pgm");
    std::istringstream in(pgm);
    std::string magic;
    int w = 0, h = 0, max = 0;
    in >> magic >> w >> h >> max;
    in.get();
    std::vector<unsigned char> px((size_t)w * h);
    in.read((char*)px.data(), (std::streamsize)px.size());
    // each pattern except the one that paints nothing leaves ink in its square
    for (int id = 1; id <= 16; id++) {
        int x0 = (id - 1) % 4 * 50, y0 = h - ((id - 1) / 4 * 50) - 45;
        long dark = 0;
        for (int y = y0; y < y0 + 45; y++)
            for (int x = x0; x < x0 + 45; x++)
                if (px[(size_t)y * w + x] < 128)
                    dark++;
        if (id == 15)
            EXPECT_EQ(0, dark) << id;
        else
            EXPECT_GT(dark, 20) << id;
    }
}

TEST_F(ColorSpaces, SeparationsAreNumberedFunctionFirst)
{
    _opdf_checkAndCreateSeparationCS(ctx, 2, 3);
    _opdf_checkAndCreateSeparationCS(ctx, 0, 3);
    _opdf_checkAndCreateSeparationCS(ctx, 2, 3);
    _opdf_checkAndCreateSeparationCS(ctx, 4, 3);
    _opdf_checkAndCreateSeparationCS(ctx, 1, 2);
    EXPECT_EQ(2, ctx->separationCount);
    EXPECT_TRUE(hasReport(reports, "Color Plane passed to _opdf_checkAndCreateSeparationCS() is invalid"));
    EXPECT_TRUE(hasReport(reports, "Color space value passed to _opdf_checkAndCreateSeparationCS() is "
                                   "invalid. Value is 2"));
    std::string pdf = finish();
    const PDFSeparationEntry& yellow = ctx->separations[0];
    const PDFSeparationEntry& cyan = ctx->separations[1];
    EXPECT_EQ(yellow.functionNumber + 1, yellow.objectNumber);
    EXPECT_EQ(yellow.objectNumber + 1, cyan.functionNumber);
    EXPECT_NE(std::string::npos,
              objectText(pdf, yellow.objectNumber)
                  .find("[/Separation /Yellow /DeviceCMYK " + std::to_string(yellow.functionNumber) + " 0 R]"));
    std::string fn = objectText(pdf, yellow.functionNumber);
    EXPECT_NE(std::string::npos, fn.find("/FunctionType 4 /Domain [0.0 1.0] /Range [0.0 0.0 0.0 0.0 0.0 1.0 0.0 0.0] "
                                         "/Length 37>>\nstream\n{ 0 0 add exch 0 0 add exch 0 0 add }\nendstream\n"));
    auto headers = objectHeaders(pdf);
    for (size_t i = 1; i < headers.size(); i++)
        EXPECT_LT(headers[i - 1].second, headers[i].second);
    expectValidFile();
}

} // namespace
