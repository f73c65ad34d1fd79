// Fonts: built-in metrics, font table, fonts from files and memory, Type 3 fonts,
// their objects in the file, text showing, aligned text and axis labels.
#include <gtest/gtest.h>

#include "OpdfTestSupport.h"

extern "C" {
#include "opdfFonts.h"
}

#include <cmath>

using namespace opdftest;

namespace {

const char* kType1Dir = "/usr/share/fonts/X11/Type1";
const char* kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

std::string fixture(const std::string& name)
{
    return std::string(LORBANE_TEST_DATA) + "/fonts/" + name;
}

struct Warnings {
    static std::vector<std::string>& list()
    {
        static std::vector<std::string> v;
        return v;
    }
    static int handler(int, const char*, const char* format, va_list args)
    {
        char buf[1024];
        vsnprintf(buf, sizeof buf, format, args);
        list().push_back(buf);
        return 0;
    }
};

class Fonts : public ::testing::Test {
protected:
    std::vector<Reported> reports;
    PDFDocContext* ctx = nullptr;
    PDFGlobalHandler oldError = nullptr, oldWarning = nullptr;

    void SetUp() override
    {
        Warnings::list().clear();
        oldError = opdf_setGlobalErrorHandler(Warnings::handler);
        oldWarning = opdf_setGlobalWarningHandler(Warnings::handler);
        ctx = opdf_open(0, nullptr);
        collectReports(ctx, &reports);
        opdf_setOmitVariableInfo(ctx, 1);
        ASSERT_EQ(0, opdf_init(ctx));
        ASSERT_EQ(0, opdf_pageInit(ctx, 1, 0, "0 0 595 842", "0 0 595 842"));
    }
    void TearDown() override
    {
        if (ctx)
            opdf_close(ctx);
        opdf_setGlobalErrorHandler(oldError);
        opdf_setGlobalWarningHandler(oldWarning);
    }
    std::string finish()
    {
        EXPECT_EQ(0, opdf_finalizeAll(ctx));
        unsigned len = 0;
        const unsigned char* b = opdf_getMemoryOutput(ctx, &len);
        return std::string((const char*)b, len);
    }
    float width(const char* s, int n = -1)
    {
        return opdf_stringWidth(ctx, (const unsigned char*)s, n < 0 ? (int)strlen(s) : n);
    }
};

// The object that follows "key n 0 R" inside the text.
int reference(const std::string& text, const std::string& key)
{
    size_t p = text.find(key + " ");
    if (p == std::string::npos)
        return -1;
    return std::atoi(text.c_str() + p + key.size() + 1);
}

TEST(BuiltinMetrics, WidthSlotsFollowTheRules)
{
    struct Case {
        const char* font;
        unsigned char code;
        double width;
    } cases[] = {
        {"Helvetica", 'a', 0.556},  {"Helvetica", ' ', 0.278},   {"Helvetica", 'A', 0.667},
        {"Helvetica", 0, 0.278},    {"Helvetica", 5, 0},         {"Helvetica", 127, 0.350},
        {"Helvetica", 141, 0.350},  {"Helvetica", 160, 0.278},   {"Helvetica", 173, 0.333},
        {"Helvetica", 128, 0.558},  {"Times-Roman", 128, 0.5},   {"Times-Roman", 'a', 0.444},
        {"Times-Roman", ' ', 0.25}, {"Courier", 128, 0.6},       {"Courier", 'x', 0.6},
        {"OPDF-Monospace", 'A', 0.4}, {"OPDF-Monospace", 128, 0.4}, {"OPDF-SmallCap", 'a', 0.524},
        {"OPDF-SmallCap", 'w', 0.684}, {"OPDF-SmallCap", 'A', 0.722},
        {"Helvetica-Condensed", ' ', 0.25}, {"Helvetica-Condensed", 'A', 0.556},
        {"Helvetica-Condensed", 'a', 0.444}, {"Helvetica-Narrow", ' ', 0.228},
        {"Helvetica-Narrow", 'A', 0.547}, {"Arial-Bold", 'a', 0.556}, {"ZapfDingbats", 0, 0.25},
        {"Symbol", 127, 0}, {"Unknown-Font", 'a', 0},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(c.width, opdf_stdFontStringWidth(nullptr, c.font, &c.code, 1), 1e-6)
            << c.font << " code " << (int)c.code;
}

TEST(BuiltinMetrics, NamesMatchExactlyOrCJKByPrefix)
{
    EXPECT_EQ(0, _opdf_builtinFontIndex("Helvetica"));
    EXPECT_EQ(-1, _opdf_builtinFontIndex("Helvetica-BoldX"));
    EXPECT_EQ(45, _opdf_builtinFontIndex("HeiseiKakuGo-W5-Extra"));
    EXPECT_EQ(51, _opdf_builtinFontIndex("STSong-Light"));
    EXPECT_EQ(-1, _opdf_builtinFontIndex("HeiseiMin"));
}

TEST_F(Fonts, StringWidthsUseSizeSpacingScalingAndLength)
{
    ASSERT_EQ(0, opdf_setFont(ctx, "Helvetica", "WinAnsiEncoding", 10, 0, 0, 0, nullptr, nullptr));
    EXPECT_NEAR(13.9, width("a b"), 1e-4);
    EXPECT_NEAR(5.56, width("a b", 1), 1e-4); // the length counts, not a terminating zero
    EXPECT_NEAR(13.9, width("a\0b", 3), 1e-4); // code 0 is a space
    opdf_setCharSpacing(ctx, 1);
    EXPECT_NEAR(15.9, width("a b"), 1e-4);
    opdf_setWordSpacing(ctx, 3);
    EXPECT_NEAR(18.9, width("a b"), 1e-4);
    opdf_setHorizontalScaling(ctx, 50);
    EXPECT_NEAR(9.45, width("a b"), 1e-4);
    opdf_setHorizontalScaling(ctx, 100);
    opdf_setCharSpacing(ctx, 0);
    opdf_setWordSpacing(ctx, 0);

    // MacRoman codes are remapped: 0x80 is Adieresis (667 in Helvetica)
    ASSERT_EQ(0, opdf_setFont(ctx, "Helvetica", "MacRomanEncoding", 1, 0, 0, 0, nullptr, nullptr));
    EXPECT_NEAR(0.667, width("\x80"), 1e-6);
    // no encoding: StandardEncoding, 0xAE is fi
    ASSERT_EQ(0, opdf_setFont(ctx, "Helvetica", nullptr, 1, 0, 0, 0, nullptr, nullptr));
    EXPECT_NEAR(0.5, width("\xAE"), 1e-6);

    // CJK: two-byte characters are one em, single bytes half an em
    ASSERT_EQ(0, opdf_setFont(ctx, "HeiseiMin-W3", "90ms-RKSJ-H", 10, 0, 0, 0, nullptr, nullptr));
    EXPECT_NEAR(25, width("\x93\xFA\x96\x7B" "A"), 1e-4);
    EXPECT_NEAR(10, width("\x93\xFA\x96\x7B" "A", 2), 1e-4);
}

TEST_F(Fonts, MissingWidthWarnsThroughTheWarningCallback)
{
    const uint16_t w[2] = {500, 600};
    PDFFontDescriptor d{};
    d.FontName = (char*)"Sample";
    ASSERT_EQ(0, opdf_setFontUsingStream(ctx, 0, "Sample", "Sample", "WinAnsiEncoding", 10, 'A',
                                         'B', w, &d, nullptr, nullptr, 0, nullptr, nullptr, 0,
                                         nullptr, 1));
    EXPECT_NEAR(11, width("ABZ"), 1e-4);
    ASSERT_EQ(1u, Warnings::list().size());
    EXPECT_EQ("Missing width information for character Z (0x5A), where width is available in "
              "between A (0x41) and B (0x42)",
              Warnings::list()[0]);
}

TEST_F(Fonts, TableRowsAreKeyedByNameAndEncoding)
{
    opdf_setFont(ctx, "Helvetica", "WinAnsiEncoding", 10, 0, 0, 0, nullptr, nullptr);
    opdf_setFont(ctx, "Helvetica", "WinAnsiEncoding", 12, 0, 0, 0, nullptr, nullptr);
    opdf_setFont(ctx, "Helvetica", "MacRomanEncoding", 12, 0, 0, 0, nullptr, nullptr);
    EXPECT_EQ(2, ctx->fontCount);
    EXPECT_STREQ("F2", ctx->fonts[1].resourceName);
    EXPECT_STREQ("Helvetica", opdf_getCurrentFontName(ctx));
    EXPECT_NE(std::string::npos, currentContent(ctx).find("/F1 12.000 Tf\n/F2 12.000 Tf\n"));

    // an unknown name without metrics is replaced by Times-Roman
    opdf_setFontMapFile(ctx, "/nonexistent/fontmap.lst");
    EXPECT_EQ(0, opdf_setFont(ctx, "No-Such-Font", nullptr, 10, 0, 0, 0, nullptr, nullptr));
    EXPECT_TRUE(hasReport(reports, "_opdf_loadExternalFont() Fontmap file not found: "
                                   "/nonexistent/fontmap.lst"));
    EXPECT_TRUE(hasReport(reports, "Font not found: No-Such-Font >> substituting Times-Roman."));
    EXPECT_STREQ("Times-Roman", opdf_getCurrentFontName(ctx));
    EXPECT_EQ(0, ctx->fontFileCount);
}

TEST_F(Fonts, RefusalsLeaveTheTableUnchanged)
{
    const uint16_t w[2] = {500, 600};
    PDFFontDescriptor d{};
    PDFGlyphProc procs[1] = {{"g", (const unsigned char*)"500 0 d0", 8}};
    // Type0 fonts need a predefined CMap as encoding
    EXPECT_EQ(-1, opdf_setFont(ctx, "HeiseiMin-W3", "WinAnsiEncoding", 10, 0, 0, 0, nullptr, nullptr));
    EXPECT_EQ(-1, opdf_setFont(ctx, "HeiseiMin-W3", nullptr, 10, 0, 0, 0, nullptr, nullptr));
    // Type 3 fonts need Differences, widths, a descriptor and glyphs
    EXPECT_EQ(-1, opdf_setFontUsingType3Stream(ctx, 3, "T3", "T3", nullptr, 10, 65, 66, w, &d,
                                               procs, nullptr, 0, nullptr, 1));
    EXPECT_EQ(-1, opdf_setFontUsingType3Stream(ctx, 3, "T3", "T3", nullptr, 10, 65, 66, w, nullptr,
                                               procs, "65 /g", 5, nullptr, 1));
    EXPECT_EQ(-1, opdf_setFontUsingType3Stream(ctx, 1, "T3", "T3", nullptr, 10, 65, 66, w, &d,
                                               procs, "65 /g", 5, nullptr, 1));
    // other kinds need widths and a descriptor
    EXPECT_EQ(-1, opdf_setFontUsingStream(ctx, 1, "X", "X", nullptr, 10, 65, 66, nullptr, &d,
                                          nullptr, nullptr, 0, nullptr, nullptr, 0, nullptr, 1));
    EXPECT_EQ(-1, opdf_setFontUsingStream(ctx, 1, "X", "X", nullptr, 10, 65, 66, w, nullptr,
                                          nullptr, nullptr, 0, nullptr, nullptr, 0, nullptr, 1));
    EXPECT_TRUE(hasReport(reports, "Font Descriptor is empty for font.Name:X (X) Type:TrueType"));
    EXPECT_EQ(-1, opdf_setFontUsingStream(ctx, 3, "X", "X", nullptr, 10, 65, 66, w, &d, nullptr,
                                          nullptr, 0, nullptr, nullptr, 0, nullptr, 1));
    EXPECT_EQ(0, ctx->fontCount);
    EXPECT_EQ(0, ctx->fontFileCount);

    // a Type 3 font may not take the name of another kind of font
    opdf_setFont(ctx, "Helvetica", nullptr, 10, 0, 0, 0, nullptr, nullptr);
    EXPECT_EQ(-1, opdf_setFontUsingType3Stream(ctx, 3, "Helvetica", "H3", "WinAnsiEncoding", 10, 65,
                                               66, w, &d, procs, "65 /g", 5, nullptr, 1));
    EXPECT_EQ(std::vector<std::string>{"Can not create font Helvetica as Type3 Font. Font "
                                       "Helvetica already exists as Type1 font"},
              Warnings::list());
}

TEST_F(Fonts, FullFontTableAndFontFileTable)
{
    opdf_close(ctx);
    PDFDocLimits l{0, 2, 0, 0, 0, 0};
    ctx = opdf_open(0, &l);
    collectReports(ctx, &reports);
    opdf_init(ctx);
    opdf_pageInit(ctx, 1, 0, "0 0 100 100", nullptr);
    EXPECT_EQ(0, opdf_setFont(ctx, "Helvetica", nullptr, 10, 0, 0, 0, nullptr, nullptr));
    EXPECT_EQ(0, opdf_setFont(ctx, "Courier", nullptr, 10, 0, 0, 0, nullptr, nullptr));
    EXPECT_EQ(1, opdf_setFont(ctx, "Symbol", nullptr, 10, 0, 0, 0, nullptr, nullptr));
    EXPECT_TRUE(hasReport(reports, "Too many fonts in this PDF: 2. Increase limit by opdf_open()"));
    EXPECT_STREQ("Courier", opdf_getCurrentFontName(ctx));
}

TEST_F(Fonts, EncodingEntriesOfSimpleFonts)
{
    const uint16_t w[3] = {500, 600, 700};
    opdf_setFont(ctx, "Symbol", "WinAnsiEncoding", 10, 0, 0, 0, nullptr, nullptr);
    opdf_setFont(ctx, "Helvetica", "Symbol", 10, 0, 0, 0, nullptr, nullptr);
    opdf_setFont(ctx, "AvantGarde-Book", "MacRomanEncoding", 10, 0, 0, 0, nullptr, nullptr);
    // Differences over a named base encoding, without a record name: one /Encoding dictionary
    ASSERT_EQ(0, opdf_setFontUsingStream(ctx, 0, "D1", "Times-Roman", "WinAnsiEncoding", 10, 65, 67,
                                         w, nullptr, nullptr, nullptr, 0, nullptr, "65 /B /A", 8,
                                         nullptr, 1));
    ASSERT_EQ(0, opdf_setFontUsingStream(ctx, 0, "D2", "Times-Roman", "Symbol", 10, 65, 67, w,
                                         nullptr, nullptr, nullptr, 0, nullptr, "65 /B", 5, nullptr, 1));
    ASSERT_EQ(0, opdf_setFontUsingStream(ctx, 0, "D3", "Times-Roman", "MacRomanEncoding", 10, 65,
                                         67, w, nullptr, nullptr, nullptr, 0, "MyEnc", "66 /A", 5,
                                         nullptr, 1));
    std::string pdf = finish();
    EXPECT_EQ(std::string::npos, pdf.find("/Encoding /Symbol")) << "Symbol is never an encoding name";
    EXPECT_EQ(std::string::npos, pdf.find("/BaseEncoding /Symbol"));
    std::string f1 = objectText(pdf, ctx->fonts[0].objectNumber);
    EXPECT_EQ(std::string::npos, f1.find("/Encoding"));
    EXPECT_EQ(std::string::npos, f1.find("/Widths")); // standard-14: no widths, no descriptor
    std::string f3 = objectText(pdf, ctx->fonts[2].objectNumber);
    EXPECT_NE(std::string::npos, f3.find("/Encoding /MacRomanEncoding\n"));
    // kind 1 widths go through the remapping: MacRoman 0x80 is Adieresis
    EXPECT_NE(std::string::npos, f3.find("/FontDescriptor "));
    std::string f4 = objectText(pdf, ctx->fonts[3].objectNumber);
    EXPECT_NE(std::string::npos,
              f4.find("/Encoding <<\n/BaseEncoding /WinAnsiEncoding\n/Differences [65 /B /A]>>\n"));
    size_t first = f4.find("/Encoding");
    EXPECT_EQ(std::string::npos, f4.find("/Encoding", first + 1));
    std::string f5 = objectText(pdf, ctx->fonts[4].objectNumber);
    EXPECT_NE(std::string::npos, f5.find("/Encoding <<\n/Differences [65 /B]>>\n"));
    std::string f6 = objectText(pdf, ctx->fonts[5].objectNumber);
    int enc = reference(f6, "/Encoding");
    EXPECT_NE(std::string::npos, objectText(pdf, enc).find(
                                     "/BaseEncoding /MacRomanEncoding\n/Differences [ 66 /A ]\n"));
}

TEST_F(Fonts, ToUnicodeMapsUseOneByteCodesBlocksAndSurrogates)
{
    std::vector<uint16_t> w(150, 500);
    std::vector<int32_t> u(150);
    for (int i = 0; i < 150; i++)
        u[i] = 0x41 + i;
    u[0] = 0x1F600; // outside the basic plane
    u[1] = -1;      // no value
    PDFFontDescriptor d{};
    ASSERT_EQ(0, opdf_setFontUsingStream(ctx, 1, "U", "U", "WinAnsiEncoding", 10, 100, 249, w.data(),
                                         &d, nullptr, nullptr, 0, nullptr, nullptr, 0, u.data(), 1));
    std::string pdf = finish();
    int font = ctx->fonts[0].objectNumber;
    EXPECT_EQ(font + 1, reference(objectText(pdf, font), "/ToUnicode"));
    std::string cmap = objectText(pdf, font + 1);
    EXPECT_NE(std::string::npos, cmap.find("1 begincodespacerange <00> <FF> endcodespacerange"));
    EXPECT_NE(std::string::npos, cmap.find("100 beginbfrange\n<64> <64> <D83DDE00> \n<66> <66> <0043> \n"));
    EXPECT_NE(std::string::npos, cmap.find("49 beginbfrange\n"));
    EXPECT_EQ(std::string::npos, cmap.find("/Filter"));
}

TEST_F(Fonts, CompactOutlinesBecomeFontFile3)
{
    // a minimal sfnt holding only a 'CFF ' table
    std::string sfnt("OTTO\0\x01\0\0\0\0\0\0", 12);
    std::string cff = "CFFDATA!";
    sfnt += std::string("CFF \0\0\0\0\0\0\0\x1c\0\0\0\x08", 16);
    sfnt += cff;
    const uint16_t w[1] = {500};
    PDFFontDescriptor d{};
    ASSERT_EQ(0, opdf_setFontUsingStream(ctx, 1, "OT", "OTFont", "WinAnsiEncoding", 10, 65, 65, w,
                                         &d, "ot.otf", (const unsigned char*)sfnt.data(),
                                         (long)sfnt.size(), nullptr, nullptr, 0, nullptr, 1));
    const char cffBytes[] = "\x01\x00\x04\x01rest";
    ASSERT_EQ(0, opdf_setFontUsingStream(ctx, 2, "C1", "CFont", "WinAnsiEncoding", 10, 65, 65, w,
                                         &d, "c.cff", (const unsigned char*)cffBytes, 8, nullptr,
                                         nullptr, 0, nullptr, 1));
    std::string pdf = finish();
    for (int i = 0; i < 2; i++) {
        std::string font = objectText(pdf, ctx->fonts[i].objectNumber);
        EXPECT_NE(std::string::npos, font.find("/Subtype /Type1\n")) << font;
        std::string desc = objectText(pdf, reference(font, "/FontDescriptor"));
        std::string file = objectText(pdf, reference(desc, "/FontFile3"));
        EXPECT_NE(std::string::npos, file.find("/Length 8\n/Subtype /Type1C\n")) << file;
    }
    EXPECT_NE(std::string::npos, pdf.find("stream\nCFFDATA!\nendstream"));
}

TEST(FontFiles, PfmMetricsAndDescent)
{
    PDFFontEntry e{};
    PDFFontDescriptor d{};
    ASSERT_EQ(0, ReadPFM(fixture("C059-Roman.pfm").c_str(), &e, &d, 1, 0));
    EXPECT_STREQ("C059-Roman", d.FontName);
    EXPECT_LT(d.Descent, 0);
    EXPECT_EQ(d.Descent - 5, d.FontBBox[1]);
    EXPECT_EQ(6, d.Flags);
    EXPECT_EQ(32, e.first);
    EXPECT_EQ(255, e.last);
    EXPECT_GT(e.widths['A' - 32], 600);
    free(e.ownWidths);
    free(d.FontName);

    // damaged files: short, bad width table offset
    TempDir dir;
    std::string pfm = readFile(fixture("C059-Roman.pfm"));
    writeFile(dir.file("short.pfm"), pfm.substr(0, 100));
    std::string cut = pfm;
    uint32_t nearEnd = (uint32_t)pfm.size() - 10;
    memcpy(&cut[123], &nearEnd, 4);
    writeFile(dir.file("cut.pfm"), cut);
    std::string far = pfm;
    far[123] = '\xff';
    far[124] = '\xff';
    writeFile(dir.file("far.pfm"), far);
    struct Case {
        std::string path;
        int rc;
    } cases[] = {{dir.file("none.pfm"), 1}, {dir.file("short.pfm"), 2}, {dir.file("far.pfm"), 3},
                 {dir.file("cut.pfm"), 4}};
    for (const auto& c : cases) {
        PDFFontEntry e2{};
        PDFFontDescriptor d2{};
        EXPECT_EQ(c.rc, ReadPFM(c.path.c_str(), &e2, &d2, 0, 32)) << c.path;
        free(e2.ownWidths);
        free(d2.FontName);
    }
}

TEST(FontFiles, PfbSegments)
{
    std::vector<std::string> warnings;
    auto seg = [](int type, const std::string& body) {
        std::string s("\x80", 1);
        s += (char)type;
        uint32_t n = (uint32_t)body.size();
        s += std::string((const char*)&n, 4);
        return s + body;
    };
    std::string good = seg(1, "%!PS\rclear") + seg(2, "BIN") + seg(1, "tail\r");
    std::string wrongType = seg(2, "%!PS") + seg(2, "BIN") + seg(1, "tail");
    std::string shortBinary = seg(1, "%!PS") + seg(2, "BIN").substr(0, 8);
    PDFGlobalHandler oldW = opdf_setGlobalWarningHandler(Warnings::handler);
    PDFGlobalHandler oldE = opdf_setGlobalErrorHandler(Warnings::handler);
    Warnings::list().clear();
    struct Case {
        const std::string* data;
        int rc;
        size_t messages;
    } cases[] = {{&good, 0, 0}, {&wrongType, 0, 1}, {&shortBinary, 5, 1}};
    for (const auto& c : cases) {
        Warnings::list().clear();
        PDFFontFile f{};
        EXPECT_EQ(c.rc, ReadPFBBuffer(nullptr, (const unsigned char*)c.data->data(),
                                      (long)c.data->size(), &f, "x.pfb"));
        EXPECT_EQ(c.messages, Warnings::list().size());
        if (c.rc == 0) {
            EXPECT_EQ(f.length1 + f.length2 + f.length3, f.length);
            if (c.data == &good) {
                EXPECT_EQ(std::string("%!PS\nclearBINtail\n"),
                          std::string((const char*)f.program->buffer, (size_t)f.length));
            }
        }
        EXPECT_EQ(c.rc != 0, f.program == nullptr);
        _opdf_freeMemoryStream(f.program);
    }
    Warnings::list().clear();
    PDFFontFile f{};
    ReadPFBBuffer(nullptr, (const unsigned char*)wrongType.data(), (long)wrongType.size(), &f, "x.pfb");
    EXPECT_EQ("ReadPFB - Unexpected type: 2 (1 expected) in section 1 for x.pfb", Warnings::list()[0]);
    _opdf_freeMemoryStream(f.program);
    opdf_setGlobalWarningHandler(oldW);
    opdf_setGlobalErrorHandler(oldE);
}

TEST(FontFiles, FontMapEntries)
{
    TempDir dir;
    PDFDocContext* ctx = opdf_open(0, nullptr);
    std::string map = dir.file("fontmap.lst");
    writeFile(map, "# comment\n$Font_Directories (/pfm) (/pfb)\n$Abs_Path_Prefix (/abs) (/x)\n"
                   "Alpha (/abs/a.pfm) (b.pfb)\nBeta (beta.pfm)\nGamma (g.pfm) (g.pfb)\n");
    opdf_setFontMapFile(ctx, map.c_str());
    char m[1024], o[1024];
    EXPECT_EQ(0, opdf_readFontMap(ctx, "Alpha", m, o));
    EXPECT_STREQ("/abs/a.pfm", m);
    EXPECT_STREQ("/pfb/b.pfb", o);
    EXPECT_EQ(2, opdf_readFontMap(ctx, "Beta", m, o));
    EXPECT_EQ(-1, opdf_readFontMap(ctx, "Delta", m, o));
    opdf_setFontMapFile(ctx, dir.file("missing.lst").c_str());
    EXPECT_EQ(1, opdf_readFontMap(ctx, "Alpha", m, o));
    opdf_close(ctx);
}

// Dark pixels of a page rendered by pdftoppm in gray at 36 dpi.
long darkPixels(const std::string& pdfPath, int page)
{
    std::string base = pdfPath + "-render";
    auto r = run("pdftoppm -r 36 -gray -f " + std::to_string(page) + " -l " + std::to_string(page) +
                 " -singlefile '" + pdfPath + "' '" + base + "'");
    if (r.status != 0)
        return -1;
    std::string pgm = readFile(base + ".pgm");
    std::istringstream in(pgm);
    std::string magic;
    int w = 0, h = 0, max = 0;
    in >> magic >> w >> h >> max;
    in.get();
    long dark = 0;
    for (int i = 0; i < w * h; i++)
        if ((unsigned char)in.get() < 128)
            dark++;
    return dark;
}

TEST(FontDocument, EveryKindOfFontInOneFile)
{
    for (const char* tool : {"pdffonts", "pdftotext", "pdftoppm", "qpdf"})
        if (!toolAvailable(tool))
            GTEST_SKIP() << tool << " missing";
    TempDir dir;
    std::vector<Reported> reports;
    PDFDocContext* ctx = opdf_open(0, nullptr);
    collectReports(ctx, &reports);
    opdf_setCompression(ctx, 1);
    opdf_setOutputFile(ctx, dir.file("fonts.pdf").c_str());
    ASSERT_EQ(0, opdf_init(ctx));
    ASSERT_EQ(0, opdf_pageInit(ctx, 1, 0, "0 0 595 842", "0 0 595 842"));
    auto show = [&](float x, float y, const char* text) {
        opdf_rawShowTextAt(ctx, x, y, 0, (const unsigned char*)text, (int)strlen(text));
    };
    opdf_beginText(ctx);
    ASSERT_EQ(0, opdf_setFont(ctx, "Helvetica", "WinAnsiEncoding", 14, 0, 0, 0, nullptr, nullptr));
    show(50, 800, "Helvetica text");
    ASSERT_EQ(0, opdf_setFont(ctx, "Times-Roman", "MacRomanEncoding", 14, 0, 0, 0, nullptr, nullptr));
    show(50, 780, "Times text \x8A"); // MacRoman 0x8A is adieresis
    ASSERT_EQ(0, opdf_setFont(ctx, "HeiseiMin-W3", "90ms-RKSJ-H", 14, 0, 0, 0, nullptr, nullptr));
    show(50, 760, "\x93\xFA\x96\x7B");
    ASSERT_EQ(0, opdf_setFont(ctx, "C059-Roman", "WinAnsiEncoding", 14, 1, 0, 0,
                              fixture("C059-Roman.pfm").c_str(),
                              (std::string(kType1Dir) + "/C059-Roman.pfb").c_str()));
    show(50, 740, "Century text");

    std::vector<uint16_t> w(95, 600);
    std::vector<int32_t> u(95);
    for (int i = 0; i < 95; i++)
        u[i] = 32 + i;
    PDFFontDescriptor d{};
    d.Ascent = 760;
    d.CapHeight = 729;
    d.Descent = -240;
    d.Flags = 32;
    d.FontBBox[2] = 1000;
    d.FontBBox[3] = 1000;
    d.StemV = 80;
    ASSERT_EQ(0, opdf_setFontUsingFile(ctx, 1, "DejaVuSans", "DejaVuSans", "WinAnsiEncoding", 14, 32,
                                       126, w.data(), &d, kDejaVu, nullptr, nullptr, 0, u.data(), 1));
    show(50, 720, "DejaVu text");

    const uint16_t w3[2] = {800, 800};
    const int32_t u3[2] = {'X', 'O'};
    const char* cross = "800 0 0 0 800 800 d1 100 100 m 700 700 l 700 100 m 100 700 l 80 w S";
    const char* box = "800 0 0 0 800 800 d1 100 100 600 600 re f";
    PDFGlyphProc procs[2] = {{"cross", (const unsigned char*)cross, (int)strlen(cross)},
                             {"box", (const unsigned char*)box, (int)strlen(box)}};
    PDFFontDescriptor d3{};
    d3.FontBBox[2] = 800;
    d3.FontBBox[3] = 800;
    ASSERT_EQ(0, opdf_setFontUsingType3Stream(ctx, 3, "Marks", "Marks", nullptr, 14, 65, 66, w3, &d3,
                                              procs, "65 /cross /box", 14, u3, 2));
    show(50, 700, "ABBA");
    opdf_endText(ctx);

    // aligned text: centred at the page middle, rotated
    opdf_beginText(ctx);
    opdf_setFont(ctx, "Helvetica", "WinAnsiEncoding", 24, 0, 0, 0, nullptr, nullptr);
    opdf_rawTextAligned(ctx, 297, 500, 0, 4, (const unsigned char*)"Centred", 7);
    opdf_rawTextAligned(ctx, 297, 400, 90, 2, (const unsigned char*)"Right", 5);
    opdf_endText(ctx);

    // an axis with labels and a title
    PDFPlotDomain* dom = opdf_createPlotDomain(100, 100, 400, 200, 0, 10, 0, 100, 0, 0, 0);
    opdf_setPlotDomain(ctx, dom);
    PDFAxis* axis = opdf_createAxis(0, 400, 0, 0, 10);
    opdf_attachAxis(axis, dom, 0, 0);
    opdf_setAxisTitle(axis, "Axis title", "Times-Roman", nullptr, 14);
    opdf_drawAxis(axis);
    opdf_freeAxis(axis);
    ASSERT_EQ(0, opdf_finalizeAll(ctx));
    opdf_close(ctx);
    opdf_free(dom);
    EXPECT_TRUE(reports.empty()) << reports[0].text;

    std::string pdf = dir.file("fonts.pdf");
    auto check = run("qpdf --check '" + pdf + "'");
    EXPECT_EQ(0, check.status) << check.output;

    auto fonts = run("pdffonts '" + pdf + "'");
    ASSERT_EQ(0, fonts.status) << fonts.output;
    struct Row {
        const char* name;
        const char* type;
        const char* emb;
        const char* uni;
    } rows[] = {
        {"Helvetica", "Type 1", "no", "no"},
        {"Times-Roman", "Type 1", "no", "no"},
        {"HeiseiMin-W3", "CID TrueType", "no", "no"},
        {"C059-Roman", "Type 1", "yes", "no"},
        {"DejaVuSans", "TrueType", "yes", "yes"},
        {"Marks", "Type 3", "yes", "yes"},
    };
    for (const auto& r : rows) {
        std::regex re(std::string("(^|\n)") + r.name + " +" + r.type + " +[A-Za-z0-9-]+ +" + r.emb +
                      " +[a-z]+ +" + r.uni);
        EXPECT_TRUE(std::regex_search(fonts.output, re)) << r.name << "\n" << fonts.output;
    }

    auto text = run("pdftotext -enc UTF-8 '" + pdf + "' -");
    ASSERT_EQ(0, text.status);
    for (const char* want : {"Helvetica text", "Times text \xC3\xA4", "\xE6\x97\xA5\xE6\x9C\xAC",
                             "Century text", "DejaVu text", "XOOX", "Centred", "Axis title"})
        EXPECT_NE(std::string::npos, text.output.find(want)) << want << "\n" << text.output;
    for (const char* label : {"0", "5", "10"})
        EXPECT_TRUE(std::regex_search(text.output, std::regex(std::string("(^|\\s)") + label + "(\\s|$)")))
            << label;
    EXPECT_GT(darkPixels(pdf, 1), 500);
}

TEST_F(Fonts, EmbeddedType1SharedByTwoEncodings)
{
    std::string pfm = fixture("C059-Roman.pfm"), pfb = std::string(kType1Dir) + "/C059-Roman.pfb";
    ASSERT_EQ(0, opdf_setFont(ctx, "C059-Roman", "WinAnsiEncoding", 10, 1, 0, 0, pfm.c_str(), pfb.c_str()));
    ASSERT_EQ(0, opdf_setFont(ctx, "C059-Roman", "MacRomanEncoding", 10, 1, 0, 0, pfm.c_str(), pfb.c_str()));
    EXPECT_EQ(1, ctx->fontFileCount);
    std::string pdf = finish();
    auto headers = objectHeaders(pdf);
    EXPECT_EQ(1u, (size_t)std::count_if(headers.begin(), headers.end(),
                                        [&](const std::pair<int, size_t>& h) {
                                            return objectText(pdf, h.first).find("/Length2") !=
                                                   std::string::npos;
                                        }));
    std::string d1 = objectText(pdf, reference(objectText(pdf, ctx->fonts[0].objectNumber), "/FontDescriptor"));
    std::string d2 = objectText(pdf, reference(objectText(pdf, ctx->fonts[1].objectNumber), "/FontDescriptor"));
    EXPECT_EQ(reference(d1, "/FontFile"), reference(d2, "/FontFile"));
    EXPECT_NE(std::string::npos, d1.find("/Descent -"));
}

TEST_F(Fonts, Type3GlyphsAreNumberedAfterTheirFont)
{
    const uint16_t w[3] = {500, 500, 500};
    PDFGlyphProc procs[3] = {{"a", (const unsigned char*)"500 0 d0", 8},
                             {"b", (const unsigned char*)"500 0 d0", 8},
                             {"c", (const unsigned char*)"500 0 d0", 8}};
    PDFFontDescriptor d{};
    ASSERT_EQ(0, opdf_setFontUsingType3Stream(ctx, 3, "G", "G", nullptr, 10, 97, 99, w, &d, procs,
                                              "97 /a /b /c", 11, nullptr, 3));
    opdf_beginText(ctx);
    opdf_rawShowText(ctx, (const unsigned char*)"abc", 3);
    opdf_endText(ctx);
    EXPECT_NE(std::string::npos, currentContent(ctx).find("<616263> Tj\n"));
    EXPECT_STREQ("F1", opdf_getCurrentFontName(ctx));
    std::string pdf = finish();
    int n = ctx->fonts[0].objectNumber;
    std::string font = objectText(pdf, n);
    EXPECT_NE(std::string::npos, font.find("/CharProcs <<\n/a " + std::to_string(n + 1) + " 0 R\n/b " +
                                           std::to_string(n + 2) + " 0 R\n/c " +
                                           std::to_string(n + 3) + " 0 R>>"));
    EXPECT_NE(std::string::npos, font.find("/Encoding <</Differences [97 /a /b /c]>>"));
    EXPECT_EQ(std::string::npos, font.find("/FontDescriptor"));
    EXPECT_NE(std::string::npos, objectText(pdf, n + 3).find("<< /Length 8  >>\nstream\n500 0 d0"));
}

TEST_F(Fonts, LongTextIsShownInChunks)
{
    opdf_setFont(ctx, "Helvetica", nullptr, 10, 0, 0, 0, nullptr, nullptr);
    std::string text(40000, 'x');
    opdf_beginText(ctx);
    opdf_rawShowText(ctx, (const unsigned char*)text.data(), (int)text.size());
    std::string c = currentContent(ctx);
    EXPECT_NE(std::string::npos, c.find("(" + std::string(32000, 'x') + ") Tj\n(" +
                                        std::string(8000, 'x') + ") Tj\n"));
    opdf_setHexStrings(ctx, 1);
    opdf_rawShowText(ctx, (const unsigned char*)"48656C6C6F", 10);
    EXPECT_NE(std::string::npos, currentContent(ctx).find("<48656C6C6F> Tj\n"));
}

TEST_F(Fonts, AlignedTextMovesByWidthAndCapHeight)
{
    opdf_setFont(ctx, "Helvetica", "WinAnsiEncoding", 10, 0, 0, 0, nullptr, nullptr);
    // align 4: half the width (13.9) left, half the cap height (7.29) down
    opdf_rawTextAligned(ctx, 100, 100, 0, 4, (const unsigned char*)"a b", 3);
    EXPECT_NE(std::string::npos,
              currentContent(ctx).find("1.0000 0.0000 0.0000 1.0000 93.0500 96.3550 Tm\n(a b) Tj\n"))
        << currentContent(ctx);
}

} // namespace
