// Overlays read from their own files, inline and inside resource groups:
// names, environment, objects, includes, unsupported objects and failures.
#include "../afp/AfpTestSupport.h"

#include "qelDocumentParser.h"
#include "qelGlobalDSPool.h"
#include "qelGlobalRes.h"
#include "qelGraphicObject.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelMessageOutput.h"
#include "qelOverlayParser.h"
#include "qelPtocaPage.h"
#include "qelResGroupParser.h"
#include "qelResOverlay.h"
#include "qelResourceReference.h"
#include "qelSFIBlock.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

using namespace afptest;

namespace
{

// Environment group: 240 units per inch, 800 x 400 units.
Bytes environment()
{
    Bytes out = field(0xA8C9, {});
    append(out, field(0xA6AF, {0, 0, 0x09, 0x60, 0x09, 0x60, 0, 0x03, 0x20, 0, 0x01, 0x90, 0, 0, 0}));
    append(out, field(0xA9C9, {}));
    return out;
}

// A text object that moves to (inline, baseline) and writes the text.
Bytes text(int inlinePos, int baseline, const std::string& words)
{
    Bytes data = {0x2B, 0xD3, 0x04, 0xD3, static_cast<unsigned char>(baseline >> 8),
                  static_cast<unsigned char>(baseline), 0x04, 0xC7, static_cast<unsigned char>(inlinePos >> 8),
                  static_cast<unsigned char>(inlinePos)};
    const Bytes body = ebcdic(words);
    data.push_back(static_cast<unsigned char>(body.size() + 2));
    data.push_back(0xDA);
    append(data, body);
    Bytes out = field(0xA89B, {});
    append(out, field(0xEE9B, data));
    append(out, field(0xA99B, {}));
    return out;
}

Bytes includeSegment(const std::string& name, const Bytes& x, const Bytes& y)
{
    Bytes data = name8(name);
    append(data, x);
    append(data, y);
    return field(0xAF5F, data);
}

// Include Object of a type at (x, y), no rotation, content offsets X'FFFF'.
Bytes includeObject(const std::string& name, unsigned char type, const Bytes& triplets = {})
{
    Bytes data = name8(name);
    append(data, {0x00, type, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x14, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF,
                  0xFF, 0xFF, 0x01});
    append(data, triplets);
    return field(0xAFC3, data);
}

// An object of the begin id with one inner field.
Bytes object(int beginId, int innerId)
{
    Bytes out = field(beginId, {});
    append(out, field(innerId, {0x00}));
    append(out, field(beginId + 0x100, {}));
    return out;
}

// A graphics object with two lines.
Bytes graphics()
{
    Bytes out = field(0xA8BB, name8("G1LINES"));
    append(out, field(0xA6BB, {0xF6, 0x12, 0x50, 0, 0, 0, 0x09, 0x60, 0x09, 0x60, 0x09, 0x60, 0, 0, 0x03, 0xE8, 0,
                               0, 0x03, 0x20}));
    append(out, field(0xEEBB, {0xC1, 12, 0, 0, 0, 0, 0, 100, 0, 0, 0, 100, 0, 100}));
    append(out, field(0xA9BB, name8("G1LINES")));
    return out;
}

Bytes overlay(const std::string& name, const Bytes& body, bool ended = true)
{
    Bytes out = field(0xA8DF, name.empty() ? Bytes() : name8(name));
    append(out, body);
    if (ended)
        append(out, field(0xA9DF, name.empty() ? Bytes() : name8(name)));
    return out;
}

int occurrences(const std::string& text, const std::string& part)
{
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

std::vector<qelGraphicObject*> objectsOf(qelResOverlay* res)
{
    std::vector<qelGraphicObject*> out;
    qelList* list = res ? res->getObjectList() : nullptr;
    for (qelListNode* n = list ? list->getHead() : nullptr; n; n = n->next)
        out.push_back(static_cast<qelGraphicObject*>(n->item));
    return out;
}

int countKind(qelResOverlay* res, int kind)
{
    int n = 0;
    for (qelGraphicObject* o : objectsOf(res))
        n += o && o->kind() == kind ? 1 : 0;
    return n;
}

std::vector<qelResourceReference*> referencesOf(qelResOverlay* res)
{
    std::vector<qelResourceReference*> out;
    qelList* list = res ? res->getResourceReferences() : nullptr;
    for (qelListNode* n = list ? list->getHead() : nullptr; n; n = n->next)
        out.push_back(static_cast<qelResourceReference*>(n->item));
    return out;
}

class OverlayParserTest : public lrbtest::ScratchTest
{
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        qelDocumentParser::resetIgnoredObjectCount();
        qelGlobalDSPool::getInstance()->getIni()->setResourceGroup("0");
    }
    void TearDown() override
    {
        qelIOStream::setCurrent(nullptr);
        m_input.reset();
        ScratchTest::TearDown();
        qelDocumentParser::resetIgnoredObjectCount();
    }
    void read(const Bytes& bytes, bool spool = true)
    {
        m_bytes = bytes;
        m_input.reset(new qelIOStream(m_bytes.data(), static_cast<int>(m_bytes.size())));
        m_input->setSpoolInput(spool);
        qelIOStream::setCurrent(m_input.get());
    }
    // Parses the overlay inline from the bytes.
    std::unique_ptr<qelResOverlay> parseInline(const Bytes& bytes, const char* name = "ASKED")
    {
        read(bytes);
        qelOverlayParser parser;
        return std::unique_ptr<qelResOverlay>(static_cast<qelResOverlay*>(parser.parse(name, 0, nullptr)));
    }

    Bytes m_bytes;
    std::unique_ptr<qelIOStream> m_input;
};

} // namespace

TEST_F(OverlayParserTest, FileOnOverlayPathKeepsTheAskedName)
{
    Bytes body = environment();
    append(body, text(100, 200, "HELLO"));
    writeFile("O1OVL1.OLY", overlay("O1OTHER", body));
    qelGlobalDSPool::getInstance()->getIni()->setOverlayPath(m_dir.c_str());
    qelIOStream before;
    qelIOStream::setCurrent(&before);
    qelOverlayParser parser;
    std::unique_ptr<qelRes> res(parser.parse("O1OVL1", 1, nullptr));
    ASSERT_NE(res, nullptr) << output();
    auto* ovl = static_cast<qelResOverlay*>(res.get());
    EXPECT_STREQ(ovl->qelRes::getName(), "O1OVL1");
    EXPECT_EQ(std::string(ovl->getFileName()), m_dir + "/O1OVL1.OLY");
    EXPECT_EQ(ovl->getWidth(), 800u);
    EXPECT_EQ(ovl->getHeight(), 400u);
    EXPECT_EQ(countKind(ovl, qelGraphicObject::KIND_TEXT), 1);
    EXPECT_EQ(qelIOStream::getCurrent(), &before);
    EXPECT_EQ(output().find("E058"), std::string::npos) << output();
}

TEST_F(OverlayParserTest, InlineOverlaysAreNamedByTheirBeginField)
{
    const struct
    {
        const char* beginName;
        const char* asked;
        const char* expected;
    } cases[] = {{"O1XYZ", "O1ABC", "O1XYZ"}, {"", "O1ABC", "O1ABC"}, {"O1XYZ", "", "O1XYZ"}};
    for (const auto& c : cases) {
        std::unique_ptr<qelResOverlay> ovl = parseInline(overlay(c.beginName, environment()), c.asked);
        ASSERT_NE(ovl, nullptr) << c.beginName;
        EXPECT_STREQ(ovl->qelRes::getName(), c.expected) << c.beginName << "/" << c.asked;
    }
    // Handed over by the document parser: the field is the Begin Overlay.
    read(overlay("O1DOC", environment()));
    qelOverlayParser parser;
    std::unique_ptr<qelResOverlay> doc(parser.parse(parser.readNextSF()));
    ASSERT_NE(doc, nullptr);
    EXPECT_STREQ(doc->qelRes::getName(), "O1DOC");
}

TEST_F(OverlayParserTest, SegmentOffsetsAreUnsignedWithNegativeHighByte)
{
    const struct
    {
        unsigned char bytes[3];
        int32_t value;
    } cases[] = {{{0x00, 0xFF, 0x38}, 65336}, {{0xFF, 0xFF, 0x38}, -200}, {{0x00, 0x00, 0x64}, 100},
                 {{0x01, 0x00, 0x00}, 65536}, {{0x80, 0x00, 0x00}, -8388608}, {{0xFF, 0xFF, 0xFF}, -1}};
    for (const auto& c : cases) {
        unsigned int low = 0;
        EXPECT_EQ(qelOverlayParser::segmentOffset(c.bytes, &low), c.value) << c.value;
        EXPECT_EQ(low, static_cast<unsigned int>((c.bytes[1] << 8) | c.bytes[2]));
    }
}

TEST_F(OverlayParserTest, IncludesUnsupportedObjectsAndFieldWarnings)
{
    // An Object Classification triplet without identifier and type name:
    // a warning that drops the rest of its Include Object only.
    Bytes classification = {0x38, 0x10, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00};
    append(classification, Bytes(16, 0x00));
    append(classification, Bytes(32, 0x40));
    Bytes body = environment();
    append(body, includeSegment("S1FAR", {0x00, 0xFF, 0x38}, {0x00, 0x00, 0x64}));
    append(body, includeSegment("S1NEG", {0xFF, 0xFF, 0x38}, {0x00, 0x00, 0x10}));
    append(body, field(0xA8FB, {})); // IOCA image
    append(body, object(0xA8C7, 0xA6FB));
    append(body, field(0xA9FB, {}));
    append(body, object(0xA87B, 0xA67B)); // IM image
    append(body, object(0xA892, 0xEE92)); // object container of no type: dropped
    append(body, object(0xA8EB, 0xA6EB)); // bar code: not expected here
    append(body, includeObject("I1IMAGE", 0xFB));
    append(body, includeObject("S1OBJ", 0x5F));
    append(body, includeObject("C1BAD", 0x92, classification));
    append(body, includeSegment("S1AFTER", {0x00, 0x00, 0x00}, {0x00, 0x00, 0x00}));
    std::unique_ptr<qelResOverlay> ovl = parseInline(overlay("O1INC", body));
    ASSERT_NE(ovl, nullptr) << output();

    const struct
    {
        const char* name;
        int type;
        float x, y;
        int given;
    } expected[] = {{"S1FAR", 2, 65336.0f, 100.0f, 2},
                    {"S1NEG", 2, -200.0f, 16.0f, 2},
                    {"S1OBJ", 2, 10.0f, 20.0f, 2},
                    {"S1AFTER", 2, 0.0f, 0.0f, 2}};
    std::vector<qelResourceReference*> refs = referencesOf(ovl.get());
    ASSERT_EQ(refs.size(), sizeof expected / sizeof expected[0]) << output();
    for (size_t i = 0; i < refs.size(); ++i) {
        EXPECT_STREQ(refs[i]->getName(), expected[i].name);
        EXPECT_EQ(refs[i]->getType(), expected[i].type) << expected[i].name;
        EXPECT_FLOAT_EQ(refs[i]->getX(), expected[i].x) << expected[i].name;
        EXPECT_FLOAT_EQ(refs[i]->getY(), expected[i].y) << expected[i].name;
        EXPECT_EQ(refs[i]->getPositionGiven(), expected[i].given) << expected[i].name;
    }
    EXPECT_EQ(refs[0]->getMappingOption(), 255);
    EXPECT_EQ(refs[0]->getReferenceCoordinateSystem(), 255);
    EXPECT_EQ(countKind(ovl.get(), qelGraphicObject::KIND_REFERENCE_LIST), 4);

    const std::string messages = output();
    EXPECT_NE(messages.find("W016"), std::string::npos) << messages;
    // The images are read into the overlay; the typeless container is dropped.
    EXPECT_EQ(occurrences(messages, "Unsupported object"), 0);
    EXPECT_EQ(countKind(ovl.get(), qelGraphicObject::KIND_IMAGE), 2);
}

TEST_F(OverlayParserTest, SegmentAtTheTextPosition)
{
    const Bytes unset = {0x00, 0xFF, 0xFF};
    // After a text that ends at (300, 500), and without any text before.
    Bytes body = environment();
    append(body, text(300, 500, ""));
    append(body, includeSegment("S1HERE", unset, unset));
    std::unique_ptr<qelResOverlay> ovl = parseInline(overlay("O1POS", body));
    ASSERT_NE(ovl, nullptr) << output();
    std::vector<qelResourceReference*> refs = referencesOf(ovl.get());
    ASSERT_EQ(refs.size(), 1u);
    EXPECT_FLOAT_EQ(refs[0]->getX(), 300.0f);
    EXPECT_FLOAT_EQ(refs[0]->getY(), 500.0f);

    qelGlobalDSPool::getInstance()->resetObject(QEL_POOL_PRESENTATION_TEXT_PARSER);
    Bytes plain = environment();
    append(plain, includeSegment("S1HERE", unset, {0xFF, 0xFF, 0xFF}));
    ovl = parseInline(overlay("O1POS", plain));
    ASSERT_NE(ovl, nullptr);
    refs = referencesOf(ovl.get());
    ASSERT_EQ(refs.size(), 1u);
    EXPECT_FLOAT_EQ(refs[0]->getX(), 65535.0f);
    EXPECT_FLOAT_EQ(refs[0]->getY(), 65535.0f);
}

TEST_F(OverlayParserTest, GraphicsObjectsBecomeObjectsOfTheOverlay)
{
    Bytes body = environment();
    append(body, graphics());
    std::unique_ptr<qelResOverlay> ovl = parseInline(overlay("O1GOCA", body));
    ASSERT_NE(ovl, nullptr) << output();
    EXPECT_EQ(countKind(ovl.get(), qelGraphicObject::KIND_LINE), 2);
    EXPECT_EQ(occurrences(output(), "Unsupported object"), 0);
}

TEST_F(OverlayParserTest, FailuresGiveNoOverlay)
{
    // No End Overlay before the end of the input.
    EXPECT_EQ(parseInline(overlay("O1CUT", environment(), false)), nullptr);
    // The input does not begin with a Begin Overlay.
    EXPECT_EQ(parseInline(field(0xA85F, name8("S1SEG"))), nullptr);
    // No such file.
    qelGlobalDSPool::getInstance()->getIni()->setOverlayPath(m_dir.c_str());
    qelOverlayParser parser;
    EXPECT_EQ(parser.parse("O1NONE", 1, nullptr), nullptr);
    EXPECT_NE(output().find("E058: Resource (O1NONE) not found"), std::string::npos) << output();
}

TEST_F(OverlayParserTest, ResourceGroupFilesOverlaysAndSegments)
{
    Bytes group = field(0xA8C6, {});
    // Begin Resource of type overlay naming O1ABC, overlay named O1XYZ.
    Bytes begin = name8("O1ABC");
    append(begin, {0x00, 0x00, 0x0A, 0x21, 0xFC, 0, 0, 0, 0, 0, 0, 0});
    append(group, field(0xA8CE, begin));
    Bytes body = environment();
    append(body, text(10, 20, "IN GROUP"));
    append(group, overlay("O1XYZ", body));
    append(group, field(0xA9CE, {}));
    // An overlay and a segment directly in the group.
    append(group, overlay("O1DIRECT", environment()));
    append(group, field(0xA85F, name8("S1SEG")));
    append(group, field(0xA95F, name8("S1SEG")));
    append(group, field(0xA9C6, {}));

    const struct
    {
        bool fromFile;
        int level;
    } cases[] = {{false, 0}, {true, 1}};
    for (const auto& c : cases) {
        qelGlobalDSPool::getInstance()->resetObject(QEL_POOL_GLOBAL_RES);
        qelResGroupParser* parser = qelGlobalDSPool::getInstance()->getResGroupParser();
        ASSERT_NE(parser, nullptr);
        if (c.fromFile) {
            writeFile("GROUP.RES", group);
            qelIOStream current;
            qelIOStream::setCurrent(&current);
            parser->parseFile((m_dir + "/GROUP.RES").c_str());
            qelIOStream::setCurrent(nullptr);
        } else {
            read(group);
            parser->parseFile(nullptr);
        }
        qelGlobalRes* resources = qelGlobalDSPool::getInstance()->getGlobalRes();
        qelList* overlays = resources->getList(c.level, "O1XYZ", qelRes::TYPE_OVERLAY - 1);
        std::vector<std::string> names, aliases;
        for (qelListNode* n = overlays->getHead(); n; n = n->next) {
            auto* res = static_cast<qelRes*>(n->item);
            names.emplace_back(res->getName() ? res->getName() : "");
            aliases.emplace_back(res->getAliasName() ? res->getAliasName() : "");
            EXPECT_EQ(res->getFound(), 1);
        }
        EXPECT_EQ(names, std::vector<std::string>({"O1XYZ", "O1DIRECT"})) << c.level;
        EXPECT_EQ(aliases, std::vector<std::string>({"O1ABC", ""})) << c.level;
        ASSERT_FALSE(names.empty());
        EXPECT_EQ(countKind(static_cast<qelResOverlay*>(overlays->getHead()->item), qelGraphicObject::KIND_TEXT), 1);
        EXPECT_EQ(resources->getList(1 - c.level, "O1XYZ", qelRes::TYPE_OVERLAY - 1)->getCount(), 0);
        qelList* segments = resources->getList(c.level, "S1SEG", qelRes::TYPE_PAGE_SEGMENT - 1);
        ASSERT_EQ(segments->getCount(), 1) << c.level;
        EXPECT_STREQ(static_cast<qelRes*>(segments->getHead()->item)->getName(), "S1SEG");
    }
    EXPECT_EQ(output().find("Unexpected"), std::string::npos) << output();
}

TEST_F(OverlayParserTest, MediumOverlayIsLoadedFromItsPathWhenThePageIsBound)
{
    Bytes body = environment();
    append(body, text(100, 200, "MEDIUM"));
    writeFile("M1FORM.OLY", overlay("M1FORM", body));
    qelGlobalDSPool::getInstance()->getIni()->setOverlayPath(m_dir.c_str());
    qelPtocaPage page;
    char name[] = "M1FORM";
    qelList names;
    names.append(name);
    page.addMediumOverlays(&names);
    page.bind();
    qelList* medium = page.getMediumOverlays();
    ASSERT_NE(medium, nullptr);
    ASSERT_EQ(medium->getCount(), 1);
    auto* ovl = dynamic_cast<qelResOverlay*>(static_cast<qelResourceReference*>(medium->getHead()->item)->getResource());
    ASSERT_NE(ovl, nullptr) << output();
    EXPECT_EQ(countKind(ovl, qelGraphicObject::KIND_TEXT), 1);
    // Sized by the overlay: 800 x 400 units at the page's resolution.
    EXPECT_EQ(page.getMediumOverlayWidth(), 800);
    EXPECT_EQ(page.getMediumOverlayHeight(), 400);
}

TEST_F(OverlayParserTest, InlineOverlayIsDumpedWithItsFileName)
{
    const Bytes overlayBytes = overlay("O1XYZ", environment());
    Bytes group = field(0xA8C6, {});
    Bytes begin = name8("O1ABC");
    append(begin, {0x00, 0x00, 0x0A, 0x21, 0xFC, 0, 0, 0, 0, 0, 0, 0});
    append(group, field(0xA8CE, begin));
    append(group, overlayBytes);
    append(group, field(0xA9CE, {}));
    append(group, field(0xA9C6, {}));
    qelIni* ini = qelGlobalDSPool::getInstance()->getIni();
    ini->setResourceGroup("1");
    ini->setTempPath((m_dir + "/").c_str());
    read(group);
    qelGlobalDSPool::getInstance()->getResGroupParser()->parseFile(nullptr);

    qelList* overlays = qelGlobalDSPool::getInstance()->getGlobalRes()->getList(0, "O1XYZ", qelRes::TYPE_OVERLAY - 1);
    ASSERT_EQ(overlays->getCount(), 1) << output();
    const std::string file = static_cast<qelRes*>(overlays->getHead()->item)->getFileName();
    const std::string directory = qelGlobalDSPool::getInstance()->getResGroupParser()->getDumpDirectory();
    EXPECT_EQ(file, directory + "/O1ABC.oly");
    std::ifstream in(file, std::ios::binary);
    const Bytes dumped((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(dumped, overlayBytes);
}
