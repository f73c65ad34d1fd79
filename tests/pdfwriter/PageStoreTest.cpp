// Finished page contents kept in memory or in the document's store file give
// the same PDF; failures of that file are reported; finalised pages keep
// nothing an open page needs.
#include <gtest/gtest.h>

#include "OpdfTestSupport.h"

#include <csignal>
#include <sys/resource.h>

using namespace opdftest;

namespace {

const char* const kLetter = "0 0 612 792";
const char* const kA4 = "0 0 595 842";

// Pages that differ in boxes, fonts, blend modes and text; page 3 is left
// open for opdf_finalizeAll. `rects` makes a page's content longer.
void buildPages(PDFDocContext* ctx, int pages, int rects)
{
    for (int p = 1; p <= pages; p++) {
        const char* box = p % 4 == 0 ? kA4 : kLetter;
        ASSERT_EQ(0, opdf_pageInit(ctx, p, p % 3, box, p % 5 == 0 ? "10 10 500 700" : box));
        opdf_beginText(ctx);
        ASSERT_EQ(0, opdf_setFont(ctx, "Helvetica", "WinAnsiEncoding", 10, 0, 0, 0, nullptr,
                                  nullptr));
        if (p > 5) {
            ASSERT_EQ(0, opdf_setFont(ctx, "Courier", "WinAnsiEncoding", 10, 0, 0, 0, nullptr,
                                      nullptr));
        }
        const std::string text = "page " + std::to_string(p);
        opdf_rawShowTextAt(ctx, 72, 700, 0, (const unsigned char*)text.data(), (int)text.size());
        opdf_endText(ctx);
        if (p % 7 == 0)
            opdf_setBlendMode(ctx, 2);
        for (int i = 0; i < rects; i++)
            opdf_rawrect(ctx, (float)(i % 500), (float)(i % 700), (float)p, 3);
        opdf_stroke(ctx);
        if (p != 3)
            opdf_finalizePage(ctx, p);
    }
}

struct Written {
    std::string pdf;
    std::vector<Reported> reports;
    bool storeFileUsed = false;
    std::string tempFilesWhileOpen;
    int finalized = 0; // result of opdf_finalizeAll
};

// One document with the given store threshold (-1 keeps the default).
Written write(const TempDir& dir, bool toFile, bool compress, int64_t threshold, int pages,
              int rects = 4, const std::function<void()>& beforeFinalize = {})
{
    Written w;
    PDFDocContext* ctx = opdf_open(0, nullptr);
    collectReports(ctx, &w.reports);
    opdf_setOmitVariableInfo(ctx, 1);
    if (compress)
        opdf_setCompression(ctx, 1);
    opdf_setTempDirectory(ctx, (dir.path() + "/").c_str());
    const std::string out = dir.file("out.pdf");
    if (toFile)
        opdf_setOutputFile(ctx, out.c_str());
    if (threshold >= 0)
        ctx->storeThreshold = threshold;
    EXPECT_EQ(0, opdf_init(ctx));
    buildPages(ctx, pages, rects);
    w.storeFileUsed = ctx->storeFile != nullptr;
    w.tempFilesWhileOpen = run("ls '" + dir.path() + "' | grep _opdf").output;
    if (beforeFinalize)
        beforeFinalize();
    w.finalized = opdf_finalizeAll(ctx);
    if (toFile) {
        opdf_close(ctx);
        w.pdf = readFile(out);
    } else {
        unsigned n = 0;
        const unsigned char* b = opdf_getMemoryOutput(ctx, &n);
        w.pdf.assign((const char*)b, n);
        opdf_close(ctx);
    }
    return w;
}

TEST(PageStore, WhereContentsWaitLeavesTheFileUnchanged)
{
    struct Case {
        const char* name;
        bool toFile;
        bool compress;
        int64_t threshold;
        bool storeFileUsed;
    };
    const Case cases[] = {
        {"file, all in the store file", true, false, 0, true},
        {"file compressed, all in the store file", true, true, 0, true},
        {"file compressed, half in memory", true, true, 600, true},
        {"memory output never uses the store file", false, true, 0, false},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const Written reference = write(dir, c.toFile, c.compress, -1, 12);
        ASSERT_EQ(0, reference.finalized);
        EXPECT_FALSE(reference.storeFileUsed) << c.name;
        const Written w = write(dir, c.toFile, c.compress, c.threshold, 12);
        EXPECT_EQ(0, w.finalized) << c.name;
        EXPECT_TRUE(w.reports.empty()) << c.name << ": " << w.reports.front().text;
        EXPECT_EQ(c.storeFileUsed, w.storeFileUsed) << c.name;
        EXPECT_EQ(reference.pdf, w.pdf) << c.name;
        EXPECT_NE(std::string::npos, w.pdf.find("/Count 12\n")) << c.name;
        // The store file has no name in the folder, even while it is used.
        EXPECT_EQ("", w.tempFilesWhileOpen) << c.name;
        EXPECT_EQ(c.toFile ? "out.pdf\n" : "", run("ls '" + dir.path() + "'").output) << c.name;
    }
}

// Writes beyond a file size limit fail with EFBIG instead of ending the process.
class FileSizeLimit {
public:
    FileSizeLimit()
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit none = saved_;
        none.rlim_cur = 0;
        setrlimit(RLIMIT_FSIZE, &none);
    }
    void lift() { setrlimit(RLIMIT_FSIZE, &saved_); }
    ~FileSizeLimit()
    {
        lift();
        std::signal(SIGXFSZ, previous_);
    }

private:
    struct rlimit saved_ {};
    void (*previous_)(int) = nullptr;
};

TEST(PageStore, StoreFileFailuresAreReported)
{
    {
        // A temporary folder that is missing: the contents stay in memory.
        TempDir dir;
        const Written reference = write(dir, true, true, -1, 6);
        ASSERT_EQ(0, reference.finalized);
        PDFDocContext* ctx = opdf_open(0, nullptr);
        std::vector<Reported> reports;
        collectReports(ctx, &reports);
        opdf_setOmitVariableInfo(ctx, 1);
        opdf_setCompression(ctx, 1);
        opdf_setTempDirectory(ctx, (dir.path() + "/missing/").c_str());
        opdf_setOutputFile(ctx, dir.file("out.pdf").c_str());
        ctx->storeThreshold = 0;
        ASSERT_EQ(0, opdf_init(ctx));
        buildPages(ctx, 6, 4);
        ASSERT_EQ(0, opdf_finalizeAll(ctx));
        opdf_close(ctx);
        ASSERT_EQ(1u, reports.size());
        EXPECT_EQ(2, reports[0].level);
        EXPECT_EQ(0u, reports[0].text.rfind("Cannot open " + dir.path() + "/missing/_opdf123-", 0))
            << reports[0].text;
        EXPECT_EQ(reference.pdf, readFile(dir.file("out.pdf")));
    }
    {
        // A page too long for the stream buffer fails at once and stays in
        // memory: nothing is lost once the disk has room again.
        TempDir dir;
        const Written reference = write(dir, true, false, -1, 4, 400);
        ASSERT_EQ(0, reference.finalized);
        std::unique_ptr<FileSizeLimit> limit;
        PDFDocContext* ctx = opdf_open(0, nullptr);
        std::vector<Reported> reports;
        collectReports(ctx, &reports);
        opdf_setOmitVariableInfo(ctx, 1);
        opdf_setTempDirectory(ctx, (dir.path() + "/").c_str());
        opdf_setOutputFile(ctx, dir.file("out.pdf").c_str());
        ctx->storeThreshold = 0;
        ASSERT_EQ(0, opdf_init(ctx));
        limit = std::make_unique<FileSizeLimit>();
        buildPages(ctx, 4, 400);
        limit->lift();
        ASSERT_EQ(0, opdf_finalizeAll(ctx));
        opdf_close(ctx);
        ASSERT_FALSE(reports.empty());
        EXPECT_EQ(2, reports[0].level);
        EXPECT_EQ(0u, reports[0].text.rfind("Cannot write temporary content file ", 0))
            << reports[0].text;
        EXPECT_EQ(reference.pdf, readFile(dir.file("out.pdf")));
    }
    {
        // Short pages wait in the stream buffer: the failure shows when they
        // are read back, and a document that lost them is not written.
        TempDir dir;
        std::unique_ptr<FileSizeLimit> limit;
        const Written w = write(dir, true, false, 0, 4, 1,
                                [&] { limit = std::make_unique<FileSizeLimit>(); });
        limit.reset();
        ASSERT_FALSE(w.reports.empty());
        EXPECT_EQ(2, w.reports[0].level);
        EXPECT_EQ(0u, w.reports[0].text.rfind("Cannot write " + dir.path() + "/_opdf", 0))
            << w.reports[0].text;
        EXPECT_NE(0, w.finalized);
    }
}

TEST(PageStore, FinalisedPagesKeepOnlyWhatTheFileNeeds)
{
    TempDir dir;
    PDFDocContext* ctx = opdf_open(0, nullptr);
    std::vector<Reported> reports;
    collectReports(ctx, &reports);
    ASSERT_EQ(0, opdf_init(ctx));
    buildPages(ctx, 9, 1);
    for (int p : {1, 2, 5, 9}) {
        const PDFPageEntry* row = ctx->pages[p];
        EXPECT_EQ(nullptr, row->open) << p;
        EXPECT_NE(nullptr, row->contentBytes) << p;
    }
    // The last page's own plot domain went with it; the open page's is
    // current again when the page is.
    EXPECT_EQ(nullptr, ctx->pageDomain);
    EXPECT_EQ(nullptr, ctx->domain);
    ASSERT_NE(nullptr, ctx->pages[3]->open);
    ASSERT_EQ(0, opdf_setCurrentPage(ctx, 3));
    EXPECT_EQ(ctx->pages[3]->open->domain, ctx->domain);
    // Equal boxes and equal resource lists are one copy.
    EXPECT_EQ(ctx->pages[3]->mediaBox, ctx->pages[7]->mediaBox);
    EXPECT_EQ(ctx->pages[1]->mediaBox, ctx->pages[2]->mediaBox);
    EXPECT_EQ(ctx->pages[1]->mediaBox, ctx->pages[1]->cropBox);
    EXPECT_STREQ(kA4, ctx->pages[4]->mediaBox);
    EXPECT_STREQ("10 10 500 700", ctx->pages[5]->cropBox);
    EXPECT_EQ(ctx->pages[1]->resources, ctx->pages[2]->resources);
    EXPECT_EQ(ctx->pages[8]->resources, ctx->pages[9]->resources);
    EXPECT_NE(ctx->pages[7]->resources, ctx->pages[8]->resources);
    EXPECT_EQ(ctx->pages[6]->resources, ctx->pages[8]->resources); // taking turns
    int n = 0;
    const int* fonts = _opdf_pageResources(ctx->pages[6], OPDF_RES_FONTS, &n);
    ASSERT_EQ(2, n);
    EXPECT_EQ(0, fonts[0]);
    EXPECT_EQ(1, fonts[1]);
    _opdf_pageResources(ctx->pages[7], OPDF_RES_EXTGSTATES, &n);
    EXPECT_EQ(1, n);
    _opdf_pageResources(ctx->pages[8], OPDF_RES_EXTGSTATES, &n);
    EXPECT_EQ(0, n);
    ASSERT_EQ(0, opdf_finalizeAll(ctx));
    EXPECT_TRUE(reports.empty()) << reports.front().text;
    opdf_close(ctx);
}

// A page's resource list keeps each resource once, in the order first added,
// also past the length at which repeats are found by hash (the time this takes
// is measured by bench/, not here).
TEST(PageStore, ManyResourcesOnOnePageStayInOrder)
{
    PDFDocContext* ctx = opdf_open(0, nullptr);
    std::vector<Reported> reports;
    collectReports(ctx, &reports);
    ASSERT_EQ(0, opdf_init(ctx));
    ASSERT_EQ(0, opdf_pageInit(ctx, 1, 0, kLetter, kLetter));
    const int n = 100000;
    // Scattered values, each added twice and a few added again much later.
    auto value = [](int i) { return (int)(((unsigned)i * 7919u) % 1000003u); };
    for (int i = 0; i < n; i++) {
        ASSERT_EQ(1, _opdf_addPageResource(ctx, OPDF_RES_XOBJECTS, value(i))) << i;
        ASSERT_EQ(0, _opdf_addPageResource(ctx, OPDF_RES_XOBJECTS, value(i))) << i;
        if (i % 1000 == 999) {
            ASSERT_EQ(0, _opdf_addPageResource(ctx, OPDF_RES_XOBJECTS, value(i / 2))) << i;
        }
    }
    // The short lists of other kinds, and the value 0, are unaffected.
    for (int i : {3, 0, 3, -1, 0})
        _opdf_addPageResource(ctx, OPDF_RES_FONTS, i);
    int count = 0;
    const int* fonts = _opdf_pageResources(ctx->pages[1], OPDF_RES_FONTS, &count);
    ASSERT_EQ(3, count);
    EXPECT_EQ(std::vector<int>({3, 0, -1}), std::vector<int>(fonts, fonts + count));
    const int* images = _opdf_pageResources(ctx->pages[1], OPDF_RES_XOBJECTS, &count);
    ASSERT_EQ(n, count);
    for (int i = 0; i < n; i++)
        ASSERT_EQ(value(i), images[i]) << i;
    opdf_close(ctx);
    EXPECT_TRUE(reports.empty());
}

TEST(PageStore, FinalisingUnderAnOpenPatternLeavesNoWayIntoThePage)
{
    for (bool compress : {false, true}) {
        PDFDocContext* ctx = opdf_open(0, nullptr);
        std::vector<Reported> reports;
        collectReports(ctx, &reports);
        if (compress)
            opdf_setCompression(ctx, 1);
        ASSERT_EQ(0, opdf_init(ctx));
        ASSERT_EQ(0, opdf_pageInit(ctx, 1, 0, kLetter, kLetter));
        opdf_rawrect(ctx, 1, 2, 3, 4);
        ASSERT_GE(opdf_beginPattern(ctx, 1, 1, 10, 10, 10, 10, nullptr), 0);
        opdf_finalizePage(ctx, 1);
        opdf_endPattern(ctx, 0);
        opdf_rawrect(ctx, 5, 6, 7, 8);
        EXPECT_TRUE(hasReport(reports, "No current page for content output")) << compress;
        ASSERT_EQ(0, opdf_finalizeAll(ctx));
        unsigned len = 0;
        const unsigned char* b = opdf_getMemoryOutput(ctx, &len);
        const std::string pdf((const char*)b, len);
        if (!compress) {
            EXPECT_NE(std::string::npos, pdf.find("1.000 2.000 3.000 4.000 re")) << pdf;
            EXPECT_EQ(std::string::npos, pdf.find("5.000 6.000 7.000 8.000 re")) << pdf;
        }
        opdf_close(ctx);
    }
}

} // namespace
