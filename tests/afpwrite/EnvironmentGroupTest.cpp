// The active environment group: descriptors, font and overlay tables, the
// map fields built from them, and Map Coded Font format 1.
#include "AfpWriteSupport.h"

#include "qel/afp/AfpActiveEnvironmentGroup.h"
#include "qel/afp/AfpMCF1RepeatingGroup.h"
#include "qel/afp/AfpMapCodedFont.h"
#include "qel/afp/AfpMapCodedFont1.h"
#include "qel/afp/AfpMappedFontEntry.h"
#include "qel/afp/AfpPageDescriptor.h"
#include "qel/afp/AfpPresentationTextDescriptor.h"
#include "qel/afp/AfpStructuredField.h"
#include "qel/afp/OutputProfile.h"
#include "qel/afp/ResFont.h"

#include "qelAEGParser.h"
#include "qelGlobalDSPool.h"
#include "qelIOStream.h"
#include "qelList.h"
#include "qelMappedFontInfo.h"
#include "qelMappedRes.h"
#include "qelPtocaPage.h"

#include <cstdlib>
#include <memory>
#include <string>

using namespace afpwrite;

namespace
{

using Group = qel::afp::ActiveEnvironmentGroup;

std::unique_ptr<Group> pageGroup()
{
    return std::make_unique<Group>(0, 0, 2400, 2400, 1984, 2806, 0, 0, 2400, 2400, 1984, 2806);
}

std::vector<int> fieldIds(const Bytes& bytes)
{
    std::vector<int> ids;
    for (const DumpedField& f : dumpFields(bytes).fields)
        ids.push_back(f.id);
    return ids;
}

// An include whose name the group maps.
std::unique_ptr<qel::afp::StructuredField> include(const char* name)
{
    auto field = std::make_unique<qel::afp::StructuredField>();
    field->setName(name);
    return field;
}

class EnvironmentGroupTest : public LibraryTest
{
};

TEST_F(EnvironmentGroupTest, DescriptorsAreByteEqualToFops)
{
    const FieldDump fop = dumpFields(readFile(LORBANE_TEST_DATA "/fop/fop-hello.afp"));
    ASSERT_TRUE(fop.problems.empty());
    qel::afp::PageDescriptor pgd(0, 0, 2400, 2400, 1984, 2806);
    qel::afp::PresentationTextDescriptor ptd(0, 0, 2400, 2400, 1984, 2806);
    struct Case
    {
        int id;
        qel::Writable* field;
    } cases[] = {{0xA6AF, &pgd}, {0xB19B, &ptd}};
    for (const Case& c : cases) {
        const DumpedField* theirs = nullptr;
        for (const DumpedField& f : fop.fields)
            if (f.id == c.id && !theirs)
                theirs = &f;
        ASSERT_NE(theirs, nullptr);
        const FieldDump ours = dumpFields(written(*c.field, 1));
        ASSERT_EQ(ours.fields.size(), 1u);
        EXPECT_TRUE(ours.problems.empty());
        EXPECT_EQ(ours.fields[0].length, theirs->length);
        EXPECT_EQ(ours.fields[0].data, theirs->data) << std::hex << c.id;
        EXPECT_EQ(c.field->write(nullptr, 1, nullptr), -1);
    }
    // Ten centimeters and an invalid base are written as they are.
    qel::afp::PageDescriptor odd(1, 7, 1000, 1000, 100, 200);
    RecordingLogger& log = record();
    EXPECT_EQ(toHex(written(odd)), "0017D3A6AF000000010703E803E80000640000C8000000");
    EXPECT_NE(log.lines.find("Page unit base for X axis (XpgBase): ten centimeters"), std::string::npos);
    EXPECT_NE(log.lines.find("Page unit base for Y axis (YpgBase): invalid value( 7 )"), std::string::npos);
}

TEST_F(EnvironmentGroupTest, PageWithoutTextOrOverlayWritesBeginPageDescriptorEnd)
{
    RecordingLogger& log = record();
    auto group = pageGroup();
    group->setPresentationTextPresent(0);
    int rc = 5;
    const Bytes out = written(*group, 1, &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(fieldIds(out), (std::vector<int>{0xA8C9, 0xA6AF, 0xA9C9}));
    EXPECT_EQ(group->getPresentationTextDescriptor(), nullptr);
    EXPECT_NE(log.lines.find("\tNone of the resource has been mapped"), std::string::npos);
    EXPECT_NE(log.lines.find("\tNone of the overlay resource has been mapped"), std::string::npos);
    EXPECT_EQ(group->write(nullptr, 1, nullptr), -1);
}

TEST_F(EnvironmentGroupTest, FieldsAddedBeforeTheWriteStandAfterTheBegin)
{
    auto group = pageGroup();
    auto* nop = new qel::afp::StructuredField();
    const Bytes data = field(0xEEEE, Bytes{0x40});
    nop->setData(data.data() + 1, static_cast<int>(data.size() - 1));
    group->addStructuredField(nop, 2);
    qel::ResFont font("Courier", 10.0f, 0, false, 0);
    group->generateFontLocalId(&font);
    auto oly = include("OLY1");
    group->generateOlyLocalId(oly.get());
    EXPECT_EQ(fieldIds(written(*group)), (std::vector<int>{0xA8C9, 0xEEEE, 0xAB8A, 0xABD8, 0xA6AF, 0xB19B, 0xA9C9}));
}

TEST_F(EnvironmentGroupTest, LocalIdsOfFonts)
{
    struct Font
    {
        const char* name;
        const char* cfn;
        const char* cs;
        const char* cp;
        float size;
        int weight;
        bool italic;
    };
    struct Case
    {
        const char* what;
        std::vector<Font> fonts;
        std::vector<int> ids;
    } cases[] = {
        {"same font, size, weight and italic",
         {{"Helvetica", nullptr, "C0H200A0", "T1V10500", 10, 0, false},
          {"Helvetica", nullptr, "C0H200A0", "T1V10500", 10, 0, false}},
         {1, 1}},
        {"only the size differs",
         {{"Helvetica", nullptr, "C0H200A0", "T1V10500", 10, 0, false},
          {"Helvetica", nullptr, "C0H200A0", "T1V10500", 12, 0, false}},
         {1, 2}},
        {"bold and italic count",
         {{"Times", "X0T", nullptr, nullptr, 10, 0, false},
          {"Times", "X0T", nullptr, nullptr, 10, 2, false},
          {"Times", "X0T", nullptr, nullptr, 10, 0, true},
          {"Times", "X0T", nullptr, nullptr, 10, 2, false}},
         {1, 2, 3, 2}},
        {"font names compare case-sensitively",
         {{"Helvetica", "X0H", nullptr, nullptr, 10, 0, false}, {"helvetica", "X0H", nullptr, nullptr, 10, 0, false}},
         {1, 2}},
        {"coded font DEFAULT never matches by that name",
         {{"Helvetica", "DEFAULT", nullptr, nullptr, 10, 0, false},
          {"Helvetica", "DEFAULT", nullptr, nullptr, 10, 0, false}},
         {1, 2}},
        {"a code page alone matches nothing",
         {{"Helvetica", nullptr, nullptr, "T1V10500", 10, 0, false},
          {"Helvetica", nullptr, nullptr, "T1V10500", 10, 0, false},
          {"Helvetica", nullptr, nullptr, "T1V10500", 10, 0, false}},
         {1, 2, 3}},
        {"character set and code page must both agree",
         {{"Helvetica", nullptr, "C0H200A0", "T1V10500", 10, 0, false},
          {"Helvetica", nullptr, "C0H200A0", "T1000850", 10, 0, false}},
         {1, 2}},
        {"a font without names takes the first entry of its family",
         {{"Helvetica", "X0H", nullptr, nullptr, 10, 0, false}, {"Helvetica", nullptr, nullptr, nullptr, 10, 0, false}},
         {1, 1}},
    };
    for (const Case& c : cases) {
        auto group = pageGroup();
        std::vector<std::unique_ptr<qel::ResFont>> fonts;
        std::vector<int> ids;
        for (const Font& f : c.fonts) {
            fonts.push_back(std::make_unique<qel::ResFont>(f.name, f.cfn, f.cs, f.cp, f.size, f.weight, f.italic, 0));
            qel::afp::MappedFontEntry* entry = group->generateFontLocalId(fonts.back().get());
            ids.push_back(entry ? entry->localId : -1);
        }
        EXPECT_EQ(ids, c.ids) << c.what;
    }
    auto group = pageGroup();
    EXPECT_EQ(group->generateFontLocalId(nullptr), nullptr);
}

TEST_F(EnvironmentGroupTest, FontWithoutNamesGetsBuiltNames)
{
    auto group = pageGroup();
    qel::ResFont helvetica("Helvetica", 10.0f, 0, false, 0);
    helvetica.setINICodePageName("T1V10500");
    helvetica.setTranslateText(0);
    qel::afp::MappedFontEntry* entry = group->generateFontLocalId(&helvetica);
    ASSERT_NE(entry, nullptr);
    EXPECT_STREQ(entry->characterSetName, "C0H20000");
    EXPECT_STREQ(entry->codePageName, "T1V10500");
    EXPECT_STREQ(helvetica.getCharacterSetName(), "C0H20000");
    EXPECT_STREQ(helvetica.getCodePageName(), "T1V10500");
    // Built names leave the translation switch alone; AFP names set it.
    EXPECT_EQ(helvetica.isTranslateText(), 0);
    qel::ResFont named("Courier", nullptr, "C0420000", "T1V10500", 10.0f, 0, false, 0);
    named.setTranslateText(0);
    group->generateFontLocalId(&named);
    EXPECT_EQ(named.isTranslateText(), 1);
    // The coded font name of an entry goes to a font without names.
    qel::ResFont coded("Times", "X0TIMES", nullptr, nullptr, 10.0f, 0, false, 0);
    qel::ResFont bare("Times", 10.0f, 0, false, 0);
    group->generateFontLocalId(&coded);
    EXPECT_EQ(group->generateFontLocalId(&bare)->localId, 3);
    EXPECT_STREQ(bare.getCodedFontName(), "X0TIMES");
}

TEST_F(EnvironmentGroupTest, BuildNameCodes)
{
    struct Case
    {
        const char* name;
        float height;
        bool bold;
        bool italic;
        const char* expected;
    } cases[] = {
        {"Courier", 10, false, false, "C0420000"},
        {"Times New Roman", 12, true, true, "C0N500B0"},
        {"Helvetica", 10, false, false, "C0H20000"},
        {"HELVETICA", 8, false, true, "C0H30080"},
        {"Letter Gothic", 5.5f, true, false, "C0540060"},
        {"Gothic Text", 9.9f, false, false, "C0620090"},
        {"Prestige Elite", 11, false, false, "C07200A0"},
        {"Boldface", 36, false, false, "C08200Z0"},
        {"OCR-A", 37, false, false, "C09200Z0"},
        {"BookMaster", 20, false, false, "C0B200J0"},
        {"IBM Logo", 6, false, false, "C0I20060"},
        {"courier", 10, false, false, "C0H20000"},
        {"Arial", 1000000, false, false, "C0H200Z0"},
    };
    for (const Case& c : cases) {
        char* name = Group::buildName(c.name, c.height, c.bold, c.italic);
        ASSERT_NE(name, nullptr) << c.name;
        EXPECT_STREQ(name, c.expected) << c.name;
        std::free(name);
    }
    EXPECT_EQ(Group::buildName(nullptr, 10, false, false), nullptr);
    EXPECT_EQ(Group::buildName("Courier", 0, false, false), nullptr);
    EXPECT_EQ(Group::buildName("Courier", -1, false, false), nullptr);
}

TEST_F(EnvironmentGroupTest, FullTableReusesEqualFontsAndRefusesNewOnes)
{
    RecordingLogger& log = record();
    auto group = pageGroup();
    std::vector<std::unique_ptr<qel::ResFont>> fonts;
    // Fonts with a code page alone never match: each takes an entry.
    for (int i = 0; i < Group::MAX_FONTS; ++i) {
        fonts.push_back(std::make_unique<qel::ResFont>("Helvetica", nullptr, nullptr, "T1V10500",
                                                       static_cast<float>(i + 1), 0, false, 0));
        ASSERT_EQ(group->generateFontLocalId(fonts.back().get())->localId, i + 1);
    }
    qel::ResFont again("Helvetica", nullptr, nullptr, "T1V10500", 17.0f, 0, false, 0);
    qel::afp::MappedFontEntry* entry = group->generateFontLocalId(&again);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->localId, 17);
    qel::ResFont other("Courier", nullptr, nullptr, "T1V10500", 17.0f, 0, false, 0);
    EXPECT_EQ(group->generateFontLocalId(&other), nullptr);
    EXPECT_NE(log.lines.find("[ZUZovo] ERROR   : \tNo font local id left for font Courier"), std::string::npos);
    // The map field holds all 254.
    const FieldDump dump = dumpFields(written(*group));
    EXPECT_TRUE(dump.problems.empty());
    ASSERT_GE(dump.fields.size(), 2u);
    EXPECT_EQ(dump.fields[1].id, 0xAB8A);
    EXPECT_EQ(dump.fields[1].length, 8 + Group::MAX_FONTS * (2 + 12 + 4));
}

TEST_F(EnvironmentGroupTest, MapCodedFontGroups)
{
    struct Case
    {
        const char* what;
        qel::ResFont font;
        int type;
        std::string group;
    };
    Case cases[] = {
        {"coded font", {"Helvetica", "X0H", "C0H200A0", "T1V10500", 10, 0, false, 0}, 1,
         "0012 0C028E00E7F0C84040404040 04240501"},
        {"character set and code page of eight", {"Helvetica", nullptr, "C0H200A0", "T1V10500", 10, 0, false, 0}, 1,
         "001E 0C028600C3F0C8F2F0F0C1F0 0C028500E3F1E5F1F0F5F0F0 04240501"},
        {"long character set name whole", {"Helvetica", nullptr, "C0H200A0XY", nullptr, 10, 0, false, 0}, 1,
         "0014 0E028600C3F0C8F2F0F0C1F0E7E8 04240501"},
        {"outline, bold", {"Helvetica", nullptr, "C0H200A0", "T1V10500", 12, 2, false, 0}, 3,
         "0032 0C028600C3F0C8F2F0F0C1F0 0C028500E3F1E5F1F0F5F0F0 141F0705 00F0 0000 00 00000000000000000000 60 04240501"},
        {"outline, italic", {"Helvetica", nullptr, "C0H200A0", "T1V10500", 10.5f, 0, true, 0}, 4,
         "0032 0C028600C3F0C8F2F0F0C1F0 0C028500E3F1E5F1F0F5F0F0 141F0505 00D2 0000 81 00000000000000000000 60 04240501"},
    };
    for (Case& c : cases) {
        auto group = pageGroup();
        c.font.setType(c.type);
        group->generateFontLocalId(&c.font);
        const FieldDump dump = dumpFields(written(*group));
        EXPECT_TRUE(dump.problems.empty()) << c.what;
        ASSERT_GE(dump.fields.size(), 2u);
        EXPECT_EQ(dump.fields[1].id, 0xAB8A) << c.what;
        EXPECT_EQ(toHex(dump.fields[1].data), toHex(fromHex(c.group))) << c.what;
    }
}

TEST_F(EnvironmentGroupTest, OverlaysAreMappedPerInclude)
{
    auto group = pageGroup();
    auto first = include("OLY1");
    auto longName = include("OVERLAY12");
    auto unnamed = include("");
    EXPECT_EQ(group->generateOlyLocalId(first.get()), 0);
    EXPECT_EQ(group->generateOlyLocalId(first.get()), 1);
    EXPECT_EQ(group->generateOlyLocalId(longName.get()), 2);
    EXPECT_EQ(group->generateOlyLocalId(unnamed.get()), -1);
    EXPECT_EQ(group->generateOlyLocalId(nullptr), -1);
    const FieldDump dump = dumpFields(written(*group));
    ASSERT_GE(dump.fields.size(), 2u);
    EXPECT_EQ(dump.fields[1].id, 0xABD8);
    EXPECT_EQ(toHex(dump.fields[1].data), toHex(fromHex("0012 0C028400D6D3E8F140404040 04240201"
                                                        "0012 0C028400D6D3E8F140404040 04240202"
                                                        "0013 0D028400D6E5C5D9D3C1E8F1F2 04240203")));
    // A full table refuses further overlays.
    auto full = pageGroup();
    for (int i = 0; i < Group::MAX_OVERLAYS; ++i)
        ASSERT_EQ(full->generateOlyLocalId(first.get()), i);
    EXPECT_EQ(full->generateOlyLocalId(first.get()), -1);
}

TEST_F(EnvironmentGroupTest, WrittenGroupReadsBackThroughTheEnvironmentGroupParser)
{
    auto group = pageGroup();
    qel::ResFont courier("Courier", nullptr, "C0420000", "T1V10500", 10, 0, false, 0);
    qel::ResFont coded("Times", "X0TIMES", nullptr, nullptr, 12, 2, false, 0);
    group->generateFontLocalId(&courier);
    group->generateFontLocalId(&coded);
    auto oly = include("OLY1");
    group->generateOlyLocalId(oly.get());
    Bytes bytes = written(*group, 1);
    append(bytes, field(0xA9AF, Bytes(8, 0x40)));
    qelIOStream reader(bytes.data(), static_cast<int>(bytes.size()));
    reader.rewind();
    qelIOStream::setCurrent(&reader);
    qelPtocaPage page;
    qelAEGParser* parser = qelGlobalDSPool::getInstance()->getAEGParser();
    qelSFIBlock* begin = parser->readNextSF();
    ASSERT_EQ(begin->getId(), 0xA8C9);
    parser->parse(&page, begin);
    qelIOStream::setCurrent(nullptr);
    EXPECT_EQ(page.getWidth(), 1984u);
    EXPECT_EQ(page.getHeight(), 2806u);
    EXPECT_EQ(output().find("Warning"), std::string::npos) << output();
}

TEST_F(EnvironmentGroupTest, MapCodedFontFormat1)
{
    qel::afp::MapCodedFont1 field;
    field.setRepeatingGroupLength(28);
    for (int id : {0, 200, 255, 128, 253})
        field.addRepeatingGroup(id, 0, "X0A", "C0A", "T1A", -1);
    EXPECT_EQ(field.getRepeatingGroups(), nullptr);
    EXPECT_EQ(field.getFirstRepeatingGroup(), nullptr);
    int rc = 0;
    EXPECT_EQ(written(field, 1, &rc), Bytes());
    EXPECT_EQ(rc, -1);
    field.addRepeatingGroup(254, 3, "X0COUR", "C0420000", "T1V10500", -1);
    field.addRepeatingGroup(1, 0, nullptr, "C0H200A0", "T1V10500", -1);
    // Ids are taken modulo 256.
    EXPECT_EQ(field.getRepeatingGroup(254 + 256)->getSectionId(), 3);
    EXPECT_EQ(field.getFirstRepeatingGroup()->getLocalId(), 1);
    // The names go coded font, code page, character set, as readers
    // expect them.
    EXPECT_EQ(toHex(written(field, 1)), toHex(fromHex("5A0044D3B18A0000001C000000"
                                                        "FE000300 E7F0C3D6E4D94040 E3F1E5F1F0F5F0F0 C3F0F4F2F0F0F0F0"
                                                        "01000000 0000000000000000 E3F1E5F1F0F5F0F0 C3F0C8F2F0F0C1F0")));
    // A rotation gives the 30-byte group; a later group takes the slot and
    // both are written.
    qel::afp::MapCodedFont1 rotated;
    rotated.setRepeatingGroupLength(30);
    rotated.addRepeatingGroup(5, 0, "X0LONGERNAME", nullptr, "AB", 90);
    rotated.addRepeatingGroup(5, 1, "X0SECOND", nullptr, nullptr, 0xFFFF);
    EXPECT_EQ(rotated.getRepeatingGroup(5)->getSectionId(), 1);
    const Bytes out = written(rotated);
    EXPECT_EQ(out.size(), 12u + 30u + 28u);
    EXPECT_EQ(toHex(Bytes(out.begin() + 12, out.begin() + 42)),
              toHex(fromHex("05000000 E7F0D3D6D5C7C5D9 C1C2404040404040 0000000000000000 005A")));
}

TEST_F(EnvironmentGroupTest, MapCodedFontFormat1NamesReadBackInPlace)
{
    Group group;
    auto* pgd = new qel::afp::PageDescriptor(0, 0, 2400, 2400, 1984, 2806);
    group.addPageDescriptor(pgd);
    auto* mcf = new qel::afp::MapCodedFont1();
    mcf->setRepeatingGroupLength(28);
    mcf->addRepeatingGroup(1, 0, nullptr, "C0H200A0", "T1V10500", -1);
    mcf->addRepeatingGroup(2, 0, "X0COURIE", "C0420000", "T1000850", -1);
    group.addMapCodedFont1(mcf);
    group.setPresentationTextPresent(0);
    Bytes bytes = written(group, 1);
    append(bytes, field(0xA9AF, Bytes(8, 0x40)));
    qelIOStream reader(bytes.data(), static_cast<int>(bytes.size()));
    reader.rewind();
    qelIOStream::setCurrent(&reader);
    qelPtocaPage page;
    qelAEGParser* parser = qelGlobalDSPool::getInstance()->getAEGParser();
    parser->parse(&page, parser->readNextSF());
    qelIOStream::setCurrent(nullptr);
    std::vector<qelMappedRes*> mapped;
    for (qelListNode* n = page.getMappedResources() ? page.getMappedResources()->getHead() : nullptr; n; n = n->next)
        mapped.push_back(static_cast<qelMappedRes*>(n->item));
    ASSERT_EQ(mapped.size(), 2u);
    EXPECT_EQ(mapped[0]->getLocalId(), 1);
    EXPECT_STREQ(mapped[0]->getName(), "C0H200A0");
    ASSERT_NE(mapped[0]->getFontInfo(), nullptr);
    EXPECT_STREQ(mapped[0]->getFontInfo()->getCharacterSetName(), "C0H200A0");
    EXPECT_STREQ(mapped[0]->getFontInfo()->getCodePageName(), "T1V10500");
    EXPECT_STREQ(mapped[1]->getName(), "X0COURIE");
    EXPECT_STREQ(mapped[1]->getFontInfo()->getCharacterSetName(), "C0420000");
    EXPECT_STREQ(mapped[1]->getFontInfo()->getCodePageName(), "T1000850");
    EXPECT_EQ(output().find("Warning"), std::string::npos) << output();
}

TEST_F(EnvironmentGroupTest, MappedResourcesComeFromTheFirstMappingField)
{
    Group group;
    EXPECT_EQ(group.getMappedResource(1), nullptr);
    EXPECT_EQ(group.getFirstMappedRes(), nullptr);
    auto* first = new qel::afp::MapCodedFont1();
    first->addRepeatingGroup(7, 0, "X0FIRST", "C0FIRST", "T1FIRST", 180);
    first->addRepeatingGroup(3, 0, "X0THREE", nullptr, nullptr, -1);
    auto* second = new qel::afp::MapCodedFont1();
    second->addRepeatingGroup(7, 0, "X0SECOND", nullptr, nullptr, -1);
    second->addRepeatingGroup(9, 0, "X0NINE", nullptr, nullptr, -1);
    group.addMapCodedFont1(first);
    group.addMapCodedFont1(second);
    std::unique_ptr<qel::afp::MappedFontEntry> seven(group.getMappedResource(7));
    ASSERT_NE(seven, nullptr);
    EXPECT_STREQ(seven->codedFontName, "X0FIRST");
    EXPECT_STREQ(seven->characterSetName, "C0FIRST");
    EXPECT_STREQ(seven->codePageName, "T1FIRST");
    EXPECT_EQ(seven->characterRotation, 180);
    // The names are the field's own.
    EXPECT_EQ(seven->codedFontName, first->getRepeatingGroup(7)->getCodedFontName());
    std::unique_ptr<qel::afp::MappedFontEntry> nine(group.getMappedResource(9 + 256));
    ASSERT_NE(nine, nullptr);
    EXPECT_STREQ(nine->codedFontName, "X0NINE");
    EXPECT_EQ(group.getMappedResource(4), nullptr);
    std::unique_ptr<qel::afp::MappedFontEntry> lowest(group.getFirstMappedRes());
    ASSERT_NE(lowest, nullptr);
    EXPECT_EQ(lowest->localId, 3);
    // The fields are in the group's list too.
    EXPECT_EQ(group.getFields()->getCount(), 2);
}

TEST_F(EnvironmentGroupTest, HeldDescriptorsAreReleasedOnce)
{
    // Never written: the group deletes them itself (the sanitizer checks
    // the rest).
    { auto group = pageGroup(); }
    {
        Group group;
        auto* pgd = new qel::afp::PageDescriptor(0, 0, 1440, 1440, 100, 100);
        group.addPageDescriptor(pgd);
        EXPECT_EQ(group.getPageDescriptor(), pgd);
        EXPECT_EQ(pgd->getReferenceCount(), 1);
        EXPECT_EQ(fieldIds(written(group)), (std::vector<int>{0xA8C9, 0xA6AF, 0xA6AF, 0xA9C9}));
    }
}

} // namespace
