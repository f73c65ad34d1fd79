// Content operators: exact output of each operator and of the path figures.
#include <gtest/gtest.h>

#include "OpdfTestSupport.h"

#include <clocale>
#include <functional>

using namespace opdftest;

namespace {

class ContentOps : public ::testing::Test {
protected:
    void SetUp() override
    {
        ctx = opdf_open(0, nullptr);
        collectReports(ctx, &reports);
        ASSERT_EQ(0, opdf_init(ctx));
        ASSERT_EQ(0, opdf_pageInit(ctx, 1, 0, "0 0 595 842", "0 0 595 842"));
    }
    void TearDown() override { opdf_close(ctx); }
    std::string take()
    {
        std::string s = currentContent(ctx);
        _opdf_resetMemoryStream(ctx->content);
        return s;
    }

    PDFDocContext* ctx = nullptr;
    std::vector<Reported> reports;
};

TEST_F(ContentOps, OperatorTexts)
{
    const struct {
        const char* name;
        std::function<void(PDFDocContext*)> op;
        const char* expected;
    } cases[] = {
        {"gsave", opdf_gsave, "\nq\n"},
        {"grestore", opdf_grestore, "Q\n"},
        {"dash", [](PDFDocContext* c) { opdf_setdash(c, "[2 3] 0"); }, "[2 3] 0 d\n"},
        {"nodash", opdf_nodash, "[] 0 d\n"},
        {"concat", [](PDFDocContext* c) { opdf_rawconcat(c, 1, 0, 0, 1, 10.5f, -3); },
         "1.0000 0.0000 0.0000 1.0000 10.5000 -3.0000 cm\n"},
        {"translate", [](PDFDocContext* c) { opdf_rawtranslate(c, 2, 3); },
         "1.0000 0.0000 0.0000 1.0000 2.0000 3.0000 cm\n"},
        {"scale", [](PDFDocContext* c) { opdf_scale(c, 2, 0.5f); },
         "2.0000 0.0000 0.0000 0.5000 0.0000 0.0000 cm\n"},
        {"rotate", [](PDFDocContext* c) { opdf_rotate(c, 90); },
         "0.0000 1.0000 -1.0000 0.0000 0.0000 0.0000 cm\n"},
        {"flat", [](PDFDocContext* c) { opdf_setflat(c, 3); }, "3 i\n"},
        {"join", [](PDFDocContext* c) { opdf_setlinejoin(c, 1); }, "1 j\n"},
        {"cap", [](PDFDocContext* c) { opdf_setlinecap(c, 2); }, "2 J\n"},
        {"miter", [](PDFDocContext* c) { opdf_setmiterlimit(c, 4); }, "4.0000 M\n"},
        {"width", [](PDFDocContext* c) { opdf_setlinewidth(c, 0.5f); }, "0.5000 w\n"},
        {"gray", [](PDFDocContext* c) { opdf_setgrayColor(c, 0.25f); }, "0.2500 g\n0.2500 G\n"},
        {"rgb", [](PDFDocContext* c) { opdf_setrgbColor(c, 1, 0.5f, 0); },
         "1.0000 0.5000 0.0000 rg\n1.0000 0.5000 0.0000 RG\n"},
        {"cmyk", [](PDFDocContext* c) { opdf_setcmykColor(c, 0.1f, 0.2f, 0.3f, 0.4f); },
         "0.1000 0.2000 0.3000 0.4000 k\n0.1000 0.2000 0.3000 0.4000 K\n"},
        {"moveto", [](PDFDocContext* c) { opdf_rawmoveto(c, 1, 2); }, "1.000 2.000 m\n"},
        {"rmoveto",
         [](PDFDocContext* c) {
             opdf_rawlineto(c, 10, 10);
             opdf_rawrmoveto(c, 5, -5);
         },
         "10.000 10.000 l\n15.000 5.000 m\n"},
        {"rect", [](PDFDocContext* c) { opdf_rawrect(c, 1, 2, 3, 4); },
         "1.000 2.000 3.000 4.000 re\n"},
        {"painting",
         [](PDFDocContext* c) {
             opdf_closepath(c);
             opdf_stroke(c);
             opdf_fill(c);
             opdf_eofill(c);
             opdf_fillAndStroke(c);
             opdf_eofillAndStroke(c);
             opdf_clip(c);
             opdf_eoclip(c);
             opdf_newpath(c);
         },
         "h\nS\nf\nf*\nB\nB*\nW\nW*\nn\n"},
        {"text state",
         [](PDFDocContext* c) {
             opdf_beginText(c);
             opdf_setWordSpacing(c, 1);
             opdf_setCharSpacing(c, 0.5f);
             opdf_setHorizontalScaling(c, 90);
             opdf_setTextLeading(c, 14);
             opdf_setTextRise(c, -2);
             opdf_setTextRendering(c, 1);
             opdf_rawTextMove(c, 3, 4);
             opdf_textNextLine(c);
             opdf_endText(c);
         },
         "\nBT\n1.000 Tw\n0.500 Tc\n90.00 Tz\n14.00 TL\n-2.000 Ts\n1 Tr\n3.000 4.000 Td\nT*\nET\n"},
        {"text matrix",
         [](PDFDocContext* c) {
             opdf_beginText(c);
             opdf_rawTextPosition(c, 10, 20);
             opdf_concatTextMatrix(c, 2, 0, 0, 2, 1, 1);
         },
         "\nBT\n1.0000 0.0000 0.0000 1.0000 10.0000 20.0000 Tm\n"
         "2.0000 0.0000 0.0000 2.0000 11.0000 21.0000 Tm\n"},
        {"negative zero", [](PDFDocContext* c) { opdf_rawmoveto(c, -0.0001f, 0); },
         "0.000 0.000 m\n"},
        {"rounding", [](PDFDocContext* c) { opdf_rawmoveto(c, 2.0006f, -123456.78f); },
         "2.001 -123456.781 m\n"},
    };
    for (const auto& c : cases) {
        c.op(ctx);
        EXPECT_EQ(c.expected, take()) << c.name;
    }
    EXPECT_TRUE(reports.empty());
}

TEST_F(ContentOps, PathFigures)
{
    opdf_rawcircle(ctx, 100, 100, 10);
    EXPECT_EQ("110.000 100.000 m\n"
              "110.000 105.520 105.520 110.000 100.000 110.000 c\n"
              "94.480 110.000 90.000 105.520 90.000 100.000 c\n"
              "90.000 94.480 94.480 90.000 100.000 90.000 c\n"
              "105.520 90.000 110.000 94.480 110.000 100.000 c\nh\n",
              take());
    EXPECT_FLOAT_EQ(110, ctx->curX);

    opdf_rawcircleHalves(ctx, 0, 0, 3);
    EXPECT_EQ("-3.000 0.000 m\n-3.000 4.000 3.000 4.000 3.000 0.000 c\n"
              "3.000 -4.000 -3.000 -4.000 -3.000 0.000 c\nh\n",
              take());
    EXPECT_FLOAT_EQ(0, ctx->curX);

    opdf_rawrotatedRect(ctx, 10, 10, 20, 10, 90);
    EXPECT_EQ("10.000 10.000 m\n10.000 30.000 l\n0.000 30.000 l\n0.000 10.000 l\nh\n", take());
}

// Counts the curve pieces and returns the last point written.
int curvePieces(const std::string& s) { return (int)std::count(s.begin(), s.end(), 'c'); }

TEST_F(ContentOps, ArcsSplitIntoPiecesOfAtMostNinetyDegrees)
{
    const struct {
        float a1, a2;
        int pieces;
        const char* start;
        const char* end;
    } cases[] = {
        {0, 270, 3, "100.000 0.000 m\n", "0.000 -100.000 c\n"},
        {90, 0, 1, "0.000 100.000 m\n", "100.000 0.000 c\n"},
        {0, 90, 1, "100.000 0.000 m\n", "0.000 100.000 c\n"},
        {0, 360, 4, "100.000 0.000 m\n", "100.000 0.000 c\n"},
        {0, 91, 2, "100.000 0.000 m\n", "-1.745 99.985 c\n"},
    };
    for (const auto& c : cases) {
        opdf_rawarc(ctx, 0, 0, 100, c.a1, c.a2, 1);
        std::string s = take();
        EXPECT_EQ(c.pieces, curvePieces(s)) << c.a1 << ".." << c.a2 << "\n" << s;
        EXPECT_EQ(0u, s.find(c.start)) << s;
        EXPECT_EQ(s.size() - strlen(c.end), s.rfind(c.end)) << s;
    }
    opdf_rawarc(ctx, 0, 0, 100, 0, 90, 0);
    EXPECT_EQ(0u, take().find("100.000 0.000 l\n"));
}

TEST_F(ContentOps, NumbersIgnoreTheProcessLocale)
{
    // A locale with a decimal comma: an installed one, or one built for the test.
    TempDir dir;
    bool comma = setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    const char* oldLocPath = getenv("LOCPATH");
    std::string savedLocPath = oldLocPath ? oldLocPath : "";
    if (!comma && toolAvailable("localedef") &&
        run("localedef -i de_DE -f UTF-8 '" + dir.file("de_DE.UTF-8") + "'").status <= 1) {
        setenv("LOCPATH", dir.path().c_str(), 1);
        comma = setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    }
    if (!comma)
        GTEST_SKIP() << "no locale with a decimal comma available";
    char probe[16];
    snprintf(probe, sizeof probe, "%.1f", 0.5);
    opdf_setlinewidth(ctx, 0.5f);
    opdf_rawmoveto(ctx, 1.25f, 2);
    opdf_rawlineto(ctx, 1e13f, -1e13f); // beyond the writer's integer digits
    std::string s = take();
    setlocale(LC_NUMERIC, "C");
    if (oldLocPath)
        setenv("LOCPATH", savedLocPath.c_str(), 1);
    else
        unsetenv("LOCPATH");
    EXPECT_STREQ("0,5", probe); // the locale is really in effect
    EXPECT_EQ("0.5000 w\n1.250 2.000 m\n9999999827968.000 -9999999827968.000 l\n", s);
}

TEST_F(ContentOps, OperatorsWithoutPageAreReportedNotWritten)
{
    opdf_finalizePage(ctx, 1);
    opdf_rawmoveto(ctx, 1, 1);
    ASSERT_EQ(1u, reports.size());
    EXPECT_EQ("No current page for content output", reports[0].text);
}

TEST(StringWriters, EscapesAndHex)
{
    const struct {
        std::string in;
        std::string literal;
    } cases[] = {
        {"a(b)c\\d", "a\\(b\\)c\\\\d"},
        {"\b\t\n\f\r", "\\b\\t\\n\\f\\r"},
        {"unbalanced (", "unbalanced \\("},
        {std::string("\0\xFF", 2), std::string("\0\xFF", 2)},
    };
    for (const auto& c : cases) {
        int n = 0;
        char* out = _opdf_escapeBytes((const unsigned char*)c.in.data(), (int)c.in.size(), &n);
        EXPECT_EQ(c.literal, std::string(out, (size_t)n));
        opdf_free(out);
    }

    char hex[64];
    _opdf_toHexText((const unsigned char*)"\xFE\xFF", hex, 2, 1);
    EXPECT_STREQ("FEFF", hex);
    _opdf_toHexText((const unsigned char*)"AB", hex, 2, 1);
    EXPECT_STREQ("FEFF4142", hex);
    _opdf_toHexText((const unsigned char*)"AB", hex, 2, 0);
    EXPECT_STREQ("4142", hex);

    unsigned char bytes[8];
    int count = 0;
    _opdf_fromHexText("4g1-42", bytes, &count);
    ASSERT_EQ(2, count);
    EXPECT_EQ(0x41, bytes[0]);
    EXPECT_EQ(0x42, bytes[1]);
    _opdf_fromHexText("414", bytes, &count);
    EXPECT_EQ(1, count);
}

TEST(StringWriters, ContentStringFormFollowsHexFlag)
{
    PDFDocContext* ctx = opdf_open(0, nullptr);
    opdf_init(ctx);
    opdf_pageInit(ctx, 1, 0, "0 0 10 10", nullptr);
    const unsigned char s[] = "a(b";
    _opdf_putContentString(ctx, s, 3, 0, 0);
    opdf_setHexStrings(ctx, 1);
    _opdf_putContentString(ctx, s, 3, 0, 0);
    EXPECT_EQ("(a\\(b)<612862>", currentContent(ctx));
    opdf_close(ctx);
}

TEST(StringWriters, LongLiteralStringsKeepEveryEscape)
{
    // Lengths around the writer's internal pieces, escapes falling on their edges.
    for (int repeats : {1, 42, 43, 85, 86, 300}) {
        PDFDocContext* ctx = opdf_open(0, nullptr);
        opdf_init(ctx);
        opdf_pageInit(ctx, 1, 0, "0 0 10 10", nullptr);
        std::string in, expected = "(";
        for (int i = 0; i < repeats; i++) {
            in += "ab(\\)\n";
            expected += "ab\\(\\\\\\)\\n";
        }
        expected += ")";
        _opdf_putContentLiteral(ctx, (const unsigned char*)in.data(), (int)in.size());
        EXPECT_EQ(expected, currentContent(ctx)) << repeats;
        opdf_close(ctx);
    }
}

} // namespace
