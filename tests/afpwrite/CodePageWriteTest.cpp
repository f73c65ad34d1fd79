// Code page resources: the five fields, graphic character ids of the
// index entries, counts and lengths.
#include "AfpWriteSupport.h"

#include "qel/afp/AfpBeginCodePage.h"
#include "qel/afp/AfpCPIRepeatingGroup.h"
#include "qel/afp/AfpCodePageControl.h"
#include "qel/afp/AfpCodePageDescriptor.h"
#include "qel/afp/AfpCodePageIndex.h"
#include "qel/afp/AfpRMTTriplet.h"
#include "qel/afp/AfpResCodePage.h"

#include <string>

using namespace afpwrite;

namespace
{

class CodePageWriteTest : public LibraryTest
{
};

// Drops the X'5A' of each field of a run of fields made by field().
Bytes strip5A(const Bytes& fields)
{
    Bytes out;
    size_t at = 0;
    while (at + 3 <= fields.size() && fields[at] == 0x5A) {
        const size_t length = (fields[at + 1] << 8) | fields[at + 2];
        out.insert(out.end(), fields.begin() + static_cast<long>(at) + 1,
                   fields.begin() + static_cast<long>(at + 1 + length));
        at += 1 + length;
    }
    return out;
}

TEST_F(CodePageWriteTest, GraphicCharacterIdsOfIndexEntries)
{
    const struct
    {
        const char* name;
        const char* bytes;
    } cases[] = {
        {"A", "F2F0F0F0F0F0F0C1"},         // 2000000A
        {"123", "F0F0F0F0F0F1F2F3"},       // 00000123
        {"abcdefg", "F1818283848586 87"},  // 1abcdefg
        {"Ab1", "F3F0F0F0F0C182F1"},       // 30000Ab1
        {"LONGNAME9", "D3D6D5C7D5C1D4C5"}, // first eight
        {"LA020000", "D3C1F0F2F0F0F0F0"},  // eight kept as they are
        {"", "F0F0F0F0F0F0F0F0"},          // eight '0'
        {nullptr, "F0F0F0F0F0F0F0F0"},     // no name: as an empty one
    };
    for (const auto& c : cases) {
        qel::afp::CPIRepeatingGroup group(c.name, 0x02, 0xC1);
        EXPECT_EQ(group.evaluateLength(), 10);
        int rc = 0;
        // Groups never write X'5A'.
        EXPECT_EQ(toHex(written(group, 1, &rc)), toHex(cat({fromHex(c.bytes), {0x02, 0xC1}})))
            << (c.name ? c.name : "(null)");
        EXPECT_EQ(rc, 0);
    }
}

TEST_F(CodePageWriteTest, SmallCodePageWithOrWithout5A)
{
    qel::afp::ResCodePage cp("T1TESTNAME");
    cp.initialize();
    cp.setDescriptorDetails("Test", 0x0123, 0x01F4, 0x6100);
    cp.addCodePageIndexEntry("a", 0x00, 0x81);
    cp.addCodePageIndexEntry("SP010000", 0x00, 0x40);
    cp.setControlDetails("a", 0x80, 0, 0x40, 0x00, 10);
    const Bytes expected = cat({
        field(0xA887, fromHex("E3F1E3C5E2E3D5C1")), // T1TESTNA: cut to eight
        field(0xA687, cat({ebcdic("Test", 32), fromHex("0008" "00000002" "0123" "01F4" "6100")})),
        field(0xA787, fromHex("F1F0F0F0F0F0F081" "80" "0A" "00" "40" "00")),
        field(0x8C87, fromHex("F1F0F0F0F0F0F081 00 81" "E2D7F0F1F0F0F0F0 00 40")),
        field(0xA987, fromHex("E3F1E3C5E2E3D5C1")),
    });
    ASSERT_EQ(expected.size(), 17u + 53u + 22u + 29u + 17u);
    MemoryOutput out;
    EXPECT_EQ(cp.write(out.stream(), 1, nullptr), 0);
    EXPECT_EQ(toHex(out.bytes()), toHex(expected));

    // Bit 0 clear: the same fields without X'5A'.
    qel::afp::ResCodePage plain("T1TESTNAME");
    plain.initialize();
    plain.setDescriptorDetails("Test", 0x0123, 0x01F4, 0x6100);
    plain.addCodePageIndexEntry("a", 0x00, 0x81);
    plain.addCodePageIndexEntry("SP010000", 0x00, 0x40);
    plain.setControlDetails("a", 0x80, 0, 0x40, 0x00, 10);
    MemoryOutput out0;
    EXPECT_EQ(plain.write(out0.stream(), 0, nullptr), 0);
    EXPECT_EQ(toHex(out0.bytes()), toHex(strip5A(expected)));
}

TEST_F(CodePageWriteTest, FullCodePageHas2568ByteIndex)
{
    qel::afp::ResCodePage cp("T1V10500");
    cp.initialize();
    cp.setDescriptorDetails("T1V10500", 0, 0, 0);
    for (int i = 0; i < 256; ++i)
        cp.addCodePageIndexEntry(("N" + std::to_string(i)).c_str(), 0, static_cast<uint8_t>(i));
    cp.setControlDetails("N0", 0, 0, 0x40, 0, 10);
    EXPECT_EQ(cp.getEntryCount(), 256u);
    const Bytes bytes = written(cp, 1);
    const FieldDump dump = dumpFields(bytes);
    ASSERT_TRUE(dump.problems.empty()) << dump.problems.front();
    ASSERT_EQ(dump.fields.size(), 5u);
    const int ids[] = {0xA887, 0xA687, 0xA787, 0x8C87, 0xA987};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(dump.fields[i].id, ids[i]);
    // Descriptor: no encoding scheme, 50 bytes; description blank-filled;
    // X'0008' and the count 256.
    EXPECT_EQ(dump.fields[1].length, 50);
    EXPECT_EQ(toHex(dump.fields[1].data), toHex(cat({ebcdic("T1V10500", 32), fromHex("0008 00000100 0000 0000")})));
    // Control: default character = the first group's character.
    EXPECT_EQ(toHex(Bytes(dump.fields[2].data.begin(), dump.fields[2].data.begin() + 8)), toHex(ebcdic("200000N0")));
    EXPECT_EQ(dump.fields[2].data[9], 0x0A);
    EXPECT_EQ(dump.fields[3].length, 2568);
    EXPECT_EQ(toHex(Bytes(dump.fields[3].data.begin(), dump.fields[3].data.begin() + 10)),
              toHex(cat({ebcdic("200000N0"), {0x00, 0x00}})));
    EXPECT_EQ(toHex(Bytes(dump.fields[3].data.end() - 10, dump.fields[3].data.end())),
              toHex(cat({ebcdic("2000N255"), {0x00, 0xFF}})));
}

TEST_F(CodePageWriteTest, DescriptorControlAndIndexEdges)
{
    // Without description: 32 zero bytes; X'0008' always.
    qel::afp::CodePageDescriptor none;
    EXPECT_EQ(toHex(written(none, 0)),
              toHex(strip5A(field(0xA687, fromHex(std::string(64, '0') + "0008" + std::string(16, '0'))))));
    // A long description is cut at 32 characters.
    qel::afp::CodePageDescriptor longText("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", 1, 2, 0);
    const Bytes d = written(longText, 0);
    EXPECT_EQ(Bytes(d.begin() + 8, d.begin() + 40), ebcdic("ABCDEFGHIJKLMNOPQRSTUVWXYZ012345"));
    // Empty control: blanks, group length 10.
    qel::afp::CodePageControl control;
    EXPECT_EQ(toHex(written(control, 0)), toHex(strip5A(field(0xA787, fromHex("4040404040404040 00 0A 00 00 00")))));
    qel::afp::CodePageControl emptyName("", 0, 0, 0, 0, 12);
    EXPECT_EQ(toHex(written(emptyName, 0)), toHex(strip5A(field(0xA787, fromHex("F0F0F0F0F0F0F0F0 00 0C 00 00 00")))));
    // Two entries for one code point: both written, the table keeps the
    // later.
    qel::afp::CodePageIndex index;
    index.addEntry("A", 0, 0xC1);
    index.addEntry("B", 0, 0xC1);
    EXPECT_STREQ(index.getEntry(0xC1)->getGraphCharID(), "2000000B");
    EXPECT_EQ(toHex(written(index, 0)),
              toHex(strip5A(field(0x8C87, fromHex("F2F0F0F0F0F0F0C1 00 C1 F2F0F0F0F0F0F0C2 00 C1")))));
    EXPECT_EQ(index.write(nullptr, 1, nullptr), -1);
    // Management triplets travel in Begin Code Page and are counted.
    qel::afp::ResCodePage cp("T1X");
    cp.setResourceManagementInfo(1); // no Begin Code Page yet: nothing
    cp.initialize();
    cp.setResourceManagementInfo(0x1234);
    const FieldDump dump = dumpFields(written(cp, 1));
    ASSERT_GE(dump.fields.size(), 2u);
    EXPECT_EQ(dump.fields[0].length, 22);
    EXPECT_EQ(toHex(dump.fields[0].data), toHex(cat({name8("T1X"), fromHex("0663 01 0000 34")})));
}

TEST_F(CodePageWriteTest, IndexRefusesEntriesPastItsLength)
{
    RecordingLogger& log = record();
    qel::afp::CodePageIndex index;
    for (int i = 0; i < qel::afp::CodePageIndex::kMaxGroups; ++i)
        ASSERT_EQ(index.addEntry("A", 0, static_cast<uint8_t>(i)), 0);
    EXPECT_EQ(index.addEntry("A", 0, 0), -1);
    EXPECT_EQ(index.getCount(), qel::afp::CodePageIndex::kMaxGroups);
    EXPECT_EQ(8 + index.getDataLength(), 8 + 10 * qel::afp::CodePageIndex::kMaxGroups);
    EXPECT_LE(8 + index.getDataLength(), 0xFFFF);
    EXPECT_NE(log.lines.find("ERROR"), std::string::npos);
}

} // namespace
