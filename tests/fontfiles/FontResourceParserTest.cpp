// Character set, coded font and code page resources read inline and from
// font libraries: names, sizes, code points, failures and the tables of the
// font metric switch.
#include "FocaBuilder.h"
#include "ScratchTest.h"

#include "qelAFPFont.h"
#include "qelAFPFontMetrics.h"
#include "qelAFPFontRepresentation.h"
#include "qelCharSetParser.h"
#include "qelCharacterWidthTable.h"
#include "qelCodePage.h"
#include "qelCodePageParser.h"
#include "qelCodePointGCGIDTable.h"
#include "qelCodedFontParser.h"
#include "qelGlobalDSPool.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelMFMCache.h"
#include "qelMetricTableRecord.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

using namespace lrbtest;
using namespace lrbtest::foca;

namespace
{

std::vector<CodePoint> range(unsigned first, unsigned last)
{
    std::vector<CodePoint> out;
    for (unsigned c = first; c <= last; ++c)
        out.push_back({"GC" + std::to_string(100000 + c), c, 0});
    return out;
}

// Three 16 x 2 boxes of four bytes each.
CharacterSet boxes(const std::string& name)
{
    CharacterSet cs;
    cs.name = name;
    for (const char* gcgid : {"LA010000", "LB010000", "LC010000"}) {
        Character c;
        c.gcgid = gcgid;
        c.width = 16;
        c.height = 2;
        c.pattern = Bytes(4, 0xF0);
        c.increment = 18;
        c.bSpace = 16;
        c.ascender = 2;
        c.baseline = 2;
        cs.characters.push_back(c);
    }
    return cs;
}

class FontResourceParserTest : public ScratchTest
{
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        qelGlobalDSPool::getInstance()->getIni()->setResourceGroup("0");
    }
    void TearDown() override
    {
        qelIOStream::setCurrent(nullptr);
        m_input.reset();
        ScratchTest::TearDown();
    }
    void read(const Bytes& bytes)
    {
        m_bytes = bytes;
        m_input.reset(new qelIOStream(m_bytes.data(), static_cast<int>(m_bytes.size())));
        m_input->rewind();
        qelIOStream::setCurrent(m_input.get());
    }
    std::unique_ptr<qelCodePage> codePage(const Bytes& bytes, const char* name = "T1V10500")
    {
        read(bytes);
        qelCodePageParser parser;
        return std::unique_ptr<qelCodePage>(static_cast<qelCodePage*>(parser.parse(name, 0, nullptr)));
    }
    std::unique_ptr<qelAFPFont> codedFont(const Bytes& bytes, const char* name = "X0H200D0")
    {
        read(bytes);
        qelCodedFontParser parser;
        return std::unique_ptr<qelAFPFont>(static_cast<qelAFPFont*>(parser.parse(name, 0, nullptr)));
    }

    Bytes m_bytes;
    std::unique_ptr<qelIOStream> m_input;
};

} // namespace

TEST_F(FontResourceParserTest, CodePageNamesAndIdentifiers)
{
    const struct
    {
        const char* asked;
        const char* inFile;
        std::vector<unsigned> descriptor;
        const char* cpgid;
        int origin;
    } cases[] = {
        {"T1V10500", "T1V10500", {}, "500", qelCodePage::ORIGIN_BUILT_IN},
        {"T1000037", "T1000037", {}, "37", qelCodePage::ORIGIN_BUILT_IN},
        {"T10500SS", "T10500SS", {}, "500", qelCodePage::ORIGIN_BUILT_IN},
        {"T1V10500", "T1V10500", {0}, "500", qelCodePage::ORIGIN_BUILT_IN},
        {"T1V10500", "T1V10500", {0xFFFF}, "500", qelCodePage::ORIGIN_BUILT_IN},
        {"T1V10500", "T1V10500", {850}, "850", qelCodePage::ORIGIN_DESCRIPTOR},
        // Short names: only the characters the name has.
        {"T1V105", "T1V105", {}, "", qelCodePage::ORIGIN_BUILT_IN},
        {"T1V1050", "T1V1050", {}, "50", qelCodePage::ORIGIN_BUILT_IN},
        // Named by the field when nothing is asked.
        {"", "T1000273", {}, "273", qelCodePage::ORIGIN_BUILT_IN},
    };
    for (const auto& c : cases) {
        CodePage cp;
        cp.name = c.inFile;
        cp.descriptorCpgid = c.descriptor;
        cp.withControl = false;
        std::unique_ptr<qelCodePage> page = codePage(build(cp), c.asked);
        ASSERT_NE(page, nullptr) << c.asked;
        EXPECT_STREQ(page->getName(), c.inFile) << c.asked;
        EXPECT_STREQ(page->getAliasName(), c.inFile) << c.asked;
        EXPECT_STREQ(page->getCPGID(), c.cpgid) << c.asked;
        EXPECT_EQ(page->getFileOrigin(), c.origin) << c.asked;
        // Only a begin and an end field: no table, no entries.
        EXPECT_FALSE(page->hasByteTable()) << c.asked;
        EXPECT_EQ(page->getCharName(0x40), nullptr) << c.asked;
    }
    // The helper behind it serves the resource list too.
    EXPECT_EQ(qelCodePage::cpgidFromName("DEFAULT"), "");
    EXPECT_EQ(qelCodePage::cpgidFromName("T1000000"), "");
    EXPECT_EQ(qelCodePage::cpgidFromName(nullptr), "");
}

TEST_F(FontResourceParserTest, BlankBeginNameKeepsTheAskedNameAndNoAlias)
{
    CodePage cp;
    cp.name = "";
    std::unique_ptr<qelCodePage> page = codePage(build(cp), "T1V10500");
    ASSERT_NE(page, nullptr);
    EXPECT_STREQ(page->getName(), "T1V10500");
    EXPECT_EQ(page->getAliasName(), nullptr);
    EXPECT_STREQ(page->getCPGID(), "500");
}

TEST_F(FontResourceParserTest, CodePageIndexEntriesSpaceAndFlags)
{
    // 25 bytes: two groups, the last five bytes ignored.
    {
        CodePage cp;
        cp.codePoints = {{"LA010000", 0x81, 0}, {"SP010000", 0x40, 0}};
        Bytes bytes = field(BCP, name8(cp.name));
        append(bytes, field(CPC, controlData(cp)));
        Bytes index = codePageIndexData(cp.codePoints);
        append(index, {0xD3, 0xC1, 0xC2, 0xC3, 0xC4});
        append(bytes, field(CPI, index));
        append(bytes, field(ECP, name8(cp.name)));
        std::unique_ptr<qelCodePage> page = codePage(bytes);
        ASSERT_NE(page, nullptr) << output();
        EXPECT_STREQ(page->getCharName(0x81), "LA010000");
        EXPECT_STREQ(page->getCharName(0x40), "SP010000");
        EXPECT_EQ(page->getCharName(0xC4), nullptr);
        EXPECT_STREQ(page->getSpaceCharName(), "SP010000");
        EXPECT_STREQ(page->getDefaultGCGID(), "SP010000");
        EXPECT_EQ(page->getUseFlags(), 0x08);
    }
    const struct
    {
        bool control;
        unsigned space;
        const char* spaceName;
    } cases[] = {{true, 0x20, "SP020000"}, {false, 0x40, "SP010000"}, {true, 0x40, "SP010000"}};
    for (const auto& c : cases) {
        CodePage cp;
        cp.withControl = c.control;
        cp.spaceCodePoint = c.space;
        cp.useFlags = 0x80;
        cp.codePoints = {{"SP010000", 0x40, 0}, {"SP020000", 0x20, 0}, {"LA010000", 0x81, 0}};
        std::unique_ptr<qelCodePage> page = codePage(build(cp));
        ASSERT_NE(page, nullptr) << c.space;
        EXPECT_STREQ(page->getSpaceCharName(), c.spaceName) << c.space;
        EXPECT_EQ(page->getSpaceCodePoint(), static_cast<int>(c.space));
        EXPECT_EQ(page->getUseFlags(), c.control ? 0x80 : 0x08);
    }
    // A control field of only the default character: space code point and
    // use flags are stored as 0.
    Bytes bytes = field(BCP, name8("T1V10500"));
    append(bytes, field(CPC, name8("LA010000")));
    append(bytes, field(ECP, name8("T1V10500")));
    std::unique_ptr<qelCodePage> page = codePage(bytes);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->getSpaceCodePoint(), 0);
    EXPECT_EQ(page->getUseFlags(), 0);
    EXPECT_STREQ(page->getDefaultGCGID(), "LA010000");
}

TEST_F(FontResourceParserTest, IndexSplitOverFieldsAndNoOperationFields)
{
    CodePage cp;
    std::vector<CodePoint> points = range(0x41, 0x7F);
    const std::vector<CodePoint> high = range(0x80, 0xFE);
    points.insert(points.end(), high.begin(), high.end());
    cp.codePoints = points;
    // Two index fields, split where the ranges meet.
    Bytes bytes = build(cp, 0x7F - 0x41 + 1);
    // A No Operation field after the begin field.
    const Bytes begin = field(BCP, name8(cp.name));
    Bytes withNop = begin;
    append(withNop, field(NOP, ebcdic("COMMENT")));
    withNop.insert(withNop.end(), bytes.begin() + static_cast<long>(begin.size()), bytes.end());
    for (const Bytes& input : {bytes, withNop}) {
        std::unique_ptr<qelCodePage> page = codePage(input);
        ASSERT_NE(page, nullptr) << output();
        for (const CodePoint& p : points)
            EXPECT_STREQ(page->getCharName(static_cast<int>(p.codePoint)), p.gcgid.c_str()) << p.codePoint;
        EXPECT_EQ(page->getCharName(0x40), nullptr);
    }
    EXPECT_EQ(output().find("Unable to create"), std::string::npos) << output();
}

TEST_F(FontResourceParserTest, CodePageFailuresGiveNoCodePage)
{
    CodePage cp;
    cp.codePoints = range(0x41, 0x45);
    const Bytes whole = build(cp);
    // Cut inside the index field, and a coded font where a code page is asked.
    const Bytes cut(whole.begin(), whole.end() - 20);
    EXPECT_EQ(codePage(cut), nullptr);
    EXPECT_EQ(codePage(buildCodedFont("X0A", {{"C0A", "T1V10500", 0}})), nullptr);
    EXPECT_NE(codePage(whole), nullptr);
}

TEST_F(FontResourceParserTest, DescriptorIdentifierFindsItsCodePageFile)
{
    qelIni* ini = qelGlobalDSPool::getInstance()->getIni();
    ini->setCpPath((std::string(LORBANE_SOURCE_DIR) + "/data").c_str());
    CodePage cp;
    cp.name = "T1XYZABC";
    cp.descriptorCpgid = {500};
    cp.codePoints = codePointsOf(std::string(LORBANE_SOURCE_DIR) + "/data/500.cp");
    writeFile("T1XYZABC.CDP", build(cp));
    ini->setAFPFontPath(m_dir.c_str());
    qelCodePageParser parser;
    std::unique_ptr<qelCodePage> page(static_cast<qelCodePage*>(parser.parse("T1XYZABC", 1, nullptr)));
    ASSERT_NE(page, nullptr) << output();
    EXPECT_EQ(std::string(page->getFileName()), m_dir + "/T1XYZABC.CDP");
    EXPECT_STREQ(page->getCPGID(), "500");
    ASSERT_TRUE(page->load(true));
    EXPECT_EQ(page->getFileOrigin(), qelCodePage::ORIGIN_DESCRIPTOR);
    EXPECT_STREQ(page->getFileName(), "500.cp");
    // Names from the resource, Unicode values from the file.
    EXPECT_STREQ(page->getCharName(0xC1), "LA020000");
    qelCodePageChar* a = page->getEntry(0xC1);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->unicode, 0x41);
}

TEST_F(FontResourceParserTest, CodedFontNamesSizeAndFirstGroup)
{
    // Without a size the font keeps what its name gives.
    std::unique_ptr<qelAFPFont> plain = codedFont(buildCodedFont("X0H200A0", {}), "X0H200A0");
    ASSERT_NE(plain, nullptr);
    const int kept = plain->getSize();
    const struct
    {
        unsigned size;
        int expected;
        bool outline;
    } cases[] = {{280, 140, true}, {241, 120, true}, {0, kept, false}, {0xFFFF, kept, false}};
    for (const auto& c : cases) {
        std::unique_ptr<qelAFPFont> font = codedFont(
            buildCodedFont("X0H200A0", {{"C0H200D0", "T1V10500", c.size}, {"C0OTHER0", "T1OTHER0", 480}}),
            "X0H200A0");
        ASSERT_NE(font, nullptr) << c.size << output();
        EXPECT_STREQ(font->getCodePageName(), "T1V10500") << c.size;
        EXPECT_STREQ(font->getCharacterSetName(), "C0H200D0") << c.size;
        EXPECT_STREQ(font->qelRes::getName(), "X0H200A0");
        EXPECT_STREQ(font->getCodedFontName(), "X0H200A0");
        EXPECT_STREQ(font->getAliasName(), "X0H200A0");
        EXPECT_EQ(font->getSize(), c.expected) << c.size;
        EXPECT_EQ(font->isOutlineFont(), c.outline) << c.size;
        if (c.outline) {
            EXPECT_EQ(font->getHeight(), c.expected);
            EXPECT_EQ(font->getNominalVerticalSize(), c.expected);
        }
        EXPECT_TRUE(font->getCodedFontFound());
    }
    // The asked name replaces the name read.
    std::unique_ptr<qelAFPFont> asked = codedFont(buildCodedFont("X0FIELD0", {{"C0A", "T1B", 0}}), "X0ASKED0");
    ASSERT_NE(asked, nullptr);
    EXPECT_STREQ(asked->qelRes::getName(), "X0ASKED0");
    EXPECT_STREQ(asked->getAliasName(), "X0FIELD0");
    // A first field that is not a Begin Coded Font: no font.
    EXPECT_EQ(codedFont(build(CodePage())), nullptr);
    EXPECT_NE(output().find("Warning"), std::string::npos) << output();
}

TEST_F(FontResourceParserTest, CharacterSetFromALibraryFileNamedOtherwise)
{
    qelIni* ini = qelGlobalDSPool::getInstance()->getIni();
    writeFile("FONTLIB1.FNT", build(boxes("C0ABCDEF")));
    CharacterSet shortSet = boxes("C0SHORT0");
    shortSet.rasterDataCount = 11;
    writeFile("C0SHORT0.FNT", build(shortSet));
    ini->setAFPFontPath(m_dir.c_str());
    qelIOStream before;
    qelIOStream::setCurrent(&before);
    qelCharSetParser parser;
    std::unique_ptr<qelRes> res(parser.parse("C0ABCDEF", 1, "FONTLIB1"));
    ASSERT_NE(res, nullptr) << output();
    auto* font = static_cast<qelAFPFont*>(res.get());
    EXPECT_STREQ(font->qelRes::getName(), "C0ABCDEF");
    EXPECT_STREQ(font->getAliasName(), "C0ABCDEF");
    EXPECT_EQ(std::string(font->getFileName()), m_dir + "/FONTLIB1.FNT");
    EXPECT_EQ(font->getKind(), qelAFPFont::KIND_RASTER);
    EXPECT_EQ(font->getSize(), 100);
    EXPECT_EQ(font->getRepresentation()->getHeight(), 100);
    EXPECT_TRUE(font->isLoadedFromCharSet());
    EXPECT_EQ(qelIOStream::getCurrent(), &before);

    // A short pattern and a missing file: no font, the input restored.
    for (const char* name : {"C0SHORT0", "C0NOFILE"}) {
        EXPECT_EQ(parser.parse(name, 1, nullptr), nullptr) << name;
        EXPECT_EQ(qelIOStream::getCurrent(), &before) << name;
    }
    EXPECT_NE(output().find("W093"), std::string::npos) << output();
    EXPECT_NE(output().find("E058"), std::string::npos) << output();
    qelIOStream::setCurrent(nullptr);
}

TEST_F(FontResourceParserTest, OutlineCharacterSetInlineIsOfKindOutline)
{
    CharacterSet cs = outlineSet(type1Font("NimbusSans-Regular"), "AB", "CZH20000");
    read(build(cs));
    qelCharSetParser parser;
    std::unique_ptr<qelRes> res(parser.parse("CZH20000", 0, nullptr));
    ASSERT_NE(res, nullptr) << output();
    EXPECT_EQ(static_cast<qelAFPFont*>(res.get())->getKind(), qelAFPFont::KIND_OUTLINE);
    // Not a character set at all: E094, no font.
    read(build(CodePage()));
    EXPECT_EQ(parser.parse("C0NONE00", 0, nullptr), nullptr);
    EXPECT_NE(output().find("E094"), std::string::npos) << output();
}

TEST_F(FontResourceParserTest, MetricTablesOfTheFontMetricSwitch)
{
    // Width tables: one per rotation of the set, entry i from character i.
    CharacterSet cs = boxes("C0WIDTHS");
    cs.rotations = {ROT0, ROT90};
    read(build(cs));
    qelCharSetParser parser;
    std::unique_ptr<qelAFPFont> font(static_cast<qelAFPFont*>(parser.parse("C0WIDTHS", 0, nullptr)));
    ASSERT_NE(font, nullptr) << output();
    qelMFMCache* cache = qelGlobalDSPool::getInstance()->getFontMetricCache();
    const size_t before = cache->getCharSetTables().size();
    qelCharSetParser::buildWidthTables(font.get());
    ASSERT_EQ(cache->getCharSetTables().size(), before + 1);
    const qelCharacterWidthTable* zero = font->getCharMetricsTable(0);
    const qelCharacterWidthTable* ninety = font->getCharMetricsTable(90);
    ASSERT_NE(zero, nullptr);
    ASSERT_NE(ninety, nullptr);
    EXPECT_EQ(font->getCharMetricsTable(180), nullptr);
    EXPECT_EQ(cache->getCharSetTables().back()->widths[0].get(), zero);
    EXPECT_STREQ(zero->entries[1].gcgid, "LB010000");
    EXPECT_EQ(zero->entries[1].width, 18);
    EXPECT_STREQ(ninety->entries[1].gcgid, "LB010000");
    EXPECT_STREQ(zero->entries[3].gcgid, "");

    // GCGID table: entry c is code point c.
    std::unique_ptr<qelCodePointGCGIDTable> table(qelCodePageParser::newGCGIDTable());
    qelCodePageParser::fillGCGIDTable(table.get(), 0xC1, "LA020000");
    qelCodePageParser::fillGCGIDTable(table.get(), 1024, "OUTSIDE0");
    EXPECT_STREQ(table->entries[0xC1].gcgid, "LA020000");
    EXPECT_STREQ(table->entries[0xC2].gcgid, "");
}

TEST_F(FontResourceParserTest, FieldLinesOnlyWithTheFontLogLevel)
{
    qelLogStream* log = qelGlobalDSPool::getInstance()->getLogStream();
    const Bytes codedBytes = buildCodedFont("X0H200D0", {{"C0H200D0", "T1V10500", 280}});
    CodePage cp;
    cp.codePoints = {{"LA020000", 0xC1, 0x80}};
    const Bytes pageBytes = build(cp);
    for (const char* level : {"5", "1"}) {
        const std::string path = m_dir + "/log-" + level + ".txt";
        log->setLevel(level);
        log->open(path.c_str());
        ASSERT_NE(log->getFile(), nullptr);
        EXPECT_NE(codedFont(codedBytes), nullptr);
        EXPECT_NE(codePage(pageBytes), nullptr);
        log->close();
        const std::string text = readText(path);
        const bool on = std::string(level) == "5";
        const char* lines[] = {"Begin Coded Font",         "Specified Vertical Font Size 280",
                               "Section Number (0x0): Singlebyte \r",
                               "Code Page Index",          "Number of Code Points: 1",
                               "LA020000 0xc1   0x41  A         1   0   0", "Code Page Use Flags  0x8"};
        for (const char* line : lines)
            EXPECT_EQ(text.find(line) != std::string::npos, on) << level << ": " << line << "\n" << text;
    }
}

TEST_F(FontResourceParserTest, CorpusOutlineSetFoundThroughTheAnyExtensionSearch)
{
    const std::string dir = "/work/shared/corpus/afplib";
    if (!std::ifstream(dir + "/C0X00006.afp"))
        GTEST_SKIP() << dir << "/C0X00006.afp missing";
    qelGlobalDSPool::getInstance()->getIni()->setAFPFontPath(dir.c_str());
    qelCharSetParser parser;
    std::unique_ptr<qelAFPFont> font(static_cast<qelAFPFont*>(parser.parse("C0X00006", 1, nullptr)));
    ASSERT_NE(font, nullptr) << output();
    EXPECT_EQ(std::string(font->getFileName()), dir + "/C0X00006.afp");
    EXPECT_EQ(font->getKind(), qelAFPFont::KIND_OUTLINE);
    EXPECT_TRUE(font->isOutlineFont());
    EXPECT_GT(font->getRepresentation()->getMetrics()->getCharMetricsCount(), 100);
}
