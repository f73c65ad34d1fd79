#include "FontTestSupport.h"

#include "qelCodePage.h"
#include "qelLogStream.h"

#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <vector>

namespace
{

using CodePageTest = FontFilesTest;

// A small standard file: Unicode column, a default entry, glyph names.
const char* kSmall = "; test code page\n"
                     ".notdef 3F 001A\n"
                     "LA010000 81 0061 61 a\n"
                     "LA020000 C1 0041 41 A\n"
                     "LA170000 43 00E4 E4 adieresis\n"
                     "SP010000 40 0020 20 space\n"
                     "LA010000X 82 0062 nomatch\n";

std::unique_ptr<qelCodePage> loaded(const char* name, const char* cpgid, const std::string& dir,
                                    bool useMappingDefault = true)
{
    auto cp = std::make_unique<qelCodePage>(name, dir.c_str());
    if (cpgid)
        cp->setCPGID(cpgid);
    cp->load(useMappingDefault);
    return cp;
}

} // namespace

TEST_F(CodePageTest, StandardLinesAreSplitIntoFields)
{
    struct Case
    {
        const char* line;
        const char* name;
        int codePoint;
        int unicode;
        int value; // preset 0x20
        const char* glyph;
    } cases[] = {
        {"LA010000 81 0061 nomatch adieresis", "LA010000", 0x81, 0x61, 0, "adieresis"},
        {"LA010000 81 0061 ; lower a", "LA010000", 0x81, 0x61, 0x20, ""},
        {"LA010000   81  0061  E4", "LA010000", 0x81, 0x61, 0xE4, ""},
        {"LA010000 81", "LA010000", 0x81, -1, 0x20, ""},
        {"LA010000", "LA010000", -1, -1, 0x20, ""},
        {"LA010000 81 00E4X 61", "LA010000", 0x81, -1, 0x61, ""},
        {"LA010000 81 12345 61", "LA010000", 0x81, -1, 0x61, ""},
        {"LA010000\t81 0061", "", -1, -1, 0x20, ""}, // tab is no separator (checked below)
        {"a;b 1FF81 0061 nomatch g", "a;b", 0xFF81, 0x61, 0, "g"}, // last four hex digits count
        {"A B C D E F", "", -1, -1, 0x20, ""},                  // six fields: nothing
        {"", "", -1, -1, 0x20, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        std::string name;
        std::string glyph;
        int codePoint = 7;
        int unicode = 7;
        int value = 0x20;
        qelCodePage::parseCodePageLine("t.cp", c.line, name, codePoint, unicode, value, glyph);
        if (std::strchr(c.line, '\t')) {
            // "LA010000\t81" is one field, "0061" the second.
            EXPECT_EQ(name, "LA010000\t81");
            EXPECT_EQ(codePoint, 0x61);
            continue;
        }
        EXPECT_EQ(name, c.name);
        EXPECT_EQ(codePoint, c.codePoint);
        EXPECT_EQ(unicode, c.unicode);
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(glyph, c.glyph);
    }
    EXPECT_EQ(qelCodePage::parseUnicodeField("X 1 0041"), 0x41);
    EXPECT_EQ(qelCodePage::parseUnicodeField("X 1"), -1);
    EXPECT_EQ(qelCodePage::parseUnicodeField("X 1 G041"), -1);
}

TEST_F(CodePageTest, FileFillsEveryTable)
{
    write("T1TEST00.cp", kSmall);
    auto cp = loaded("T1TEST00", nullptr, m_dir);
    EXPECT_STREQ(cp->getFileName(), "T1TEST00.cp");
    EXPECT_TRUE(cp->hasUnicode());
    EXPECT_TRUE(cp->hasGlyphNames());
    EXPECT_EQ(cp->getCount(), 256);

    // Code point table.
    EXPECT_STREQ(cp->getCharName(0xC1), "LA020000");
    EXPECT_EQ(cp->getEntry(0xC1)->value, 0x41);
    EXPECT_EQ(cp->getEntry(0x82)->value, 0); // nomatch
    EXPECT_EQ(cp->getCharName(0x00), nullptr);
    EXPECT_EQ(cp->getEntry(0x00)->value, 0x20); // untouched slots keep the fill byte
    EXPECT_EQ(cp->getCharName(256), nullptr);
    // Default entry from ".notdef".
    ASSERT_NE(cp->getDefaultCharEntry(), nullptr);
    EXPECT_EQ(cp->getDefaultCharEntry()->codePoint, 0x3F);
    EXPECT_EQ(cp->getDefaultCharEntry()->unicode, 0x1A);
    // Value and Unicode tables.
    EXPECT_EQ(cp->getEntryByValue(0xE4)->codePoint, 0x43);
    EXPECT_EQ(cp->getEntryByValue(0)->codePoint, 0x82);
    EXPECT_EQ(cp->getEntryByUnicode(0xE4)->codePoint, 0x43);
    EXPECT_EQ(cp->getEntryByUnicode(0x62)->codePoint, 0x82);
    EXPECT_EQ(cp->getEntryByUnicode(0x63), nullptr);

    EXPECT_STREQ(cp->buildDifferences(), " 32 /space 228 /adieresis 97 /a 65 /A");
    // The differences text is built once and kept.
    EXPECT_EQ(cp->buildDifferences(), cp->buildDifferences());
}

TEST_F(CodePageTest, TranslationsUseTheDefaultEntryForMissingCharacters)
{
    write("T1TEST00.cp", kSmall);
    auto cp = loaded("T1TEST00", nullptr, m_dir);

    const unsigned char codePoints[] = {0x81, 0xC1, 0x01};
    unsigned char values[3] = {9, 9, 9};
    cp->translateFromCodePage(codePoints, values, 3);
    EXPECT_EQ(std::vector<int>(values, values + 3), (std::vector<int>{0x61, 0x41, 0x20}));

    const unsigned char bytes[] = {0x61, 0xE4, 0x7A};
    unsigned char back[3] = {};
    cp->translateToCodePage(bytes, back, 3);
    EXPECT_EQ(std::vector<int>(back, back + 3), (std::vector<int>{0x81, 0x43, 0x3F}));

    // Values outside 0..0xFFFF are missing, not looked up by their low bits.
    const int32_t unicodes[] = {0x41, 0x10041, -1, 0xFFFF, 0x62};
    unsigned char* out = nullptr;
    uint16_t count = 0;
    cp->unicodeToCodePoints(unicodes, 5, &out, &count);
    ASSERT_EQ(count, 5);
    EXPECT_EQ(std::vector<int>(out, out + 6), (std::vector<int>{0xC1, 0x3F, 0x3F, 0x3F, 0x82, 0}));
    delete[] out;

    // A value of 0 counts as missing for unicodeToBytes.
    cp->unicodeToBytes(unicodes, 5, &out, &count);
    EXPECT_EQ(std::vector<int>(out, out + 5), (std::vector<int>{0x41, 0x20, 0x20, 0x20, 0x20}));
    delete[] out;

    int32_t* u = nullptr;
    const unsigned char valueBytes[] = {0x41, 0x61, 0x7A};
    cp->codePointsToUnicode(valueBytes, 3, &u, &count);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(std::vector<int>(u, u + 3), (std::vector<int>{0x41, 0x61, 0x1A}));
    delete[] u;

    // The caller's buffer form.
    unsigned char direct[2] = {};
    const int values2[] = {0xE4, 0x20AC};
    cp->unicodeToCodePoints(values2, 2, direct, 2);
    EXPECT_EQ(direct[0], 0x43);
    EXPECT_EQ(direct[1], 0x3F);
}

TEST_F(CodePageTest, WithoutDefaultEntryBytesStayAndValuesBecomeZero)
{
    write("T1TEST00.cp", "LA010000 81 0061 61\n");
    auto cp = loaded("T1TEST00", nullptr, m_dir);
    const unsigned char bytes[] = {0x7A};
    unsigned char out[1] = {};
    cp->translateToCodePage(bytes, out, 1);
    EXPECT_EQ(out[0], 0x7A);
    int32_t* u = nullptr;
    uint16_t count = 0;
    cp->codePointsToUnicode(bytes, 1, &u, &count);
    EXPECT_EQ(u[0], -1);
    delete[] u;
    unsigned char direct[1] = {9};
    const int missing[] = {0x7A};
    cp->unicodeToCodePoints(missing, 1, direct, 1);
    EXPECT_EQ(direct[0], 0);
}

TEST_F(CodePageTest, GlyphNamesMatchExactlyBeforeIgnoringCase)
{
    write("T1TEST00.cp", "Aacute 41 00C1 C1\naacute 42 00E1 E1\nEth 43 00D0 D0\n");
    auto cp = loaded("T1TEST00", nullptr, m_dir);
    const char* names[] = {"aacute", "Aacute", "eth", "missing", nullptr};
    int32_t* unicodes = nullptr;
    unsigned char* values = nullptr;
    uint16_t count = 0;
    EXPECT_EQ(cp->mapGlyphNames(names, 5, &unicodes, &count, &values), 3);
    ASSERT_EQ(count, 5);
    EXPECT_EQ(std::vector<int>(unicodes, unicodes + 5), (std::vector<int>{0xE1, 0xC1, 0xD0, 0, 0}));
    EXPECT_EQ(std::vector<int>(values, values + 5), (std::vector<int>{0xE1, 0xC1, 0xD0, 0, 0}));
    delete[] unicodes;
    delete[] values;

    qelCodePage empty("T1EMPTY0", m_dir.c_str());
    EXPECT_EQ(empty.glyphNamesToCodePoints(names, 1, &unicodes, &count, &values), -1);
}

TEST_F(CodePageTest, NoStdEncodingNumbersEveryDataLine)
{
    write("nostdencoding.def", "; glyph names\n"
                               "Aacute 00C1 C1\n"
                               "aacute 00E1\n"
                               ".notdef 0000\n"
                               "\n"
                               "Eth 00D0 nomatch\n"
                               "bad 00G0\n"
                               "one two three four\n");
    auto cp = loaded("nostdencoding", nullptr, m_dir);
    EXPECT_STREQ(cp->getFileName(), "nostdencoding.def");
    EXPECT_TRUE(cp->hasUnicode());
    ASSERT_NE(cp->getDefaultCharEntry(), nullptr);
    EXPECT_EQ(cp->getDefaultCharEntry()->codePoint, 2);
    EXPECT_STREQ(cp->getCharName(3), "Eth");
    EXPECT_EQ(cp->getEntry(3)->value, 0);
    EXPECT_STREQ(cp->getCharName(4), "bad");
    EXPECT_EQ(cp->getEntry(4)->unicode, -1);
    EXPECT_EQ(cp->getCharName(5), nullptr); // more than three fields: no name

    // The index compares exactly: Aacute and aacute are different glyphs.
    EXPECT_EQ(cp->findByGlyphName("aacute")->codePoint, 1);
    EXPECT_EQ(cp->findByGlyphName("Aacute")->codePoint, 0);
    EXPECT_EQ(cp->findByGlyphName("AACUTE"), nullptr);
    const char* names[] = {"aacute", "Eth"};
    int32_t* unicodes = nullptr;
    unsigned char* values = nullptr;
    uint16_t count = 0;
    EXPECT_EQ(cp->mapGlyphNames(names, 2, &unicodes, &count, &values), 2);
    EXPECT_EQ(unicodes[0], 0xE1);
    EXPECT_EQ(unicodes[1], 0xD0);
    delete[] unicodes;
    delete[] values;
}

TEST_F(CodePageTest, FirstDataLineDecidesTheUnicodeColumn)
{
    write("T1TEST00.cp", "LA010000 81 nomatch 61\nLA020000 C1 0041 41\n");
    auto cp = loaded("T1TEST00", nullptr, m_dir);
    EXPECT_FALSE(cp->hasUnicode());
    EXPECT_EQ(cp->getEntry(0xC1)->unicode, 0x20);
    EXPECT_EQ(cp->getEntryByUnicode(0x41), nullptr);
}

TEST_F(CodePageTest, InvalidLinesAreReportedAndSkipped)
{
    write("T1TEST00.cp", "LA010000 81 0061 61\n   ; indented comment\nLA020000 1C1 0041 41\nLONELY\n");
    auto cp = loaded("T1TEST00", nullptr, m_dir);
    const std::string out = output();
    EXPECT_NE(out.find("Warning! T1TEST00.cp: invalid entry (; indented comment)\n"), std::string::npos);
    EXPECT_NE(out.find("Warning! T1TEST00.cp: invalid entry (LA020000 1C1 0041 41)\n"), std::string::npos);
    EXPECT_NE(out.find("Warning! T1TEST00.cp: invalid entry (LONELY)\n"), std::string::npos);
    EXPECT_STREQ(cp->getCharName(0x81), "LA010000");
}

TEST_F(CodePageTest, SearchOrderAndOrigins)
{
    struct Case
    {
        const char* label;
        std::vector<const char*> files;
        const char* mapping; // null: no mapping definition loaded
        const char* name;
        const char* cpgid;
        const char* option;  // CodePage
        bool useDefault;
        const char* file;    // expected, null for none
        int origin;
        const char* encoding;
    } cases[] = {
        {"cpgid before own name", {"500.cp", "T1V10500.cp"}, nullptr, "T1V10500", "500", nullptr, true, "500.cp", 1, "ANSI"},
        {"no [CODEPG] entry of the name", {"500.cp"}, "[CODEPG]\nT1OTHER0=37,X\n", "T1V10500", "500", nullptr, true,
         "500.cp", 1, "ANSI"},
        {"mapping entry naming the CPGID", {"500.cp"}, "[CODEPG]\nT1V10500=500,EBCDIC\n", "T1V10500", "500", nullptr,
         true, "500.cp", 2, "EBCDIC"},
        {"mapping entry", {"500.cp", "37.cp"}, "[CODEPG]\nT1V10500=37,EBCDIC\n", "T1V10500", "500", nullptr, true,
         "37.cp", 2, "EBCDIC"},
        {"mapping entry without file", {"500.cp"}, "[CODEPG]\nT1V10500=999,EBCDIC\n", "T1V10500", "500", nullptr, true,
         "500.cp", 1, "ANSI"},
        {"mapping DEFAULT", {"37.cp"}, "[CODEPG]\nDEFAULT=37,DEF\n", "T1V10500", "500", nullptr, true, "37.cp", 4,
         "DEF"},
        {"mapping DEFAULT not wanted", {"37.cp"}, "[CODEPG]\nDEFAULT=37,DEF\n", "T1V10500", "500", "DEFAULT", false,
         nullptr, 0, "ANSI"},
        {"own name", {"winansi.cp"}, nullptr, "winansi", nullptr, nullptr, true, "winansi.cp", 0, "ANSI"},
        {"own name in other case", {"WinAnsi.cp"}, nullptr, "winansi", nullptr, nullptr, true, "WinAnsi.cp", 0, "ANSI"},
        {"option CodePage derived", {"37.cp"}, "[CODEPG]\nT1OTHER0=1,A\n", "T1V10500", "500", "T1V10037", true, "37.cp", 5,
         "ANSI"},
        {"option CodePage entry", {"273.cp"}, "[CODEPG]\nT1V10037=273,A\n", "T1V10500", "500", "T1V10037", true,
         "273.cp", 5, "ANSI"},
        {"option CodePage SS form", {"1140.cp"}, "[CODEPG]\nT1OTHER0=1,A\n", "T1V10500", "500", "T11140SS", true,
         "1140.cp", 5, "ANSI"},
        {"fixed fallback", {"382.cp"}, nullptr, "T1V10500", "500", nullptr, true, "382.cp", 6, "ANSI"},
        {"nothing", {}, nullptr, "T1V10500", "500", nullptr, true, nullptr, 0, "ANSI"},
        {"037 is not 37", {"037.cp"}, nullptr, "T1000037", "37", nullptr, true, nullptr, 0, "ANSI"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        for (const char* f : c.files)
            write(f, "LA010000 81 0061 61\n");
        if (c.mapping)
            installMappingDef(c.mapping);
        ini()->setAttribute("CodePage", c.option ? c.option : "DEFAULT");
        auto cp = loaded(c.name, c.cpgid, m_dir, c.useDefault);
        if (c.file)
            EXPECT_STREQ(cp->getFileName(), c.file);
        else
            EXPECT_EQ(cp->getFileName(), nullptr);
        EXPECT_EQ(cp->getFileOrigin(), c.origin);
        EXPECT_STREQ(cp->getEncoding(), c.encoding);
        qelUtils::releaseGlobals();
        qelMessageOutput::set(m_output);
        ini()->setCpPath(m_dir.c_str());
        for (const char* f : c.files)
            std::remove((m_dir + f).c_str());
    }
    const std::string out = output();
    EXPECT_NE(out.find("Warning! Unable to load codepage 500.cp, using DEFAULT Codepage (37.cp) of Mappingdef\n"),
              std::string::npos);
    EXPECT_NE(out.find("Warning! Unable to load codepage 500.cp, using DEFAULT Codepage (37.cp) of INI File\n"),
              std::string::npos);
    EXPECT_NE(out.find("Warning! Unable to load codepage 500.cp, using default Codepage 382.cp\n"), std::string::npos);
}

TEST_F(CodePageTest, DescriptorOriginIsKept)
{
    write("500.cp", "LA010000 81 0061 61\n");
    qelCodePage cp("T1V10500", m_dir.c_str());
    cp.setCPGID("500");
    cp.setFileOrigin(qelCodePage::ORIGIN_DESCRIPTOR);
    cp.load(true);
    EXPECT_EQ(cp.getFileOrigin(), 3);
    EXPECT_STREQ(qelCodePage::getOriginLabel(3), "CP-DSC");
}

TEST_F(CodePageTest, WithoutFileTheProgramTableIsUsed)
{
    auto cp = loaded("T1V10500", "500", m_dir);
    EXPECT_EQ(cp->getFileOrigin(), 0);
    EXPECT_EQ(cp->getFileName(), nullptr);
    const unsigned char* table = qelUtils::getEbcdicToAsciiTable();
    for (int c = 0; c < 256; ++c) {
        ASSERT_NE(cp->getEntry(c), nullptr);
        EXPECT_EQ(cp->getEntry(c)->codePoint, c);
        EXPECT_EQ(cp->getEntry(c)->value, table[c]);
    }
    EXPECT_EQ(cp->getEntryByValue('A')->codePoint, 0xC1);
    EXPECT_STREQ(cp->getByteEntry(0xC1), "A");

    std::unique_ptr<char[]> text(cp->describe());
    EXPECT_NE(std::string(text.get()).find("CPFileName=" + m_dir + "NULL\r\n"), std::string::npos);
    EXPECT_NE(std::string(text.get()).find("CPGID=500\r\n"), std::string::npos);
    EXPECT_NE(std::string(text.get()).find("Encoding=ANSI \r\n"), std::string::npos);
}

TEST_F(CodePageTest, ResourceNamesStayWhenTheFileIsReadAgain)
{
    write("500.cp", "LA010000 81 0061 61\nLA020000 C1 0041 41\n");
    qelCodePage cp("T1V10500", m_dir.c_str());
    cp.allocateTables(10);
    EXPECT_EQ(cp.getCount(), 256);
    EXPECT_THROW(cp.allocateTables(10), const char*);
    cp.defineChar(0x81, "  LA990000 ");
    cp.defineChar(256, "ignored");
    cp.setFound(1);
    cp.setCPGID("500");
    cp.load(true);
    EXPECT_STREQ(cp.getCharName(0x81), "LA990000"); // names of the resource stay
    EXPECT_EQ(cp.getEntry(0x81)->value, 0x61);
    EXPECT_EQ(cp.getCharName(0xC1), nullptr);
    EXPECT_EQ(cp.getEntry(0xC1)->value, 0x41);
    // A second read resets the tables first.
    cp.parseCodePageFile();
    EXPECT_EQ(cp.getEntryByUnicode(0x41)->codePoint, 0xC1);
}

TEST_F(CodePageTest, CodedFontNamesTakeTheirMappingEntry)
{
    {
        qelCodePage cp("X0H20000", m_dir.c_str());
        EXPECT_STREQ(cp.getName(), "DEFAULT"); // no mapping definition
    }
    installMappingDef("[XFONT]\nX0H20000=C0H20000,T1V10037\nDEFAULT=C0H20000,T1V10500\n");
    EXPECT_STREQ(qelCodePage("X0H20000", m_dir.c_str()).getName(), "T1V10037");
    EXPECT_STREQ(qelCodePage("X0N20000", m_dir.c_str()).getName(), "T1V10500");
    EXPECT_STREQ(qelCodePage("T1V10273", m_dir.c_str()).getName(), "T1V10273");
}

TEST_F(CodePageTest, ReadCodePageFileFillsAPlainTable)
{
    write("500.cp", ".notdef 3F 003F 1A\nLA010000 81 0061 61\nLA020000 100 0041 41\n");
    unsigned char table[256];
    EXPECT_TRUE(qelCodePage::readCodePageFile(table, m_dir.c_str(), 500));
    EXPECT_EQ(table[0x3F], 0x1A);
    EXPECT_EQ(table[0x81], 0x61);
    EXPECT_EQ(table[0x00], 0x20);
    EXPECT_NE(output().find("Warning! Invalid entry in (LA020000 100 0041 41) in file (500.cp)"), std::string::npos);

    EXPECT_FALSE(qelCodePage::readCodePageFile(table, m_dir.c_str(), 893));
    EXPECT_NE(output().find("Warning! Error in opening Codepage File 893.cp in"), std::string::npos);

    // A directory of that name opens but cannot be read.
    ASSERT_EQ(mkdir((m_dir + "1303.cp").c_str(), 0700), 0);
    EXPECT_FALSE(qelCodePage::readCodePageFile(table, m_dir.c_str(), 1303));
    EXPECT_NE(output().find("E068: File read error"), std::string::npos);
    rmdir((m_dir + "1303.cp").c_str());
}

TEST_F(CodePageTest, LoadCodePageFileReplacesTheProgramTables)
{
    unsigned char* toAscii = qelUtils::getMutableEbcdicToAsciiTable();
    EXPECT_FALSE(qelCodePage::loadCodePageFile(toAscii, "T1V10037"));
    EXPECT_NE(output().find("Codepage Name not found in Mapping.def. Using program default code page 500.cp \n"),
              std::string::npos);
    EXPECT_FALSE(qelCodePage::loadCodePageFile(toAscii, ""));
    EXPECT_NE(output().find("Codepage Name is Null or Empty."), std::string::npos);

    installMappingDef("[CODEPG]\nT1V10037=37,ANSI\nT1MISSIN=404,ANSI\nDEFAULT=37,ANSI\n");
    EXPECT_FALSE(qelCodePage::loadCodePageFile(toAscii, "DEFAULT"));
    EXPECT_FALSE(qelCodePage::loadCodePageFile(toAscii, "T1MISSIN"));
    EXPECT_NE(output().find("Could not open Codepage File 404.cp in " + m_dir + " directory"), std::string::npos);
    EXPECT_EQ(toAscii[0xC1], 'A'); // unchanged after a failure

    write("37.cp", ".notdef 3F 001A 1A\nLA020000 C1 0041 41\nSM060000 BA 005B 5B\n");
    EXPECT_TRUE(qelCodePage::loadCodePageFile(toAscii, " t1v10037 "));
    EXPECT_EQ(toAscii[0xBA], '[');
    EXPECT_EQ(toAscii[0x4A], 0x20); // filled
    EXPECT_EQ(toAscii[0x3F], 0x20); // the .notdef line is skipped
    EXPECT_EQ(qelUtils::getAsciiToEbcdicTable()['['], 0xBA);
    unsigned char text[] = {0xC1, 0xBA};
    qelUtils::ebcdicToAscii(text, 2);
    EXPECT_EQ(text[1], '[');
}
