// Whole documents written to memory, to files, with content files and compressed,
// checked with independent tools.
#include <gtest/gtest.h>

#include "OpdfTestSupport.h"

#include <cerrno>
#include <ctime>
#include <map>

using namespace opdftest;

namespace {

struct OutputMode {
    const char* name;
    bool toFile;
    bool contentFiles;
    bool compress;
};

const OutputMode kModes[] = {
    {"memory", false, false, false},
    {"file", true, false, false},
    {"contentFiles", true, true, false},
    {"compressed", false, false, true},
    {"compressedContentFiles", true, true, true},
};

class DocumentOutput : public ::testing::TestWithParam<OutputMode> {
protected:
    TempDir dir;
    std::vector<Reported> reports;

    PDFDocContext* open(const OutputMode& m)
    {
        PDFDocContext* ctx = opdf_open(0, nullptr);
        collectReports(ctx, &reports);
        if (m.compress)
            opdf_setCompression(ctx, 1);
        if (m.toFile)
            opdf_setOutputFile(ctx, dir.file("out.pdf").c_str());
        if (m.contentFiles) {
            opdf_setTempDirectory(ctx, (dir.path() + "/").c_str());
            opdf_setContentInMemory(ctx, 0);
        }
        EXPECT_EQ(0, opdf_init(ctx));
        return ctx;
    }

    // Finalises, closes and returns the file's bytes (also kept on disk for the tools).
    std::string finish(PDFDocContext* ctx, const OutputMode& m)
    {
        EXPECT_EQ(0, opdf_finalizeAll(ctx));
        std::string pdf;
        if (m.toFile) {
            pdf = readFile(dir.file("out.pdf"));
        } else {
            unsigned len = 0;
            const unsigned char* b = opdf_getMemoryOutput(ctx, &len);
            EXPECT_NE(nullptr, b);
            pdf.assign((const char*)b, len);
            writeFile(dir.file("out.pdf"), pdf);
        }
        opdf_close(ctx);
        return pdf;
    }

    void checkWithTools(const std::string& pdf)
    {
        const std::string path = dir.file("out.pdf");
        if (!toolAvailable("qpdf") || !toolAvailable("pdftoppm"))
            GTEST_SKIP() << "qpdf or pdftoppm missing";
        CommandResult check = run("qpdf --check '" + path + "'");
        EXPECT_EQ(0, check.status) << check.output;
        EXPECT_EQ(std::string::npos, check.output.find("reconstruct")) << check.output;
        EXPECT_EQ(std::string::npos, check.output.find("WARNING")) << check.output;
        EXPECT_NE(std::string::npos, check.output.find("No syntax or stream encoding errors"))
            << check.output;

        // Every offset qpdf reads from the table points at that object's header.
        CommandResult xref = run("qpdf --show-xref '" + path + "'");
        ASSERT_EQ(0, xref.status) << xref.output;
        std::regex line("([0-9]+)/0: uncompressed; offset = ([0-9]+)");
        int seen = 0;
        for (auto it = std::sregex_iterator(xref.output.begin(), xref.output.end(), line);
             it != std::sregex_iterator(); ++it, ++seen) {
            int n = std::stoi((*it)[1].str());
            size_t off = std::stoul((*it)[2].str());
            std::string head = std::to_string(n) + " 0 obj\n";
            EXPECT_EQ(head, pdf.substr(off, head.size())) << "object " << n;
        }
        EXPECT_EQ((int)objectHeaders(pdf).size(), seen);

        CommandResult render = run("pdftoppm -r 10 -png '" + path + "' '" + dir.file("page") + "'");
        EXPECT_EQ(0, render.status) << render.output;
        EXPECT_EQ("", render.output);
        EXPECT_EQ(0, run("ls '" + dir.path() + "' | grep -q 'page.*png'").status);
    }
};

void drawPaths(PDFDocContext* ctx)
{
    opdf_gsave(ctx);
    opdf_setlinewidth(ctx, 2);
    opdf_setrgbColorStroke(ctx, 1, 0, 0);
    opdf_rawmoveto(ctx, 50, 50);
    opdf_rawlineto(ctx, 300, 60);
    opdf_rawcurveto(ctx, 320, 100, 340, 200, 200, 300);
    opdf_closepath(ctx);
    opdf_stroke(ctx);
    opdf_setcmykcolorFill(ctx, 0, 0.5f, 1, 0);
    opdf_rawrect(ctx, 100, 400, 150, 80);
    opdf_fill(ctx);
    opdf_rawrotatedRect(ctx, 300, 400, 100, 50, 30);
    opdf_fillAndStroke(ctx);
    opdf_grestore(ctx);
}

void drawCircles(PDFDocContext* ctx)
{
    opdf_gsave(ctx);
    opdf_setgrayColor(ctx, 0.3f);
    opdf_rawcircle(ctx, 200, 200, 80);
    opdf_stroke(ctx);
    opdf_rawcircleHalves(ctx, 400, 200, 60);
    opdf_fill(ctx);
    opdf_rawarc(ctx, 300, 500, 100, 0, 270, 1);
    opdf_stroke(ctx);
    opdf_rawarc(ctx, 300, 500, 50, 90, 0, 1);
    opdf_stroke(ctx);
    opdf_grestore(ctx);
}

void drawChart(PDFDocContext* ctx)
{
    PDFPlotDomain* d = opdf_createPlotDomain(100, 100, 400, 300, 0, 10, 0, 100, 0, 0, 0);
    PDFPlotDomain* old = opdf_setPlotDomain(ctx, d);
    opdf_fillPlotDomainRGB(d, 0.9f, 0.9f, 1);
    opdf_setMeshColors(d, 0, 0, 0.5f, 0.5f, 0.5f, 0.5f);
    opdf_drawMesh(d);
    opdf_gsave(ctx);
    opdf_moveto(ctx, 0, 0);
    opdf_lineto(ctx, 5, 50);
    opdf_lineto(ctx, 10, 20);
    opdf_stroke(ctx);
    opdf_circle(ctx, 5, 50, 0.5f);
    opdf_fill(ctx);
    opdf_grestore(ctx);
    PDFAxis* x = opdf_createAxis(0, 400, 0, 0, 10);
    opdf_attachAxis(x, d, 0, 0);
    opdf_showAxisParts(x, 1, 1, 0);
    opdf_drawAxis(x);
    PDFAxis* y = opdf_createAxis(90, 300, 0, 0, 100);
    opdf_attachAxis(y, d, 0, 0);
    opdf_showAxisParts(y, 1, 1, 0);
    opdf_drawAxis(y);
    PDFPlotDomain* lg = opdf_createPlotDomain(100, 450, 400, 200, 1, 1000, 1, 100, 1, 1, 0);
    opdf_setPlotDomain(ctx, lg);
    opdf_clipToPlotDomain(lg);
    opdf_drawMesh(lg);
    PDFAxis* lx = opdf_createAxis(0, 400, 1, 1, 1000);
    opdf_attachAxis(lx, lg, 0, 0);
    opdf_showAxisParts(lx, 1, 1, 0);
    opdf_drawAxis(lx);
    opdf_freeAxis(x);
    opdf_freeAxis(y);
    opdf_freeAxis(lx);
    opdf_setPlotDomain(ctx, old);
    opdf_free(d);
    opdf_free(lg);
}

TEST_P(DocumentOutput, ThreePagesInitialisedOutOfOrder)
{
    const OutputMode m = GetParam();
    PDFDocContext* ctx = open(m);
    const char* a4 = "0 0 595 842";
    ASSERT_EQ(0, opdf_pageInit(ctx, 3, 0, a4, a4));
    drawPaths(ctx);
    ASSERT_EQ(0, opdf_addPageComment(ctx, "page three", 0));
    ASSERT_EQ(0, opdf_pageInit(ctx, 1, 2, a4, a4));
    drawCircles(ctx);
    ASSERT_EQ(0, opdf_addPageComment(ctx, "page one\nsecond line", 0));
    ASSERT_EQ(0, opdf_setCurrentPage(ctx, 3));
    opdf_rawcircle(ctx, 500, 700, 20);
    opdf_stroke(ctx);
    ASSERT_EQ(0, opdf_pageInit(ctx, 2, 0, a4, a4));
    drawChart(ctx);
    ASSERT_EQ(0, opdf_addPageComment(ctx, "page two", 2));
    opdf_finalizePage(ctx, 2);
    ASSERT_EQ(0, opdf_addDocumentComment(ctx, "made by a test\r\n/Evil true"));
    const std::string pdf = finish(ctx, m);
    EXPECT_TRUE(reports.empty()) << reports.front().text;

    // Catalog 1, Pages 2, ProcSet 3, then Page/content pairs in page order, Info 10.
    auto headers = objectHeaders(pdf);
    ASSERT_EQ(10u, headers.size());
    for (size_t i = 0; i < headers.size(); i++)
        EXPECT_EQ((int)i + 1, headers[i].first);
    EXPECT_NE(std::string::npos, objectText(pdf, 2).find("/Kids [ 4 0 R 6 0 R 8 0 R ]"));
    const std::map<int, std::string> pageMarks = {{4, "%page one\n%second line\n"},
                                                  {6, "%page two\n"},
                                                  {8, "%page three\n"}};
    for (const auto& [obj, mark] : pageMarks) {
        std::string page = objectText(pdf, obj);
        EXPECT_NE(std::string::npos, page.find("/Type /Page\n")) << obj;
        EXPECT_NE(std::string::npos, page.find(mark)) << obj;
        EXPECT_NE(std::string::npos, page.find("/Contents " + std::to_string(obj + 1) + " 0 R"));
    }
    EXPECT_NE(std::string::npos, objectText(pdf, 4).find("/Rotate 90\n"));
    EXPECT_NE(std::string::npos, pdf.find("trailer\n<<\n/Size 11\n/Root 1 0 R\n/Info 10 0 R\n"));
    // The line break of the document comment stays inside comments.
    EXPECT_NE(std::string::npos, pdf.find("%made by a test\n%/Evil true\ntrailer\n"));
    if (m.compress) {
        EXPECT_NE(std::string::npos, objectText(pdf, 5).find("/Filter [/FlateDecode]"));
    }
    EXPECT_EQ(0, pdf.compare(0, 9, "%PDF-1." + std::string(m.compress ? "2" : "1") + "\n"));
    checkWithTools(pdf);
    if (m.contentFiles) {
        EXPECT_EQ("", run("ls '" + dir.path() + "' | grep _opdf").output);
    }
}

TEST_P(DocumentOutput, OneEmptyPage)
{
    const OutputMode m = GetParam();
    PDFDocContext* ctx = open(m);
    ASSERT_EQ(0, opdf_pageInit(ctx, 1, 0, "0 0 612 792", "0 0 612 792"));
    const std::string pdf = finish(ctx, m);

    const std::vector<std::pair<int, std::string>> expected = {
        {1, "/Type /Catalog"}, {2, "/Type /Pages"}, {3, "[/PDF /Text]\n"},
        {4, "/Type /Page\n"},  {5, "/Length "},     {6, "/Producer "}};
    auto headers = objectHeaders(pdf);
    ASSERT_EQ(expected.size(), headers.size());
    for (size_t i = 0; i < expected.size(); i++) {
        EXPECT_EQ(expected[i].first, headers[i].first);
        EXPECT_NE(std::string::npos, objectText(pdf, expected[i].first).find(expected[i].second))
            << expected[i].first;
    }
    EXPECT_NE(std::string::npos, pdf.find("/Size 7\n"));
    // An empty content stream still has its keywords.
    if (!m.compress) {
        EXPECT_EQ("5 0 obj\n<</Length 0>>\nstream\n\nendstream\nendobj\n", objectText(pdf, 5));
    }
    checkWithTools(pdf);
}

INSTANTIATE_TEST_SUITE_P(Modes, DocumentOutput, ::testing::ValuesIn(kModes),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DocumentOutputEdges, ContentFilesOfDocumentsSharingOneDirectoryStayApart)
{
    // Two documents with the same document number build page 1 in the same
    // directory at the same time; each must get its own content back.
    TempDir dir;
    PDFDocContext* a = opdf_open(0, nullptr);
    PDFDocContext* b = opdf_open(0, nullptr);
    for (PDFDocContext* c : {a, b}) {
        opdf_setTempDirectory(c, (dir.path() + "/").c_str());
        opdf_setContentInMemory(c, 0);
        ASSERT_EQ(0, opdf_init(c));
        ASSERT_EQ(0, opdf_pageInit(c, 1, 0, "0 0 100 100", "0 0 100 100"));
    }
    opdf_setgrayFill(a, 0.25f);
    opdf_setgrayFill(b, 0.75f);
    ASSERT_EQ(0, opdf_finalizeAll(a));
    ASSERT_EQ(0, opdf_finalizeAll(b));
    unsigned la = 0, lb = 0;
    const char* ba = (const char*)opdf_getMemoryOutput(a, &la);
    const char* bb = (const char*)opdf_getMemoryOutput(b, &lb);
    std::string pa(ba, la), pb(bb, lb);
    EXPECT_NE(std::string::npos, pa.find("0.2500 g\n"));
    EXPECT_EQ(std::string::npos, pa.find("0.7500 g\n"));
    EXPECT_NE(std::string::npos, pb.find("0.7500 g\n"));
    EXPECT_EQ(std::string::npos, pb.find("0.2500 g\n"));
    opdf_close(a);
    opdf_close(b);
    EXPECT_EQ("", run("ls '" + dir.path() + "'").output);
}

TEST(DocumentOutputEdges, ClosingUnfinishedDocumentRemovesContentFiles)
{
    TempDir dir;
    PDFDocContext* ctx = opdf_open(0, nullptr);
    opdf_setTempDirectory(ctx, (dir.path() + "/").c_str());
    opdf_setContentInMemory(ctx, 0);
    ASSERT_EQ(0, opdf_init(ctx));
    ASSERT_EQ(0, opdf_pageInit(ctx, 1, 0, "0 0 100 100", nullptr));
    opdf_rawrect(ctx, 1, 2, 3, 4);
    opdf_close(ctx);
    EXPECT_EQ("", run("ls '" + dir.path() + "'").output);
}

// A disk that is full: the output file is a link to /dev/full. Small files
// fail when closed, larger ones while written; either way the result says so.
TEST(DocumentOutputEdges, WriteErrorsAreReportedOnceAndReturned)
{
    struct Case {
        const char* what;
        int rectangles;
        bool contentFiles;
    };
    const Case cases[] = {
        {"fails at close", 1, false},
        {"fails while written", 2000, false},
        {"content files, fails while written", 2000, true},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string out = dir.file("out.pdf");
        ASSERT_EQ(0, symlink("/dev/full", out.c_str()));
        std::vector<Reported> reports;
        PDFDocContext* ctx = opdf_open(0, nullptr);
        collectReports(ctx, &reports);
        opdf_setOutputFile(ctx, out.c_str());
        if (c.contentFiles) {
            opdf_setTempDirectory(ctx, (dir.path() + "/").c_str());
            opdf_setContentInMemory(ctx, 0);
        }
        ASSERT_EQ(0, opdf_init(ctx));
        ASSERT_EQ(0, opdf_pageInit(ctx, 1, 0, "0 0 100 100", nullptr));
        for (int i = 0; i < c.rectangles; ++i)
            opdf_rawrect(ctx, 1, 2, 3, 4);
        EXPECT_EQ(-1, opdf_finalizeAll(ctx)) << c.what;
        const char* name = nullptr;
        EXPECT_EQ(ENOSPC, opdf_getWriteError(ctx, &name)) << c.what;
        EXPECT_EQ(out, name ? name : "") << c.what;
        ASSERT_EQ(1u, reports.size()) << c.what;
        EXPECT_EQ(2, reports[0].level);
        EXPECT_EQ("Cannot write " + out + ": " + strerror(ENOSPC), reports[0].text);
        opdf_close(ctx);
    }
}

TEST(DocumentOutputEdges, SuccessfulWritesLeaveNoWriteError)
{
    TempDir dir;
    PDFDocContext* ctx = opdf_open(0, nullptr);
    opdf_setOutputFile(ctx, dir.file("out.pdf").c_str());
    ASSERT_EQ(0, opdf_init(ctx));
    ASSERT_EQ(0, opdf_pageInit(ctx, 1, 0, "0 0 100 100", nullptr));
    EXPECT_EQ(0, opdf_finalizeAll(ctx));
    const char* name = "unset";
    EXPECT_EQ(0, opdf_getWriteError(ctx, &name));
    EXPECT_EQ(nullptr, name);
    opdf_close(ctx);
}

// The trailer's identifier of a one-page document.
std::string fileIdentifier(const std::string& outputName)
{
    PDFDocContext* ctx = opdf_open(0, nullptr);
    if (!outputName.empty())
        opdf_setOutputFile(ctx, outputName.c_str());
    opdf_init(ctx);
    opdf_pageInit(ctx, 1, 0, "0 0 100 100", nullptr);
    opdf_finalizeAll(ctx);
    unsigned n = 0;
    const unsigned char* b = opdf_getMemoryOutput(ctx, &n);
    std::string pdf = outputName.empty() ? std::string(b ? (const char*)b : "", n) : readFile(outputName);
    opdf_close(ctx);
    std::smatch m;
    static const std::regex id("/ID \\[<([0-9A-F]{32})>");
    return std::regex_search(pdf, m, id) ? m[1].str() : std::string();
}

TEST(DocumentOutputEdges, FilesOfOneSecondGetTheirOwnIdentifiers)
{
    TempDir dir;
    const struct {
        const char* what;
        std::string first, second;
    } cases[] = {
        {"memory outputs", "", ""},
        {"one file name twice", dir.file("a.pdf"), dir.file("a.pdf")},
        {"two file names", dir.file("a.pdf"), dir.file("b.pdf")},
    };
    for (const auto& c : cases) {
        std::string a, b;
        // Retried when the clock passed a second between the two documents.
        for (int attempt = 0; attempt < 5; ++attempt) {
            const time_t before = time(nullptr);
            a = fileIdentifier(c.first);
            b = fileIdentifier(c.second);
            if (time(nullptr) == before)
                break;
        }
        ASSERT_EQ(32u, a.size()) << c.what;
        EXPECT_NE(a, b) << c.what;
    }
}

// Draws page n of the round-trip document: empty, a few operators, or
// hundreds of kilobytes of varied lines.
void drawRoundTripPage(PDFDocContext* ctx, int page)
{
    if (page == 2) {
        opdf_rawrect(ctx, 1, 2, 3, 4);
        opdf_fill(ctx);
    } else if (page == 3) {
        opdf_setFont(ctx, "Helvetica", "WinAnsiEncoding", 10, 0, 0, 0, nullptr, nullptr);
        opdf_beginText(ctx);
        for (int i = 0; i < 12000; i++) {
            char line[64];
            snprintf(line, sizeof line, "line %d of %x", i * 7919 % 10007, i * 31);
            opdf_rawTextPosition(ctx, (float)(i % 500), (float)(i % 800) + 0.125f * (float)i);
            opdf_rawShowText(ctx, (const unsigned char*)line, (int)strlen(line));
        }
        opdf_endText(ctx);
    }
}

TEST(DocumentOutputEdges, CompressedContentReadsBackAsWritten)
{
    ASSERT_TRUE(toolAvailable("qpdf"));
    for (bool contentFiles : {false, true}) {
        std::string streams[2][3];
        for (int compress = 0; compress < 2; compress++) {
            TempDir dir;
            PDFDocContext* ctx = opdf_open(0, nullptr);
            opdf_setCompression(ctx, compress);
            if (contentFiles) {
                opdf_setTempDirectory(ctx, (dir.path() + "/").c_str());
                opdf_setContentInMemory(ctx, 0);
            }
            ASSERT_EQ(0, opdf_init(ctx));
            for (int page = 1; page <= 3; page++) {
                ASSERT_EQ(0, opdf_pageInit(ctx, page, 0, "0 0 595 842", nullptr));
                drawRoundTripPage(ctx, page);
            }
            ASSERT_EQ(0, opdf_finalizeAll(ctx));
            unsigned len = 0;
            const unsigned char* b = opdf_getMemoryOutput(ctx, &len);
            ASSERT_NE(nullptr, b);
            const std::string pdf((const char*)b, len);
            opdf_close(ctx);
            const std::string path = dir.file("out.pdf");
            writeFile(path, pdf);
            EXPECT_EQ(compress == 1, pdf.find("/FlateDecode") != std::string::npos);
            // Page objects 4, 6, 8 are followed by their contents.
            for (int page = 1; page <= 3; page++) {
                CommandResult data = run("qpdf --show-object=" + std::to_string(3 + 2 * page) +
                                         " --filtered-stream-data '" + path + "'");
                ASSERT_EQ(0, data.status) << data.output;
                streams[compress][page - 1] = data.output;
            }
        }
        for (int page = 1; page <= 3; page++)
            EXPECT_EQ(streams[0][page - 1], streams[1][page - 1])
                << "page " << page << (contentFiles ? " from content files" : " in memory");
        EXPECT_EQ("", streams[1][0]);
        EXPECT_GT(streams[1][2].size(), 300000u);
    }
}

} // namespace
