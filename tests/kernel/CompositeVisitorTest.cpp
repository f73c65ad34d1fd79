#include "KernelTestSupport.h"

#include "qelCodedVisitor.h"
#include "qelGraphicObject.h"
#include "qelHTMLVisitor.h"
#include "qelList.h"
#include "qelNonCodedVisitor.h"
#include "qelPageCoordinateTransformer.h"
#include "qelStatistic.h"

using namespace kerneltest;

namespace {

// An engine that records the operations it receives, with its own tag,
// into a log shared by both engines.
class TaggedEngine : public FakeEngine
{
public:
    TaggedEngine(std::vector<std::string>* calls, const char* tag, qelList* blocks = nullptr)
        : m_calls(calls), m_tag(tag), m_blocks(blocks)
    {
    }
    void writeWatermark() override { note("writeWatermark"); }
    void finalizeDoc() override { note("finalizeDoc"); }
    void cleanup() override { note("cleanup"); }
    void finalizePage() override { note("finalizePage"); }
    void writeImageObject(qelImageObject*) override { note("writeImageObject"); }
    qelList* getPageImageBlocks(qelPage*) override
    {
        qelList* blocks = m_blocks;
        m_blocks = nullptr;
        return blocks;
    }
    qelList* getPageSlices(qelPage* page) override { return getPageImageBlocks(page); }

private:
    void note(const char* op) { m_calls->push_back(m_tag + ":" + op); }
    std::vector<std::string>* m_calls;
    std::string m_tag;
    qelList* m_blocks;
};

// A page image as a raster engine hands it over.
class Block : public qelGraphicObject
{
public:
    void write(qelVisitor* visitor) override { visitor->writeImageObject(nullptr); }
    void fixAbsPosition() override {}
    void computeBoundingBox() override {}
    int kind() const override { return 0; }
};

qelList* blocks(int n)
{
    auto* list = new qelList(&qelList::deleteAs<qelGraphicObject>);
    for (int i = 0; i < n; ++i)
        list->append(new Block());
    return list;
}

} // namespace

class CompositeVisitor : public ::testing::Test
{
protected:
    void SetUp() override { FakeEngine::log = &m_log; }
    void TearDown() override { qelUtils::releaseGlobals(); }
    EngineLog m_log;
    std::vector<std::string> calls;
};

TEST_F(CompositeVisitor, RoutingOfTheTwoComposites)
{
    struct Case {
        bool coded;
        bool withOutput;
        std::function<void(qelVisitor&)> call;
        std::vector<std::string> expected;
    } cases[] = {
        {true, true, [](qelVisitor& v) { v.writeWatermark(); }, {"out:writeWatermark", "raster:writeWatermark"}},
        {false, true, [](qelVisitor& v) { v.writeWatermark(); }, {"raster:writeWatermark"}},
        {true, true, [](qelVisitor& v) { v.finalizeDoc(); }, {"raster:finalizeDoc", "out:finalizeDoc"}},
        {false, true, [](qelVisitor& v) { v.finalizeDoc(); }, {"out:finalizeDoc", "raster:finalizeDoc"}},
        {true, true, [](qelVisitor& v) { v.cleanup(); }, {"raster:cleanup", "out:cleanup"}},
        {false, true, [](qelVisitor& v) { v.cleanup(); }, {"raster:cleanup", "out:cleanup"}},
        {true, true, [](qelVisitor& v) { v.displayRasterImage(nullptr); }, {}},
        {false, false, [](qelVisitor& v) { v.writeWatermark(); }, {"raster:writeWatermark"}},
    };
    for (const Case& c : cases) {
        calls.clear();
        std::unique_ptr<qelVisitor> composite;
        auto* out = c.withOutput ? new TaggedEngine(&calls, "out") : nullptr;
        auto* raster = new TaggedEngine(&calls, "raster");
        if (c.coded) {
            auto* v = new qelCodedVisitor();
            v->setOutputEngine(out);
            v->setRasterEngine(raster);
            composite.reset(v);
        } else {
            auto* v = new qelNonCodedVisitor();
            v->setOutputEngine(out);
            v->setRasterEngine(raster);
            composite.reset(v);
        }
        c.call(*composite);
        EXPECT_EQ(calls, c.expected);
    }
}

TEST_F(CompositeVisitor, WithoutOutputEngineNothingIsOpen)
{
    qelCodedVisitor coded;
    EXPECT_FALSE(coded.isDocumentOpen());
    EXPECT_EQ(coded.getOutputFileName(), nullptr);
    EXPECT_EQ(coded.initializeDoc(nullptr), -1);
}

TEST_F(CompositeVisitor, PageImagesOfTheRasterEngineGoToTheOutputEngine)
{
    for (int n : {2, 0}) {
        calls.clear();
        qelNonCodedVisitor visitor;
        visitor.setOutputEngine(new TaggedEngine(&calls, "out"));
        visitor.setRasterEngine(new TaggedEngine(&calls, "raster", blocks(n)));
        visitor.finalizePage();
        std::vector<std::string> expected = {"raster:finalizePage"};
        for (int i = 0; i < n; ++i)
            expected.push_back("out:writeImageObject");
        expected.push_back("out:finalizePage");
        EXPECT_EQ(calls, expected) << n;
    }
}

TEST_F(CompositeVisitor, DocumentsAndPagesCountOnceWithTwoEngines)
{
    qelStatistic::resetRunCounters();
    qelNonCodedVisitor visitor;
    visitor.setOutputEngine(new FakeEngine());
    visitor.setRasterEngine(new FakeEngine());
    qelDocument document("D1", 1);
    FakePage page;
    visitor.initializeDoc(&document);
    visitor.initializePage(&page);
    EXPECT_EQ(qelStatistic::getDocumentCount(), 1);
    EXPECT_EQ(qelStatistic::getPageCount(), 1);
    EXPECT_EQ(m_log.documents, 2);
}

TEST_F(CompositeVisitor, HtmlVisitorLaysPagesOutFromTheTopLeft)
{
    qelHTMLVisitor html;
    EXPECT_STREQ(html.getOutputType(), "html");
    qelPageCoordinateTransformer* t = html.getPresentationOrigin();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->getAxisMode(), 2);
}
