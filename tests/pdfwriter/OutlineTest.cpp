// The outline tree of the PDF writer: linking, counts, numbering and the
// written entries, checked in the file bytes and with qpdf's reading.
#include <gtest/gtest.h>

#include "ImageTestSupport.h"

extern "C" {
#include "opdfAnnotations.h"
}

using namespace opdftest;

namespace {

class Outlines : public ::testing::Test {
protected:
    TempDir dir;
    std::vector<Reported> reports;
    std::string path;

    PDFDocContext* open(int pages, int maxObjects = 0)
    {
        PDFDocLimits limits = {0, 0, 0, 0, maxObjects, 0};
        PDFDocContext* ctx = opdf_open(0, &limits);
        collectReports(ctx, &reports);
        EXPECT_EQ(0, opdf_init(ctx));
        for (int p = 1; p <= pages; p++)
            EXPECT_EQ(0, opdf_pageInit(ctx, p, 0, "0 0 612 792", "0 0 612 792"));
        return ctx;
    }

    std::string finish(PDFDocContext* ctx)
    {
        EXPECT_EQ(0, opdf_finalizeAll(ctx));
        unsigned len = 0;
        const unsigned char* b = opdf_getMemoryOutput(ctx, &len);
        std::string pdf(reinterpret_cast<const char*>(b), len);
        opdf_close(ctx);
        path = dir.file("outline.pdf");
        writeFile(path, pdf);
        if (toolAvailable("qpdf")) {
            EXPECT_EQ("", qpdfCheck(path));
        }
        static const std::regex re("/Dest \\[([0-9]+) 0 R");
        for (auto it = std::sregex_iterator(pdf.begin(), pdf.end(), re); it != std::sregex_iterator(); ++it)
            EXPECT_NE(objectText(pdf, std::stoi((*it)[1].str())).find("/Type /Page\n"), std::string::npos);
        return pdf;
    }

    // The entry object whose title is the text.
    static std::string entry(const std::string& pdf, const std::string& title, int* number = nullptr)
    {
        for (const auto& h : objectHeaders(pdf)) {
            std::string o = objectText(pdf, h.first);
            if (o.find("/Title (" + title + ")\n") != std::string::npos) {
                if (number)
                    *number = h.first;
                return o;
            }
        }
        return "";
    }

    static std::string root(const std::string& pdf) { return objectText(pdf, 2); }

    // Titles of qpdf's reading of the outline, depth first, with the
    // nesting shown by brackets.
    std::string qpdfTitles()
    {
        CommandResult r = run("python3 -c \"import json,subprocess,sys\n"
                              "d=json.loads(subprocess.run(['qpdf','--json','--json-key=outlines','" +
                              path +
                              "'],capture_output=True).stdout)\n"
                              "def w(l): return ' '.join(o['title']+('['+w(o['kids'])+']' if o['kids'] else '') for o in l)\n"
                              "sys.stdout.write(w(d['outlines']))\"");
        return r.output;
    }
};

TEST_F(Outlines, ClosedEntriesAndNumbering)
{
    PDFDocContext* ctx = open(2);
    PDFOutlineEntry* a = opdf_addOutline(ctx, nullptr, 0, 0, 1, "A", 2, 0, 0, 0, 0);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(opdf_addOutline(ctx, a, 1, 0, 2, "B", 2, 0, 0, 0, 0), nullptr);
    ASSERT_NE(opdf_addOutline(ctx, a, 0, 0, 2, "C", 1, 0, 800, 0, 0), nullptr);
    EXPECT_EQ(2, ctx->outlineCount);
    const std::string pdf = finish(ctx);
    EXPECT_NE(pdf.find("/Outlines 2 0 R\n"), std::string::npos);
    int na = 0, nb = 0, nc = 0;
    const std::string ea = entry(pdf, "A", &na), eb = entry(pdf, "B", &nb), ec = entry(pdf, "C", &nc);
    EXPECT_LT(na, nb);
    EXPECT_LT(nb, nc);
    EXPECT_NE(root(pdf).find("/Type /Outlines\n/Count 2\n/First " + std::to_string(na) + " 0 R\n/Last " +
                             std::to_string(nc) + " 0 R\n"),
              std::string::npos)
        << root(pdf);
    EXPECT_NE(ea.find("/Count -1\n"), std::string::npos) << ea;
    EXPECT_NE(ea.find("/Parent 2 0 R\n"), std::string::npos);
    EXPECT_NE(eb.find("/Parent " + std::to_string(na) + " 0 R\n"), std::string::npos) << eb;
    EXPECT_EQ(eb.find("/Count"), std::string::npos);
    EXPECT_NE(ec.find("/Prev " + std::to_string(na) + " 0 R\n"), std::string::npos);
    EXPECT_NE(ec.find(" 0 R /XYZ 0 800 0.000]\n"), std::string::npos) << ec;
    if (toolAvailable("qpdf") && toolAvailable("python3")) {
        EXPECT_EQ("A[B] C", qpdfTitles());
    }
}

TEST_F(Outlines, ChildrenAreLinkedBothWays)
{
    PDFDocContext* ctx = open(1);
    PDFOutlineEntry* p = opdf_addOutline(ctx, nullptr, 0, 1, 1, "P", 2, 0, 0, 0, 0);
    opdf_addOutline(ctx, p, 1, 1, 1, "X", 2, 0, 0, 0, 0);
    opdf_addOutline(ctx, p, 1, 1, 1, "Y", 2, 0, 0, 0, 0);
    EXPECT_EQ(3, ctx->outlineCount);
    const std::string pdf = finish(ctx);
    int np = 0, nx = 0, ny = 0;
    const std::string ep = entry(pdf, "P", &np), ex = entry(pdf, "X", &nx), ey = entry(pdf, "Y", &ny);
    EXPECT_NE(ep.find("/First " + std::to_string(nx) + " 0 R\n/Last " + std::to_string(ny) + " 0 R\n/Count 2\n"),
              std::string::npos)
        << ep;
    EXPECT_NE(ex.find("/Next " + std::to_string(ny) + " 0 R\n"), std::string::npos);
    EXPECT_NE(ey.find("/Prev " + std::to_string(nx) + " 0 R\n"), std::string::npos);
}

// Counts rise through open ancestors and stop after the first closed one.
TEST_F(Outlines, CountsRiseThroughOpenAncestors)
{
    PDFDocContext* ctx = open(1);
    PDFOutlineEntry* a = opdf_addOutline(ctx, nullptr, 0, 0, 1, "A", 2, 0, 0, 0, 0);
    PDFOutlineEntry* c = opdf_addOutline(ctx, a, 1, 1, 1, "C", 2, 0, 0, 0, 0);
    EXPECT_EQ(1, ctx->outlineCount);
    opdf_addOutline(ctx, c, 1, 1, 1, "D", 2, 0, 0, 0, 0);
    PDFOutlineEntry* closed = opdf_addOutline(ctx, a, 1, 0, 1, "E", 2, 0, 0, 0, 0);
    opdf_addOutline(ctx, closed, 1, 1, 1, "F", 2, 0, 0, 0, 0);
    EXPECT_EQ(1, ctx->outlineCount);
    const std::string pdf = finish(ctx);
    EXPECT_NE(entry(pdf, "A").find("/Count -3\n"), std::string::npos) << entry(pdf, "A");
    EXPECT_NE(entry(pdf, "C").find("/Count 1\n"), std::string::npos);
    EXPECT_NE(entry(pdf, "E").find("/Count -1\n"), std::string::npos);
    EXPECT_NE(root(pdf).find("/Count 1\n"), std::string::npos);
}

TEST_F(Outlines, MissingPagesAreRefused)
{
    PDFDocContext* ctx = open(4);
    for (int page : {5, 0, -3}) {
        reports.clear();
        EXPECT_EQ(nullptr, opdf_addOutline(ctx, nullptr, 0, 1, page, "X", 2, 0, 0, 0, 0));
        ASSERT_EQ(1u, reports.size());
        EXPECT_EQ("Page " + std::to_string(page) + " has not yet been created for outline (book mark).",
                  reports[0].text);
    }
    EXPECT_EQ(0, ctx->outlineCount);
    reports.clear();
    const std::string pdf = finish(ctx);
    EXPECT_EQ(pdf.find("/Outlines"), std::string::npos);

    // A page number below the highest that was never initialised.
    PDFDocContext* gap = opdf_open(0, nullptr);
    collectReports(gap, &reports);
    ASSERT_EQ(0, opdf_init(gap));
    ASSERT_EQ(0, opdf_pageInit(gap, 3, 0, "0 0 612 792", "0 0 612 792"));
    EXPECT_EQ(nullptr, opdf_addOutline(gap, nullptr, 0, 1, 2, "X", 2, 0, 0, 0, 0));
    EXPECT_TRUE(hasReport(reports, "Page 2 has not yet been created for outline (book mark)."));
    EXPECT_NE(nullptr, opdf_addOutline(gap, nullptr, 0, 1, 3, "Y", 2, 0, 0, 0, 0));
    reports.clear();
    finish(gap);
}

// Calls without reference append top-level entries: every chain stays
// reachable and counted.
TEST_F(Outlines, EntriesWithoutReferenceAppend)
{
    PDFDocContext* ctx = open(2);
    PDFOutlineEntry* a = opdf_addOutline(ctx, nullptr, 0, 1, 1, "A", 2, 0, 0, 0, 0);
    opdf_addOutline(ctx, a, 1, 1, 1, "A1", 2, 0, 0, 0, 0);
    opdf_addOutline(ctx, nullptr, 0, 1, 2, "B", 2, 0, 0, 0, 0);
    opdf_addOutlineAction(ctx, nullptr, 0, 1, "/S /Named /N /FirstPage", "Go");
    EXPECT_EQ(4, ctx->outlineCount);
    const std::string pdf = finish(ctx);
    EXPECT_NE(entry(pdf, "Go").find("/A <<\n/S /Named /N /FirstPage\n>>\n"), std::string::npos);
    if (toolAvailable("qpdf") && toolAvailable("python3")) {
        EXPECT_EQ("A[A1] B Go", qpdfTitles());
    }
}

// Inserting after an entry that is not the last keeps the one after it.
TEST_F(Outlines, SiblingInsertedInTheMiddle)
{
    PDFDocContext* ctx = open(1);
    PDFOutlineEntry* a = opdf_addOutline(ctx, nullptr, 0, 1, 1, "A", 2, 0, 0, 0, 0);
    opdf_addOutline(ctx, a, 0, 1, 1, "C", 2, 0, 0, 0, 0);
    opdf_addOutline(ctx, a, 0, 1, 1, "B", 2, 0, 0, 0, 0);
    finish(ctx);
    if (toolAvailable("qpdf") && toolAvailable("python3")) {
        EXPECT_EQ("A B C", qpdfTitles());
    }
}

TEST_F(Outlines, HexTitles)
{
    PDFDocContext* ctx = open(1);
    opdf_setHexStrings(ctx, 1);
    opdf_addOutline(ctx, nullptr, 0, 1, 1, "4F6B", 2, 0, 0, 0, 0);
    const std::string pdf = finish(ctx);
    EXPECT_NE(pdf.find("/Title <4F6B>\n"), std::string::npos);
}

// A very deep tree is numbered, written and freed without recursion.
TEST_F(Outlines, DeepTree)
{
    PDFDocContext* ctx = open(1, 200000);
    PDFOutlineEntry* e = opdf_addOutline(ctx, nullptr, 0, 1, 1, "0", 2, 0, 0, 0, 0);
    for (int i = 1; i < 100000 && e; i++)
        e = opdf_addOutline(ctx, e, 1, 0, 1, std::to_string(i).c_str(), 2, 0, 0, 0, 0);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(0, opdf_finalizeAll(ctx));
    unsigned len = 0;
    const unsigned char* b = opdf_getMemoryOutput(ctx, &len);
    const std::string pdf(reinterpret_cast<const char*>(b), len);
    EXPECT_NE(pdf.find("/Title (99999)\n"), std::string::npos);
    opdf_close(ctx);
}

} // namespace
