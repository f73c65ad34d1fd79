// Document context: limits, settings, version rules, page errors and the file's frame.
#include <gtest/gtest.h>

#include "OpdfTestSupport.h"

using namespace opdftest;

namespace {

// Builds a one-page document in memory after the given set-up; returns the bytes.
std::string buildDocument(const std::function<void(PDFDocContext*)>& setup,
                          std::vector<Reported>* reports = nullptr,
                          const PDFDocLimits* limits = nullptr)
{
    PDFDocContext* ctx = opdf_open(0, limits);
    std::vector<Reported> local;
    collectReports(ctx, reports ? reports : &local);
    opdf_init(ctx);
    opdf_pageInit(ctx, 1, 0, "0 0 200 200", "0 0 200 200");
    if (setup)
        setup(ctx);
    opdf_finalizeAll(ctx);
    unsigned n = 0;
    const unsigned char* b = opdf_getMemoryOutput(ctx, &n);
    std::string pdf(b ? (const char*)b : "", n);
    opdf_close(ctx);
    return pdf;
}

TEST(DocContext, LimitsTakeProcessDefaults)
{
    PDFDocLimits zero{0, 0, 0, 0, 0, 0};
    PDFDocContext* ctx = opdf_open(0, &zero);
    EXPECT_EQ(100, ctx->maxPages);
    EXPECT_EQ(100, ctx->maxFonts);
    EXPECT_EQ(100, ctx->maxImages);
    EXPECT_EQ(100, ctx->maxAnnots);
    EXPECT_EQ(5000, ctx->maxObjects);
    EXPECT_EQ(16, ctx->maxPatterns);
    opdf_close(ctx);

    opdf_setDefaultLimits(0, -5, 200, 0, 0, 0);
    ctx = opdf_open(0, nullptr);
    EXPECT_EQ(100, ctx->maxFonts);
    EXPECT_EQ(200, ctx->maxImages);
    opdf_close(ctx);
    opdf_setDefaultLimits(0, 0, 100, 0, 0, 0);
}

TEST(DocContext, LargeLimitsCostNothingUntilUsed)
{
    PDFDocLimits big{20000, 100, 100, 100, 1000000, 16};
    std::vector<Reported> reports;
    PDFDocContext* ctx = opdf_open(0, &big);
    collectReports(ctx, &reports);
    ASSERT_EQ(0, opdf_init(ctx));
    EXPECT_EQ(0, ctx->pageCapacity);
    ASSERT_EQ(0, opdf_pageInit(ctx, 20000, 0, "0 0 10 10", nullptr));
    EXPECT_EQ(-1, opdf_pageInit(ctx, 20001, 0, "0 0 10 10", nullptr));
    EXPECT_EQ(20001, ctx->pageCapacity);
    ASSERT_EQ(0, opdf_finalizeAll(ctx));
    unsigned n = 0;
    std::string pdf((const char*)opdf_getMemoryOutput(ctx, &n));
    EXPECT_NE(std::string::npos, pdf.find("/Size 7\n"));
    opdf_close(ctx);
    EXPECT_TRUE(hasReport(reports, "Too many pages: 20001. Increase limit by opdf_open()"));
}

TEST(DocContext, SecondInitIsReported)
{
    std::vector<Reported> reports;
    PDFDocContext* ctx = opdf_open(0, nullptr);
    collectReports(ctx, &reports);
    EXPECT_EQ(0, opdf_init(ctx));
    ASSERT_EQ(0, opdf_pageInit(ctx, 1, 0, "0 0 10 10", nullptr));
    EXPECT_EQ(-1, opdf_init(ctx));
    ASSERT_EQ(1u, reports.size());
    EXPECT_EQ(-1, reports[0].level);
    EXPECT_EQ("opdf_open() has not been called.", reports[0].text);
    EXPECT_EQ(1, ctx->pages[1]->state); // the page survived
    opdf_close(ctx);
}

TEST(DocContext, VersionOnlyRises)
{
    const struct {
        const char* name;
        std::function<void(PDFDocContext*)> setup;
        const char* header;
    } cases[] = {
        {"fresh", nullptr, "%PDF-1.1\n"},
        {"compressed", [](PDFDocContext* c) { opdf_setCompression(c, 1); }, "%PDF-1.2\n"},
        {"title shown",
         [](PDFDocContext* c) {
             PDFViewerPreferences v{};
             v.DisplayDocTitle = 1;
             opdf_setViewerPreferences(c, &v);
             opdf_setPDFLevel(c, 1, 2);
         },
         "%PDF-1.4\n"},
        {"other filter",
         [](PDFDocContext* c) {
             opdf_setCompressionFilter(c, "x", "/LZWDecode");
             opdf_setCompression(c, 1);
         },
         "%PDF-1.1\n"},
    };
    for (const auto& c : cases) {
        std::string pdf = buildDocument(c.setup);
        EXPECT_EQ(0u, pdf.find(c.header)) << c.name;
        EXPECT_EQ(0, pdf.compare(9, 6, "%\xD6\xD9\xE5\xD6\n")) << c.name;
    }
}

TEST(DocContext, PdfaRefusesLevelsAbove14)
{
    PDFDocContext* ctx = opdf_open(0, nullptr);
    ctx->pdfaFlag = 1;
    opdf_setPDFLevel(ctx, 1, 5);
    EXPECT_EQ(1, ctx->minor);
    opdf_setPDFLevel(ctx, 1, 4);
    EXPECT_EQ(4, ctx->minor);
    opdf_close(ctx);
}

TEST(DocContext, JpegQualityRange)
{
    PDFDocContext* ctx = opdf_open(0, nullptr);
    for (unsigned q : {101u, (unsigned)-1})
        opdf_setJPEGQuality(ctx, q);
    EXPECT_EQ(50, ctx->jpegQuality);
    opdf_setJPEGQuality(ctx, 0);
    EXPECT_EQ(0, ctx->jpegQuality);
    opdf_close(ctx);
}

TEST(DocContext, PageErrors)
{
    std::vector<Reported> reports;
    PDFDocLimits limits{3, 0, 0, 0, 0, 0};
    PDFDocContext* ctx = opdf_open(0, &limits);
    collectReports(ctx, &reports);
    opdf_init(ctx);
    const struct {
        const char* name;
        std::function<int(PDFDocContext*)> call;
        int result;
        const char* message;
    } cases[] = {
        {"page 0", [](PDFDocContext* c) { return opdf_pageInit(c, 0, 0, "0 0 1 1", nullptr); }, -1,
         "Page number must be 1 or greater"},
        {"too many", [](PDFDocContext* c) { return opdf_pageInit(c, 4, 0, "0 0 1 1", nullptr); },
         -1, "Too many pages: 4. Increase limit by opdf_open()"},
        {"last page", [](PDFDocContext* c) { return opdf_pageInit(c, 3, 0, "0 0 1 1", nullptr); },
         0, nullptr},
        {"twice", [](PDFDocContext* c) { return opdf_pageInit(c, 3, 0, "0 0 1 1", nullptr); }, 0,
         "Page 3 is already initialized"},
        {"switch to unknown", [](PDFDocContext* c) { return opdf_setCurrentPage(c, 2); }, -1,
         "Cannot switch to page 2 because it has not been initialized"},
        {"switch out of range", [](PDFDocContext* c) { return opdf_setCurrentPage(c, 99); }, -1,
         "Cannot switch to page 99 because it has not been initialized"},
        {"page 1", [](PDFDocContext* c) { return opdf_pageInit(c, 1, 0, "0 0 1 1", nullptr); }, 0,
         nullptr},
        {"switch to finalised",
         [](PDFDocContext* c) {
             opdf_finalizePage(c, 3);
             return opdf_setCurrentPage(c, 3);
         },
         -2, "Cannot switch to page 3 because it has already been finalized"},
        {"comment on max page", [](PDFDocContext* c) { return opdf_addPageComment(c, "x", 3); }, 0,
         nullptr},
        {"comment beyond max", [](PDFDocContext* c) { return opdf_addPageComment(c, "x", 4); }, -3,
         nullptr},
        {"comment on unknown page", [](PDFDocContext* c) { return opdf_addPageComment(c, "x", 2); },
         -3, nullptr},
        {"empty comment", [](PDFDocContext* c) { return opdf_addPageComment(c, "", 0); }, -2,
         nullptr},
        {"empty document comment", [](PDFDocContext* c) { return opdf_addDocumentComment(c, nullptr); },
         -2, nullptr},
    };
    for (const auto& c : cases) {
        reports.clear();
        EXPECT_EQ(c.result, c.call(ctx)) << c.name;
        if (c.message) {
            ASSERT_EQ(1u, reports.size()) << c.name;
            EXPECT_EQ(c.message, reports[0].text) << c.name;
        } else {
            EXPECT_TRUE(reports.empty()) << c.name;
        }
    }
    EXPECT_EQ(-1, opdf_addPageComment(nullptr, "x", 0));
    opdf_close(ctx);
}

TEST(DocContext, ObjectLimits)
{
    std::vector<Reported> reports;
    PDFDocLimits ten{0, 0, 0, 0, 10, 0};
    std::string pdf = buildDocument(nullptr, &reports, &ten);
    EXPECT_EQ("", pdf);
    ASSERT_EQ(1u, reports.size());
    EXPECT_EQ("Very less Objects specified for this PDF: 10. Increase limit by opdf_open()",
              reports[0].text);

    reports.clear();
    PDFDocLimits eleven{0, 0, 0, 0, 11, 0};
    pdf = buildDocument(
        [](PDFDocContext* c) {
            opdf_pageInit(c, 2, 0, "0 0 1 1", nullptr);
            opdf_pageInit(c, 3, 0, "0 0 1 1", nullptr);
        },
        &reports, &eleven);
    ASSERT_EQ(1u, reports.size());
    EXPECT_EQ("Too many Objects in this PDF: 11. Increase limit by opdf_open()", reports[0].text);
    EXPECT_EQ(std::string::npos, pdf.find("obj"));
}

// Offsets are kept for the objects numbered at finalize, not up to the limit.
TEST(DocContext, ObjectOffsetsStayInsideTheNumberedObjects)
{
    PDFDocContext* ctx = opdf_open(0, nullptr);
    opdf_init(ctx);
    opdf_pageInit(ctx, 1, 0, "0 0 200 200", nullptr);
    ASSERT_EQ(0, opdf_finalizeAll(ctx));
    ASSERT_EQ(7, ctx->offsetCount);
    ASSERT_LT(ctx->offsetCount, ctx->maxObjects);
    for (int n : {7, 8, ctx->maxObjects - 1})
        _opdf_markNextObject(ctx, n);
    _opdf_markNextObject(ctx, 6);
    EXPECT_EQ(ctx->bytesWritten, ctx->offsets[6]);
    opdf_close(ctx);
}

TEST(DocContext, PageDictionaryEntries)
{
    const struct {
        int rotationCode;
        const char* rotate;
    } rotations[] = {{1, "/Rotate 270\n"}, {2, "/Rotate 90\n"}, {3, "/Rotate 180\n"},
                     {7, "/Rotate 0\n"},   {0, "/Rotate 0\n"}};
    for (const auto& r : rotations) {
        std::string pdf = buildDocument([&](PDFDocContext* c) {
            opdf_pageInit(c, 2, r.rotationCode, "0 0 595 842", "10 10 585 832");
        });
        std::string page = objectText(pdf, 6);
        EXPECT_NE(std::string::npos, page.find(r.rotate)) << page;
        EXPECT_NE(std::string::npos, page.find("/MediaBox [0 0 595 842]\n/CropBox [10 10 585 832]"));
    }

    std::string pdf = buildDocument([](PDFDocContext* c) {
        opdf_setPageDuration(c, 2.5f);
        opdf_setPageTransition(c, 1, 1, 0, 1, 1);
    });
    EXPECT_NE(std::string::npos,
              objectText(pdf, 4).find("/Dur 2.500\n/Trans << /S /Split /D 1.000 /Dm /H /M /I >>\n"));

    const struct {
        int style;
        const char* text;
    } transitions[] = {{2, "/S /Blinds /D 2.000 /Dm /V"}, {3, "/S /Box /D 2.000 /M /O"},
                       {4, "/S /Wipe /D 2.000 /Di 90.00"}, {5, "/S /Dissolve /D 2.000"},
                       {6, "/S /Glitter /D 2.000 /Di 90.00"}, {9, "/S /R"}};
    for (const auto& t : transitions) {
        pdf = buildDocument([&](PDFDocContext* c) { opdf_setPageTransition(c, t.style, 2, 90, 0, 0); });
        EXPECT_NE(std::string::npos, pdf.find(std::string("/Trans << ") + t.text + " >>\n")) << t.style;
    }
}

TEST(DocContext, CatalogViewerPreferences)
{
    std::string pdf = buildDocument([](PDFDocContext* c) {
        PDFViewerPreferences v{3, 1, 0, 1, 0, 1, 0, 6, 5};
        opdf_setViewerPreferences(c, &v);
    });
    EXPECT_EQ("1 0 obj\n<<\n/Type /Catalog\n/Pages 2 0 R\n/PageMode /FullScreen\n"
              "/PageLayout /TwoColumnLeft\n/ViewerPreferences <<\n/HideToolbar true\n"
              "/HideWindowUI true\n/CenterWindow true\n/NonFullScreenPageMode /UseNone\n>>\n"
              ">>\nendobj\n",
              objectText(pdf, 1));
}

TEST(DocContext, InfoAndTrailer)
{
    std::string pdf = buildDocument([](PDFDocContext* c) {
        opdf_setTitle(c, "Report (draft");
        opdf_setSubject(c, "line\nbreak");
        opdf_setKeywords(c, nullptr);
    });
    std::string info = objectText(pdf, 6);
    EXPECT_NE(std::string::npos, info.find("/Title (Report \\(draft)\n"));
    EXPECT_NE(std::string::npos, info.find("/Subject (line\\nbreak)\n"));
    EXPECT_NE(std::string::npos, info.find("/Author (Unknown)\n"));
    EXPECT_NE(std::string::npos, info.find("/Producer (Orvo PDF Library V3.1)\n"));
    EXPECT_NE(std::string::npos, info.find("/CreationDate (D:"));
    EXPECT_EQ(std::string::npos, info.find("/Keywords"));
    std::regex id("/ID \\[<([0-9A-F]{32})> <([0-9A-F]{32})>\\]\n>>\nstartxref\n[0-9]+\n%%EOF\n$");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(pdf, m, id));
    EXPECT_EQ(m[1].str(), m[2].str());

    // Test mode leaves out the time-dependent parts.
    pdf = buildDocument([](PDFDocContext* c) { opdf_setOmitVariableInfo(c, 1); });
    EXPECT_EQ(std::string::npos, pdf.find("/ID"));
    EXPECT_EQ(std::string::npos, pdf.find("/CreationDate"));
    EXPECT_EQ(std::string::npos, pdf.find("/Title"));

    // ... but an archival document keeps its identifier.
    pdf = buildDocument([](PDFDocContext* c) {
        opdf_setOmitVariableInfo(c, 1);
        c->pdfaFlag = 1;
    });
    EXPECT_NE(std::string::npos, pdf.find("/ID [<"));
}

TEST(DocContext, Helpers)
{
    int a = 0, b = 0, seven = 7;
    int first = _opdf_assignSequenceNumber(&a);
    EXPECT_EQ(first + 1, _opdf_assignSequenceNumber(&b));
    EXPECT_EQ(7, _opdf_assignSequenceNumber(&seven));
    EXPECT_EQ(first, _opdf_assignSequenceNumber(&a));

    const struct {
        double x, mantissa;
        int exponent;
    } cases[] = {{0, 0, 0}, {1234, 1.234, 3}, {-0.05, -5, -2}, {9.99, 9.99, 0}};
    for (const auto& c : cases) {
        int e = 99;
        EXPECT_NEAR(c.mantissa, _opdf_frexp10(c.x, &e), 1e-12) << c.x;
        EXPECT_EQ(c.exponent, e) << c.x;
    }
    for (const char* yes : {"12", "-1.5", "."})
        EXPECT_EQ(1, _opdf_isNumeric(yes)) << yes;
    for (const char* no : std::initializer_list<const char*>{"", "1e3", "2]", nullptr})
        EXPECT_EQ(0, _opdf_isNumeric(no));
    EXPECT_EQ(-1, _opdf_hexDigitValue('#'));
    EXPECT_EQ(255, _opdf_hexDigitValue('g'));
    EXPECT_EQ(11, _opdf_hexDigitValue('b'));
    char letters[9];
    opdf_randomLetters(letters, 8);
    EXPECT_EQ(8u, strlen(letters));
    for (char c : std::string(letters))
        EXPECT_TRUE(c >= 'A' && c <= 'Z');
    EXPECT_STREQ("Linux", opdf_getPlatformName());
    int le = 1;
    EXPECT_EQ(*(char*)&le == 1 ? 0 : 1, opdf_returnZero());
}

TEST(DocContext, MemoryOutputWrittenToFile)
{
    TempDir dir;
    PDFDocContext* ctx = opdf_open(0, nullptr);
    opdf_init(ctx);
    opdf_pageInit(ctx, 1, 0, "0 0 10 10", nullptr);
    opdf_finalizeAll(ctx);
    std::string path = dir.file("copy.pdf");
    EXPECT_EQ(0, opdf_writeMemoryOutput(ctx, path.c_str()));
    unsigned n = 0;
    const unsigned char* b = opdf_getMemoryOutput(ctx, &n);
    EXPECT_EQ(std::string((const char*)b, n), readFile(path));
    EXPECT_EQ(path, opdf_getOutputFileName(ctx));
    opdf_close(ctx);
}

} // namespace
