// Link annotations and bookmarks of the PDF visitor, read back with qpdf.
#include "PdfVisitorSupport.h"

#include "qelAnnotationObject.h"
#include "qelException.h"
#include "qelIndex.h"
#include "qelIndexSet.h"
#include "qelList.h"

using namespace pdfvtest;

namespace {

bool qpdfAvailable() { return toolAvailable("qpdf") && toolAvailable("python3"); }

// qpdf's reading of a file through a small python program over its JSON
// ("d" is the parsed JSON); what the program prints.
std::string qpdfJson(const std::string& pdf, const std::string& program)
{
    const std::string script = tempPath(".py");
    std::ofstream(script) << "import json,subprocess,sys\n"
                             "d=json.loads(subprocess.run(['qpdf','--json','"
                          << pdf << "'],capture_output=True).stdout)\n"
                          << program;
    CommandResult r = run("python3 '" + script + "'");
    std::remove(script.c_str());
    return r.output;
}

// The outline as "title@page" with children in brackets.
std::string outlineOf(const std::string& pdf)
{
    return qpdfJson(pdf, "def w(l): return ' '.join(o['title']+'@'+str(o['destpageposfrom1'])+"
                         "('['+w(o['kids'])+']' if o['kids'] else '') for o in l)\n"
                         "sys.stdout.write(w(d['outlines']))\n");
}

// Every /Dest of the file names a page object.
std::string destinationsNotOnPages(const std::string& pdf)
{
    return qpdfJson(pdf, "objs=d['qpdf'][1]\n"
                         "pages=set(p['object'] for p in d['pages'])\n"
                         "bad=[k for k,v in objs.items() if isinstance(v.get('value'),dict) and '/Dest' in v['value']"
                         " and v['value']['/Dest'][0] not in pages]\n"
                         "sys.stdout.write(' '.join(bad))\n");
}

using NavigationTest = PdfVisitorTest;

TEST_F(NavigationTest, LinkAnnotationFromTheMedia)
{
    TestPage page(qelPage::KIND_AFP, 1700, 2200, 240);
    page.addAnnotation(240, 480, 100, 20, "https://example.com/x?a=(1)", 2.4f, 0x0000FF, 0);
    const std::string pdf = runPage(page, [&](qelPDFVisitor& v) {
        for (qelListNode* n = page.getObjectList()->getHead(); n; n = n->next)
            static_cast<qelGraphicObject*>(n->item)->write(&v);
    });
    if (!qpdfAvailable())
        GTEST_SKIP() << "qpdf missing";
    EXPECT_EQ(0, run("qpdf --check '" + pdf + "'").status);
    const std::string annots = qpdfJson(
        pdf, "objs=d['qpdf'][1]\n"
             "page=objs['obj:'+d['pages'][0]['object']]['value']\n"
             "a=[objs['obj:'+r]['value'] for r in page['/Annots']]\n"
             "for x in a: print(x['/Subtype'], x['/A']['/S'], x['/A']['/URI'], x['/Rect'], x['/Border'], x['/C'])\n");
    // 1 inch from the left, 2 inches below the top of a page 660 points high;
    // 30 x 6 points; a border of 2.4 units is 0.72 points; red.
    EXPECT_EQ("/Link /URI u:https://example.com/x?a=(1) [72, 510, 102, 516] [0, 0, 0.72] [1.0, 0.0, 0.0]\n", annots);
}

// The table of the document is as big as its limits: one more is refused.
TEST_F(NavigationTest, AnnotationBeyondTheLimit)
{
    ini()->setAttribute("PDFDocLimits", "1");
    TestPage page(qelPage::KIND_AFP, 1700, 2200, 240);
    for (int i = 0; i < 101; ++i)
        page.addAnnotation(10, 10, 10, 10, "u", 0, 0, 0);
    std::string message;
    qelDocument doc("doc", 1);
    qelPDFVisitor v;
    ASSERT_EQ(1, v.initializeDoc(&doc));
    startPage(v, page);
    int written = 0;
    try {
        for (qelListNode* n = page.getObjectList()->getHead(); n; n = n->next, ++written)
            static_cast<qelGraphicObject*>(n->item)->write(&v);
    } catch (qelException* e) {
        message = e->getMessage() ? e->getMessage() : "";
        delete e;
    }
    EXPECT_EQ(100, written);
    EXPECT_NE(message.find("too many annotations in this PDF: 100"), std::string::npos) << message;
    EXPECT_NE(message.find("writeAnnotationObject()->opdf_setActionURL()"), std::string::npos) << message;
    v.finalizePage();
    v.cleanup();
    std::free(const_cast<void*>(v.getOutputBuffer()));
    v.releaseOutputBuffer();
}

// Index values of pages become bookmarks under their name.
TEST_F(NavigationTest, IndexBookmarks)
{
    ini()->setAttribute("PDFBookMark", "on");
    ASSERT_TRUE(ini()->isPDFBookMark());
    std::vector<std::unique_ptr<TestPage>> pages;
    for (int i = 0; i < 3; ++i) {
        pages.emplace_back(new TestPage(qelPage::KIND_AFP, 1700, 2200, 240));
        if (i == 1)
            continue;
        // Twice on page 1: one child only.
        for (int k = 0; k < (i == 0 ? 2 : 1); ++k) {
            auto* set = new qelIndexSet("P", 0);
            auto* value = new qelIndex();
            value->setName("Customer");
            value->setValue("4711");
            set->addIndex(value, false);
            pages.back()->addIndex(set);
        }
    }
    const std::string pdf = runDocument({pages[0].get(), pages[1].get(), pages[2].get()}, nullptr);
    if (!qpdfAvailable())
        GTEST_SKIP() << "qpdf missing";
    EXPECT_EQ("Customer@1[4711@1 4711@3]", outlineOf(pdf));
    EXPECT_EQ("", destinationsNotOnPages(pdf));
}

// Bookmark lists of two documents in one PDF: equal top-level names merge,
// each document's entries point to its first page, a page's to itself.
TEST_F(NavigationTest, DocumentListsMerge)
{
    qelDocument first("one", 1), second("two", 2);
    first.addBookmark("Invoices", "A-1");
    second.addBookmark("Invoices", "B-1");
    second.addBookmark("Letters", "L-1");
    TestPage p1(qelPage::KIND_AFP, 1700, 2200, 240), p2(qelPage::KIND_AFP, 1700, 2200, 240),
        p3(qelPage::KIND_AFP, 1700, 2200, 240), p4(qelPage::KIND_AFP, 1700, 2200, 240);
    p4.addBookmark("Invoices", "B-2");
    qelPDFVisitor v;
    ASSERT_EQ(1, v.initializeDoc(&first));
    for (TestPage* p : {&p1, &p2}) {
        startPage(v, *p);
        v.finalizePage();
    }
    v.finalizeDoc();
    EXPECT_EQ(1, v.initializeDoc(&second));
    for (TestPage* p : {&p3, &p4}) {
        startPage(v, *p);
        v.finalizePage();
    }
    v.finalizeDoc();
    v.cleanup();
    const std::string pdf = tempPath(".pdf");
    m_files.push_back(pdf);
    takeOutput(v, pdf);
    EXPECT_EQ(nullptr, first.getBookmarkTree());
    if (!qpdfAvailable())
        GTEST_SKIP() << "qpdf missing";
    EXPECT_EQ("Invoices@1[A-1@1 B-1@3 B-2@4] Letters@3[L-1@3]", outlineOf(pdf));
    EXPECT_EQ("", destinationsNotOnPages(pdf));
}

class FopBookmarkTest : public FopConversionTest
{
protected:
    std::string convertWithBookmarks(const std::string& name)
    {
        std::ofstream(m_dir + "lorbane.ini") << "[Settings]\nCpPath=data/\nPDFBookMark=on\n";
        return convert(std::string(LORBANE_SOURCE_DIR) + "/tests/data/fop/" + name);
    }
};

TEST_F(FopBookmarkTest, TaggedPageGroups)
{
    const std::string pdf = convertWithBookmarks("fop-tle.afp");
    ASSERT_TRUE(fileExists(pdf));
    if (!qpdfAvailable())
        GTEST_SKIP() << "qpdf missing";
    EXPECT_EQ(0, run("qpdf --check '" + pdf + "'").status);
    EXPECT_EQ("Customer@1[ACME 42@1 OTHER 7@3] PageTag@1[P1@1 P1@2 P1@3]", outlineOf(pdf));
    EXPECT_EQ("", destinationsNotOnPages(pdf));
}

TEST_F(FopBookmarkTest, RichDocument)
{
    const std::string pdf = convertWithBookmarks("fop-rich.afp");
    ASSERT_TRUE(fileExists(pdf));
    if (!qpdfAvailable())
        GTEST_SKIP() << "qpdf missing";
    EXPECT_EQ(0, run("qpdf --check '" + pdf + "'").status);
    EXPECT_EQ("", destinationsNotOnPages(pdf));
}

} // namespace
