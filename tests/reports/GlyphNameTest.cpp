#include "ReportTestSupport.h"

#include "qelGcgidUnicodeMap.h"
#include "qelList.h"

#include <fstream>
#include <string>

using reporttest::raisedId;

namespace {

class GlyphNameTest : public reporttest::ReportTest
{
protected:
    void writeTable(const std::string& text)
    {
        std::ofstream(m_dir + "/gcgid2unicode.def", std::ios::binary) << text;
        ini()->setCpPath((m_dir + "/").c_str());
    }
};

TEST_F(GlyphNameTest, EntryLinesAndBadLines)
{
    writeTable("; glyph names\n"
               "LA010000=0041\r\n"
               " la020000 = 0061 ; small a\n"
               "\n"
               "   \t\n"
               "SP010000=20\n"
               ";LA030000=0042\n"
               "XX000000=12345\n"
               "XX000001=00G1\n"
               "XX000002=\n"
               "=0041\n"
               "no equals sign\n"
               "LA010000=0058\n"
               "ND010000=31");
    openLog("ALL");
    qelGcgidUnicodeMap table;
    qelGcgidUnicodeMap::loadUnicodeTable(&table);
    EXPECT_TRUE(table.isLoaded());
    EXPECT_EQ(table.file, nullptr);
    ASSERT_NE(table.entries, nullptr);
    EXPECT_EQ(table.entries->getCount(), 5);

    struct Case
    {
        const char* name;
        int value;
    } cases[] = {
        {"La010000", 0x41}, {"LA020000", 0x61}, {"SP010000", 0x20}, {"ND010000", 0x31},
        {"LA030000", -1},   {"XX000000", -1},   {"XX000001", -1},   {"XX000002", -1},
        {"", -1},           {nullptr, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(qelGcgidUnicodeMap::findUnicodeValue(&table, c.name), c.value) << (c.name ? c.name : "(null)");

    std::string log = logText();
    for (const char* bad : {"XX000000=12345", "XX000001=00G1", "XX000002=", "=0041", "no equals sign"})
        EXPECT_NE(log.find(std::string("Warning! gcgid2unicode.def: No matching unicode entry: ") + bad + "\n"),
                  std::string::npos)
            << bad;
    EXPECT_EQ(log.find("No matching unicode entry: LA010000"), std::string::npos);
}

TEST_F(GlyphNameTest, MissingFileLeavesTheTableUnloaded)
{
    ini()->setCpPath((m_dir + "/none/").c_str());
    qelGcgidUnicodeMap table;
    qelGcgidUnicodeMap::loadUnicodeTable(&table);
    EXPECT_FALSE(table.isLoaded());
    EXPECT_EQ(qelGcgidUnicodeMap::findUnicodeValue(&table, "LA010000"), -1);
    EXPECT_NE(output().find("gcgid2unicode.def"), std::string::npos);

    qelGcgidUnicodeMap::addUnicodeEntry(&table, nullptr, 1);
    EXPECT_EQ(table.entries, nullptr);
    qelGcgidUnicodeMap::addUnicodeEntry(&table, "A", 1);
    EXPECT_EQ(qelGcgidUnicodeMap::findUnicodeValue(&table, "a"), 1);
    qelGcgidUnicodeMap::clearUnicodeTable(&table);
    EXPECT_EQ(table.entries, nullptr);
}

TEST_F(GlyphNameTest, OverlongLineIsDroppedWhole)
{
    // The tail of a line beyond the line limit must not pass as an entry.
    writeTable(std::string(1100, 'A') + "=0041\nLA010000=0041\n");
    qelGcgidUnicodeMap table;
    qelGcgidUnicodeMap::loadUnicodeTable(&table);
    ASSERT_NE(table.entries, nullptr);
    EXPECT_EQ(table.entries->getCount(), 1);
    EXPECT_EQ(qelGcgidUnicodeMap::findUnicodeValue(&table, "LA010000"), 0x41);
}

TEST_F(GlyphNameTest, ShippedTableLoads)
{
    ini()->setCpPath(LORBANE_SOURCE_DIR "/data/");
    openLog("ALL");
    qelGcgidUnicodeMap table;
    qelGcgidUnicodeMap::loadUnicodeTable(&table);
    ASSERT_TRUE(table.isLoaded());
    EXPECT_EQ(qelGcgidUnicodeMap::findUnicodeValue(&table, "LA020000"), 0x41);
    EXPECT_EQ(qelGcgidUnicodeMap::findUnicodeValue(&table, "SP010000"), 0x20);
    EXPECT_EQ(logText().find("No matching unicode entry"), std::string::npos);
}

} // namespace
