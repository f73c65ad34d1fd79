// Font character set resources: the fields in font order, Font Control
// values, Font Index groups and their acceptance ranges, the splitting of
// Font Index and Font Patterns fields, and the management triplets.
#include "AfpWriteSupport.h"

#include "qel/afp/AfpBeginFont.h"
#include "qel/afp/AfpEFTTriplet.h"
#include "qel/afp/AfpFRMTTriplet.h"
#include "qel/afp/AfpFontControl.h"
#include "qel/afp/AfpLDTSTriplet.h"
#include "qel/afp/AfpOOITriplet.h"
#include "qel/afp/AfpRMTTriplet.h"
#include "qel/afp/AfpResCharacterSet.h"

#include <memory>
#include <string>
#include <vector>

using namespace afpwrite;
using qel::afp::CharacterMetricsRecord;
using qel::afp::ResCharacterSet;

namespace
{

class CharacterSetWriteTest : public LibraryTest
{
protected:
    // A set with a Font Control at 240 pels (ten-inch units unless
    // relative).
    std::unique_ptr<ResCharacterSet> newSet(uint16_t kind, uint8_t unitBase = 0, const char* name = "C0TEST10")
    {
        auto cs = std::make_unique<ResCharacterSet>(name, kind);
        cs->initialize();
        cs->addFontControl(0, 240, 240, unitBase, unitBase, 30, 0, 0, 0, 240, 240);
        return cs;
    }
    static FieldDump dumpOf(ResCharacterSet& cs, uint16_t flags = 1)
    {
        const FieldDump dump = dumpFields(written(cs, flags));
        EXPECT_TRUE(dump.problems.empty()) << dump.problems.front();
        return dump;
    }
    static std::vector<const DumpedField*> fieldsOf(const FieldDump& dump, int id)
    {
        std::vector<const DumpedField*> out;
        for (const DumpedField& f : dump.fields)
            if (f.id == id)
                out.push_back(&f);
        return out;
    }
};

CharacterMetricsRecord metrics(const char* name, int16_t increment = 10)
{
    return CharacterMetricsRecord{name, 1, 8, 1, increment, 7, 2, 7};
}

TEST_F(CharacterSetWriteTest, GraphicCharacterIdRule)
{
    const struct
    {
        const char* name;
        const char* id;
    } cases[] = {{"A", "2000000A"}, {"ab", "100000ab"}, {"Ab1", "30000Ab1"}, {"123", "00000123"},
                 {"abcdefg", "1abcdefg"}, {"ABCDEFGHIJ", "ABCDEFGH"}, {"LA020000", "LA020000"}, {"", ""},
                 {nullptr, ""}};
    for (const auto& c : cases)
        EXPECT_EQ(ResCharacterSet::makeGraphicCharacterGID(c.name), c.id) << (c.name ? c.name : "(null)");
}

TEST_F(CharacterSetWriteTest, FontControlValuesByPatternKind)
{
    const struct
    {
        uint16_t kind;
        const char* control;
        const char* maps;
    } cases[] = {
        // Offsets 15 (FNI group length), 17-19 (pattern bytes), 21 (FNM
        // group length) are set for kind 2 only; map index 0, 1.
        {2, "00050000 0000 0960 0960 001D FFFF 1A 1C 00 000008 16 08 0000 0960 0960", "0000 0001"},
        {0, "00050000 0000 0960 0960 001D FFFF 1A 00 00 000000 16 00 0000 0960 0960", "0000 0001"},
        // Kind 1: every index entry names map entry 0.
        {1, "00050000 0000 0960 0960 001D FFFF 1A 00 00 000000 16 00 0000 0960 0960", "0000 0000"},
    };
    for (const auto& c : cases) {
        auto cs = newSet(c.kind);
        const unsigned char p1[3] = {0xF0, 0x90, 0xF0};
        const unsigned char p2[5] = {1, 2, 3, 4, 5};
        const CharacterMetricsRecord a = metrics("A");
        const CharacterMetricsRecord b = metrics("B");
        ASSERT_EQ(cs->addCharacter(&a, nullptr, nullptr, nullptr, p1, 3, 8, 3), 0);
        ASSERT_EQ(cs->addCharacter(&b, nullptr, nullptr, nullptr, p2, 5, 8, 5), 0);
        const FieldDump dump = dumpOf(*cs);
        const auto fnc = fieldsOf(dump, 0xA789);
        ASSERT_EQ(fnc.size(), 1u);
        EXPECT_EQ(fnc[0]->length, 36);
        EXPECT_EQ(toHex(fnc[0]->data), toHex(fromHex(c.control))) << c.kind;
        // Patterns Map: box sizes minus 1, offsets 0 and 3.
        const auto fnm = fieldsOf(dump, 0xA289);
        ASSERT_EQ(fnm.size(), 1u);
        EXPECT_EQ(toHex(fnm[0]->data), toHex(fromHex("0007 0002 00000000 0007 0004 00000003")));
        const auto fni = fieldsOf(dump, 0x8C89);
        ASSERT_EQ(fni.size(), 1u);
        const std::string maps = toHex(fromHex(c.maps));
        EXPECT_EQ(toHex(fni[0]->data),
                  toHex(fromHex("F2F0F0F0F0F0F0C1 000A 0007 0002 0000 " + maps.substr(0, 4) +
                                " 0001 0008 0001 0000 0007"
                                "F2F0F0F0F0F0F0C2 000A 0007 0002 0000 " + maps.substr(4, 4) +
                                " 0001 0008 0001 0000 0007")));
        const auto fng = fieldsOf(dump, 0xEE89);
        ASSERT_EQ(fng.size(), 1u);
        EXPECT_EQ(toHex(fng[0]->data), "F090F00102030405");
    }
}

TEST_F(CharacterSetWriteTest, FontIndexValuesAndAcceptanceRanges)
{
    const struct
    {
        uint8_t unitBase;
        CharacterMetricsRecord m;
        const char* group;
    } cases[] = {
        // Ten-inch units: a B-space of -1 becomes 0; pel values past 256 (a
        // large raster font) are kept as the signed fields carry them.
        {0, {"ab", -257, -1, 256, 1000, 300, -256, 256},
         "F1F0F0F0F0F08182 03E8 012C FF00 0000 0000 FEFF 0000 0100 0000 0100"},
        {0, {"ab", 5, 257, -5, 20, -257, 257, -300},
         "F1F0F0F0F0F08182 0014 FEFF 0101 0000 0000 0005 0101 FFFB 0000 FED4"},
        {0, {"ab", -32768, 32767, 32767, 32767, 32767, -32768, 32767},
         "F1F0F0F0F0F08182 7FFF 7FFF 8000 0000 0000 8000 7FFF 7FFF 0000 7FFF"},
        // Relative units: every value kept.
        {2, {"ab", -257, -1, 256, 1000, 300, -256, 256},
         "F1F0F0F0F0F08182 03E8 012C FF00 0000 0000 FEFF FFFF 0100 0000 0100"},
        // Names: ten letters give eight, an empty name eight blanks.
        {0, {"ABCDEFGHIJ", 0, 0, 0, 0, 0, 0, 0}, "C1C2C3C4C5C6C7C8 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000"},
        {0, {"", 0, 0, 0, 0, 0, 0, 0}, "4040404040404040 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000"},
    };
    for (const auto& c : cases) {
        auto cs = newSet(2, c.unitBase);
        const unsigned char p = 0x80;
        ASSERT_EQ(cs->addCharacter(&c.m, nullptr, nullptr, nullptr, &p, 1, 1, 1), 0);
        const FieldDump dump = dumpOf(*cs);
        const auto fni = fieldsOf(dump, 0x8C89);
        ASSERT_EQ(fni.size(), 1u);
        EXPECT_EQ(toHex(fni[0]->data), toHex(fromHex(c.group))) << c.m.name;
    }
}

TEST_F(CharacterSetWriteTest, FieldsInFontOrderNamesAndFlags)
{
    for (uint16_t flags : {uint16_t(1), uint16_t(0)}) {
        auto cs = newSet(2, 0, "C0LONGNAME");
        cs->addFontDescriptor("Test Face", 5, 5, 100, 110, 90, 1, 2, 3, 4, 5, 6, 0x8000, 0x0155, 2308, "Family",
                              nullptr);
        cs->setResourceManagementInfo(0x12);
        const CharacterMetricsRecord a = metrics("A");
        const unsigned char p = 0xFF;
        cs->addCharacter(&a, nullptr, nullptr, nullptr, &p, 1, 8, 1);
        cs->addFontOrientation(7, 10, 5, 9, 0x02, 10, 5, 10, 12, 1, 0x0000);
        cs->addFontPosition(5, 7, 7, 2, 1, -2, 0);
        const FieldDump dump = dumpOf(*cs, flags);
        const int order[] = {0xA889, 0xA689, 0xA789, 0xA289, 0xAE89, 0xAC89, 0x8C89, 0xEE89, 0xA989};
        ASSERT_EQ(dump.fields.size(), 9u);
        for (size_t i = 0; i < 9; ++i) {
            EXPECT_EQ(dump.fields[i].id, order[i]) << i;
            EXPECT_EQ(dump.fields[i].with5A, flags == 1) << i;
        }
        // Begin Font: the name cut to eight, then its triplet, counted.
        EXPECT_EQ(dump.fields[0].length, 22);
        EXPECT_EQ(toHex(dump.fields[0].data), toHex(cat({name8("C0LONGNA"), fromHex("0663 01 0000 12")})));
        EXPECT_EQ(toHex(dump.fields[8].data), toHex(name8("C0LONGNA")));
        // Descriptor: 80 data bytes, then the family name triplet.
        const Bytes& fnd = dump.fields[1].data;
        ASSERT_GE(fnd.size(), 80u);
        EXPECT_EQ(toHex(Bytes(fnd.begin(), fnd.begin() + 80)),
                  toHex(cat({ebcdic("Test Face", 32),
                             fromHex("05 05 0064 006E 005A 0001 0002 0003 04 05 06"), Bytes(15, 0), fromHex("8000"),
                             Bytes(10, 0), fromHex("0155 0904")})));
        EXPECT_EQ(fnd[81], 0x02);
        EXPECT_EQ(fnd[82], 0x07);
        // Orientation and position groups of rotation 0.
        EXPECT_EQ(toHex(dump.fields[4].data),
                  toHex(fromHex("0000 0000 0007 000A 0005 0009 02 00 000A 0000 0005 000A 000C 0001")));
        EXPECT_EQ(toHex(dump.fields[5].data),
                  toHex(fromHex("0000 0005 0007 0007 0002 00000000000000 0001 00 FFFE")));
    }
}

TEST_F(CharacterSetWriteTest, RotationSlotsAndFontIndexNumbers)
{
    auto cs = newSet(2);
    // Added out of order, and one of no known rotation.
    cs->addFontOrientation(0, 0, 0, 0, 0x01, 0, 0, 0, 0, 0, 0x2D00);
    cs->addFontOrientation(0, 0, 0, 0, 0x02, 0, 0, 0, 0, 0, 0x1234);
    cs->addFontOrientation(0, 0, 0, 0, 0x04, 0, 0, 0, 0, 0, 0x0000);
    cs->addFontPosition(9, 0, 0, 0, 0, 0, 90);
    cs->addFontPosition(1, 0, 0, 0, 0, 0, 0);
    cs->addFontPosition(2, 0, 0, 0, 0, 0, 45);
    const CharacterMetricsRecord a = metrics("A");
    const CharacterMetricsRecord b = metrics("B");
    const unsigned char p = 0xFF;
    cs->addCharacter(&a, &b, nullptr, nullptr, &p, 1, 8, 1);
    const FieldDump dump = dumpOf(*cs);
    const auto fno = fieldsOf(dump, 0xAE89);
    ASSERT_EQ(fno.size(), 1u);
    // Two slotted groups: rotation 0 first, then 90 with Font Index
    // number 1 in bits X'E0'.
    EXPECT_EQ(fno[0]->length, 8 + 2 * 26);
    ASSERT_EQ(fno[0]->data.size(), 52u);
    EXPECT_EQ(fno[0]->data[3], 0x00);
    EXPECT_EQ(fno[0]->data[12], 0x04);
    EXPECT_EQ(fno[0]->data[26 + 2], 0x2D);
    EXPECT_EQ(fno[0]->data[26 + 12], 0x21);
    const auto fnp = fieldsOf(dump, 0xAC89);
    ASSERT_EQ(fnp.size(), 1u);
    EXPECT_EQ(fnp[0]->length, 8 + 2 * 22);
    ASSERT_EQ(fnp[0]->data.size(), 44u);
    EXPECT_EQ(fnp[0]->data[3], 1);
    EXPECT_EQ(fnp[0]->data[22 + 3], 9);
    // One Font Index field per rotation, rotation 0 first.
    const auto fni = fieldsOf(dump, 0x8C89);
    ASSERT_EQ(fni.size(), 2u);
    EXPECT_EQ(toHex(Bytes(fni[0]->data.begin(), fni[0]->data.begin() + 8)), "F2F0F0F0F0F0F0C1");
    EXPECT_EQ(toHex(Bytes(fni[1]->data.begin(), fni[1]->data.begin() + 8)), "F2F0F0F0F0F0F0C2");
}

TEST_F(CharacterSetWriteTest, FontIndexSplitsAfter1160Characters)
{
    for (int count : {1160, 1161}) {
        auto cs = newSet(2);
        const CharacterMetricsRecord a = metrics("A");
        const unsigned char p = 0xFF;
        for (int i = 0; i < count; ++i)
            ASSERT_EQ(cs->addCharacter(&a, nullptr, nullptr, nullptr, &p, 1, 8, 1), 0);
        EXPECT_EQ(cs->getFontIndexCount(0), count == 1160 ? 1 : 2);
        const FieldDump dump = dumpOf(*cs);
        const auto fni = fieldsOf(dump, 0x8C89);
        ASSERT_EQ(fni.size(), count == 1160 ? 1u : 2u);
        EXPECT_EQ(fni[0]->length, 32488);
        if (count == 1161) {
            EXPECT_EQ(fni[1]->length, 36);
            // The last group names map entry 1160.
            EXPECT_EQ(fni[1]->data[16], 0x04);
            EXPECT_EQ(fni[1]->data[17], 0x88);
        }
        // Both Font Index fields come before the patterns.
        size_t lastFni = 0;
        size_t firstFng = 0;
        for (size_t i = 0; i < dump.fields.size(); ++i) {
            if (dump.fields[i].id == 0x8C89)
                lastFni = i;
            if (dump.fields[i].id == 0xEE89 && !firstFng)
                firstFng = i;
        }
        EXPECT_EQ(firstFng, lastFni + 1);
    }
}

TEST_F(CharacterSetWriteTest, FontPatternsSplitAtTheFieldLimit)
{
    const struct
    {
        std::vector<uint16_t> patterns;
        std::vector<size_t> fields;
    } cases[] = {
        // 30,000 bytes plus 15,000 would pass 32,492: a new field.
        {{15000, 15000, 15000}, {30000, 15000}},
        // Exactly 32,492 fit one field.
        {{32000, 492}, {32492}},
        {{32000, 493}, {32000, 493}},
        // A pattern larger than a whole field fills the current one and
        // goes on in the next.
        {{100, 40000}, {32492, 7608}},
        {{65535}, {32492, 32492, 551}},
    };
    for (const auto& c : cases) {
        auto cs = newSet(2);
        const CharacterMetricsRecord a = metrics("A");
        std::vector<uint32_t> offsets;
        uint32_t total = 0;
        Bytes all;
        for (uint16_t n : c.patterns) {
            Bytes pattern(n);
            for (size_t i = 0; i < pattern.size(); ++i)
                pattern[i] = static_cast<unsigned char>(i * 7 + n);
            ASSERT_EQ(cs->addCharacter(&a, nullptr, nullptr, nullptr, pattern.data(), n, 8, 1), 0);
            offsets.push_back(total);
            total += n;
            append(all, pattern);
        }
        const FieldDump dump = dumpOf(*cs);
        const auto fng = fieldsOf(dump, 0xEE89);
        ASSERT_EQ(fng.size(), c.fields.size()) << c.patterns.size();
        Bytes joined;
        for (size_t i = 0; i < fng.size(); ++i) {
            EXPECT_EQ(fng[i]->data.size(), c.fields[i]) << i;
            EXPECT_LE(fng[i]->length, 32500);
            append(joined, fng[i]->data);
        }
        EXPECT_EQ(joined, all);
        // Offsets count the pattern bytes across fields.
        const auto fnm = fieldsOf(dump, 0xA289);
        ASSERT_EQ(fnm.size(), 1u);
        for (size_t i = 0; i < offsets.size(); ++i) {
            const unsigned char* g = fnm[0]->data.data() + 8 * i + 4;
            EXPECT_EQ(static_cast<uint32_t>((g[0] << 24) | (g[1] << 16) | (g[2] << 8) | g[3]), offsets[i]);
        }
        const auto fnc = fieldsOf(dump, 0xA789);
        EXPECT_EQ(static_cast<uint32_t>((fnc[0]->data[17] << 16) | (fnc[0]->data[18] << 8) | fnc[0]->data[19]),
                  total);
    }
}

TEST_F(CharacterSetWriteTest, CharactersPastTheCountsAreRefused)
{
    RecordingLogger& log = record();
    // The three-byte pattern count.
    {
        auto cs = newSet(2);
        const CharacterMetricsRecord a = metrics("A");
        const Bytes pattern(65535, 0x55);
        for (int i = 0; i < 256; ++i)
            ASSERT_EQ(cs->addCharacter(&a, nullptr, nullptr, nullptr, pattern.data(), 65535, 8, 1), 0);
        EXPECT_EQ(cs->addCharacter(&a, nullptr, nullptr, nullptr, pattern.data(), 256, 8, 1), -1);
        EXPECT_EQ(cs->addCharacter(&a, nullptr, nullptr, nullptr, pattern.data(), 255, 8, 1), 0);
        EXPECT_EQ(cs->getPatternByteTotal(), 0xFFFFFFu);
        EXPECT_EQ(cs->getCharacterCount(), 257u);
        EXPECT_NE(log.lines.find("ERROR"), std::string::npos);
    }
    // The Font Patterns Map's length.
    {
        log.lines.clear();
        auto cs = newSet(2);
        const CharacterMetricsRecord a = metrics("A");
        for (uint32_t i = 0; i < ResCharacterSet::kMaxCharacters; ++i)
            ASSERT_EQ(cs->addCharacter(&a, nullptr, nullptr, nullptr, nullptr, 0, 1, 1), 0);
        EXPECT_EQ(cs->addCharacter(&a, nullptr, nullptr, nullptr, nullptr, 0, 1, 1), -1);
        EXPECT_NE(log.lines.find("ERROR"), std::string::npos);
        const FieldDump dump = dumpOf(*cs);
        const auto fnm = fieldsOf(dump, 0xA289);
        ASSERT_EQ(fnm.size(), 1u);
        EXPECT_EQ(fnm[0]->length, static_cast<int>(8 + 8 * ResCharacterSet::kMaxCharacters));
    }
}

TEST_F(CharacterSetWriteTest, ManagementTriplets)
{
    struct Case
    {
        std::unique_ptr<qel::afp::Triplet> triplet;
        uint8_t id;
        const char* bytes;
    };
    Case cases[] = {
        {std::make_unique<qel::afp::LDTSTriplet>(0, 0x0102, 0x030405, 6, 7, 8, 9, 3), 0x97,
         "11 62 03 00 0102 030405 0006 0007 0008 0009"},
        // 1971-01-02 01:01:01 UTC: before 2000, day 1 counted from 0.
        {std::make_unique<qel::afp::LDTSTriplet>(time_t(86400 * 366 + 3661)), 0x97,
         "11 62 00 40 0000 000001 0001 0001 0001 0000"},
        // 2000-03-01 12:00:00 UTC.
        {std::make_unique<qel::afp::LDTSTriplet>(time_t(951912000)), 0x97,
         "11 62 00 00 0000 00003C 000C 0000 0000 0000"},
        {std::make_unique<qel::afp::RMTTriplet>(0x1234), 0x94, "06 63 01 0000 34"},
        {std::make_unique<qel::afp::FRMTTriplet>(0x01020304, 0x05, 0x0607, 0x08090A, 0x0B0C, 0x0D0E, 0x0F10,
                                                 0x1112),
         0x84, "15 63 02 01020304 05 0607 08090A 0B0C 0D0E 0F10 1112"},
        {std::make_unique<qel::afp::EFTTriplet>(0x0155), 0x98, "04 6D 0155"},
    };
    for (Case& c : cases) {
        EXPECT_EQ(c.triplet->getId(), c.id);
        EXPECT_EQ(toHex(written(*c.triplet, 1)), toHex(fromHex(c.bytes)));
    }
    // Object Origin Identifier: texts translated over their zero-filled
    // width; an absent text stays zero.
    qel::afp::OOITriplet ooi("HOST", "MEDIUMLONG", nullptr, 2);
    EXPECT_EQ(ooi.getId(), 0x96);
    EXPECT_EQ(ooi.evaluateLength(), 61);
    EXPECT_EQ(toHex(written(ooi, 1)),
              toHex(cat({fromHex("3D 64 02"), ebcdic("HOST", 8), ebcdic("MEDIUM", 6), Bytes(44, 0)})));
    EXPECT_EQ(ooi.write(nullptr, 1, nullptr), -1);
    // The Font Control's extension value adds its triplet.
    ResCharacterSet cs("C0EXT", 2);
    cs.initialize();
    cs.addFontControl(0, 240, 240, 0, 0, 1, 1, 0, 0x0155, 240, 240);
    const FieldDump dump = dumpOf(cs);
    const auto fnc = fieldsOf(dump, 0xA789);
    ASSERT_EQ(fnc.size(), 1u);
    EXPECT_EQ(fnc[0]->length, 40);
    EXPECT_EQ(toHex(Bytes(fnc[0]->data.end() - 4, fnc[0]->data.end())), "046D0155");
}

} // namespace
