// Presentation text objects: control sequences, field capacity, the state
// memories, the interchange checks, and the text and rule objects.
#include "AfpWriteSupport.h"

#include "qel/afp/AfpAMBControlSequence.h"
#include "qel/afp/AfpAMIControlSequence.h"
#include "qel/afp/AfpDBRControlSequence.h"
#include "qel/afp/AfpDIRControlSequence.h"
#include "qel/afp/AfpLine.h"
#include "qel/afp/AfpOVSControlSequence.h"
#include "qel/afp/AfpPTXNOPControlSequence.h"
#include "qel/afp/AfpPresentationText.h"
#include "qel/afp/AfpPresentationTextData.h"
#include "qel/afp/AfpPresentationTextDescriptor.h"
#include "qel/afp/AfpRMBControlSequence.h"
#include "qel/afp/AfpRMIControlSequence.h"
#include "qel/afp/AfpSCFLControlSequence.h"
#include "qel/afp/AfpSECControlSequence.h"
#include "qel/afp/AfpSIAControlSequence.h"
#include "qel/afp/AfpSTCControlSequence.h"
#include "qel/afp/AfpSTOControlSequence.h"
#include "qel/afp/AfpSVIControlSequence.h"
#include "qel/afp/AfpStructuredField.h"
#include "qel/afp/AfpTRNControlSequence.h"
#include "qel/afp/AfpText.h"
#include "qel/afp/AfpUSCControlSequence.h"
#include "qel/afp/Error.h"
#include "qel/afp/OutputProfile.h"
#include "qel/afp/ResFont.h"

#include "qelGlobalDSPool.h"
#include "qelGraphicObject.h"
#include "qelIOStream.h"
#include "qelList.h"
#include "qelPresentationTextParser.h"
#include "qelPtocaPage.h"
#include "qelSFIBlock.h"
#include "qelTextObject.h"

#include <functional>
#include <memory>
#include <string>

using namespace afpwrite;

namespace
{

using PT = qel::afp::PresentationText;
using CS = qel::afp::ControlSequence;

qel::OutputProfile* profile()
{
    return qel::DataPool::getInstance()->getOutputProfile();
}

// A text of the given bytes at an absolute position, orientation (0, 90),
// colour space 0 value 0, data-encoded.
std::unique_ptr<qel::afp::Text> text(const std::string& bytes, int16_t x = 100, int16_t y = 200, uint8_t font = 1)
{
    auto t = std::make_unique<qel::afp::Text>(reinterpret_cast<const unsigned char*>(bytes.data()),
                                              static_cast<uint16_t>(bytes.size()), x, y, true, true, false, false,
                                              0, 90, 0, 0);
    t->setColorSpace(0);
    t->setColor(0);
    t->setFontLocalId(font);
    t->setDataEncoded(1);
    return t;
}

// The control sequences of one PTX field's data (after X'2BD3'), as hex
// strings.
std::vector<std::string> sequences(const Bytes& data)
{
    std::vector<std::string> out;
    size_t at = 2;
    while (at < data.size()) {
        const size_t n = data[at];
        if (n < 2 || at + n > data.size())
            break;
        out.push_back(toHex(Bytes(data.begin() + static_cast<long>(at), data.begin() + static_cast<long>(at + n))));
        at += n;
    }
    return out;
}

// The PTX fields of a written object.
std::vector<DumpedField> ptxFields(PT& pt)
{
    const FieldDump dump = dumpFields(written(pt, 1));
    EXPECT_TRUE(dump.problems.empty());
    std::vector<DumpedField> out;
    for (const DumpedField& f : dump.fields)
        if (f.id == 0xEE9B)
            out.push_back(f);
    return out;
}

// The first field's sequences as one hex string per sequence.
std::vector<std::string> firstField(PT& pt)
{
    const std::vector<DumpedField> fields = ptxFields(pt);
    return fields.empty() ? std::vector<std::string>() : sequences(fields[0].data);
}

class PresentationTextTest : public LibraryTest
{
protected:
    void SetUp() override
    {
        LibraryTest::SetUp();
        // 240 units per inch: the upper bound is 5461.
        m_ptd = std::make_unique<qel::afp::PresentationTextDescriptor>(0, 0, 2400, 2400, 1984, 2806);
    }

    // Reads a written object back with the PTOCA reader into a page.
    void readBack(const Bytes& bytes, qelPtocaPage& page)
    {
        qelIOStream reader(bytes.data(), static_cast<int>(bytes.size()));
        reader.rewind();
        qelIOStream::setCurrent(&reader);
        qelPresentationTextParser* parser = qelGlobalDSPool::getInstance()->getPresentationTextParser();
        qelSFIBlock* begin = parser->readNextSF();
        parser->parse(begin, &page, nullptr);
        qelIOStream::setCurrent(nullptr);
    }

    static std::vector<qelTextObject*> textsOf(qelMedia& media)
    {
        std::vector<qelTextObject*> found;
        qelList* list = media.getObjectList();
        for (qelListNode* n = list ? list->getHead() : nullptr; n; n = n->next) {
            auto* object = static_cast<qelGraphicObject*>(n->item);
            if (object && object->kind() == qelGraphicObject::KIND_TEXT)
                found.push_back(static_cast<qelTextObject*>(object));
        }
        return found;
    }

    std::unique_ptr<qel::afp::PresentationTextDescriptor> m_ptd;
};

TEST_F(PresentationTextTest, FirstTextIsWrittenByteForByte)
{
    profile()->setLevel(qel::OutputProfile::LEVEL_MODCA_P);
    PT pt(nullptr);
    auto t = text("\xC1\xC2");
    EXPECT_EQ(pt.addText(t.get()), 0);
    int rc = 5;
    EXPECT_EQ(toHex(written(pt, 1, &rc)), toHex(fromHex("5A0008D3A89B000000"
                                                        "5A0021D3EE9B0000002BD3 06F700002D00 03F101 04C70064 04D300C8 "
                                                        "04DBC1C2 02F8"
                                                        "5A0008D3A99B000000")));
    EXPECT_EQ(rc, 0);
    // No STC: the current colour starts as space 0, value 0.
    EXPECT_EQ(pt.getRemembered(CS::STC), nullptr);
    EXPECT_EQ(pt.write(nullptr, 1, nullptr), -1);
}

TEST_F(PresentationTextTest, NullAndEmptyAdditionsAddNothing)
{
    PT pt(m_ptd.get());
    qel::afp::Text empty;
    EXPECT_EQ(pt.addText(nullptr), -1);
    EXPECT_EQ(pt.addText(&empty), -2);
    EXPECT_EQ(pt.addLine(nullptr), -1);
    EXPECT_EQ(pt.addNoOperation(nullptr), -1);
    qel::afp::StructuredField noData;
    EXPECT_EQ(pt.addNoOperation(&noData), -2);
    // Without fields nothing is written.
    int rc = 0;
    EXPECT_EQ(written(pt, 1, &rc), Bytes());
    EXPECT_EQ(rc, -1);
    // An empty text data field writes nothing either.
    qel::afp::PresentationTextData ptx;
    EXPECT_EQ(written(ptx, 1, &rc), Bytes());
    EXPECT_EQ(rc, -1);
}

TEST_F(PresentationTextTest, TextAndNoOperationDataAreCutInto253ByteChunks)
{
    struct Case
    {
        int n;
        std::vector<int> chunks;
    } cases[] = {{253, {253}}, {254, {253, 1}}, {600, {253, 253, 94}}, {1, {1}}};
    for (const Case& c : cases) {
        for (bool nop : {false, true}) {
            PT pt(m_ptd.get());
            const std::string data(static_cast<size_t>(c.n), 'a');
            auto t = text(data);
            qel::afp::StructuredField field;
            field.setData(reinterpret_cast<const unsigned char*>(data.data()), c.n);
            if (nop)
                EXPECT_EQ(pt.addNoOperation(&field), 0);
            else
                EXPECT_EQ(pt.addText(t.get()), 0);
            std::vector<int> chunks;
            for (const std::string& s : firstField(pt)) {
                const Bytes b = fromHex(s);
                if (b[1] == (nop ? 0xF9 : 0xDB)) {
                    chunks.push_back(b[0] - 2);
                    // No operation text is translated to EBCDIC.
                    EXPECT_EQ(b[2], nop ? 0x81 : 'a');
                }
            }
            EXPECT_EQ(chunks, c.chunks) << c.n << (nop ? " NOP" : " TRN");
        }
    }
}

TEST_F(PresentationTextTest, FieldTakesAnAdditionUpToExactly8192Bytes)
{
    for (int extra : {0, 1}) {
        PT pt(m_ptd.get());
        auto first = text("x", 100, 200);
        first->setVariableSpaceIncrement(7);
        first->setInterCharacterAdjustment(3);
        first->setColorSpace(5);
        first->setColor(0xFF02);
        ASSERT_EQ(pt.addText(first.get()), 0);
        // STO 6, STC 4, SCFL 3, SVI 4, SIA 5, AMI 4, AMB 4, TRN 3.
        const int used = 10 + 6 + 4 + 3 + 4 + 5 + 4 + 4 + 3;
        ASSERT_EQ(pt.getCurrentField()->getLength(), used);
        // The second text writes its AMI (4) and its TRN chunks.
        // n data bytes in k chunks need n + 2k bytes.
        const int target = 8192 - used - 2 - 4 + extra;
        int n = target;
        while (n + 2 * ((n + 252) / 253) > target)
            --n;
        ASSERT_EQ(n + 2 * ((n + 252) / 253), target);
        auto second = text(std::string(static_cast<size_t>(n), 'y'), 300, 200);
        second->setVariableSpaceIncrement(7);
        second->setInterCharacterAdjustment(3);
        second->setColorSpace(5);
        second->setColor(0xFF02);
        ASSERT_EQ(pt.addText(second.get()), 0);
        const std::vector<DumpedField> fields = ptxFields(pt);
        ASSERT_EQ(fields.size(), extra ? 2u : 1u) << extra;
        if (extra == 0) {
            EXPECT_EQ(fields[0].length, 8192);
            continue;
        }
        EXPECT_LE(fields[0].length, 8192);
        std::vector<std::string> head = sequences(fields[1].data);
        ASSERT_GE(head.size(), 7u);
        EXPECT_EQ(fromHex(head[6])[1], 0xDB);
        head.resize(6);
        EXPECT_EQ(head, (std::vector<std::string>{"06F700002D00", "0475FF02", "03F101", "04C50007", "05C3000300",
                                                  "04C7012C"}));
    }
}

TEST_F(PresentationTextTest, RepeatedStateIsLeftOut)
{
    PT pt(m_ptd.get());
    auto first = text("\xC1\xC2", 100, 200);
    first->setVariableSpaceIncrement(5);
    auto second = text("\xC3\xC4", 300, 200);
    second->setVariableSpaceIncrement(5);
    second->setXPositionIsRelative(1);
    second->setRelXPosition(4);
    auto third = text("\xC5\xC6", 500, 200);
    ASSERT_EQ(pt.addText(first.get()), 0);
    ASSERT_EQ(pt.addText(second.get()), 0);
    // Increment back to 0: SVI X'FFFF'.
    ASSERT_EQ(pt.addText(third.get()), 0);
    EXPECT_EQ(firstField(pt), (std::vector<std::string>{"06F700002D00", "03F101", "04C50005", "04C70064", "04D300C8",
                                                         "04DBC1C2", "04C7012C", "04C90004", "04DBC3C4", "04C5FFFF",
                                                         "04C701F4", "04DBC5C6", "02F8"}));
}

TEST_F(PresentationTextTest, LineWithoutDirectionGivesNoRule)
{
    PT pt(m_ptd.get());
    qel::afp::Line none(2, 50, 10, 20, true, true, false, false, 0, 90, 0);
    none.setColorSpace(0);
    ASSERT_EQ(pt.addLine(&none), 0);
    qel::afp::Line rule(2, 50, 10, 20, true, true, false, false, 0, 90, 2);
    rule.setColorSpace(0);
    ASSERT_EQ(pt.addLine(&rule), 0);
    EXPECT_EQ(firstField(pt), (std::vector<std::string>{"06F700002D00", "04C7000A", "04D30014", "04C7000A",
                                                         "07E70032000200", "02F8"}));
}

TEST_F(PresentationTextTest, InterchangeChecksOfTextsAndRules)
{
    struct Case
    {
        const char* what;
        int level;
        std::function<void(PT&)> add;
        std::vector<std::string> field;
        std::string log;
    };
    const std::vector<Case> cases = {
        {"STO 45 at IS/2", 4,
         [](PT& pt) {
             auto t = text("\xC1");
             t->setIOrientationDegrees(45);
             pt.addText(t.get());
             EXPECT_STREQ(t->getLogText(), "Warning! Text I-Axis Orientation (PTOCA STO) value \"45\" is not valid. "
                                           "Using default value of zero degree");
         },
         {"06F700002D00", "03F101", "04C70064", "04D300C8", "03DBC1", "02F8"}, ""},
        {"STO 45 at MO:DCA-P", 2,
         [](PT& pt) {
             auto t = text("\xC1");
             t->setIOrientationDegrees(45);
             pt.addText(t.get());
             EXPECT_EQ(t->getLogText(), nullptr);
         },
         {"06F716802D00", "03F101", "04C70064", "04D300C8", "03DBC1", "02F8"}, ""},
        {"negative rule length at IS/1", 3,
         [](PT& pt) {
             qel::afp::Line l(2, static_cast<uint16_t>(-100), 500, 20, true, true, false, false, 0, 90, 1);
             l.setColorSpace(0);
             pt.addLine(&l);
             EXPECT_EQ(l.getXPosition(), 400);
             EXPECT_EQ(l.getLength(), 100);
         },
         {"06F700002D00", "04C70190", "04D30014", "07E50064000200", "02F8"}, ""},
        {"negative B rule width with relative X at IS/2", 4,
         [](PT& pt) {
             qel::afp::Line l(static_cast<uint16_t>(-8), 30, 500, 20, true, true, true, false, 0, 90, 2);
             l.setRelXPosition(10);
             l.setColorSpace(0);
             pt.addLine(&l);
             EXPECT_EQ(l.getXPosition(), 502);
             EXPECT_EQ(l.isXPositionRelative(), 0);
             EXPECT_EQ(l.getWidth(), 8);
         },
         {"06F700002D00", "04C701F6", "04D30014", "07E7001E000800", "02F8"}, ""},
        {"RGB at IS/2 without the switch", 4,
         [](PT& pt) {
             auto t = text("\xC1");
             t->setColorSpace(1);
             t->setColor(0x0000FF);
             pt.addText(t.get());
         },
         {"06F700002D00", "03F101", "04C70064", "04D300C8", "03DBC1", "02F8"}, ""},
        {"STC outside the set at IS/1", 3,
         [](PT& pt) {
             auto t = text("\xC1");
             t->setColorSpace(5);
             t->setColor(0x1234);
             pt.addText(t.get());
             EXPECT_STREQ(t->getLogText(), "Warning! Set Text Color(PTOCA STC) value \"4660\" is not valid SOCA Color "
                                           "for Modca-IS1 compliance. Using default device color \"0xFF07\"");
         },
         {"06F700002D00", "0475FF07", "03F101", "04C70064", "04D300C8", "03DBC1", "02F8"}, ""},
        {"AMI, SCFL and SIA out of range warn at IS/2", 4,
         [](PT& pt) {
             auto t = text("\xC1", 6000, 200, 200);
             t->setInterCharacterAdjustment(700);
             t->setInterCharacterDirection(1);
             pt.addText(t.get());
             EXPECT_STREQ(t->getLogText(),
                          "Warning! Absolute X position (PTOCA AMI displacement) value \"6000\" is not within valid "
                          "range(0-5461) for Modca-IS2 compliance.\n  Warning! Coded Font Local(PTOCA SCFL) value "
                          "\"200\" is not within valid range(0-127) for Modca-IS2 compliance.\n  Warning! Inter "
                          "Character Adjustment(PTOCA SIA) value \"700\" is not within valid range(0-682) for "
                          "Modca-IS2 compliance.\n  Warning! Intercharacter Adjustment Direction(PTOCA SIA) value "
                          "\"1\" is not within valid range(0-0) for Modca-IS2 compliance.");
         },
         {"06F700002D00", "03F1C8", "05C302BC01", "04C71770", "04D300C8", "03DBC1", "02F8"}, ""},
        {"underscore and overstrike are never made in IS mode", 3,
         [](PT& pt) {
             auto t = text("\xC1");
             t->setUnderscore(1);
             t->setOverstrike(1);
             t->setOverstrikeCharacter(0x60);
             pt.addText(t.get());
         },
         {"06F700002D00", "03F101", "04C70064", "04D300C8", "03DBC1", "02F8"}, ""},
    };
    for (const Case& c : cases) {
        profile()->setLevel(c.level);
        PT pt(m_ptd.get());
        c.add(pt);
        EXPECT_EQ(firstField(pt), c.field) << c.what;
    }
}

TEST_F(PresentationTextTest, AssertControlSequenceRanges)
{
    profile()->setLevel(qel::OutputProfile::LEVEL_IS2);
    PT pt(m_ptd.get());
    EXPECT_EQ(pt.getUpperBound(), 5461);
    EXPECT_EQ(pt.getLowerBound(), 0);
    const float s = 2400 / 14400.0f;
    struct Case
    {
        const char* what;
        std::function<CS*()> make;
        int rc;
    } cases[] = {
        {"AMB at the bound", [] { return new qel::afp::AMBControlSequence(5461); }, 0},
        {"AMB beyond", [] { return new qel::afp::AMBControlSequence(5462); }, 1},
        {"AMB negative", [] { return new qel::afp::AMBControlSequence(-1); }, 1},
        {"RMB at its lower bound", [] { return new qel::afp::RMBControlSequence(-5461); }, 0},
        {"RMB below", [] { return new qel::afp::RMBControlSequence(-5462); }, 1},
        {"RMI negative", [] { return new qel::afp::RMIControlSequence(-1); }, 1},
        {"DIR width 32", [] { return new qel::afp::DIRControlSequence(32, 100); }, 0},
        {"DBR width 33", [] { return new qel::afp::DBRControlSequence(33, 100); }, 1},
        {"SCFL X'FF'", [] { return new qel::afp::SCFLControlSequence(0xFF); }, 0},
        {"SCFL 128", [] { return new qel::afp::SCFLControlSequence(128); }, 1},
        {"SVI X'FFFF'", [] { return new qel::afp::SVIControlSequence(0xFFFF); }, 0},
        {"SVI 683", [] { return new qel::afp::SVIControlSequence(683); }, 1},
        {"STC X'FF08'", [] { return new qel::afp::STCControlSequence(0xFF08); }, 0},
        {"STC X'0011' replaced", [] { return new qel::afp::STCControlSequence(0x0011); }, 0},
        {"STO valid", [] { return new qel::afp::STOControlSequence(270, 0, 0, 0); }, 1},
        {"STO B 45 replaced", [] { return new qel::afp::STOControlSequence(0, 0, 45, 0); }, 2},
        {"SEC", [] { return new qel::afp::SECControlSequence(1, 0); }, -1},
        {"USC", [] { return new qel::afp::USCControlSequence(1); }, -1},
        {"OVS", [] { return new qel::afp::OVSControlSequence(1, 0); }, -1},
        {"TRN", [] { return new qel::afp::TRNControlSequence(); }, 1},
        {"PTXNOP", [] { return new qel::afp::PTXNOPControlSequence(); }, 1},
    };
    for (const Case& c : cases) {
        std::unique_ptr<CS> sequence(c.make());
        EXPECT_EQ(pt.assertControlSequence(sequence.get(), s), c.rc) << c.what;
    }
    EXPECT_EQ(pt.assertControlSequence(nullptr, s), -2);
    qel::afp::STCControlSequence stc(0x0011);
    pt.assertControlSequence(&stc, s);
    EXPECT_EQ(stc.getForeGroundColor(), 0xFF07);
    qel::afp::STOControlSequence sto(10, 0, 45, 0);
    pt.assertControlSequence(&sto, s);
    EXPECT_EQ(sto.getInlineDegrees(), 0);
    EXPECT_EQ(sto.getBaselineDegrees(), 90);
    EXPECT_EQ(pt.assertLineForIS2(nullptr), -1);
}

TEST_F(PresentationTextTest, StrictErrorLeavesTheObjectAsItWas)
{
    profile()->setLevel(qel::OutputProfile::LEVEL_IS2);
    profile()->setStrictCompliance(true);
    PT pt(m_ptd.get());
    auto first = text("\xC1", 100, 200);
    ASSERT_EQ(pt.addText(first.get()), 0);
    CS* amb = pt.getRemembered(CS::AMB);
    CS* sto = pt.getRemembered(CS::STO);
    CS* scfl = pt.getRemembered(CS::SCFL);
    const uint16_t length = pt.getCurrentField()->getLength();
    auto bad = text("\xC2", 5462, 300, 2);
    bad->setIOrientationDegrees(90);
    bad->setBOrientationDegrees(180);
    bad->setColorSpace(5);
    bad->setColor(2);
    qel::Error* error = nullptr;
    try {
        pt.addText(bad.get());
    } catch (qel::Error* e) {
        error = e;
    }
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->getId(), 2);
    EXPECT_STREQ(error->getMessage(),
                 "E002: Error while adding text/line to Page as PTOCA object. Msg: \"Absolute X position (PTOCA AMI "
                 "displacement) value \"5462\" is not within valid range(0-5461) for Modca-IS2 compliance\"");
    delete error;
    EXPECT_EQ(pt.getRemembered(CS::AMB), amb);
    EXPECT_EQ(pt.getRemembered(CS::STO), sto);
    EXPECT_EQ(pt.getRemembered(CS::SCFL), scfl);
    EXPECT_EQ(pt.getRemembered(CS::STC), nullptr);
    EXPECT_EQ(pt.getColorSpace(), 0);
    EXPECT_EQ(pt.getColorValue(), 0);
    EXPECT_EQ(pt.getCurrentField()->getLength(), length);
    EXPECT_EQ(pt.getFields()->getCount(), 1);
    // A rule out of range throws the same way.
    qel::afp::Line wide(200, 10, 10, 10, true, true, false, false, 0, 90, 1);
    EXPECT_THROW(
        {
            try {
                pt.addLine(&wide);
            } catch (qel::Error* e) {
                delete e;
                throw;
            }
        },
        qel::Error*);
    EXPECT_EQ(pt.getCurrentField()->getLength(), length);
    EXPECT_EQ(firstField(pt), (std::vector<std::string>{"06F700002D00", "03F101", "04C70064", "04D300C8", "03DBC1",
                                                         "02F8"}));
}

TEST_F(PresentationTextTest, ExtendedColoursAreWrittenAndReadBack)
{
    struct Case
    {
        int space;
        uint32_t value;
        int level;
        bool allowed;
        std::string sec; // empty: none written
        int readSpace;
        uint32_t readValue;
    } cases[] = {
        {1, 0x302010, 2, false, "10810001000000000808080010203000", 1, 0x302010},
        {2, 0x11223344, 2, false, "10810004000000000808080811223344", 2, 0x11223344},
        {3, 0x0102, 2, false, "0E8100060000000010000000 0102", 3, 0x0102},
        {4, 0x50F00A, 2, false, "0F8100080000000008080800 50F00A", 4, 0},
        {1, 0x0000FF, 4, false, "", 0, 0},
        {1, 0x0000FF, 4, true, "108100010000000008080800FF000000", 1, 0x0000FF},
        {3, 0x0007, 4, true, "0E8100060000000010000000 0007", 3, 7},
    };
    for (const Case& c : cases) {
        profile()->setLevel(c.level);
        profile()->setExtendedTextColorAllowed(c.allowed);
        PT pt(m_ptd.get());
        auto t = text("\xC1");
        t->setColorSpace(c.space);
        t->setColor(c.value);
        ASSERT_EQ(pt.addText(t.get()), 0);
        // Written once: each write closes its fields again.
        const Bytes bytes = written(pt, 1);
        std::string sec;
        for (const DumpedField& f : dumpFields(bytes).fields)
            if (f.id == 0xEE9B)
                for (const std::string& s : sequences(f.data))
                    if (fromHex(s)[1] == 0x81)
                        sec = s;
        EXPECT_EQ(sec, toHex(fromHex(c.sec))) << c.space << " at " << c.level;
        EXPECT_EQ(pt.getColorSpace(), c.space);
        if (c.sec.empty())
            continue;
        qelPtocaPage page;
        readBack(bytes, page);
        const std::vector<qelTextObject*> read = textsOf(page);
        ASSERT_EQ(read.size(), 1u);
        EXPECT_EQ(read[0]->getColorSpace(), c.readSpace) << c.space;
        if (c.readValue) {
            EXPECT_EQ(read[0]->getColorValue(), c.readValue) << c.space;
        }
    }
}

TEST_F(PresentationTextTest, NewFieldRepeatsOnlyTheColourInForce)
{
    PT pt(m_ptd.get());
    auto red = text("\xC1", 100, 200);
    red->setColorSpace(1);
    red->setColor(0x0000FF);
    auto named = text("\xC2", 100, 300);
    named->setColorSpace(5);
    named->setColor(0xFF02);
    ASSERT_EQ(pt.addText(red.get()), 0);
    ASSERT_EQ(pt.addText(named.get()), 0);
    // A text too long for the rest of the field starts a new one.
    auto big = text(std::string(8080, 'x'), 100, 400);
    big->setColorSpace(5);
    big->setColor(0xFF02);
    ASSERT_EQ(pt.addText(big.get()), 0);
    const std::vector<DumpedField> fields = ptxFields(pt);
    ASSERT_EQ(fields.size(), 2u);
    std::vector<std::string> head = sequences(fields[1].data);
    head.resize(3);
    EXPECT_EQ(head, (std::vector<std::string>{"06F700002D00", "0475FF02", "03F101"}));
}

TEST_F(PresentationTextTest, RuleInANewFieldForgetsTheFont)
{
    PT pt(m_ptd.get());
    auto first = text(std::string(8090, 'x'), 100, 200);
    first->setVariableSpaceIncrement(3);
    ASSERT_EQ(pt.addText(first.get()), 0);
    qel::afp::Line rule(2, 300, 100, 400, true, true, false, false, 0, 90, 1);
    rule.setColorSpace(0);
    ASSERT_EQ(pt.addLine(&rule), 0);
    EXPECT_EQ(pt.getRemembered(CS::SCFL), nullptr);
    ASSERT_NE(pt.getRemembered(CS::SVI), nullptr);
    auto next = text("\xC1", 100, 500);
    next->setVariableSpaceIncrement(3);
    ASSERT_EQ(pt.addText(next.get()), 0);
    const std::vector<DumpedField> fields = ptxFields(pt);
    ASSERT_EQ(fields.size(), 2u);
    // The rule's field repeats the orientation only; the next text writes
    // its font again but not the increment still in force.
    EXPECT_EQ(sequences(fields[1].data),
              (std::vector<std::string>{"06F700002D00", "04C70064", "04D30190", "07E5012C000200", "03F101", "04C70064",
                                        "04D301F4", "03DBC1", "02F8"}));
}

TEST_F(PresentationTextTest, LongTextGoesOnInFurtherFieldsOfAtMost8192Bytes)
{
    PT pt(m_ptd.get());
    std::string longText;
    for (int i = 0; i < 40000; ++i)
        longText += static_cast<char>(0xC1 + i % 9);
    auto t = text(longText, 100, 200);
    t->setVariableSpaceIncrement(9);
    ASSERT_EQ(pt.addText(t.get()), 0);
    auto after = text("\xC2\xC3", 100, 300);
    after->setVariableSpaceIncrement(9);
    ASSERT_EQ(pt.addText(after.get()), 0);
    const Bytes bytes = written(pt, 1);
    const FieldDump dump = dumpFields(bytes);
    EXPECT_TRUE(dump.problems.empty());
    int ptx = 0;
    for (const DumpedField& f : dump.fields) {
        if (f.id != 0xEE9B)
            continue;
        ++ptx;
        EXPECT_LE(f.length, 8192);
        // Each further field starts with the state in force.
        std::vector<std::string> head = sequences(f.data);
        head.resize(3);
        EXPECT_EQ(head, (std::vector<std::string>{"06F700002D00", "03F101", "04C50009"}));
    }
    EXPECT_EQ(ptx, 5);
    qelPtocaPage page;
    readBack(bytes, page);
    std::string read;
    for (qelTextObject* r : textsOf(page))
        read.append(reinterpret_cast<const char*>(r->getCodePointText()), r->getTextLength());
    EXPECT_EQ(read, longText + "\xC2\xC3");
}

TEST_F(PresentationTextTest, LongNoOperationTextGoesOnInFurtherFields)
{
    PT pt(m_ptd.get());
    const std::string data(20000, 'n');
    qel::afp::StructuredField field;
    field.setData(reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
    ASSERT_EQ(pt.addNoOperation(&field), 0);
    const std::vector<DumpedField> fields = ptxFields(pt);
    ASSERT_EQ(fields.size(), 3u);
    size_t total = 0;
    for (const DumpedField& f : fields) {
        EXPECT_LE(f.length, 8192);
        for (const std::string& s : sequences(f.data))
            total += fromHex(s).size() - 2;
    }
    EXPECT_EQ(total, data.size());
}

TEST_F(PresentationTextTest, UnderscoreAndOverstrikeAtModcaPAndIS2)
{
    PT pt(m_ptd.get());
    auto first = text("\xC1");
    first->setUnderscore(2);
    first->setOverstrike(1);
    first->setOverstrikeCharacter(0x60);
    auto second = text("\xC2", 200);
    ASSERT_EQ(pt.addText(first.get()), 0);
    ASSERT_EQ(pt.addText(second.get()), 0);
    EXPECT_EQ(firstField(pt),
              (std::vector<std::string>{"06F700002D00", "03F101", "04C70064", "04D300C8", "037702", "0573010060",
                                        "03DBC1", "04C700C8", "037700", "0573000000", "03DBC2", "02F8"}));
    // At IS/2 the sequences count 0 bytes and write nothing.
    profile()->setLevel(qel::OutputProfile::LEVEL_IS2);
    RecordingLogger& log = record();
    qel::afp::USCControlSequence usc(1);
    qel::afp::OVSControlSequence ovs(1, 0x60);
    EXPECT_EQ(usc.evaluateLength(), 0);
    EXPECT_EQ(ovs.evaluateLength(), 0);
    int rc = 0;
    EXPECT_EQ(written(usc, 0, &rc), Bytes());
    EXPECT_EQ(rc, -1);
    EXPECT_EQ(written(ovs, 0, &rc), Bytes());
    EXPECT_NE(log.lines.find("PTOCA Underscore control sequence not allowed for MODCA-IS2 AFP Compliance. Ignoring "
                             "the sequence"),
              std::string::npos);
}

TEST_F(PresentationTextTest, ControlSequenceBytes)
{
    struct Case
    {
        const char* what;
        std::function<CS*()> make;
        std::string hex;
    } cases[] = {
        {"AMB", [] { return new qel::afp::AMBControlSequence(-2); }, "04D3FFFE"},
        {"AMI", [] { return new qel::afp::AMIControlSequence(300); }, "04C7012C"},
        {"RMB", [] { return new qel::afp::RMBControlSequence(5); }, "04D50005"},
        {"RMI", [] { return new qel::afp::RMIControlSequence(-5); }, "04C9FFFB"},
        {"DIR", [] { return new qel::afp::DIRControlSequence(3, 400); }, "07E50190000300"},
        {"DBR", [] { return new qel::afp::DBRControlSequence(3, -4); }, "07E7FFFC000300"},
        {"SCFL", [] { return new qel::afp::SCFLControlSequence(9); }, "03F109"},
        {"SIA", [] { return new qel::afp::SIAControlSequence(12, 1); }, "05C3000C01"},
        {"STC default", [] { return new qel::afp::STCControlSequence(); }, "0475FF07"},
        {"SVI", [] { return new qel::afp::SVIControlSequence(0xFFFF); }, "04C5FFFF"},
        {"USC", [] { return new qel::afp::USCControlSequence(1); }, "037701"},
        {"OVS", [] { return new qel::afp::OVSControlSequence(1, 0x4E); }, "057301004E"},
        {"STO reduced", [] { return new qel::afp::STOControlSequence(450, 75, -90, 0); }, "06F72D1ED300"},
        {"STO 270, 0", [] { return new qel::afp::STOControlSequence(270, 0, 0, 0); }, "06F787000000"},
        {"TRN translated",
         [] {
             auto* t = new qel::afp::TRNControlSequence(reinterpret_cast<const unsigned char*>("AB"), 2);
             t->setTranslate(1);
             return t;
         },
         "04DBC1C2"},
        {"TRN data-encoded",
         [] {
             auto* t = new qel::afp::TRNControlSequence(reinterpret_cast<const unsigned char*>("AB"), 2);
             t->setTranslate(1);
             t->setDataEncoded(1);
             return t;
         },
         "04DB4142"},
        {"PTXNOP unchained",
         [] {
             auto* t = new qel::afp::PTXNOPControlSequence(reinterpret_cast<const unsigned char*>("A"), 1);
             t->setChained(0);
             return t;
         },
         "03F8C1"},
        {"SEC of no known space", [] { return new qel::afp::SECControlSequence(64, 8); }, ""},
    };
    for (const Case& c : cases) {
        std::unique_ptr<CS> sequence(c.make());
        EXPECT_EQ(sequence->evaluateLength(), fromHex(c.hex).size()) << c.what;
        // No X'5A' ever precedes a sequence.
        EXPECT_EQ(toHex(written(*sequence, 1)), toHex(fromHex(c.hex))) << c.what;
        EXPECT_EQ(sequence->write(nullptr, 1, nullptr), -1) << c.what;
    }
    // A text stays its own after a write: translating is done on a copy.
    qel::afp::TRNControlSequence trn(reinterpret_cast<const unsigned char*>("AB"), 2);
    trn.setTranslate(1);
    written(trn);
    EXPECT_EQ(toHex(written(trn)), "04DBC1C2");
}

TEST_F(PresentationTextTest, TextAndLineObjects)
{
    RecordingLogger& log = record();
    qel::afp::Text plain;
    EXPECT_EQ(plain.getIOrientationDegrees(), 0);
    EXPECT_EQ(plain.getIOrientationMinutes(), 0);
    EXPECT_EQ(plain.getBOrientationDegrees(), 0);
    EXPECT_EQ(plain.getBOrientationMinutes(), 0);
    EXPECT_EQ(plain.getFontLocalId(), 0);
    EXPECT_EQ(plain.isDataEncoded() | plain.getUnderscore() | plain.getOverstrike() |
                  plain.getInterCharacterDirection(),
              0);
    EXPECT_EQ(plain.getVariableSpaceIncrement() | plain.getInterCharacterAdjustment() | plain.getOverstrikeCharacter(),
              0);
    qel::afp::Line line(1, 2, 3, 4, true, true, false, false, 90, 180, 1);
    EXPECT_EQ(line.getIOrientationDegrees(), 90);
    EXPECT_EQ(line.getBOrientationDegrees(), 180);
    EXPECT_EQ(line.getIOrientationMinutes(), 0);
    EXPECT_EQ(line.getBOrientationMinutes(), 0);
    EXPECT_EQ(line.getDirection(), 1);
    qel::afp::Text hello("Hi", 1, 2, true, false, false, false, 270, 0, 30, 15);
    EXPECT_EQ(hello.getIOrientationDegrees(), 270);
    EXPECT_EQ(hello.getBOrientationMinutes(), 15);
    EXPECT_EQ(hello.getLength(), 2);
    // Texts and lines write nothing.
    MemoryOutput out;
    EXPECT_EQ(hello.write(out.stream(), 1, nullptr), 0);
    EXPECT_EQ(line.write(out.stream(), 1, nullptr), 0);
    EXPECT_EQ(hello.write(nullptr, 1, nullptr), 0);
    EXPECT_EQ(line.write(nullptr, 1, nullptr), 0);
    EXPECT_EQ(out.bytes(), Bytes());
    hello.setIOrientationDegrees(-90);
    EXPECT_EQ(static_cast<uint16_t>(hello.getIOrientationDegrees()), 0xFFA6);
    EXPECT_NE(log.lines.find("qel::afp::Text::setIOrientationDegrees( -90 )"), std::string::npos);
    hello.setFontLocalId(200);
    EXPECT_NE(log.lines.find("qel::afp::Text::setFontLocalId( 200 )"), std::string::npos);
    line.setBOrientationMinutes(59);
    EXPECT_NE(log.lines.find("qel::afp::Line::setBOrientationMinutes( 59 )"), std::string::npos);
}

} // namespace
