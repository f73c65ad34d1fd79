#include "AfpTestSupport.h"

#include "qelIOStream.h"
#include "qelIndex.h"
#include "qelIndexElement.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelMappedFontInfo.h"
#include "qelResourceObjectInclude.h"
#include "qelSFIBlock.h"
#include "qelSFIData.h"
#include "qelString.h"
#include "qelTriplet.h"
#include "qelTripletParser.h"

#include <memory>

using namespace afptest;

namespace {

Bytes fqn(int type, const char* name)
{
    Bytes name8 = ebcdic(name);
    Bytes t = {static_cast<unsigned char>(4 + name8.size()), 0x02, static_cast<unsigned char>(type), 0x00};
    append(t, name8);
    return t;
}

// Holds one field read from its own bytes.
class FieldTest : public AfpTest
{
protected:
    qelSFIBlock* read(int id, const Bytes& data)
    {
        m_bytes = field(id, data);
        m_stream.reset(new qelIOStream(m_bytes.data(), static_cast<int>(m_bytes.size())));
        m_stream->rewind();
        return m_stream->readSFI();
    }
    qelTripletParser& reader() { return m_reader; }

    Bytes m_bytes;
    std::unique_ptr<qelIOStream> m_stream;
    qelTripletParser m_reader;
};

TEST_F(FieldTest, ReadTripletBoundaries)
{
    struct Case
    {
        const char* what;
        Bytes data;
        bool found;
        int consumed;
    } cases[] = {
        {"complete", {0x03, 0x01, 0x41}, true, 3},
        {"length 2", {0x02, 0x65}, false, 2},
        {"length 0", {0x00, 0x65}, false, 1},
        {"beyond the data", {0x10, 0x02, 1, 2, 3, 4, 5}, false, 2},
        {"single byte", {0x03}, false, 0},
    };
    for (const Case& c : cases) {
        qelSFIBlock* f = read(0xA8AF, c.data);
        qelTriplet t;
        qelTriplet* got = qelSFIData::readTriplet(f, &t);
        EXPECT_EQ(got != nullptr, c.found) << c.what;
        EXPECT_EQ(f->getPosition(), c.consumed) << c.what;
        if (got) {
            EXPECT_EQ(got->getLength(), 3);
            EXPECT_EQ(got->getId(), 0x01);
            EXPECT_EQ(got->readByte(), 0x41);
            EXPECT_EQ(raised([&] { got->readByte(); }).id, 199);
        }
    }
    qelSFIBlock* f = read(0xA8AF, {0x00, 0x00, 0x01, 0x00});
    EXPECT_EQ(qelSFIData::readUInt32(f), 256u);
    EXPECT_EQ(qelSFIData::getFileOffset(f), 0 + 8 + 4);
}

// A Tag Logical Element needs its Attribute Value.
TEST_F(FieldTest, MissingMandatoryTriplet)
{
    Bytes data = fqn(0x0B, "CUSTOMER");
    qelSFIBlock* f = read(0xA090, data);
    uint32_t mandatory = 0x2002;
    uint32_t optional = 0x4003;
    Raised r = raised([&] { reader().parse(&mandatory, &optional, f); });
    EXPECT_EQ(r.id, 9);
    EXPECT_NE(r.message.find("(at 0x0)"), std::string::npos) << r.message;

    Bytes both = fqn(0x0B, "CUSTOMER");
    append(both, {0x07, 0x36, 0x00, 0x00, 0xC1, 0xC2, 0xC3});
    f = read(0xA090, both);
    mandatory = 0x2002;
    optional = 0x4003;
    EXPECT_EQ(raised([&] { reader().parse(&mandatory, &optional, f); }).id, -1);
    EXPECT_EQ(mandatory, 0u);
    EXPECT_EQ(optional, 0x4001u);
}

TEST_F(FieldTest, MaskBookkeeping)
{
    struct Case
    {
        const char* what;
        int fieldId;
        Bytes data;
        uint32_t mandatory;
        uint32_t optional;
        uint32_t mandatoryAfter;
        uint32_t optionalAfter;
        const char* warning; // expected on the message output, or null
        const char* absent;  // must not be on the message output
    } cases[] = {
        {"X'21' in a Begin Resource", 0xA8CE, {0x0A, 0x21, 0x40, 0, 0, 0, 0, 0, 0, 0}, 1u << 26, 0, 0, 0,
         nullptr, "Unexpected"},
        {"X'21' elsewhere", 0xA85F, {0x08, 0x21, 0x02, 0x00, 0x80, 0x00, 0x00, 0x00}, 0, 1u << 3, 0, 0, nullptr,
         "Unexpected"},
        {"X'68' clears both bits", 0xA8AF, {0x03, 0x68, 0x00}, 0, (1u << 21) | (1u << 22), 0, 0, nullptr,
         "Unexpected"},
        {"second FQN is unexpected", 0xA090, [] {
             Bytes b = fqn(0x0B, "A");
             append(b, fqn(0x0B, "B"));
             return b;
         }(), 0x2, 0, 0, 0, "Warning! Unexpected Triplet: 0x2\n", nullptr},
        {"unknown id stops the field", 0xA8AF, {0x03, 0x9A, 0x00, 0x03, 0x43, 0x05}, 0x10, 0, 0x10, 0,
         "Invalid Triplet (0x9a) to process", nullptr},
        {"illegal id is skipped", 0xA8AF, {0x04, 0x4D, 0x00, 0x00, 0x03, 0x43, 0x05}, 0x10, 0, 0, 0,
         "Warning! Illegal Triplet: 0x4d\n", nullptr},
        {"padding ends quietly", 0xA8AF, {0x03, 0x43, 0x05, 0x00}, 0x10 | 0x20, 0, 0x20, 0,
         "Invalid Triplet to process in qelTripletParser::parse()", nullptr},
    };
    for (const Case& c : cases) {
        std::fflush(m_out);
        long before = std::ftell(m_out);
        qelSFIBlock* f = read(c.fieldId, c.data);
        uint32_t mandatory = c.mandatory;
        uint32_t optional = c.optional;
        EXPECT_EQ(raised([&] { reader().parse(&mandatory, &optional, f); }).id, -1) << c.what;
        EXPECT_EQ(mandatory, c.mandatoryAfter) << c.what;
        EXPECT_EQ(optional, c.optionalAfter) << c.what;
        std::string text = output().substr(static_cast<size_t>(before));
        if (c.warning) {
            EXPECT_NE(text.find(c.warning), std::string::npos) << c.what << ": " << text;
        }
        if (c.absent) {
            EXPECT_EQ(text.find(c.absent), std::string::npos) << c.what << ": " << text;
        }
    }
    qelSFIBlock* f = read(0xA8CE, {0x0A, 0x21, 0x99, 0, 0, 0, 0, 0, 0, 0});
    uint32_t m = 0, o = 0;
    reader().parse(&m, &o, f);
    EXPECT_EQ(reader().getResourceObjectType(), 0x99);
}

TEST_F(FieldTest, TripletValues)
{
    Bytes oc = {0x38, 0x10, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00,
                0x06, 0x07, 0x2B, 0x12, 0x00, 0x04, 0x01, 0x01, 0x17, 0, 0, 0, 0, 0, 0, 0};
    append(oc, ebcdic("PNG                             "));
    Bytes rgb = {0x0F, 0x4E, 0x00, 0x01, 0, 0, 0, 0, 8, 8, 8, 0, 0x12, 0x34, 0x56};
    Bytes rgb4 = {0x0F, 0x4E, 0x00, 0x01, 0, 0, 0, 0, 4, 8, 8, 0, 0xF2, 0x34, 0x56};
    Bytes cmyk = {0x10, 0x4E, 0x00, 0x04, 0, 0, 0, 0, 8, 8, 8, 8, 0x11, 0x22, 0x33, 0x44};
    Bytes oca16 = {0x0E, 0x4E, 0x00, 0x40, 0, 0, 0, 0, 16, 0, 0, 0, 0x00, 0x02};
    Bytes oca8 = {0x0E, 0x4E, 0x00, 0x40, 0, 0, 0, 0, 8, 0, 0, 0, 0x00, 0x02};
    Bytes shortColour = {0x0D, 0x4E, 0x00, 0x01, 0, 0, 0, 0, 8, 8, 8, 0, 0x12};
    Bytes oas = {0x09, 0x4C, 0x02, 0x00, 0x06, 0x40, 0x00, 0x08, 0x98};
    Bytes oasWide = {0x09, 0x4C, 0x02, 0x01, 0x00, 0x00, 0xFF, 0xFF, 0xFF};
    Bytes inches = {0x08, 0x4B, 0x00, 0x00, 0x38, 0x40, 0x38, 0x40};
    Bytes centimetres = {0x08, 0x4B, 0x01, 0x01, 0x38, 0x40, 0x38, 0x40};
    Bytes cgcs = {0x06, 0x01, 0x00, 0x00, 0x01, 0xF4};
    struct Case
    {
        const char* what;
        Bytes data;
        std::function<void(qelTripletParser&)> check;
    } cases[] = {
        {"object classification by identifier", oc,
         [](qelTripletParser& p) { EXPECT_EQ(p.getObjectTypeCode(), 13); }},
        {"RGB packs red lowest", rgb, [](qelTripletParser& p) {
             EXPECT_EQ(p.getColorSpace(), 1);
             EXPECT_EQ(p.getColorValue(), 0x563412u);
         }},
        {"RGB with a 4-bit first component", rgb4, [](qelTripletParser& p) { EXPECT_EQ(p.getColorValue(), 0x563402u); }},
        {"CMYK packs cyan highest", cmyk, [](qelTripletParser& p) { EXPECT_EQ(p.getColorValue(), 0x11223344u); }},
        {"OCA 16 bits", oca16, [](qelTripletParser& p) {
             EXPECT_EQ(p.getColorSpace(), 5);
             EXPECT_EQ(p.getColorValue(), 2u);
         }},
        {"OCA 8 bits", oca8, [](qelTripletParser& p) { EXPECT_EQ(p.getColorValue(), 0u); }},
        {"too few colour bytes", shortColour, [](qelTripletParser& p) {
             EXPECT_EQ(p.getColorSpace(), 1);
             EXPECT_EQ(p.getColorValue(), 0u);
         }},
        {"object area size", oas, [](qelTripletParser& p) {
             uint32_t x, y;
             p.getObjectAreaExtent(x, y);
             EXPECT_EQ(x, 1600u);
             EXPECT_EQ(y, 2200u);
         }},
        {"object area size beyond 16 bits", oasWide, [](qelTripletParser& p) {
             uint32_t x, y;
             p.getObjectAreaExtent(x, y);
             EXPECT_EQ(x, 0x10000u);
             EXPECT_EQ(y, 0xFFFFu);
         }},
        {"ten inches", inches, [](qelTripletParser& p) { EXPECT_EQ(p.getMeasurementResolution(), 1440); }},
        {"ten centimetres", centimetres, [](qelTripletParser& p) { EXPECT_EQ(p.getMeasurementResolution(), 3657); }},
        {"medium map name keeps 8", fqn(0x8D, "MEDIUMMAP123"),
         [](qelTripletParser& p) { EXPECT_STREQ(p.getMediumMapName(), "MEDIUMMA"); }},
        {"medium map name short", fqn(0x8D, "M1"), [](qelTripletParser& p) { EXPECT_STREQ(p.getMediumMapName(), "M1"); }},
        {"CCSID form", cgcs, [](qelTripletParser& p) {
             EXPECT_EQ(p.getCCSID(), 500);
             EXPECT_EQ(p.getCPGID(), 0);
         }},
        {"name of type 1", fqn(0x01, "  OVL1  "),
         [](qelTripletParser& p) { EXPECT_STREQ(p.getFullyQualifiedNameText(), "OVL1"); }},
    };
    for (const Case& c : cases) {
        qelSFIBlock* f = read(0xA8AF, c.data);
        uint32_t m = 0, o = 0;
        EXPECT_EQ(raised([&] { reader().parse(&m, &o, f); }).id, -1) << c.what;
        SCOPED_TRACE(c.what);
        c.check(reader());
        reader().setFullyQualifiedName(nullptr);
    }
}

TEST_F(FieldTest, ValuesThatStopTheField)
{
    Bytes unknownName = {0x38, 0x10, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x06, 0x07, 0x2B, 0x12,
                         0x00, 0x04, 0x01, 0x01, 0x99, 0, 0, 0, 0, 0, 0, 0};
    append(unknownName, ebcdic("SOMETHING ELSE                  "));
    struct Case
    {
        const char* what;
        Bytes data;
        int id;
    } cases[] = {
        {"object classification without type", unknownName, 16},
        {"interchange set", {0x05, 0x18, 0x01, 0x0A, 0x00}, 67},
        {"overlay type", {0x04, 0x46, 0x03, 0x01}, 56},
        {"object function set type", {0x08, 0x21, 0x09, 0x00, 0x80, 0x00, 0x00, 0x00}, 7},
    };
    for (const Case& c : cases) {
        qelSFIBlock* f = read(0xA8AF, c.data);
        uint32_t m = 0, o = 0;
        EXPECT_EQ(raised([&] { reader().parse(&m, &o, f); }).id, c.id) << c.what;
    }
}

TEST_F(FieldTest, ResourceObjectIncludes)
{
    auto roi = [](int type, const char* name, Bytes x) {
        Bytes t = {0x13, 0x6C, static_cast<unsigned char>(type)};
        Bytes n = ebcdic(name);
        n.resize(8, 0x40);
        append(t, n);
        append(t, x);
        append(t, {0x00, 0x00, 0x00, 0x2D, 0x00});
        return t;
    };
    Bytes data = roi(0xDF, "O1", {0x00, 0x00, 0x10});
    append(data, roi(0x5F, "S1", {0xFF, 0xFF, 0xF0}));
    append(data, roi(0xDF, "O2", {0x01, 0x00, 0x00}));
    append(data, roi(0x92, "X1", {0x00, 0x00, 0x00}));
    qelSFIBlock* f = read(0xA7AF, data);
    uint32_t m = 0, o = 1u << 24;
    reader().parse(&m, &o, f);
    qelList* list = reader().getResourceObjectIncludes();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->getCount(), 3);
    struct Expect
    {
        const char* name;
        int x;
    } expected[] = {{"O1", 16}, {"S1", -16}, {"O2", 0x10000}};
    qelListNode* n = list->getHead();
    for (const Expect& e : expected) {
        auto* entry = static_cast<qelResourceObjectInclude*>(n->item);
        EXPECT_STREQ(entry->name, e.name);
        EXPECT_EQ(entry->xOffset, e.x);
        EXPECT_EQ(entry->orientation, 0x2D00);
        n = n->next;
    }
}

TEST_F(FieldTest, MapCodedFontGroups)
{
    // A group as a FOP file writes it.
    Bytes group = fqn(0x86, "C0H200B0");
    append(group, fqn(0x85, "T1V10500"));
    append(group, {0x04, 0x26, 0x00, 0x00});
    append(group, {0x04, 0x24, 0x05, 0x01});
    Bytes data = {static_cast<unsigned char>((group.size() + 2) >> 8), static_cast<unsigned char>(group.size() + 2)};
    append(data, group);
    append(data, {0x00, 0x02});
    qelSFIBlock* f = read(0xAB8A, data);
    f->skip(2);
    qelMappedFontInfo font;
    reader().MCF_Triplets(static_cast<int>(group.size()), f, &font);
    EXPECT_EQ(font.getLocalId(), 1);
    EXPECT_STREQ(font.getCharacterSetName(), "C0H200B0");
    EXPECT_STREQ(font.getCodePageName(), "T1V10500");
    EXPECT_EQ(font.getCharacterRotation(), 0);
    EXPECT_EQ(f->getPosition(), static_cast<int>(group.size()) + 2);

    // Scale before the size, and a global identifier before the descriptor.
    Bytes sized = {0x04, 0x5D, 0x00, 0x78};
    append(sized, {0x0C, 0x02, 0x84, 0x00, 0x01, 0x7B, 0x01, 0xF4, 0x00, 0x0B, 0x00, 0xC8});
    append(sized, {0x0A, 0x1F, 0x05, 0x05, 0x00, 0xF0, 0x00, 0x50, 0x00, 0x00});
    f = read(0xAB8A, sized);
    reader().MCF_Triplets(static_cast<int>(sized.size()), f, &font);
    EXPECT_EQ(font.getVerticalSize(), 120);
    EXPECT_EQ(font.getHorizontalSize(), 100);
    EXPECT_FLOAT_EQ(font.getHorizontalScale(), 0.5f);
    EXPECT_STREQ(font.getCPGID(), "500");
    EXPECT_STREQ(font.getFGID(), "11");

    // A scale without a vertical size stays 0.
    f = read(0xAB8A, {0x04, 0x5D, 0x00, 0x78, 0x0C, 0x02, 0x8E, 0x00, 0xE7, 0xF0, 0xC6, 0xD6, 0xD5, 0xE3, 0x40, 0x40});
    reader().MCF_Triplets(16, f, &font);
    EXPECT_FLOAT_EQ(font.getHorizontalScale(), 0.0f);
    EXPECT_STREQ(font.getCodedFontName(), "X0FONT");
}

// The general and the Map Coded Font readers share their name and local id
// readers but keep their own length limits, warnings and destinations.
TEST_F(FieldTest, FontGroupsKeepTheirOwnRules)
{
    Bytes badType = {0x04, 0x24, 0x09, 0x07};
    struct Case
    {
        const char* what;
        bool font;
        Bytes data;
        int id;
        const char* text;
        bool warned;
    } cases[] = {
        {"name without text", false, fqn(0x86, ""), -1, "Missing (Fully Qualified Name)", false},
        {"name without text in a font", true, fqn(0x86, ""), -1, "Missing (MCF Fully Qualified Name)", true},
        {"name without format", false, {0x03, 0x02, 0x86}, -1, "Missing (Fully Qualified Name)", true},
        {"name of type 1", false, fqn(0x01, "OVL1"), -1, "Invalid type in Fully Qualified Name", false},
        {"name of type 1 in a font", true, fqn(0x01, "OVL1"), -1, "Invalid type in Fully Qualified Name: 0x1", true},
        {"local id of an unknown type", false, badType, -1, "Illegal Resource Type - 0x9", true},
        {"local id of an unknown type in a font", true, cat({fqn(0x85, "T1"), badType}), 54, "Illegal Resource Type - ",
         false},
    };
    for (const Case& c : cases) {
        size_t before = output().size();
        qelMappedFontInfo font;
        int id = raised([&] {
                     if (c.font) {
                         qelSFIBlock* f = read(0xAB8A, c.data);
                         reader().MCF_Triplets(static_cast<int>(c.data.size()), f, &font);
                     } else {
                         qelSFIBlock* f = read(0xA8AF, c.data);
                         uint32_t m = 0, o = 0;
                         reader().parse(&m, &o, f);
                     }
                 }).id;
        EXPECT_EQ(id, c.id) << c.what;
        EXPECT_EQ(output().find(c.text, before) != std::string::npos, c.warned) << c.what << "\n" << output();
        if (c.font) {
            EXPECT_EQ(reader().getFullyQualifiedNameText(), nullptr) << c.what;
        }
    }

    Bytes localId = {0x04, 0x24, 0x05, 0x07};
    qelSFIBlock* f = read(0xA8AF, cat({fqn(0x84, "RES1"), localId}));
    uint32_t m = 0, o = 0;
    reader().parse(&m, &o, f);
    EXPECT_STREQ(reader().getResourceObjectReference(), "RES1");
    EXPECT_EQ(reader().getResourceType(), 5);
    EXPECT_EQ(reader().getResourceLocalId(), 7);

    qelMappedFontInfo font;
    Bytes group = cat({fqn(0x85, "T1V10500"), localId});
    f = read(0xAB8A, group);
    reader().MCF_Triplets(static_cast<int>(group.size()), f, &font);
    EXPECT_EQ(font.getLocalId(), 7);
    EXPECT_EQ(reader().getResourceType(), 0);
    EXPECT_EQ(reader().getResourceLocalId(), 0);
}

// Triplets that do not add up to their group never read into the next one.
TEST_F(FieldTest, GroupsStopAtTheirEnd)
{
    struct Case
    {
        const char* what;
        Bytes data;
        int groupLength;
    } cases[] = {
        {"triplet crosses the group end", {0x03, 0x43, 0x01, 0x04, 0x24, 0x02, 0x01, 0xAA}, 5},
        {"group ends inside a triplet header", {0x03, 0x43, 0x01, 0x04, 0x24, 0x02, 0x01}, 4},
    };
    for (const Case& c : cases) {
        qelSFIBlock* f = read(0xABD8, c.data);
        EXPECT_EQ(raised([&] { reader().repeatedTriplets(0, 0x10, c.groupLength, f); }).id, -1) << c.what;
        EXPECT_EQ(f->getPosition(), c.groupLength) << c.what;
        qelMappedFontInfo font;
        f = read(0xAB8A, c.data);
        EXPECT_EQ(raised([&] { reader().MCF_Triplets(c.groupLength, f, &font); }).id, -1) << c.what;
        EXPECT_EQ(f->getPosition(), c.groupLength) << c.what;
    }
    EXPECT_NE(output().find("does not fit"), std::string::npos);

    qelSFIBlock* f = read(0xABD8, fqn(0x84, "OVL1"));
    EXPECT_EQ(raised([&] { reader().repeatedTriplets(0x1002, 0xC01, 8, f); }).id, 9);
    qelMappedFontInfo font;
    f = read(0xAB8A, {0x04, 0x26, 0x00, 0x00});
    EXPECT_EQ(raised([&] { reader().MCF_Triplets(0, f, &font); }).id, 9);
    EXPECT_EQ(raised([&] { reader().MCF_Triplets(4, f, nullptr); }).id, 53);
    EXPECT_EQ(raised([&] { reader().MCF_Triplets(4, f, &font); }).id, 9);
}

TEST_F(FieldTest, LengthWarningsNameTheOffset)
{
    qelGlobalDSPool::getInstance()->getIni();
    qelSFIBlock* f = read(0xA8AF, {0x04, 0x43, 0x05, 0x00});
    uint32_t m = 0, o = 0x10;
    reader().parse(&m, &o, f);
    EXPECT_EQ(reader().getDescriptorPositionId(), 5);
    EXPECT_NE(output().find("Warning! Missing (Descriptor Position Triplet) Triplet (at 0xc )\n"), std::string::npos)
        << output();
}

} // namespace

// Index values go into the attached entry and element; none attached only
// logs.
TEST_F(FieldTest, IndexValuesFillTheAttachedRecords)
{
    const uint32_t all = 0xFFFFFFFFu;
    Bytes tle = fqn(0x0B, " CUSTOMER ");
    append(tle, fqn(0x0C, "PEL1"));
    append(tle, {0x0A, 0x80, 0x00, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00, 0x02});
    append(tle, {0x09, 0x36, 0x00, 0x00, 0xC1, 0x00, 0xC2, 0x00, 0x00});
    append(tle, fqn(0x87, "PAGE0001"));
    qelSFIBlock* f = read(0xA090, tle);
    qelIndex* entry = reader().createIndexEntry();
    std::unique_ptr<qelIndex> owned(entry);
    uint32_t mandatory = 0;
    uint32_t optional = all;
    EXPECT_EQ(raised([&] { reader().parse(&mandatory, &optional, f); }).id, -1);
    reader().detachIndexEntry();
    EXPECT_STREQ(entry->getName(), "CUSTOMER");
    ASSERT_EQ(entry->getEBCDICNameLength(), 10);
    EXPECT_EQ(entry->getEBCDICName()[0], 0x40) << "raw bytes kept untrimmed";
    EXPECT_STREQ(entry->getProcessElementName(), "PEL1");
    EXPECT_EQ(entry->getSequenceNumber(), 7);
    EXPECT_EQ(entry->getLevelNumber(), 2);
    EXPECT_STREQ(entry->getValue(), "A B") << "NULs become blanks, trailing ones trimmed";
    ASSERT_EQ(entry->getEBCDICValueLength(), 5);
    EXPECT_EQ(entry->getEBCDICValue()[1], 0x00);
    EXPECT_STREQ(entry->getObjectName(), "PAGE0001");
    EXPECT_EQ(entry->getLevel(), 0);

    struct Case
    {
        const char* what;
        Bytes data;
        const char* name;
        const char* groupName;
        const char* pageName;
        int level;
        int32_t offset;
        int32_t count;
    } cases[] = {
        {"page group", fqn(0x0D, "GROUP1"), "GROUP1", nullptr, nullptr, 1, 0, 0},
        {"page", fqn(0x87, "PAGE1"), "PAGE1", nullptr, nullptr, 0, 0, 0},
        {"medium map names the group", fqn(0x8D, "MAP1"), nullptr, "MAP1", nullptr, 1, 0, 0},
        {"index element name", fqn(0xCA, "IEL1"), nullptr, nullptr, "IEL1", 1, 0, 0},
        {"byte offset", {0x06, 0x2D, 0x00, 0x01, 0x00, 0x00}, nullptr, nullptr, nullptr, 1, 0x10000, 0},
        {"offset outside the document", {0x06, 0x2D, 0xFF, 0xFF, 0xFF, 0xFF}, nullptr, nullptr, nullptr, 1, 0, 0},
        {"object count", {0x08, 0x5E, 0xAF, 0x00, 0x00, 0x00, 0x00, 0x0C}, nullptr, nullptr, nullptr, 1, 0, 12},
    };
    for (const Case& c : cases) {
        qelIndexElement element;
        f = read(0xB2A7, c.data);
        reader().attachIndexElement(&element);
        mandatory = 0;
        optional = all;
        EXPECT_EQ(raised([&] { reader().parse(&mandatory, &optional, f); }).id, -1) << c.what;
        reader().detachIndexElement();
        EXPECT_STREQ(element.getName(), c.name) << c.what;
        EXPECT_STREQ(element.getGroupName(), c.groupName) << c.what;
        EXPECT_STREQ(element.getPageName(), c.pageName) << c.what;
        EXPECT_EQ(element.getLevel(), c.level) << c.what;
        EXPECT_EQ(element.getByteOffset(), c.offset) << c.what;
        EXPECT_EQ(element.getSubordinateCount(), c.count) << c.what;

        // Nothing attached: read and logged only.
        f = read(0xB2A7, c.data);
        mandatory = 0;
        optional = all;
        EXPECT_EQ(raised([&] { reader().parse(&mandatory, &optional, f); }).id, -1) << c.what;
    }
}

TEST_F(FieldTest, NamesAreHandedOverOrFreedByTheNextRead)
{
    // Two fields with a Fully Qualified Name each: the first name is taken,
    // the second is left to the reader, which frees it on the next read
    // (leak checks would report it otherwise).
    for (int i = 0; i < 3; ++i) {
        qelSFIBlock* f = read(0xA8AF, fqn(0x01, i == 1 ? "SECOND" : "FIRST"));
        uint32_t m = 0, o = 0x2;
        reader().parse(&m, &o, f);
        if (i == 0) {
            std::unique_ptr<qelString> taken = reader().takeFullyQualifiedName();
            ASSERT_NE(taken, nullptr);
            EXPECT_STREQ(taken->getBuffer(), "FIRST");
            EXPECT_EQ(reader().takeFullyQualifiedName(), nullptr);
        }
    }
    EXPECT_STREQ(reader().getFullyQualifiedNameText(), "FIRST");
}
