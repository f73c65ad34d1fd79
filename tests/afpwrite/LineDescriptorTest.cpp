// Line descriptors (triplet cursors, colour, includes, bytes) and
// conditional processing controls (groups, conditions, evaluation, bytes).
#include "AfpWriteSupport.h"

#include "qel/afp/AfpCCPRepeatingGroup.h"
#include "qel/afp/AfpColorSpecificationTriplet.h"
#include "qel/afp/AfpConditionalProcessingControl.h"
#include "qel/afp/AfpLineDescriptor.h"
#include "qel/afp/AfpROITriplet.h"
#include "qel/afp/AfpStructuredField.h"

#include <memory>
#include <string>

using namespace afpwrite;

namespace
{

using qel::afp::CCPRepeatingGroup;
using qel::afp::ConditionalProcessingControl;
using qel::afp::LineDescriptor;

class LineDescriptorTest : public LibraryTest
{
};

qel::afp::ROITriplet* include(const char* name, int16_t x, int16_t y, uint16_t orientation, uint8_t type)
{
    auto* t = new qel::afp::ROITriplet();
    t->setResourceName(name);
    t->setXOffset(x);
    t->setYOffset(y);
    t->setOrientation(orientation);
    t->setObjectType(type);
    return t;
}

TEST_F(LineDescriptorTest, ColorFromTheDescriptorOrItsTriplet)
{
    LineDescriptor d;
    d.setTextColor(0xFF02);
    int space = 0;
    int value = 0;
    EXPECT_EQ(d.getColor(&space, &value), 0xFF02);
    EXPECT_EQ(space, 5);
    EXPECT_EQ(value, 0xFF02);
    // Added through the base interface, as the reader adds triplets: it
    // lands in both lists.
    qel::afp::StructuredField& base = d;
    base.addTriplet(new qel::afp::ColorSpecificationTriplet(4, 0x11223344));
    EXPECT_EQ(d.getColor(&space, &value), 0x11223344);
    EXPECT_EQ(space, 4);
    EXPECT_EQ(d.getLength(), 48 + 16);
    ASSERT_NE(d.getTriplets(), nullptr);
    EXPECT_EQ(d.getTriplets()->getCount(), 1);
}

TEST_F(LineDescriptorTest, TripletCursors)
{
    LineDescriptor d;
    char* name = reinterpret_cast<char*>(1);
    short x = 9, y = 9, orientation = 9;
    char type = 9;
    d.getNextResourceObjectInclude(&name, &x, &y, &orientation, &type);
    EXPECT_EQ(name, nullptr);
    EXPECT_EQ(x + y + orientation + type, 0);
    d.addTriplet(nullptr);
    d.addTriplet(include("S1A", 100, -100, 0x2D00, 0x5F));
    d.addTriplet(new qel::afp::ColorSpecificationTriplet(1, 0x563412));
    d.addTriplet(include("O1B", 5, 6, qel::afp::ROITriplet::NO_ORIENTATION, 0xDF));
    d.getFirstResourceObjectInclude(&name, &x, &y, &orientation, &type);
    EXPECT_STREQ(name, "S1A");
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, -100);
    EXPECT_EQ(orientation, 0x2D00);
    EXPECT_EQ(static_cast<unsigned char>(type), 0x5F);
    d.getNextResourceObjectInclude(&name, &x, &y, &orientation, &type);
    EXPECT_STREQ(name, "O1B");
    EXPECT_EQ(static_cast<unsigned char>(type), 0xDF);
    d.getNextResourceObjectInclude(&name, &x, &y, &orientation, &type);
    EXPECT_EQ(name, nullptr);
    // The cursor stayed on the last include.
    EXPECT_EQ(d.getNextTriplet(0x6C), nullptr);
    EXPECT_EQ(d.getFirstTriplet(0x7C), nullptr);
    EXPECT_EQ(d.getNextTriplet(0x4E), nullptr);
    EXPECT_NE(d.getFirstTriplet(0x4E), nullptr);
    EXPECT_EQ(d.getNextTriplet(0x4E), nullptr);
    EXPECT_EQ(d.getNextTriplet(0x02), nullptr);
}

TEST_F(LineDescriptorTest, WrittenBytes)
{
    LineDescriptor d;
    d.setFlags(0x8020);
    d.setInlinePosition(0x0102);
    d.setBaselinePosition(0x0304);
    d.setTextOrientation(0x00002D00);
    d.setFontLocalId(0x05);
    d.setChannelCode(0x06);
    d.setNextIfSkipping(7);
    d.setNextIfSpacing(8);
    d.setNextIfReuseData(9);
    d.setSuppressionTokenName("AB");
    d.setShiftOutFontLocalId(0x0A);
    d.setDataStart(0x0B0C0D0E);
    d.setDataLength(0x0F10);
    d.setTextColor(0x1112);
    d.setNextIfConditionalProcessing(0x1314);
    d.setSubpageId(0x15);
    d.setConditionalProcessingId(0x1617);
    // Worked out by hand from the field layout.
    const std::string expected = "5A0030D3A6E7000000"
                                 "8020 0102 0304 00002D00 05 06 0007 0008 0009"
                                 "C1C2404040404040 0A 0B0C0D0E 0F10 1112 1314 15 1617";
    int rc = 1;
    EXPECT_EQ(toHex(written(d, 1, &rc)), toHex(fromHex(expected)));
    EXPECT_EQ(rc, 0);
    EXPECT_TRUE(d.isFlagSet(LineDescriptor::FLAG_COLOR));
    EXPECT_FALSE(d.isFlagSet(LineDescriptor::FLAG_SPACE));
    d.setFlag(LineDescriptor::FLAG_SPACE);
    EXPECT_EQ(d.getFlags(), 0xC020);
    EXPECT_EQ(written(d, 0, &rc), Bytes());
    EXPECT_EQ(rc, -1);
    // No token: blanks; a long token keeps eight characters.
    LineDescriptor plain;
    EXPECT_EQ(toHex(written(plain, 1)).substr(18 + 36, 16), "4040404040404040");
    plain.setSuppressionTokenName("LONGTOKEN9");
    EXPECT_STREQ(plain.getSuppressionTokenName(), "LONGTOKE");
}

TEST_F(LineDescriptorTest, ControlTakesGroupsOfOneLength)
{
    ConditionalProcessingControl control;
    control.addRepeatingGroup(nullptr);
    control.setId(0x0102);
    control.setNextId(0x0304);
    control.setFlags(ConditionalProcessingControl::AFTER_SUBPAGE);
    auto* a = new CCPRepeatingGroup(4, "MM1", "DM1", "ABCD", "\xC1\xC2\xC3\xC4", 1, 2, 2, 1);
    auto* b = new CCPRepeatingGroup(4, nullptr, nullptr, "XY", nullptr, 0x81, 0, 0, 6);
    control.addRepeatingGroup(a);
    control.addRepeatingGroup(b);
    EXPECT_EQ(control.getRepeatingGroupLength(), 24);
    EXPECT_EQ(control.getRepeatingGroupCount(), 2);
    EXPECT_EQ(control.getLength(), 68);
    std::unique_ptr<CCPRepeatingGroup> longer(new CCPRepeatingGroup(5, nullptr, nullptr, "ABCDE", nullptr, 0, 0, 0, 1));
    control.addRepeatingGroup(longer.get());
    EXPECT_EQ(control.getRepeatingGroupCount(), 2);
    EXPECT_EQ(control.getComparisonStringLength(), 4);
    EXPECT_EQ(control.getLength(), 68);
    // Worked out by hand: 20 bytes of the control, then 24 per group.
    const std::string expected = "5A0044D3A7CA000000 0102 0304 40 00 0002 0018 0004"
                                 "01 02 D4D4F14040404040 02 C4D4F14040404040 01 C1C2C3C4"
                                 "81 00 0000000000000000 00 0000000000000000 06 E7E80000";
    int rc = 1;
    EXPECT_EQ(toHex(written(control, 1, &rc)), toHex(fromHex(expected)));
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(written(control, 0, &rc), Bytes());
    EXPECT_EQ(rc, -1);
    EXPECT_EQ(b->write(nullptr, 1, nullptr), -1);
}

TEST_F(LineDescriptorTest, Conditions)
{
    struct Case
    {
        const char* what;
        int comparison;
        const char* string;
        unsigned length;
        const char* data;
        int dataLength;
        bool expected;
    } cases[] = {
        {"EQ same field", CCPRepeatingGroup::EQUAL, "ABC", 3, "ABC", 3, true},
        {"EQ field longer than L", CCPRepeatingGroup::EQUAL, "ABC", 3, "ABCD", 4, false},
        {"EQ shorter field", CCPRepeatingGroup::EQUAL, "ABC", 3, "AB", 2, false},
        {"GT shorter field", CCPRepeatingGroup::GREATER, "ABC", 3, "AB", 2, true},
        {"LT string before field", CCPRepeatingGroup::LESS, "ABC", 3, "ABD", 3, true},
        {"LE equal", CCPRepeatingGroup::LESS_OR_EQUAL, "ABC", 3, "ABC", 3, true},
        {"GE before", CCPRepeatingGroup::GREATER_OR_EQUAL, "ABC", 3, "ABD", 3, false},
        {"NE differs", CCPRepeatingGroup::NOT_EQUAL, "ABC", 3, "ABX", 3, true},
        {"unsigned bytes", CCPRepeatingGroup::GREATER, "\xF1", 1, "A", 1, true},
        {"only length bytes of data", CCPRepeatingGroup::EQUAL, "AB", 3, "ABC", 2, true},
        {"NC without string", CCPRepeatingGroup::NO_COMPARISON, nullptr, 0, "X", 1, true},
        {"code 8", 8, "ABC", 3, "ABC", 3, false},
        {"EQ without string", CCPRepeatingGroup::EQUAL, nullptr, 3, "ABC", 3, false},
        {"empty data", CCPRepeatingGroup::NO_COMPARISON, nullptr, 0, "X", 0, false},
        {"AC without previous", CCPRepeatingGroup::ANY_CHANGE, nullptr, 0, "X", 1, false},
    };
    for (const Case& c : cases) {
        CCPRepeatingGroup group;
        group.setComparison(c.comparison);
        group.setComparisonString(c.string);
        group.setComparisonLength(static_cast<uint16_t>(c.length));
        EXPECT_EQ(group.matches(c.data, c.dataLength, nullptr, 0), c.expected) << c.what;
    }
    EXPECT_EQ(CCPRepeatingGroup().matches(nullptr, 3, nullptr, 0), false);
}

TEST_F(LineDescriptorTest, AnyChangeAgainstThePreviousLine)
{
    ConditionalProcessingControl control;
    EXPECT_EQ(control.evaluate("A", 1), nullptr);
    auto* group = new CCPRepeatingGroup();
    group->setComparison(CCPRepeatingGroup::ANY_CHANGE);
    control.addRepeatingGroup(group);
    control.resetPreviousText();
    EXPECT_EQ(control.evaluate("LINE1", 5), nullptr);
    EXPECT_EQ(control.evaluate("LINE1", 5), nullptr);
    EXPECT_EQ(control.evaluate("LINE2", 5), group);
    EXPECT_EQ(control.evaluate(nullptr, 5), nullptr);
    EXPECT_STREQ(control.getPreviousText(), "LINE2");
    // Only length bytes are read: the line's unterminated rest is not.
    const char unterminated[] = {'L', 'I', 'N', 'E', '2', 'X', 'Y'};
    EXPECT_EQ(control.evaluate(unterminated, 5), nullptr);
    EXPECT_EQ(control.getPreviousTextLength(), 5);
    EXPECT_EQ(control.evaluate(unterminated, 6), group);
    control.setPreviousText(nullptr);
    EXPECT_EQ(control.getPreviousTextLength(), 0);
}

} // namespace
