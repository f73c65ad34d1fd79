// Documents and pages through the PDF visitor: page sizes, limits, output,
// watermark, comments and the handling of library errors.
#include "PdfVisitorSupport.h"

#include "Comment.h"
#include "qelException.h"

#include <cstring>
#include <regex>

using namespace pdfvtest;

namespace {

class LifeCycleTest : public PdfVisitorTest
{
};

TEST_F(LifeCycleTest, PagesGetTheirMediaBoxesAndPassTheChecker)
{
    if (!toolAvailable("qpdf") || !toolAvailable("pdfinfo"))
        GTEST_SKIP() << "qpdf or pdfinfo missing";
    TestPage a4(1, 1984, 2806, 240);
    TestPage letter(1, 1700, 2200, 240);
    letter.setExtentWidth(2040); // the medium the page is printed on
    letter.setExtentHeight(2640);
    TestPage lineData(11, 612, 792, 72);
    lineData.setMediaKind(qelMedia::KIND_LINE_DATA_PAGE);
    const std::string pdf = runDocument({&a4, &letter, &lineData}, nullptr);

    const CommandResult check = run("qpdf --check " + pdf);
    EXPECT_EQ(0, check.status) << check.output;
    const CommandResult info = run("pdfinfo -f 1 -l 3 " + pdf);
    EXPECT_TRUE(std::regex_search(info.output, std::regex("Pages:\\s+3\\n"))) << info.output;
    EXPECT_TRUE(std::regex_search(info.output, std::regex("Page +1 size:\\s+595.2 x 841.8 pts \\(A4\\)")));
    EXPECT_TRUE(std::regex_search(info.output, std::regex("Page +2 size:\\s+612 x 792 pts")));
    EXPECT_TRUE(std::regex_search(info.output, std::regex("Page +3 size:\\s+612 x 792 pts")));
}

TEST_F(LifeCycleTest, PageRotationCodes)
{
    if (!toolAvailable("pdfinfo"))
        GTEST_SKIP() << "pdfinfo missing";
    struct Case
    {
        const char* option;
        int pageRotation; // -1 leaves the page unset
        const char* expected;
    };
    const Case cases[] = {
        {"0", 90, "rot:\\s+90\\n"},
        {"landscape", -1, "rot:\\s+270\\n"},
        {"180", -1, "rot:\\s+180\\n"},
        {"0", -1, "rot:\\s+0\\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.option);
        ini()->setAttribute("PageRotation", c.option);
        TestPage page(1, 1700, 2200, 240);
        if (c.pageRotation >= 0)
            page.setRotation(c.pageRotation);
        const std::string pdf = runPage(page, nullptr);
        const CommandResult info = run("pdfinfo -f 1 -l 1 " + pdf);
        EXPECT_TRUE(std::regex_search(info.output, std::regex(c.expected))) << info.output;
    }
}

TEST_F(LifeCycleTest, DocumentLimitsFollowTheOptionAndStreaming)
{
    struct Case
    {
        const char* option; // null: nothing configured
        const char* mode;
        int pageCount;
        PDFDocLimits expected;
    };
    const Case cases[] = {
        {nullptr, "ALL", 3, {20000, 200, 500000, 20000, 1000000, 16}},
        {"0,0,0,0,0,0", "DOC", 3, {20000, 200, 500000, 20000, 1000000, 16}},
        {"5", "ALL", 3, {500, 200, 12500, 500, 25000, 16}},
        {"5", "DOC_INDEX", 7, {12, 200, 300, 12, 600, 16}},
        {"10,20,30,40,50,60", "DOC_COLD", 2, {12, 20, 30, 40, 50, 60}},
        {"10,0,0,0,0,0", "DOC", 2, {10, 200, 250, 10, 500, 16}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.option ? c.option : "(none)") + " " + c.mode);
        delete qelGlobalDSPool::getInstance();
        qelMessageOutput::set(m_messages);
        if (c.option)
            ini()->setAttribute("PDFDocLimits", c.option);
        ini()->setFileCreationMode(c.mode);
        const PDFDocLimits l = qelPDFVisitor::computeDocLimits(ini(), c.pageCount);
        EXPECT_EQ(c.expected.MaxPages, l.MaxPages);
        EXPECT_EQ(c.expected.MaxFonts, l.MaxFonts);
        EXPECT_EQ(c.expected.MaxImages, l.MaxImages);
        EXPECT_EQ(c.expected.MaxAnnots, l.MaxAnnots);
        EXPECT_EQ(c.expected.MaxObjects, l.MaxObjects);
        EXPECT_EQ(c.expected.MaxPatterns, l.MaxPatterns);
    }
}

TEST_F(LifeCycleTest, WatermarkTextIsOnEveryPage)
{
    if (!toolAvailable("pdftotext"))
        GTEST_SKIP() << "pdftotext missing";
    ini()->setAttribute("Watermark", "DRAFTCOPY,Helvetica,400,0,255,0,0");
    // A change of resolution gives the page a plot domain of its own, made
    // while the library has already freed the previous pages' domains.
    const std::vector<std::vector<uint16_t>> runs = {{240, 240}, {240, 300, 300, 240}};
    for (const std::vector<uint16_t>& resolutions : runs) {
        std::vector<std::unique_ptr<TestPage>> owned;
        std::vector<TestPage*> pages;
        for (uint16_t r : resolutions) {
            owned.push_back(std::make_unique<TestPage>(1, 1984 * r / 240, 2806 * r / 240, r));
            pages.push_back(owned.back().get());
        }
        const std::string pdf = runDocument(pages, nullptr);
        for (size_t page = 1; page <= pages.size(); ++page) {
            const CommandResult text =
                run("pdftotext -f " + std::to_string(page) + " -l " + std::to_string(page) + " " + pdf + " -");
            EXPECT_NE(std::string::npos, text.output.find("DRAFTCOPY")) << "page " << page << ": " << text.output;
        }
    }
}

TEST_F(LifeCycleTest, NoWatermarkWithoutText)
{
    if (!toolAvailable("qpdf"))
        GTEST_SKIP() << "qpdf missing";
    TestPage page(1, 1984, 2806, 240);
    const std::string content = contentOf(runPage(page, nullptr));
    EXPECT_EQ(std::string::npos, content.find("BT"));
    EXPECT_EQ(std::string::npos, content.find("/ExtGState"));
}

TEST_F(LifeCycleTest, DocumentInformationAndCommentsAreWritten)
{
    if (!toolAvailable("pdfinfo") || !toolAvailable("qpdf"))
        GTEST_SKIP() << "tools missing";
    ini()->setAttribute("Title", "Quarterly report");
    ini()->setAttribute("Creator", "Accounts");
    qelDocument doc("doc", 1);
    doc.addComment(new de::orvo::ips::metainfo::Comment("document remark"));
    TestPage page(1, 1984, 2806, 240);
    page.addComment(new de::orvo::ips::metainfo::Comment("page remark"));
    qelPDFVisitor v;
    v.initializeDoc(&doc);
    startPage(v, page);
    v.finalizePage();
    v.cleanup();
    const std::string pdf = tempPath(".pdf");
    m_files.push_back(pdf);
    takeOutput(v, pdf);
    const CommandResult info = run("pdfinfo " + pdf);
    EXPECT_NE(std::string::npos, info.output.find("Quarterly report")) << info.output;
    EXPECT_NE(std::string::npos, info.output.find("Accounts")) << info.output;
    std::ifstream in(pdf, std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(std::string::npos, content.find("document remark"));
    EXPECT_NE(std::string::npos, content.find("page remark"));
}

// Runs pages into a file until the library refuses; the caller's error
// handling then cleans up as the kernel does.
struct FailedRun
{
    int id = 0;
    std::string message;
    bool thrown = false;
};

TEST_F(LifeCycleTest, LibraryErrorsSurfaceAsE086AndLeaveNoFile)
{
    struct Case
    {
        const char* name;
        const char* limits;
        bool longDirectory; // output into a missing directory of a long name
        int pages;
        const char* function;
    };
    const Case cases[] = {
        {"page limit", "1,0,0,0,0,0", false, 2, "initializePage()->opdf_pageInit()"},
        {"output cannot be opened", nullptr, true, 1, "InitPDFDoc()->opdf_init()"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        delete qelGlobalDSPool::getInstance();
        qelMessageOutput::set(m_messages);
        ini()->setQuietMode(true);
        ini()->setMemoryOutputStream(false);
        if (c.limits)
            ini()->setAttribute("PDFDocLimits", c.limits);
        std::string file = tempPath(".pdf");
        if (c.longDirectory)
            file = "/tmp/" + std::string(900, 'd') + "/out.pdf";
        ini()->setOutputFilePath("");
        qelDocument doc("doc", 1);
        doc.setOutputFilename(file.c_str());
        TestPage page(1, 1984, 2806, 240);
        FailedRun result;
        {
            qelPDFVisitor v;
            try {
                v.initializeDoc(&doc);
                for (int i = 0; i < c.pages; ++i) {
                    page.setWritten(false);
                    startPage(v, page);
                    v.finalizePage();
                }
                v.cleanup();
            } catch (qelException* e) {
                result.thrown = true;
                result.id = e->getId();
                result.message = e->getMessage();
                delete e;
                v.setErrorState(true);
                v.cleanup();
            }
            EXPECT_FALSE(v.isDocumentOpen());
        }
        ASSERT_TRUE(result.thrown);
        EXPECT_EQ(86, result.id);
        EXPECT_NE(std::string::npos, result.message.find(std::string("\nFunction Name : ") + c.function))
            << "[" << result.message << "]";
        if (c.longDirectory)
            EXPECT_NE(std::string::npos, result.message.find(file)) << "the whole file name is kept";
        else
            EXPECT_NE(std::string::npos, result.message.find("\nReturn Code : -1\n"));
        EXPECT_FALSE(fileExists(file));
    }
}

TEST_F(LifeCycleTest, SecondDocumentContinuesTheOpenPdf)
{
    if (!toolAvailable("pdfinfo"))
        GTEST_SKIP() << "pdfinfo missing";
    qelDocument first("first", 1);
    qelDocument second("second", 1);
    TestPage a(1, 1984, 2806, 240);
    TestPage b(1, 1700, 2200, 240);
    qelPDFVisitor v;
    v.initializeDoc(&first);
    startPage(v, a);
    v.finalizePage();
    v.finalizeDoc();
    EXPECT_EQ(-1, v.createPDFDoc());
    v.initializeDoc(&second);
    startPage(v, b);
    EXPECT_EQ(2, v.getOutputPageNumber());
    v.finalizePage();
    v.finalizeDoc();
    v.cleanup();
    const std::string pdf = tempPath(".pdf");
    m_files.push_back(pdf);
    takeOutput(v, pdf);
    EXPECT_TRUE(std::regex_search(run("pdfinfo " + pdf).output, std::regex("Pages:\\s+2\\n")));
}

}
