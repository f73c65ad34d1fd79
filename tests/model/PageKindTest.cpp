#include "PageKindTraceVisitor.h"
#include "qelGlobalDSPool.h"
#include "qelIPSLPDPage.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelMMDPage.h"
#include "qelMappedRes.h"
#include "qelNOP.h"
#include "qelPageCoordinateTransformer.h"
#include "qelPtocaPage.h"
#include "qelRasterPage.h"
#include "qelResOverlay.h"
#include "qelResourceReference.h"
#include "qelTiffPage.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace
{
using Calls = std::vector<std::string>;

class PageKindTest : public ::testing::Test
{
protected:
    void SetUp() override { qelGlobalDSPool::getInstance()->getIni()->setQuietMode(true); }
    void TearDown() override { qelUtils::releaseGlobals(); }

    static qelLineObject* line() { return new qelLineObject(); }

    // An overlay with one line, owned by the test.
    std::unique_ptr<qelResOverlay> overlay(const char* name)
    {
        auto o = std::make_unique<qelResOverlay>(name);
        o->addParsedObject(line());
        return o;
    }

    // Fills a media with one object below, one in the list, one above, a
    // preceding and an own NOP, and the given includes.
    template <class Page>
    void fill(Page& page, qelRes* mediumOverlay, qelRes* included)
    {
        auto* before = new qelList(&qelList::deleteAs<qelNOP>);
        before->append(new qelNOP("before"));
        page.setPrecedingNops(before);
        page.addNOP(new qelNOP("own"));
        page.addObject(line(), true);
        page.addParsedObject(line());
        page.addObject(line(), false);
        if (mediumOverlay) {
            qelList names;
            names.append(const_cast<char*>("O1MED"));
            page.addMediumOverlays(&names);
            static_cast<qelResourceReference*>(page.getMediumOverlays()->getHead()->item)->setResource(mediumOverlay);
        }
        if (included) {
            auto* ref = new qelResourceReference("O1INC", 1, 0, 0);
            ref->setResource(included);
            page.addResourceReference(ref);
        }
    }
};

const Calls kOverlayDrawn = {"writeResourceReference", "setWriteFlags", "writeLineObject", "setWriteFlags"};
const Calls kMediumDrawn = {"writeResourceReference(medium)", "setWriteFlags", "writeLineObject", "setWriteFlags"};

Calls join(std::initializer_list<Calls> parts)
{
    Calls all;
    for (const Calls& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST_F(PageKindTest, AfpPageWritesItsPartsInOrderOnce)
{
    auto medium = overlay("O1MED");
    auto included = overlay("O1INC");
    qelPtocaPage page;
    fill(page, medium.get(), included.get());
    PageKindTraceVisitor v;
    page.write(&v);
    const Calls expected = join({
        {"isDocumentOpen", "writeNOP", "initializePage", "writeNOP", "writeWatermark", "getPresentationOrigin",
         "setWriteFlags", "writeLineObject", "setWriteFlags"},
        kMediumDrawn,
        {"setPageOffset"},
        kOverlayDrawn,
        {"setWriteFlags", "writeLineObject", "setWriteFlags", "resetPageOffset", "setWriteFlags", "writeLineObject",
         "setWriteFlags", "finalizePage"},
    });
    EXPECT_EQ(v.calls, expected);
    EXPECT_TRUE(page.isWritten());

    v.calls.clear();
    page.write(&v);
    EXPECT_TRUE(v.calls.empty());
}

TEST_F(PageKindTest, AfpPageWritesTheParserListsPlacedAbsolutely)
{
    qelPtocaPage page;
    auto* numbered = new qelList(&qelList::deleteAs<qelGraphicObject>);
    numbered->append(line());
    page.setPageNumberObjects(numbered);
    qelList shared(&qelList::deleteAs<qelGraphicObject>);
    qelLineObject* sharedLine = line();
    shared.append(sharedLine);
    page.setOddEvenObjects(&shared);
    PageKindTraceVisitor v;
    page.write(&v);
    const Calls tail = {"writeLineObject", "setWriteFlags", "writeLineObject", "setWriteFlags", "finalizePage"};
    ASSERT_GE(v.calls.size(), tail.size());
    EXPECT_EQ(Calls(v.calls.end() - static_cast<long>(tail.size()), v.calls.end()), tail);
    page.setOddEvenObjects(nullptr);
}

TEST_F(PageKindTest, OtherPageKindsWriteTheirOwnOrder)
{
    auto medium = overlay("O1MED");
    auto included = overlay("O1INC");
    PageKindTraceVisitor ips;
    {
        qelIPSLPDPage page;
        fill(page, nullptr, included.get());
        page.write(&ips);
    }
    EXPECT_EQ(ips.calls, join({{"isDocumentOpen", "writeNOP", "initializePage", "writeNOP", "getPresentationOrigin",
                                "writeWatermark", "writeLineObject"},
                               kOverlayDrawn,
                               {"writeLineObject", "writeLineObject", "finalizePage"}}));

    PageKindTraceVisitor mmd;
    {
        qelMMDPage page;
        fill(page, medium.get(), included.get());
        page.write(&mmd);
    }
    EXPECT_EQ(mmd.calls, join({{"isDocumentOpen", "writeNOP", "initializePage", "writeNOP", "getPresentationOrigin",
                                "writeWatermark", "writeLineObject"},
                               kMediumDrawn,
                               {"setPageOffset"},
                               kOverlayDrawn,
                               {"writeLineObject", "resetPageOffset", "writeLineObject", "finalizePage"}}));

    PageKindTraceVisitor tiff;
    {
        qelTiffPage page(2, 300, 300, 2480, 3508, 1, 1);
        page.addNOP(new qelNOP("own"));
        page.write(&tiff);
        page.write(&tiff);
    }
    EXPECT_EQ(tiff.calls, (Calls{"isDocumentOpen", "initializePage", "writeTiffObject", "writeWatermark",
                                 "finalizePage"}));
}

TEST_F(PageKindTest, PageCopiesShareTheTemplateListsWithoutFreeingThem)
{
    // Either teardown order must leave every list freed exactly once.
    for (bool copyFirst : {true, false}) {
        auto afp = std::make_unique<qelPtocaPage>();
        afp->addParsedObject(line());
        afp->addResourceReference(new qelResourceReference("O1X", 1, 0, 0));
        afp->addMappedResource(new qelMappedRes(1, 3, "X0GT10"));
        afp->setInvokedMediumMapName("M1LONGNAME");
        auto afpCopy = std::make_unique<qelPtocaPage>(afp.get());
        EXPECT_EQ(afpCopy->getObjectList(), afp->getObjectList());
        EXPECT_EQ(afpCopy->getResourceReferences(), afp->getResourceReferences());
        EXPECT_EQ(afpCopy->getMappedResources(), afp->getMappedResources());
        EXPECT_STREQ(afpCopy->getInvokedMediumMapName(), "M1LONGNA");

        auto mmd = std::make_unique<qelMMDPage>();
        mmd->addParsedObject(line());
        mmd->addResourceReference(new qelResourceReference("O1X", 1, 0, 0));
        mmd->addMappedResource(new qelMappedRes(1, 3, "X0GT10"));
        auto mmdCopy = std::make_unique<qelMMDPage>(mmd.get());
        EXPECT_EQ(mmdCopy->getObjectList(), mmd->getObjectList());
        if (copyFirst) {
            afpCopy->destroyBody();
            mmdCopy->destroyBody();
            afpCopy.reset();
            mmdCopy.reset();
        } else {
            afp.reset();
            mmd.reset();
        }
    }
}

// Notes which steps were done when the texts are bound, and can make that
// step fail once.
template <class Page>
class TextStepProbe : public Page
{
public:
    void bindText() override
    {
        seen.push_back(this->getBindState());
        if (failOnce) {
            failOnce = false;
            throw "text step failed";
        }
        Page::bindText();
    }
    std::vector<uint8_t> seen;
    bool failOnce = true;
};

TEST_F(PageKindTest, EachKindBindsInItsOrderAndCanRetryAfterAFailure)
{
    // Steps done before the texts: AFP pages resolve fonts first, IPS pages
    // bind includes and added objects first.
    const uint8_t afpBefore = qelMedia::BOUND_FONTS;
    const uint8_t ipsBefore = qelMedia::BOUND_REFERENCES | qelMedia::BOUND_ADDED;
    TextStepProbe<qelPtocaPage> afp;
    TextStepProbe<qelMMDPage> mmd;
    TextStepProbe<qelIPSLPDPage> ips;
    const struct {
        const char* name;
        qelMedia* media;
        std::vector<uint8_t>* seen;
        uint8_t before;
    } cases[] = {
        {"AFP", &afp, &afp.seen, afpBefore},
        {"MMD", &mmd, &mmd.seen, afpBefore},
        {"IPS", &ips, &ips.seen, ipsBefore},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(c.media->bind(), const char*);
        EXPECT_FALSE(c.media->isBinding());
        c.media->bind();
        EXPECT_FALSE(c.media->isBinding());
        ASSERT_EQ(c.seen->size(), 2u);
        for (uint8_t state : *c.seen)
            EXPECT_EQ(state & (qelMedia::BOUND_FONTS | qelMedia::BOUND_REFERENCES | qelMedia::BOUND_ADDED),
                      c.before);
        EXPECT_TRUE(c.media->getBindState() & qelMedia::BOUND_TEXT);
    }
}

TEST_F(PageKindTest, PageResolutions)
{
    qelGlobalDSPool::getInstance()->getIni()->setIPSPageResolution(1440);
    qelIPSLPDPage lineData;
    EXPECT_EQ(lineData.getResolution(), 1440);
    qelRasterPage raster(300, 200, 2480, 1650, 0, 1);
    EXPECT_EQ(raster.getResolution(), 300);
    EXPECT_EQ(raster.getWidth(), 2480u);
    EXPECT_EQ(raster.getMediaKind(), qelMedia::KIND_RASTER_PAGE);
    // Line-data pages never report bound: only PDF content sets that bit.
    lineData.bind();
    EXPECT_FALSE(lineData.isBound());
}

TEST_F(PageKindTest, AfpPageRaisesTheTransformerToALargerExtent)
{
    qelPageCoordinateTransformer* t = qelGlobalDSPool::getInstance()->getPageCoordinateTransformer();
    const struct {
        float extentWidth;
        uint16_t expected;
    } cases[] = {{3000.0f, 3000}, {1000.0f, 1975}};
    for (const auto& c : cases) {
        qelPtocaPage page;
        page.setExtentWidth(c.extentWidth);
        PageKindTraceVisitor v;
        page.write(&v);
        EXPECT_EQ(t->getPageWidth(), c.expected);
    }
}
}
