// The page definition in memory: the descriptor table and its chains, the
// fixed data, the data-map cursor, the page-definition field writers and
// the page definition resource that holds one.
#include "AfpWriteSupport.h"

#include "qel/afp/AfpActiveEnvironmentGroup.h"
#include "qel/afp/AfpBeginDataMap.h"
#include "qel/afp/AfpBeginDataMapTransmissionSubcase.h"
#include "qel/afp/AfpBeginPageMap.h"
#include "qel/afp/AfpCCPRepeatingGroup.h"
#include "qel/afp/AfpConditionalProcessingControl.h"
#include "qel/afp/AfpDataMap.h"
#include "qel/afp/AfpDataMapTransmissionSubcaseDescriptor.h"
#include "qel/afp/AfpEndDataMap.h"
#include "qel/afp/AfpEndDataMapTransmissionSubcase.h"
#include "qel/afp/AfpEndPageMap.h"
#include "qel/afp/AfpFQNTriplet.h"
#include "qel/afp/AfpFixedDataSize.h"
#include "qel/afp/AfpFixedDataText.h"
#include "qel/afp/AfpLineDescriptor.h"
#include "qel/afp/AfpLineDescriptorCount.h"
#include "qel/afp/AfpResPageDefinition.h"

#include "qelResPageDef.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace afpwrite;

namespace
{

using qel::afp::DataMap;
using qel::afp::LineDescriptor;

class PageDefinitionTest : public LibraryTest
{
};

struct Link
{
    int channel;
    int skip;
    int space;
};

// A data map with a count field and one descriptor per link.
std::unique_ptr<DataMap> mapWith(const std::vector<Link>& links, int count = -1)
{
    auto map = std::make_unique<DataMap>();
    map->addLineDescriptorCount(
        new qel::afp::LineDescriptorCount(static_cast<uint16_t>(count < 0 ? links.size() : count)));
    for (const Link& l : links) {
        auto* d = new LineDescriptor();
        d->setChannelCode(static_cast<uint8_t>(l.channel));
        d->setNextIfSkipping(static_cast<uint16_t>(l.skip));
        d->setNextIfSpacing(static_cast<uint16_t>(l.space));
        map->addLineDescriptor(d);
    }
    return map;
}

int number(const LineDescriptor* d)
{
    return d ? d->getIndex() : 0;
}

TEST_F(PageDefinitionTest, DescriptorTableNumbersFromOne)
{
    auto map = mapWith({{1, 0, 2}, {2, 0, 3}, {3, 0, 0}});
    EXPECT_EQ(map->getLineDescriptorCount(), 3);
    EXPECT_EQ(map->getLineDescriptor(0), nullptr);
    for (unsigned n = 1; n <= 3; ++n)
        EXPECT_EQ(number(map->getLineDescriptor(n)), static_cast<int>(n));
    EXPECT_EQ(map->getLineDescriptor(4), nullptr);
    EXPECT_EQ(map->getLineDescriptor(70000), nullptr);
}

TEST_F(PageDefinitionTest, DescriptorsBeyondTheCountStayAddressable)
{
    // Two announced, four added; and one map without any count field.
    auto map = mapWith({{1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}}, 2);
    EXPECT_EQ(number(map->getLineDescriptor(4)), 4);
    EXPECT_EQ(map->getLineDescriptor(4)->getChannelCode(), 4);
    EXPECT_EQ(map->getLineDescriptor(5), nullptr);
    DataMap bare;
    bare.addLineDescriptor(new LineDescriptor());
    bare.addLineDescriptor(new LineDescriptor());
    EXPECT_EQ(number(bare.getLineDescriptor(2)), 2);
    // A later count starts numbering again.
    bare.addLineDescriptorCount(new qel::afp::LineDescriptorCount(1));
    EXPECT_EQ(bare.getLineDescriptor(1), nullptr);
    bare.addLineDescriptor(new LineDescriptor());
    EXPECT_EQ(number(bare.getLineDescriptor(1)), 1);
}

TEST_F(PageDefinitionTest, ChannelSearches)
{
    struct Case
    {
        const char* what;
        std::vector<Link> links;
        int channel;
        unsigned start;
        bool wrap;
        int expected;
    } cases[] = {
        {"no skip link: the start itself", {{9, 0, 0}, {5, 0, 0}}, 5, 1, false, 1},
        {"found along the chain", {{1, 2, 0}, {2, 3, 0}, {3, 1, 0}}, 3, 1, false, 3},
        {"chain back to its first link", {{1, 2, 0}, {2, 3, 0}, {3, 2, 0}}, 7, 1, false, 0},
        {"self link ends the walk", {{1, 2, 0}, {2, 2, 0}}, 7, 1, false, 0},
        {"wrap: from descriptor 1 below the first link", {{5, 0, 0}, {1, 2, 0}, {2, 4, 0}, {3, 4, 0}}, 5, 2, true, 1},
        {"wrap ignored from descriptor 1", {{1, 2, 0}, {2, 2, 0}}, 1, 1, true, 0},
        {"circle that passes neither first nor self link",
         {{1, 2, 0}, {2, 3, 0}, {3, 4, 0}, {4, 3, 0}}, 9, 1, false, 0},
        {"link to a missing descriptor", {{1, 7, 0}}, 1, 1, false, 0},
    };
    for (const Case& c : cases) {
        auto map = mapWith(c.links);
        EXPECT_EQ(number(map->findLineDescriptorByChannelCode(c.channel, c.start, c.wrap)), c.expected) << c.what;
    }
    // The range walk stops at its bound and at circles.
    auto map = mapWith({{1, 2, 0}, {2, 3, 0}, {3, 4, 0}, {4, 2, 0}});
    EXPECT_EQ(number(map->findLineDescriptorInRange(3, 1, 3)), 3);
    EXPECT_EQ(map->findLineDescriptorInRange(4, 1, 3), nullptr);
    EXPECT_EQ(map->findLineDescriptorInRange(9, 1, 0), nullptr);
}

TEST_F(PageDefinitionTest, Spacing)
{
    auto map = mapWith({{0, 0, 2}, {0, 0, 3}, {0, 0, 1}, {0, 0, 0}, {0, 0, 5}});
    struct Case
    {
        int count;
        unsigned start;
        int expected;
    } cases[] = {{0, 2, 2}, {-3, 4, 4}, {0, 9, 0}, {1, 1, 2}, {2, 1, 3}, {3, 1, 1}, {7, 1, 2},
                 {1, 4, 0}, {1, 5, 5}, {2, 5, 0}, {1, 9, 0},
                 // Counts beyond the circle 1-2-3 land where the walk would.
                 {1000000000, 1, 2}, {1000000001, 2, 1}, {2147483647, 3, 1}};
    for (const Case& c : cases)
        EXPECT_EQ(number(map->getLineDescriptorAfterSpacing(c.count, c.start)), c.expected)
            << c.count << " from " << c.start;
}

TEST_F(PageDefinitionTest, FixedData)
{
    DataMap map;
    char dst[32];
    EXPECT_EQ(map.getFixedData(dst, 0, 4), -1);
    map.addFixedDataSize(new qel::afp::FixedDataSize(10));
    auto* text = new qel::afp::FixedDataText();
    const unsigned char abc[] = {0xC1, 0xC2, 0xC3};
    text->setData(abc, 3);
    map.addFixedDataText(text);
    struct Case
    {
        int position;
        int length;
        int expected;
    } cases[] = {{0, 3, 3}, {1, 30, 10}, {11, 4, 0}, {12, 1, -2}, {-1, 2, -1}, {2, -5, 0}, {10, 1, 1}};
    for (const Case& c : cases) {
        std::memset(dst, 0x55, sizeof dst);
        EXPECT_EQ(map.getFixedData(dst, c.position, c.length), c.expected) << c.position << "," << c.length;
        if (c.expected <= 0) {
            EXPECT_EQ(dst[0], 0);
        }
    }
    std::memset(dst, 0, sizeof dst);
    map.getFixedData(dst, 0, 3);
    EXPECT_EQ(std::string(dst, 3), "\xC1\xC2\xC3");
    // A new size drops the text; text without a size grows the data.
    map.addFixedDataSize(new qel::afp::FixedDataSize(2));
    EXPECT_EQ(map.getFixedData(dst, 0, 3), 3);
    EXPECT_EQ(std::string(dst, 3), std::string(3, '\0'));
    DataMap unsized;
    auto* more = new qel::afp::FixedDataText();
    more->setData(abc, 3);
    unsized.addFixedDataText(more);
    EXPECT_EQ(unsized.getFixedData(dst, 1, 5), 2);
}

TEST_F(PageDefinitionTest, DataMapCursorAndLookUps)
{
    qel::afp::ResPageDefinition pagedef;
    EXPECT_EQ(pagedef.getFirstDataMap(), nullptr);
    EXPECT_EQ(pagedef.getNextDataMap(), nullptr);
    for (const char* name : {"DM1", "DM2", static_cast<const char*>(nullptr)}) {
        auto* map = new DataMap();
        if (name)
            map->addBeginDataMap(new qel::afp::BeginDataMap(name));
        pagedef.addDataMap(map);
    }
    pagedef.addDataMap(nullptr);
    DataMap* first = pagedef.getFirstDataMap();
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first->getName(), "DM1");
    EXPECT_STREQ(pagedef.getNextDataMap()->getName(), "DM2");
    EXPECT_EQ(pagedef.getNextDataMap()->getName(), nullptr);
    EXPECT_EQ(pagedef.getNextDataMap(), nullptr);
    EXPECT_EQ(pagedef.getNextDataMap(), first);
    EXPECT_EQ(pagedef.findDataMap("dm1"), first);
    EXPECT_EQ(pagedef.findDataMap("DM"), nullptr);
    EXPECT_EQ(pagedef.findDataMap(nullptr), nullptr);
    EXPECT_EQ(pagedef.findDataMap(""), nullptr);

    for (int id : {7, 0x10007}) {
        auto* control = new qel::afp::ConditionalProcessingControl();
        control->setId(static_cast<uint16_t>(id));
        pagedef.addConditionalProcessing(control);
    }
    qel::afp::ConditionalProcessingControl* seven = pagedef.findConditionalProcessingControl(7);
    ASSERT_NE(seven, nullptr);
    EXPECT_EQ(pagedef.findConditionalProcessingControl(0x70007), seven);
    EXPECT_EQ(pagedef.findConditionalProcessingControl(8), nullptr);
    seven->setPreviousText("LINE");
    pagedef.resetConditionalProcessing();
    EXPECT_EQ(seven->getPreviousText(), nullptr);
    EXPECT_EQ(seven->getPreviousTextLength(), 0);
    EXPECT_EQ(pagedef.initialize(), 0);
    EXPECT_TRUE(pagedef.isInitialized());
    EXPECT_EQ(pagedef.finalize(), 0);
    EXPECT_FALSE(pagedef.isInitialized());
}

TEST_F(PageDefinitionTest, FieldWriters)
{
    qel::afp::BeginDataMap none;
    qel::afp::BeginDataMap record("DM1");
    record.setFlag(qel::afp::BeginDataMap::FORMAT_RECORD);
    qel::afp::BeginPageMap bareMap;
    qel::afp::EndPageMap endMap("P1LONGNAME");
    qel::afp::LineDescriptorCount count(0x0102);
    qel::afp::FixedDataSize size(10);
    qel::afp::DataMapTransmissionSubcaseDescriptor descriptor("X");
    qel::afp::EndDataMap endData("DM1");
    qel::afp::BeginDataMapTransmissionSubcase beginSubcase;
    qel::afp::EndDataMapTransmissionSubcase endSubcase("DX");
    struct Case
    {
        const char* what;
        qel::Writable* field;
        const char* hex;
    } cases[] = {
        {"Begin Data Map without name or format", &none, "5A0010D3A8CA000000 4040404040404040"},
        {"Begin Data Map with format 1", &record, "5A0011D3A8CA000000 C4D4F14040404040 01"},
        {"Begin Page Map without name", &bareMap, "5A0008D3A8CB000000"},
        {"End Page Map cuts the name", &endMap, "5A0010D3A9CB000000 D7F1D3D6D5C7D5C1"},
        {"Line Descriptor Count", &count, "5A000AD3AAE7000000 0102"},
        {"Fixed Data Size", &size, "5A000AD3AAEC000000 000A"},
        {"Subcase descriptor", &descriptor, "5A000CD3A6E3000000 000100FF"},
        {"End Data Map", &endData, "5A0010D3A9CA000000 C4D4F14040404040"},
        {"Begin Subcase without name", &beginSubcase, "5A0008D3A8E3000000"},
        {"End Subcase", &endSubcase, "5A0010D3A9E3000000 C4E74040404040 40"},
    };
    for (const Case& c : cases) {
        int rc = 1;
        EXPECT_EQ(toHex(written(*c.field, 1, &rc)), toHex(fromHex(c.hex))) << c.what;
        EXPECT_EQ(rc, 0) << c.what;
        // Written twice, the same bytes.
        EXPECT_EQ(toHex(written(*c.field, 1)), toHex(fromHex(c.hex))) << c.what;
        EXPECT_EQ(written(*c.field, 0, &rc), Bytes()) << c.what;
        EXPECT_EQ(rc, -1) << c.what;
        EXPECT_EQ(c.field->write(nullptr, 1, nullptr), -1) << c.what;
    }
    // Fixed Data Text: -2 without text before the flag test; translated
    // once, in place.
    qel::afp::FixedDataText text;
    int rc = 0;
    EXPECT_EQ(written(text, 0, &rc), Bytes());
    EXPECT_EQ(rc, -2);
    text.setData(reinterpret_cast<const unsigned char*>("AB"), 2);
    EXPECT_EQ(written(text, 0, &rc), Bytes());
    EXPECT_EQ(rc, -1);
    EXPECT_EQ(toHex(written(text, 1)), "5A000AD3EEEC000000C1C2");
    EXPECT_EQ(toHex(Bytes(text.getData(), text.getData() + 2)), "C1C2");
    // The page definition and the data map write nothing.
    qel::afp::ResPageDefinition pagedef;
    DataMap map;
    EXPECT_EQ(written(pagedef, 1, &rc), Bytes());
    EXPECT_EQ(rc, -1);
    EXPECT_EQ(written(map, 1, &rc), Bytes());
    EXPECT_EQ(rc, -1);
}

// A page definition built field by field as the reader builds one.
struct BuiltDefinition
{
    qel::afp::ResPageDefinition* pagedef = new qel::afp::ResPageDefinition();
    std::vector<qel::Writable*> fields; // in file order, for the dump
};

BuiltDefinition buildDefinition()
{
    BuiltDefinition b;
    auto* bpm = new qel::afp::BeginPageMap("P1TEST");
    b.pagedef->addBeginPageMap(bpm);
    b.fields.push_back(bpm);

    auto* map = new DataMap();
    auto* bdm = new qel::afp::BeginDataMap("DM1");
    bdm->setFlag(qel::afp::BeginDataMap::FORMAT_TRADITIONAL);
    bdm->addTriplet(new qel::afp::FQNTriplet(0xBE, "COMMENT"));
    map->addBeginDataMap(bdm);
    b.fields.push_back(bdm);
    auto* group = new qel::afp::ActiveEnvironmentGroup(0, 0, 2400, 2400, 1984, 2806, 0, 0, 2400, 2400, 1984, 2806);
    map->setActiveEnvironmentGroup(group);
    b.fields.push_back(group);
    auto* bdx = new qel::afp::BeginDataMapTransmissionSubcase("DX1");
    map->addBeginDataMapTransmissionSubcase(bdx);
    b.fields.push_back(bdx);
    auto* dxd = new qel::afp::DataMapTransmissionSubcaseDescriptor();
    map->addDataMapTransmissionSubcaseDescriptor(dxd);
    b.fields.push_back(dxd);
    auto* ldc = new qel::afp::LineDescriptorCount(3);
    map->addLineDescriptorCount(ldc);
    b.fields.push_back(ldc);
    const struct
    {
        int channel;
        int skip;
        int space;
        const char* token;
    } lines[] = {{1, 2, 2, "AB"}, {2, 3, 3, nullptr}, {3, 1, 1, "TOKEN123X"}};
    int i = 0;
    for (const auto& l : lines) {
        auto* d = new LineDescriptor();
        d->setFlags(LineDescriptor::FLAG_SKIP | LineDescriptor::FLAG_SPACE);
        d->setInlinePosition(static_cast<uint16_t>(100 + i));
        d->setBaselinePosition(static_cast<uint16_t>(200 + 60 * i));
        d->setTextOrientation(0x00002D00);
        d->setFontLocalId(1);
        d->setChannelCode(static_cast<uint8_t>(l.channel));
        d->setNextIfSkipping(static_cast<uint16_t>(l.skip));
        d->setNextIfSpacing(static_cast<uint16_t>(l.space));
        d->setSuppressionTokenName(l.token);
        d->setDataStart(static_cast<uint32_t>(1 + 10 * i));
        d->setDataLength(10);
        d->setTextColor(0xFF02);
        d->setConditionalProcessingId(static_cast<uint16_t>(i == 2 ? 5 : 0));
        map->addLineDescriptor(d);
        b.fields.push_back(d);
        ++i;
    }
    auto* fds = new qel::afp::FixedDataSize(4);
    map->addFixedDataSize(fds);
    b.fields.push_back(fds);
    auto* fdx = new qel::afp::FixedDataText();
    fdx->setData(reinterpret_cast<const unsigned char*>("HEAD"), 4);
    map->addFixedDataText(fdx);
    b.fields.push_back(fdx);
    auto* edx = new qel::afp::EndDataMapTransmissionSubcase("DX1");
    map->addEndDataMapTransmissionSubcase(edx);
    b.fields.push_back(edx);
    auto* edm = new qel::afp::EndDataMap("DM1");
    map->addEndDataMap(edm);
    b.fields.push_back(edm);
    b.pagedef->addDataMap(map);

    auto* control = new qel::afp::ConditionalProcessingControl();
    control->setId(5);
    control->setNextId(0xFFFF);
    control->setFlags(qel::afp::ConditionalProcessingControl::BEFORE_SUBPAGE);
    control->addRepeatingGroup(new qel::afp::CCPRepeatingGroup(4, nullptr, "DM1", "ABCD", "\xC1\xC2\xC3\xC4", 1, 0,
                                                                2, qel::afp::CCPRepeatingGroup::EQUAL));
    control->addRepeatingGroup(new qel::afp::CCPRepeatingGroup(4, "M1", nullptr, "XY", "\xE7\xE8\x00\x00", 0x81, 2,
                                                                0, qel::afp::CCPRepeatingGroup::NOT_EQUAL));
    b.pagedef->addConditionalProcessing(control);
    b.fields.push_back(control);
    auto* epm = new qel::afp::EndPageMap("P1TEST");
    b.pagedef->addEndPageMap(epm);
    b.fields.push_back(epm);
    return b;
}

TEST_F(PageDefinitionTest, BuiltDefinitionWritesItsFields)
{
    BuiltDefinition b = buildDefinition();
    std::unique_ptr<qel::afp::ResPageDefinition> owner(b.pagedef);
    Bytes bytes;
    for (qel::Writable* field : b.fields)
        append(bytes, written(*field, 1));
    const FieldDump dump = dumpFields(bytes);
    EXPECT_TRUE(dump.problems.empty()) << dump.problems.front();
    EXPECT_EQ(dump.text(), readText(std::string(LORBANE_TEST_DATA) + "/afpwrite/page-definition.dump"));
    // The first descriptor: token AB at 18-25, data start at 27-30.
    const DumpedField* lnd = nullptr;
    for (const DumpedField& f : dump.fields)
        if (f.id == 0xA6E7 && !lnd)
            lnd = &f;
    ASSERT_NE(lnd, nullptr);
    EXPECT_EQ(lnd->length, 0x30);
    EXPECT_EQ(toHex(Bytes(lnd->data.begin() + 18, lnd->data.begin() + 31)), "C1C24040404040400000000001");
}

TEST_F(PageDefinitionTest, ResourceForwardsToItsDefinition)
{
    qelResPageDef empty("P1NONE");
    EXPECT_EQ(empty.findDataMap("DM1"), nullptr);
    EXPECT_EQ(empty.getFirstDataMap(), nullptr);
    EXPECT_EQ(empty.getNextDataMap(), nullptr);
    EXPECT_EQ(empty.findConditionalProcessingControl(5), nullptr);
    empty.resetConditionalProcessing();
    EXPECT_EQ(empty.describe(), nullptr);

    qelResPageDef resource("P1TEST");
    BuiltDefinition first = buildDefinition();
    resource.setPageDefinition(first.pagedef);
    // A second definition frees the first (the sanitizer sees a leak else).
    BuiltDefinition b = buildDefinition();
    resource.setPageDefinition(b.pagedef);
    resource.setPageDefinition(b.pagedef);
    EXPECT_EQ(resource.getPageDefinition(), b.pagedef);
    EXPECT_EQ(resource.findDataMap("dm1"), b.pagedef->findDataMap("DM1"));
    EXPECT_NE(resource.findDataMap("DM1"), nullptr);
    EXPECT_EQ(resource.getFirstDataMap(), b.pagedef->findDataMap("DM1"));
    EXPECT_EQ(resource.getNextDataMap(), nullptr);
    EXPECT_EQ(resource.getNextDataMap(), b.pagedef->findDataMap("DM1"));
    qel::afp::ConditionalProcessingControl* control = resource.findConditionalProcessingControl(5);
    ASSERT_EQ(control, b.pagedef->findConditionalProcessingControl(5));
    ASSERT_NE(control, nullptr);
    EXPECT_NE(control->evaluate("ABCD", 4), nullptr);
    EXPECT_NE(control->getPreviousText(), nullptr);
    resource.resetConditionalProcessing();
    EXPECT_EQ(control->getPreviousText(), nullptr);
    // The data map answers through the resource as through the definition.
    DataMap* map = resource.findDataMap("DM1");
    EXPECT_EQ(number(map->findLineDescriptorByChannelCode(3, 1, false)), 3);
    EXPECT_EQ(number(map->getLineDescriptorAfterSpacing(4, 1)), 2);
    char dst[8] = {};
    EXPECT_EQ(map->getFixedData(dst, 0, 4), 4);
}

} // namespace
