// Annotations of the PDF writer: text notes, links and buttons, their
// defaults, limits and the objects they write, checked in the file bytes and
// with qpdf.
#include <gtest/gtest.h>

#include "ImageTestSupport.h"

extern "C" {
#include "opdfAnnotations.h"
}

using namespace opdftest;

namespace {

class Annotations : public ::testing::Test {
protected:
    TempDir dir;
    std::vector<Reported> reports;
    std::vector<std::string> pdfs;

    PDFDocContext* open(int maxAnnots = 0, int pages = 3)
    {
        PDFDocLimits limits = {0, 0, 0, maxAnnots, 0, 0};
        PDFDocContext* ctx = opdf_open(0, &limits);
        collectReports(ctx, &reports);
        EXPECT_EQ(0, opdf_init(ctx));
        for (int p = 1; p <= pages; p++)
            EXPECT_EQ(0, opdf_pageInit(ctx, p, 0, "0 0 612 792", "0 0 612 792"));
        EXPECT_EQ(0, opdf_setCurrentPage(ctx, 1));
        return ctx;
    }

    std::string finish(PDFDocContext* ctx)
    {
        EXPECT_EQ(0, opdf_finalizeAll(ctx));
        unsigned len = 0;
        const unsigned char* b = opdf_getMemoryOutput(ctx, &len);
        std::string pdf(reinterpret_cast<const char*>(b), len);
        opdf_close(ctx);
        const std::string path = dir.file("out" + std::to_string(pdfs.size()) + ".pdf");
        writeFile(path, pdf);
        pdfs.push_back(path);
        if (toolAvailable("qpdf")) {
            EXPECT_EQ("", qpdfCheck(path));
        }
        return pdf;
    }

    // The object of the first line holding text.
    static std::string objectHolding(const std::string& pdf, const std::string& text)
    {
        for (const auto& h : objectHeaders(pdf)) {
            std::string o = objectText(pdf, h.first);
            if (o.find(text) != std::string::npos)
                return o;
        }
        return "";
    }

    static int pageNumberOfObject(const std::string& pdf, int object)
    {
        int page = 0;
        for (const auto& h : objectHeaders(pdf)) {
            if (objectText(pdf, h.first).find("/Type /Page\n") != std::string::npos) {
                ++page;
                if (h.first == object)
                    return page;
            }
        }
        return 0;
    }
};

// Every link and bookmark destination names a page object of the file.
void expectDestinationsOnPages(const std::string& pdf)
{
    static const std::regex re("/Dest \\[([0-9]+) 0 R");
    for (auto it = std::sregex_iterator(pdf.begin(), pdf.end(), re); it != std::sregex_iterator(); ++it)
        EXPECT_NE(objectText(pdf, std::stoi((*it)[1].str())).find("/Type /Page\n"), std::string::npos)
            << (*it)[0].str();
}

TEST_F(Annotations, DefaultsByKind)
{
    PDFDocContext* ctx = open();
    opdf_rawsetActionURL(ctx, 10, 20, 110.4f, 40, "http://example.com/a", nullptr);
    opdf_rawaddTextAnnotation(ctx, 10, 100, 30, 120, "Note", "Hello", nullptr);
    opdf_rawsetActionGoTo(ctx, 10, 200, 50, 220, 3, "/Fit", nullptr);
    opdf_rawsetAction(ctx, 10, 300, 50, 320, "/S /Named /N /NextPage", nullptr);
    const std::string pdf = finish(ctx);

    const std::string uri = objectHolding(pdf, "/URI ");
    EXPECT_NE(uri.find("/Subtype /Link\n/Rect [10 20 110 40]\n/A << /S /URI\n/URI (http://example.com/a)\n>>\n"),
              std::string::npos)
        << uri;
    EXPECT_NE(uri.find("/Border [0 0 0]\n/C [0.0000 0.0000 1.0000]\n/F 0\n"), std::string::npos) << uri;

    const std::string note = objectHolding(pdf, "/Subtype /Text");
    EXPECT_NE(note.find("/T (Note)\n/Contents (Hello)\n/Border [0 0 1]\n/C [1.0000 1.0000 0.0000]\n"),
              std::string::npos)
        << note;

    const std::string go = objectHolding(pdf, "/Dest [");
    EXPECT_NE(go.find("/Border [0 0 1]\n/C [0.0000 0.0000 1.0000]"), std::string::npos) << go;
    static const std::regex dest("/Dest \\[([0-9]+) 0 R /Fit\\]");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(go, m, dest)) << go;
    EXPECT_EQ(3, pageNumberOfObject(pdf, std::stoi(m[1].str())));

    const std::string action = objectHolding(pdf, "/N /NextPage");
    EXPECT_NE(action.find("/A <<\n/S /Named /N /NextPage\n>>\n/Border [0 0 0]\n"), std::string::npos) << action;

    // All four are listed on page 1, none elsewhere.
    EXPECT_EQ(1u, [&] {
        size_t n = 0;
        for (size_t p = pdf.find("/Annots ["); p != std::string::npos; p = pdf.find("/Annots [", p + 1))
            ++n;
        return n;
    }());
    expectDestinationsOnPages(pdf);
}

TEST_F(Annotations, AttributesAndBorderStyle)
{
    PDFDocContext* ctx = open();
    PDFAnnotationAttributes a = {4, "[0 0 2]", nullptr, 1.0f, 0.5f, 0.0f};
    opdf_rawsetActionURL(ctx, 0, 0, 10, 10, "u1", &a);
    PDFAnnotationAttributes styled = {0, "[0 0 9]", "/W 3 /S /D", 0, 0, 0};
    opdf_rawsetActionURL(ctx, 0, 0, 10, 10, "u2", &styled);
    const std::string pdf = finish(ctx);
    EXPECT_NE(objectHolding(pdf, "(u1)").find("/Border [0 0 2]\n/C [1.0000 0.5000 0.0000]\n/F 4\n"),
              std::string::npos);
    const std::string s = objectHolding(pdf, "(u2)");
    EXPECT_NE(s.find("/BS <<\n/W 3 /S /D\n>>\n"), std::string::npos) << s;
    EXPECT_EQ(s.find("/Border"), std::string::npos) << s;
}

// The contents of a note come back unchanged from a viewer's reading, in
// both string modes; in hexadecimal mode the caller's texts are hex.
TEST_F(Annotations, TextContentsInBothStringModes)
{
    if (!toolAvailable("qpdf"))
        GTEST_SKIP() << "qpdf missing";
    for (int hex = 0; hex < 2; hex++) {
        PDFDocContext* ctx = open(0, 1);
        opdf_setHexStrings(ctx, hex);
        opdf_rawaddTextAnnotation(ctx, 0, 0, 20, 20, hex ? "546974" : "Tit", hex ? "2861290A" : "(a)\n", nullptr);
        finish(ctx);
        CommandResult r = run("qpdf --json --json-key=qpdf '" + pdfs.back() + "'");
        ASSERT_EQ(0, r.status);
        EXPECT_NE(r.output.find("\"/Contents\": \"u:(a)\\n\""), std::string::npos) << r.output;
        EXPECT_NE(r.output.find("\"/T\": \"u:Tit\""), std::string::npos) << r.output;
    }
}

TEST_F(Annotations, TableLimitRefusesWithMessage)
{
    struct Case {
        const char* name;
        std::function<void(PDFDocContext*)> add;
        const char* module;
    };
    const std::vector<Case> cases = {
        {"uri", [](PDFDocContext* c) { opdf_rawsetActionURL(c, 0, 0, 1, 1, "x", nullptr); }, "qelPDFLib"},
        {"text", [](PDFDocContext* c) { opdf_rawaddTextAnnotation(c, 0, 0, 1, 1, "t", "c", nullptr); }, "opdf"},
        {"goto", [](PDFDocContext* c) { opdf_rawsetActionGoTo(c, 0, 0, 1, 1, 1, "/Fit", nullptr); }, "qelPDFLib"},
        {"button",
         [](PDFDocContext* c) { opdf_rawaddWidgetAnnotation(c, 0, 0, 1, 1, 4, "", nullptr, nullptr, 0, -1); },
         "qelPDFLib"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reports.clear();
        PDFDocContext* ctx = open(0, 1);
        for (int i = 0; i < 101; i++)
            c.add(ctx);
        ASSERT_EQ(1u, reports.size());
        EXPECT_EQ("too many annotations in this PDF: 100", reports[0].text);
        EXPECT_EQ(c.module, reports[0].module);
        EXPECT_EQ(100, ctx->annotCount);
        reports.clear();
        const std::string pdf = finish(ctx);
        const size_t list = pdf.find("/Annots [ ");
        ASSERT_NE(list, std::string::npos);
        const std::string refs = pdf.substr(list, pdf.find(']', list) - list);
        EXPECT_EQ(100, std::count(refs.begin(), refs.end(), 'R'));
    }
}

// A large limit is not allocated up front; rows grow as they come and every
// page lists its own.
TEST_F(Annotations, TableGrowsOnDemand)
{
    PDFDocContext* ctx = open(20000, 3);
    EXPECT_EQ(0, ctx->annotCapacity);
    for (int p = 1; p <= 3; p++) {
        ASSERT_EQ(0, opdf_setCurrentPage(ctx, p));
        for (int i = 0; i < 150; i++)
            opdf_rawsetActionURL(ctx, 0, 0, 1, 1, ("p" + std::to_string(p) + "-" + std::to_string(i)).c_str(),
                                 nullptr);
    }
    EXPECT_EQ(450, ctx->annotCount);
    EXPECT_LE(ctx->annotCapacity, 1024);
    const std::string pdf = finish(ctx);
    EXPECT_TRUE(reports.empty());
    size_t lists = 0;
    for (size_t p = pdf.find("/Annots [ "); p != std::string::npos; p = pdf.find("/Annots [ ", p + 1)) {
        const std::string refs = pdf.substr(p, pdf.find(']', p) - p);
        EXPECT_EQ(150, std::count(refs.begin(), refs.end(), 'R'));
        ++lists;
    }
    EXPECT_EQ(3u, lists);
    EXPECT_NE(pdf.find("(p3-149)"), std::string::npos);
}

TEST_F(Annotations, NoPageNoAnnotation)
{
    PDFDocContext* ctx = opdf_open(0, nullptr);
    collectReports(ctx, &reports);
    ASSERT_EQ(0, opdf_init(ctx));
    opdf_rawsetActionURL(ctx, 0, 0, 1, 1, "x", nullptr);
    EXPECT_EQ(0, ctx->annotCount);
    EXPECT_FALSE(reports.empty());
    opdf_close(ctx);
}

TEST_F(Annotations, TextFromFile)
{
    const std::string path = dir.file("note.txt");
    writeFile(path, "line one\nline (two)\n");
    PDFDocContext* ctx = open(0, 1);
    EXPECT_EQ(0, opdf_rawaddTextAnnotationFromFile(ctx, 0, 0, 20, 20, "File", path.c_str(), nullptr));
    EXPECT_EQ(-1, opdf_rawaddTextAnnotationFromFile(ctx, 0, 0, 20, 20, "File", dir.file("none.txt").c_str(),
                                                     nullptr));
    EXPECT_TRUE(hasReport(reports, "cannot open annotation text file: " + dir.file("none.txt")));
    EXPECT_EQ(1, ctx->annotCount);
    reports.clear();
    const std::string pdf = finish(ctx);
    EXPECT_NE(pdf.find("/Contents (line one\\nline \\(two\\)\\n)"), std::string::npos);
}

TEST_F(Annotations, Buttons)
{
    PDFDocContext* ctx = open(0, 3);
    opdf_rawaddWidgetAnnotation(ctx, 10, 10, 60, 30, 6, "3", nullptr, nullptr, 0, 0x0000FF);
    opdf_rawaddWidgetAnnotation(ctx, 10, 40, 60, 60, 6, "2;/XYZ 0 800 0", nullptr, nullptr, 0, -1);
    PDFAnnotationAttributes readOnly = {0x40, nullptr, nullptr, 1, 1, 0};
    opdf_rawaddWidgetAnnotation(ctx, 10, 70, 60, 90, 5, "http://example.com", &readOnly, nullptr, 0, 0xFF00);
    PDFAnnotationAttributes noLook = {0, nullptr, nullptr, -1.0f, 0, 0};
    opdf_rawaddWidgetAnnotation(ctx, 10, 100, 60, 120, 4, "", &noLook, nullptr, 0, -1);
    opdf_rawaddWidgetAnnotation(ctx, 10, 100, 60, 120, 3, "", nullptr, nullptr, 0, -1);
    EXPECT_TRUE(hasReport(reports, "Widget annotation type 3 not supported"));
    EXPECT_EQ(4, ctx->annotCount);
    reports.clear();
    const std::string pdf = finish(ctx);
    expectDestinationsOnPages(pdf);

    const std::string first = objectHolding(pdf, "/TU (Page 3)");
    ASSERT_FALSE(first.empty());
    EXPECT_NE(first.find("/Subtype /Widget\n/Rect [10 10 60 30]\n"), std::string::npos) << first;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(first, m, std::regex("/Dest \\[([0-9]+) 0 R /Fit\\]")));
    EXPECT_EQ(3, pageNumberOfObject(pdf, std::stoi(m[1].str())));
    ASSERT_TRUE(std::regex_search(first, m, std::regex("/AA << /Fo ([0-9]+) 0 R /Bl ([0-9]+) 0 R>>")));
    const std::string focus = objectText(pdf, std::stoi(m[1].str()));
    EXPECT_NE(focus.find("/S /JavaScript"), std::string::npos);
    EXPECT_NE(focus.find("f.strokeColor = [\"RGB\", 1.0000, 0.0000, 0.0000];\\r"), std::string::npos) << focus;
    EXPECT_NE(objectText(pdf, std::stoi(m[2].str())).find("f.strokeColor = color.transparent;\\r"), std::string::npos);
    EXPECT_NE(first.find("/Ff 65536\n"), std::string::npos);
    // The border colour of the appearance characteristics is an array.
    ASSERT_TRUE(std::regex_search(first, m, std::regex("/MK << /BC \\[0\\] /I ([0-9]+) 0 R /TP 1>>")));
    const std::string look = objectText(pdf, std::stoi(m[1].str()));
    EXPECT_NE(look.find("/Subtype /Form /BBox [ 0 0 50.000000 20.000000 ]"), std::string::npos) << look;
    EXPECT_NE(look.find("1.000000 w\n1.0000 1.0000 0.0000 RG\n0.5000 0.5000 49.0000 19.0000 re\nS\n"),
              std::string::npos)
        << look;

    const std::string second = objectHolding(pdf, "/TU (Page 2)");
    EXPECT_NE(second.find(" 0 R /XYZ 0 800 0]"), std::string::npos) << second;
    EXPECT_EQ(second.find("/AA"), std::string::npos);

    const std::string uri = objectHolding(pdf, "/TU (http://example.com)");
    EXPECT_NE(uri.find("/A << /S /URI\n/URI (http://example.com)\n>>\n"), std::string::npos) << uri;
    EXPECT_NE(uri.find("/Ff 65537\n"), std::string::npos);
    EXPECT_EQ(uri.find("/AA"), std::string::npos);

    const std::string plain = objectHolding(pdf, "/Rect [10 100 60 120]");
    EXPECT_EQ(plain.find("/TU"), std::string::npos);
    EXPECT_EQ(plain.find("/MK"), std::string::npos) << plain;
}

TEST_F(Annotations, ButtonIconTakesItsSize)
{
    const std::string icon = dir.file("icon.tif");
    std::vector<unsigned char> rows(static_cast<size_t>(24 * 3 * 16), 0x80);
    ASSERT_TRUE(writeTiff(icon, {24, 16, 3, 8, 2, 0, {}}, rows));
    PDFDocContext* ctx = open(0, 1);
    opdf_rawaddWidgetAnnotation(ctx, 100, 200, -1.0f, 0, 4, "", nullptr, icon.c_str(), 3, -1);
    ASSERT_EQ(1, ctx->annotCount);
    const std::string pdf = finish(ctx);
    const std::string button = objectHolding(pdf, "/Subtype /Widget");
    EXPECT_NE(button.find("/Rect [100 200 124 216]"), std::string::npos) << button;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(button, m, std::regex("/AP <</N ([0-9]+) 0 R >>")));
    const std::string form = objectText(pdf, std::stoi(m[1].str()));
    EXPECT_NE(form.find("/BBox [ 0 0 24.000000 16.000000 ]"), std::string::npos) << form;
    EXPECT_NE(form.find("24.00 0 0 16.00 0 0 cm\n/"), std::string::npos) << form;
}

TEST(AnnotationHelpers, DestinationTexts)
{
    struct Case {
        int kind;
        const char* text;
    };
    const Case cases[] = {{1, "/XYZ 10 800 1.500"},    {2, "/Fit"},       {3, "/FitH 10"},
                          {4, "/FitV 10"},             {5, "/FitR 10 800 2 4"}, {6, "/FitB"},
                          {7, "/FitBH 10"},            {8, "/FitBV 10"},  {9, "/XYZ null 10 null"},
                          {0, "/XYZ null null null"}, {42, "/XYZ null null null"}};
    for (const Case& c : cases) {
        char* t = _opdf_makeDestination(c.kind, 10.2f, 800, 1.5f, 4);
        EXPECT_STREQ(c.text, t) << c.kind;
        opdf_free(t);
    }
}

TEST(AnnotationHelpers, BorderWidth)
{
    struct Case {
        const char* border;
        float width;
    };
    const Case cases[] = {{nullptr, 1}, {"[0 0 3]", 3}, {"[0 0 0.5]", 0.5f}, {"[0 0]", 1},
                          {"[0 0 x]", 1}, {"[0 0 0]", 0}, {" [ 0 0 2 ]", 0}};
    for (const Case& c : cases) {
        PDFAnnotationEntry a{};
        a.border = const_cast<char*>(c.border);
        EXPECT_FLOAT_EQ(c.width, _opdf_borderWidth(&a)) << (c.border ? c.border : "null");
    }
}

} // namespace
