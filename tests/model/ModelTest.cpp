#include "RecordingVisitor.h"

#include "qelAFPFont.h"
#include "qelCodePage.h"
#include "qelDocument.h"
#include "qelGlobalDSPool.h"
#include "qelGraphicObject.h"
#include "qelIPSFontHeader.h"
#include "qelIPSFontResource.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelMessageOutput.h"
#include "qelNOP.h"
#include "qelPage.h"
#include "qelPageCoordinateTransformer.h"
#include "qelTextObject.h"
#include "qelUtils.h"
#include "metainfo/Comment.h"
#include "metainfo/ContentTag.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using de::orvo::ips::metainfo::Comment;
using de::orvo::ips::metainfo::ContentTag;
using de::orvo::ips::metainfo::Tag;

namespace
{
class ModelTest : public ::testing::Test
{
protected:
    void TearDown() override { qelUtils::releaseGlobals(); }
    qelIni* ini() { return qelGlobalDSPool::getInstance()->getIni(); }
    qelPageCoordinateTransformer* transformer()
    {
        return qelGlobalDSPool::getInstance()->getPageCoordinateTransformer();
    }
};

class PlainObject : public qelGraphicObject
{
public:
    void write(qelVisitor*) override {}
    void fixAbsPosition() override {}
    void computeBoundingBox() override {}
    int kind() const override { return 99; }
};

class PlainPage : public qelPage
{
public:
    void write(qelVisitor*) override { setWritten(true); }
    int kind() const override { return 1; }
};

// A text in a font of the given encoding, laid out by blanks only.
std::unique_ptr<qelTextObject> makeText(qelAFPFont& font, const char* text, float x, float y)
{
    const uint16_t n = static_cast<uint16_t>(std::strlen(text));
    auto t = std::make_unique<qelTextObject>(qelPoint{x, y}, nullptr, reinterpret_cast<const unsigned char*>(text),
                                             text, n, 0, 90, 0);
    t->setFont(&font);
    return t;
}

TEST_F(ModelTest, ObjectDefaultsAndTextConstructors)
{
    PlainObject o;
    EXPECT_EQ(o.getColorValue(), 8u);
    EXPECT_EQ(o.getColorSpace(), 5);
    EXPECT_EQ(o.getBAxisOrientation(), 90);
    EXPECT_EQ(o.getForegroundMix(), 2);
    EXPECT_EQ(o.getBackgroundMix(), 5);
    EXPECT_FLOAT_EQ(o.getAngle(), 360.0f);
    o.setAngle(30, false);
    EXPECT_FLOAT_EQ(o.getAngle(), 330.0f);
    o.setAngle(30, true);
    EXPECT_FLOAT_EQ(o.getAngle(), 30.0f);
    EXPECT_EQ(o.saveAs("a", "b", nullptr), 0);
    EXPECT_EQ(o.saveAs(nullptr, "b", nullptr), -1);

    qelTextObject plain;
    EXPECT_EQ(plain.getColorValue(), 0u);
    const unsigned char codes[2] = {0xC1, 0xC2};
    qelTextObject full(qelPoint{1, 2}, nullptr, codes, "AB", 2, 90, 180, 0x1234);
    EXPECT_EQ(full.getColorValue(), 0x1234u);
    EXPECT_FLOAT_EQ(full.getAngle(), 270.0f);
    EXPECT_EQ(full.getCodePointText()[1], 0xC2);
    EXPECT_STREQ(full.getText(), "AB");
}

TEST_F(ModelTest, GetColorBySpace)
{
    struct Case {
        int space;
        uint32_t value;
        uint8_t coverage;
        uint32_t expected;
    } cases[] = {
        {0, 0x123456, 0, 0x123456},
        {1, 0x00FF8040, 0, 0x00FF8040},
        {9, 0x42, 0, 0x42},
        {6, 0x80, 0, 0x808080},
        {5, 2, 0, 0x0000FF},          // red
        {5, 8, 0, 0x000000},
        {2, 0x00000000, 0, 0xFFFFFF}, // no ink
        {2, 0x000000FF, 0, 0x000000}, // black
        {3, 2, 0, 0x0000FF},          // coverage 0: as the OCA colour
        {3, 2, 150, 0x0000FF},
        {3, 2, 100, 0x0000FF},
        {3, 2, 50, 0x7F7FFF},         // lightened half way to white
    };
    for (const Case& c : cases) {
        PlainObject o;
        o.setColorSpace(c.space);
        o.setColorValue(c.value);
        o.setCoveragePercent(c.coverage);
        EXPECT_EQ(o.getColor(), c.expected) << "space " << c.space << " value " << c.value;
    }
}

TEST_F(ModelTest, FixAbsPositionTransformsAndSwapsFlags)
{
    qelTextObject t(qelPoint{100, 200}, nullptr, nullptr, nullptr, 0, 0, 90, 0);
    t.fixAbsPosition(); // no absolute flag: unchanged
    EXPECT_FLOAT_EQ(t.getY(), 200.0f);

    t.setAbsoluteInlineFlag(1);
    t.setAbsoluteBaselineFlag(1);
    t.fixAbsPosition();
    EXPECT_FLOAT_EQ(t.getX(), 100.0f);
    EXPECT_FLOAT_EQ(t.getY(), 2606.0f);

    qelTextObject turned(qelPoint{10, 20}, nullptr, nullptr, nullptr, 0, 90, 180, 0);
    turned.setAbsoluteInlineFlag(1);
    turned.fixAbsPosition();
    EXPECT_EQ(turned.getAbsoluteInlineFlag(), 0);
    EXPECT_EQ(turned.getAbsoluteBaselineFlag(), 1);

    qelTextObject script(qelPoint{10, 20}, nullptr, nullptr, nullptr, 0, 0, 90, 0);
    script.setCreatedByScript(1);
    script.setAbsoluteInlineFlag(1);
    script.fixAbsPosition();
    EXPECT_FLOAT_EQ(script.getY(), 20.0f);
}

TEST_F(ModelTest, PositionsSlightlyOffThePageStayNegative)
{
    transformer()->setAxisMode(2);
    qelTextObject t(qelPoint{-5.7f, -3.0f}, nullptr, nullptr, nullptr, 0, 0, 90, 0);
    t.setAbsoluteInlineFlag(1);
    t.setAbsoluteBaselineFlag(1);
    t.fixAbsPosition();
    EXPECT_FLOAT_EQ(t.getX(), -5.0f);
    EXPECT_FLOAT_EQ(t.getY(), -3.0f);
}

TEST_F(ModelTest, IsBlankByEncoding)
{
    struct Case {
        const char* encoding;
        const char* text;
        std::vector<int32_t> unicode;
        bool blank;
    } cases[] = {
        {"WinAnsi", "   ", {}, true},
        {"winansi", "  a", {}, false},
        {"Custom", "   ", {}, false},
        {"identity-h", "xx", {32, 32}, true},
        {"Identity-V", "xx", {32, 65}, false},
        {"identity-h", "xx", {}, false},
    };
    for (const Case& c : cases) {
        qelAFPFont font;
        font.setEncoding(c.encoding);
        auto t = makeText(font, c.text, 0, 0);
        if (!c.unicode.empty())
            t->setCodes(c.unicode.data(), static_cast<int>(c.unicode.size()));
        EXPECT_EQ(t->isBlank(), c.blank) << c.encoding << " '" << c.text << "'";
    }
}

TEST_F(ModelTest, BlankBoxes)
{
    ini()->setIPSPageResolution(240);
    qelAFPFont font;
    font.setEncoding("WinAnsi");

    auto blank = makeText(font, "   ", 50, 300);
    blank->setWordSpacing(10);
    blank->setFontHeight(90); // 240 * 90 / 720 = 30 units high
    const qelBoundingBox* box = blank->getBoundingBox();
    ASSERT_NE(box, nullptr);
    EXPECT_FLOAT_EQ(box->bottomRightX - box->topLeftX, 30.0f);
    EXPECT_FLOAT_EQ(box->topLeftY, 270.0f);
    EXPECT_FLOAT_EQ(box->bottomRightY, 300.0f);
    EXPECT_EQ(blank->getBoundingBox(), box); // computed once

    auto turned = makeText(font, "          ", 0, 500);
    turned->setWordSpacing(10);
    turned->setAngle(90, true);
    box = turned->getBoundingBox();
    ASSERT_NE(box, nullptr);
    EXPECT_FLOAT_EQ(box->topLeftY, 400.0f);
    EXPECT_FLOAT_EQ(box->bottomRightY, 500.0f);

    qelTextObject empty(qelPoint{7, 8}, nullptr, nullptr, nullptr, 0, 0, 90, 0);
    empty.setFont(&font);
    box = empty.getBoundingBox();
    ASSERT_NE(box, nullptr);
    EXPECT_FLOAT_EQ(box->topLeftX, box->bottomRightX);

    qelTextObject noFont(qelPoint{7, 8}, nullptr, nullptr, nullptr, 0, 0, 90, 0);
    EXPECT_EQ(noFont.getBoundingBox(), nullptr);
}

class RecordingHeader : public qelIPSFontHeader
{
public:
    mutable std::vector<unsigned int> codes;
    int getFontKind() const override { return 8; }
    int getWidthCount() const override { return 1; }
    double getWidth(unsigned int code) const override
    {
        codes.push_back(code);
        return 1.0;
    }
};

TEST_F(ModelTest, OddLengthIdentityTextReadsOnlyItsCodePoints)
{
    // The font owns its resource and the resource its header.
    auto* header = new RecordingHeader;
    auto* resource = new qelIPSFontResource;
    resource->setHeader(header);
    qelAFPFont font;
    font.setEncoding("identity-h");
    font.setIPSFontResource(resource);

    const unsigned char bytes[3] = {0x00, 0x41, 0x42};
    qelTextObject t(qelPoint{0, 0}, nullptr, bytes, nullptr, 3, 0, 90, 0);
    t.setFont(&font);
    t.setFontHeight(100);
    double width = 0;
    ASSERT_TRUE(t.computePDFWidth(width));
    EXPECT_EQ(header->codes, (std::vector<unsigned int>{0x0041, 0x4200}));
    EXPECT_DOUBLE_EQ(width, 20.0);
}

TEST_F(ModelTest, TextWriteCallsItsVisitorOperation)
{
    RecordingVisitor v;
    qelTextObject t;
    t.write(&v);
    EXPECT_EQ(v.calls, std::vector<std::string>{"writeTextObject"});
}

TEST_F(ModelTest, PageNopIteration)
{
    PlainPage page;
    auto* preceding = new qelList(&qelList::deleteAs<qelNOP>);
    preceding->append(new qelNOP("A"));
    preceding->append(new qelNOP("B"));
    page.setPrecedingNops(preceding);
    page.addNOP(new qelNOP("C"));
    std::string order;
    for (qelNOP* n = page.getFirstNOP(); n; n = page.getNextNOP())
        order += n->getValue();
    EXPECT_EQ(order, "ABC");

    PlainPage own;
    qelNOP* c = new qelNOP("C");
    qelNOP* d = new qelNOP("D");
    own.addNOP(c);
    own.addNOP(d);
    own.addNOP(new qelNOP("E"));
    EXPECT_EQ(own.getFirstNOP(), c);
    EXPECT_EQ(own.getNextNOP(), d);
    own.removeNOP(d->getPreviousNode(), d->getNode());
    qelNOP* next = own.getNextNOP();
    ASSERT_NE(next, nullptr);
    EXPECT_STREQ(next->getValue(), "E");
    EXPECT_EQ(next->getPreviousNode(), c->getNode());
}

// Pages and documents keep their records in the same kind of list: owner,
// neighbours, and removal of a record that is not theirs.
TEST_F(ModelTest, NopListsOfPagesAndDocuments)
{
    PlainPage page;
    qelDocument doc("D", 2);
    struct Owner {
        const char* name;
        int kind;
        void* owner;
        std::function<int(qelNOP*)> add;
        std::function<void(qelListNode*, qelListNode*)> remove;
        std::function<std::string()> values;
    };
    const Owner owners[] = {
        {"page", qelNOP::OWNER_PAGE, &page, [&](qelNOP* n) { return page.addNOP(n); },
         [&](qelListNode* p, qelListNode* n) { page.removeNOP(p, n); },
         [&] {
             std::string v;
             for (qelNOP* n = page.getFirstNOP(); n; n = page.getNextNOP())
                 v += n->getValue();
             return v;
         }},
        {"document", qelNOP::OWNER_DOCUMENT, &doc, [&](qelNOP* n) { return doc.addNOP(n); },
         [&](qelListNode* p, qelListNode* n) { doc.removeNOP(p, n); },
         [&] {
             std::string v;
             for (qelListNode* n = doc.getNOPs() ? doc.getNOPs()->getHead() : nullptr; n; n = n->next)
                 v += static_cast<qelNOP*>(n->item)->getValue();
             return v;
         }},
    };
    qelList foreign;
    int item = 0;
    foreign.append(&item);
    for (const Owner& o : owners) {
        SCOPED_TRACE(o.name);
        o.remove(nullptr, foreign.getHead());
        EXPECT_EQ(o.add(nullptr), -1);
        qelNOP* a = new qelNOP("A");
        qelNOP* b = new qelNOP("B");
        qelNOP* c = new qelNOP("C");
        for (qelNOP* n : {a, b, c}) {
            EXPECT_EQ(o.add(n), 0);
            EXPECT_EQ(n->getOwnerKind(), o.kind);
            EXPECT_EQ(n->getOwner(), o.owner);
        }
        EXPECT_EQ(a->getPreviousNode(), nullptr);
        EXPECT_EQ(b->getPreviousNode(), a->getNode());
        EXPECT_EQ(c->getPreviousNode(), b->getNode());

        o.remove(nullptr, foreign.getHead());
        EXPECT_EQ(o.values(), "ABC");
        o.remove(b->getPreviousNode(), b->getNode());
        EXPECT_EQ(o.values(), "AC");
        EXPECT_EQ(c->getPreviousNode(), a->getNode());
        o.remove(a->getPreviousNode(), a->getNode());
        EXPECT_EQ(o.values(), "C");
        EXPECT_EQ(c->getPreviousNode(), nullptr);
    }
}

TEST_F(ModelTest, PageNamesRotationAndColours)
{
    PlainPage page;
    page.setMediumMapName("ABCDEFGHIJK");
    EXPECT_STREQ(page.getMediumMapName(), "ABCDEFGH");

    ini()->setPageRotation(180);
    EXPECT_EQ(page.getRotation(), 180);
    page.setRotation(45);
    EXPECT_EQ(page.getRotation(), 0);

    EXPECT_EQ(page.setBackgroundColor(1, 0xFF), 0);
    EXPECT_EQ(page.setBackgroundColor(3, 0x11), -1);
    uint8_t space = 0;
    int32_t value = 0;
    page.getBackgroundColor(space, value);
    EXPECT_EQ(space, 1);
    EXPECT_EQ(value, 0xFF);
}

TEST_F(ModelTest, BookmarkTargetsAndIteration)
{
    ContentTag root;
    root.setName("A");
    const char* targets[] = {"P1", "P1", "", "P2"};
    for (const char* target : targets) {
        auto* child = new ContentTag();
        child->setTargetName(target);
        root.addChild(child);
    }
    EXPECT_STREQ(root.getAllTargets(), ",P1,P2,");
    EXPECT_TRUE(root.hasTarget("P2"));
    EXPECT_FALSE(root.hasTarget("P"));
    EXPECT_EQ(root.getChildCount(), 4);

    Tag* first = root.getFirstChild();
    Tag* second = root.getNextChild();
    root.getFirstChild();
    root.removeCurrentChild();
    (void)first;
    EXPECT_EQ(root.getNextChild(), second);

    ContentTag levelOne;
    levelOne.setLevelNumber(1);
    auto* child = new ContentTag();
    child->setTargetName("P1");
    levelOne.addChild(child);
    EXPECT_EQ(levelOne.getAllTargets(), nullptr);
    EXPECT_FALSE(levelOne.hasTarget("P1"));

    ContentTag fresh;
    std::unique_ptr<char[]> text(fresh.toString());
    EXPECT_STREQ(text.get(), "Name=(null), Type=None, Parent=None, Level=0, Children=0, Root=(null), "
                             "AllTargets=None, Target=(null), TargetType=None");
}

TEST_F(ModelTest, CommentKeepsAsciiAndEbcdic)
{
    Comment c;
    c.setValue("ABC");
    EXPECT_EQ(c.getLength(), 3);
    EXPECT_STREQ(c.getValue(), "ABC");
    const unsigned char expected[3] = {0xC1, 0xC2, 0xC3};
    EXPECT_EQ(std::memcmp(c.getEBCDICValue(), expected, 3), 0);

    Comment e;
    e.setEBCDICValue(expected, 3);
    EXPECT_STREQ(e.getValue(), "ABC");
}

TEST_F(ModelTest, TransformerMapsAndMoves)
{
    qelPageCoordinateTransformer t;
    qelPoint p = t.transform(100, 200);
    EXPECT_FLOAT_EQ(p.x, 100);
    EXPECT_FLOAT_EQ(p.y, 2606);
    t.setAxisMode(2);
    p = t.transform(100, 200);
    EXPECT_FLOAT_EQ(p.x, 100);
    EXPECT_FLOAT_EQ(p.y, 200);
    t.setAxisMode(1);
    p = t.transform(100, 200);
    EXPECT_FLOAT_EQ(p.x, 0);

    struct Move {
        int mode;
        float dy;
    } moves[] = {{0, -10}, {2, 10}};
    for (const Move& m : moves) {
        qelPageCoordinateTransformer u;
        u.setOrientation(90, 180);
        u.setAxisMode(m.mode);
        u.setPosition(0, 50);
        u.moveInline(10);
        EXPECT_FLOAT_EQ(u.getY(), 50 + m.dy) << "mode " << m.mode;
    }
    qelPageCoordinateTransformer bad;
    bad.setOrientation(0, 0);
    EXPECT_EQ(bad.rotate({3, 4}), (std::pair<int32_t, int32_t>{0, 0}));
}

TEST_F(ModelTest, PageRotationFromOptions)
{
    RecordingVisitor v;
    struct Case {
        int configured;
        int w, h;
        int expected;
    } cases[] = {
        {362, 2806, 1975, 90}, {362, 1975, 2806, 0}, {363, 1975, 2806, 90},
        {363, 2806, 1975, 0},  {360, 10, 10, 0},     {270, 10, 10, 270},
    };
    for (const Case& c : cases) {
        ini()->setPageRotation(c.configured);
        EXPECT_EQ(v.getPageRotation(c.w, c.h), c.expected) << c.configured << " " << c.w << "x" << c.h;
    }
}

TEST_F(ModelTest, VisitorPageOffsetAndOutputName)
{
    int32_t* defaults = qelGlobalDSPool::getInstance()->getPageOffset();
    defaults[0] = 5;
    defaults[1] = 6;
    RecordingVisitor v;
    qelPageOffset o = v.setPageOffset(qelPageOffset{0x8000, 10});
    EXPECT_EQ(o.x, 5);
    EXPECT_EQ(o.y, 6);
    o = v.setPageOffset(qelPageOffset{3, 4});
    EXPECT_EQ(o.x, 3);
    EXPECT_EQ(v.resetPageOffset(), 0);
    EXPECT_EQ(v.getPageOffset().x, 0);

    ini()->setOutputFilePath("out/");
    v.setOutputFileName("a.pdf");
    EXPECT_STREQ(v.getOutputFileName(), "out/a.pdf");

    v.setOutputBufferSize(4);
    v.setOutputBufferSize(-1);
    EXPECT_EQ(v.getOutputBufferSize(), 4);
    v.setOutputBufferWithLength("xy", 2);
    EXPECT_EQ(v.getOutputBufferSize(), 2);
    void* buffer = const_cast<void*>(v.getOutputBuffer());
    v.releaseOutputBuffer();
    std::free(buffer);
}

TEST_F(ModelTest, VisitorTracesGoToTheMessageOutput)
{
    ini()->setAttribute("DevTestLevel", "2");
    FILE* messages = std::tmpfile();
    qelMessageOutput::set(messages);
    testing::internal::CaptureStdout();
    {
        RecordingVisitor v;
        qelDocument doc;
        EXPECT_EQ(v.initializeDoc(&doc), 1);
        EXPECT_EQ(v.initializeDoc(nullptr), -1);
    }
    const std::string out = testing::internal::GetCapturedStdout();
    qelMessageOutput::set(nullptr);
    std::rewind(messages);
    char text[512] = {0};
    const size_t n = std::fread(text, 1, sizeof(text) - 1, messages);
    std::fclose(messages);
    EXPECT_TRUE(out.empty());
    EXPECT_NE(std::string(text, n).find("[qelVisitor]: Begin: initializeDoc\n"), std::string::npos);
    EXPECT_NE(std::string(text, n).find("[qelVisitor]: End(E1): initializeDoc\n"), std::string::npos);
}

TEST_F(ModelTest, SampleCurveClampsTheCount)
{
    RecordingVisitor v;
    v.sampleCurve(qelPoint{0, 0}, qelPoint{1, 1}, qelPoint{2, 1}, qelPoint{3, 0}, 1, false);
    EXPECT_EQ(v.calls, (std::vector<std::string>{"move", "draw"}));
    ASSERT_EQ(v.points.size(), 2u);
    EXPECT_FLOAT_EQ(v.points[1].x, 3.0f);
    EXPECT_FLOAT_EQ(v.points[1].y, 0.0f);
}
}
