#include "qelAFPFont.h"
#include "qelCodePage.h"
#include "qelGlobalDSPool.h"
#include "qelGlobalRes.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelMappedRes.h"
#include "CapturedOutput.h"
#include "qelMessageOutput.h"
#include "qelPage.h"
#include "qelPtocaMedia.h"
#include "qelResOverlay.h"
#include "qelResourceReference.h"
#include "qelTextObject.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace
{
class MediaPage : public qelPage, public qelPtocaMedia
{
public:
    void write(qelVisitor*) override { setWritten(true); }
    int kind() const override { return 1; }
    const char* getName() const override { return qelPage::getName(); }
};

// A plain media with the base binding order.
class PlainMedia : public qelMedia
{
};

class MediaTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ini = qelGlobalDSPool::getInstance()->getIni();
        ini->setQuietMode(true);
    }
    void TearDown() override { qelUtils::releaseGlobals(); }

    static qelTextObject* text(qelAFPFont* font, const unsigned char* bytes, uint16_t length)
    {
        auto* t = new qelTextObject();
        t->setFont(font);
        t->setTextLength(length);
        t->setCodePointText(bytes);
        return t;
    }
    qelResOverlay* overlay(const char* name)
    {
        auto* o = new qelResOverlay(name);
        o->setFound(1);
        qelGlobalDSPool::getInstance()->getGlobalRes()->addResource(o);
        return o;
    }

    qelIni* ini = nullptr;
};

std::string capture(const std::function<void()>& body)
{
    lrbtest::CapturedOutput output;
    body();
    return output.text();
}

TEST_F(MediaTest, LineDataTextsAreNumberedByFontChanges)
{
    ini->setInputFormat("LPD");
    qelAFPFont a;
    qelAFPFont b;
    const unsigned char bytes[] = {0xC1};
    PlainMedia media;
    std::vector<qelTextObject*> texts = {text(&a, bytes, 1), text(&a, bytes, 1), text(&b, bytes, 1),
                                         text(&a, bytes, 1)};
    for (qelTextObject* t : texts)
        media.addParsedObject(t);
    media.bind();
    EXPECT_EQ(texts[0]->getLocalFontId(), 1);
    EXPECT_EQ(texts[1]->getLocalFontId(), 0);
    EXPECT_EQ(texts[2]->getLocalFontId(), 2);
    EXPECT_EQ(texts[3]->getLocalFontId(), 3);
    EXPECT_STREQ(texts[0]->getText(), "A");
}

TEST_F(MediaTest, CodePointsWithoutEntryGetAStandIn)
{
    const struct {
        const char* defaultEntry;
        const char* expected;
    } cases[] = {{nullptr, "A?B"}, {"*", "A*B"}};
    for (const auto& c : cases) {
        qelAFPFont font;
        qelCodePage codePage("T1TEST", nullptr);
        codePage.setByteEntry(0xC1, "A");
        codePage.setByteEntry(0xC2, "B");
        if (c.defaultEntry)
            codePage.setDefaultEntry(c.defaultEntry);
        qelMappedRes mapping(1, 3, "C0TEST");
        mapping.setFont(&font);
        mapping.setCodePage(&codePage);
        const unsigned char bytes[] = {0xC1, 0x99, 0xC2};
        MediaPage page;
        qelTextObject* t = text(nullptr, bytes, 3);
        t->setFontMapping(&mapping);
        page.addParsedObject(t);
        page.bind();
        EXPECT_STREQ(t->getText(), c.expected);
    }
}

TEST_F(MediaTest, CyclicOverlaysAreLeftUnbound)
{
    qelResOverlay* a = overlay("O1A");
    qelResOverlay* b = overlay("O1B");
    a->addResourceReference(new qelResourceReference("O1B", 1, 0, 0));
    b->addResourceReference(new qelResourceReference("O1A", 1, 0, 0));
    qelResOverlay* self = overlay("O1SELF");
    self->addResourceReference(new qelResourceReference("O1SELF", 1, 0, 0));

    ini->setQuietMode(false);
    MediaPage page;
    page.addResourceReference(new qelResourceReference("O1A", 1, 0, 0));
    page.addResourceReference(new qelResourceReference("O1SELF", 1, 0, 0));
    const std::string out = capture([&] { page.bind(); });
    EXPECT_TRUE(page.isBound());
    EXPECT_TRUE(a->isBound());
    EXPECT_TRUE(b->isBound());
    EXPECT_EQ(static_cast<qelResourceReference*>(page.getResourceReferences()->getHead()->item)->getResource(), a);
    EXPECT_EQ(static_cast<qelResourceReference*>(a->getResourceReferences()->getHead()->item)->getResource(), b);
    EXPECT_EQ(static_cast<qelResourceReference*>(b->getResourceReferences()->getHead()->item)->getResource(), nullptr);
    EXPECT_EQ(static_cast<qelResourceReference*>(self->getResourceReferences()->getHead()->item)->getResource(),
              nullptr);
    EXPECT_NE(out.find("Warning! Cyclic include of resource O1A ignored"), std::string::npos);
    EXPECT_NE(out.find("Warning! Cyclic include of resource O1SELF ignored"), std::string::npos);
}

TEST_F(MediaTest, TextOutputKeepsTheSmallestCharacterSize)
{
    qelResOverlay* o = overlay("O1SMALL");
    o->setSmallestCharSize(0, 50);
    o->setBindState(qelMedia::BOUND_FONTS | qelMedia::BOUND_REFERENCES | qelMedia::BOUND_MEDIUM_OVERLAYS);
    const struct {
        const char* format;
        int32_t width;
        int32_t height;
    } cases[] = {{"ASCII", 100, 50}, {"PDF", 9999, 9999}};
    for (const auto& c : cases) {
        ini->setOutputFormat(c.format);
        MediaPage page;
        page.addResourceReference(new qelResourceReference("O1SMALL", 1, 0, 0));
        page.bind();
        EXPECT_EQ(page.getSmallestCharWidth(), c.width) << c.format;
        EXPECT_EQ(page.getSmallestCharHeight(), c.height) << c.format;
    }
}

TEST_F(MediaTest, IncludedObjectsByType)
{
    ini->setQuietMode(false);
    MediaPage page;
    std::string out = capture([&] {
        page.addIncludedObject(0xFB, "X", 0, 0, 240, 0, 0, 0, false);
        page.addIncludedObject(0x01, "X", 0, 0, 240, 0, 0, 0, false);
    });
    EXPECT_EQ(out, "Error! Invalid include object type (1), Ignoring ...\n");
    EXPECT_EQ(page.getAddedIncludes(), nullptr);

    const struct {
        const char* file;
        const char* name;
        int objectType;
    } cases[] = {{"dir/sub/pic.jpeg", "pic", 13}, {"pic.jpg", "pic", 0}, {"SCAN.TIF", "SCAN", 5}, {"noext", "noext", 0}};
    for (const auto& c : cases)
        page.addIncludedObject(0x92, c.file, 1, 2, 240, 10, 20, 270, true);
    int i = 0;
    for (qelListNode* n = page.getAddedIncludes()->getHead(); n; n = n->next, ++i) {
        auto* ref = static_cast<qelResourceReference*>(n->item);
        EXPECT_STREQ(ref->getName(), cases[i].name);
        EXPECT_EQ(ref->getObjectType(), cases[i].objectType) << cases[i].file;
        EXPECT_EQ(ref->getYAxisRotation(), 0);
        EXPECT_EQ(ref->getType(), 8);
    }
}

TEST_F(MediaTest, FontSelectionAndMappingLookup)
{
    MediaPage page;
    auto* first = new qelMappedRes(1, 3, "X0A");
    auto* second = new qelMappedRes(2, 3, "X0B");
    page.addMappedResource(first);
    page.addMappedResource(second);
    page.selectFont(2);
    EXPECT_EQ(page.getCurrentFontMapping(), second);
    page.selectFont(9);
    EXPECT_EQ(page.getCurrentFontMapping(), second);
    qelAFPFont unmapped;
    EXPECT_EQ(page.findFontMapping(&unmapped), nullptr);
    EXPECT_TRUE(page.isEmpty() == false || page.getObjectList() == nullptr);
}

TEST_F(MediaTest, TextIterationEndsCleanly)
{
    MediaPage page;
    const unsigned char bytes[] = {0xC1};
    qelTextObject* t = text(nullptr, bytes, 1);
    page.addParsedObject(t);
    EXPECT_EQ(page.getFirstText(), t);
    EXPECT_EQ(page.getNextText(), nullptr);
    EXPECT_EQ(page.getNextText(), nullptr);
    EXPECT_FALSE(page.isEmpty());
}
}
