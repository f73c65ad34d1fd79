#include "qelAFPFont.h"
#include "qelArrayFontMapper.h"
#include "qelFontSubstitutionTable.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace
{
class BuiltInTableTest : public ::testing::Test
{
protected:
    void SetUp() override { qelGlobalDSPool::getInstance()->getIni()->setQuietMode(true); }
    void TearDown() override { qelUtils::releaseGlobals(); }
};

std::vector<std::string> aliases(const qelAFPFont& font)
{
    std::vector<std::string> out;
    for (const auto& a : font.getAliasNames())
        out.push_back(a.first);
    return out;
}

std::string codedFontCharSet(const char* name)
{
    char buffer[16];
    return qelArrayFontMapper::findCodedFontCharSet(name, buffer, sizeof buffer);
}

TEST_F(BuiltInTableTest, TableShape)
{
    ASSERT_EQ(qelFontSubstitutionTable::tripleCount(), 120);
    std::set<std::tuple<std::string, std::string, std::string>> distinct;
    for (int i = 0; i < 120; ++i) {
        const qelFontNameTriple& t = qelFontSubstitutionTable::triples()[i];
        distinct.emplace(t.fontName, t.firstAlias, t.secondAlias);
    }
    EXPECT_EQ(distinct.size(), 41u);
    ASSERT_EQ(qelFontSubstitutionTable::charSetCount(), 964);
    EXPECT_STREQ(qelFontSubstitutionTable::charSets()[963].key, "DEFAULT");
    for (int i = 0; i < qelFontSubstitutionTable::codedFontCount(); ++i) {
        const qelCodedFontRow& row = qelFontSubstitutionTable::codedFonts()[i];
        ASSERT_GE(row.charSet, 0);
        ASSERT_LT(row.charSet, 963) << row.key;
    }
}

TEST_F(BuiltInTableTest, CharacterSetLookup)
{
    struct Case
    {
        const char* name;
        const char* key;
    } cases[] = {
        {"C0H200A0", "C?H200A0"}, {"C1H200A0", "C?H200A0"}, {"C?H200A0", "C?H200A0"},
        {"CZH200", "CZH200"},     {"CZH299", "DEFAULT"},    {"CzH200", "DEFAULT"}, // outline: never widened
        {"c0h200a0", "DEFAULT"},  {"DEFAULT", "DEFAULT"},   {"C0XXXXXX", "DEFAULT"},
        {"C", "DEFAULT"},         {"", "DEFAULT"},          {nullptr, "DEFAULT"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name ? c.name : "(null)");
        EXPECT_STREQ(qelArrayFontMapper::findBuiltInCharSet(c.name)->key, c.key);
    }
    const qelCharSetRow* row = qelArrayFontMapper::findBuiltInCharSet("C0H200A0");
    EXPECT_EQ(row->height, 110);
    EXPECT_STREQ(row->family, "SWISS");
    EXPECT_STREQ(row->weight, "MED");
    EXPECT_STREQ(qelFontSubstitutionTable::triples()[row->triple].fontName, "Helvetica");
    EXPECT_EQ(qelArrayFontMapper::findBuiltInCharSet("CZH200")->height, 0);
    EXPECT_EQ(qelArrayFontMapper::findBuiltInCharSet("C0S0CO10")->strikeover, 1);
    EXPECT_EQ(qelArrayFontMapper::findBuiltInCharSet("C0L0GU10")->underline, 1);
}

TEST_F(BuiltInTableTest, CodedFontLookup)
{
    struct Case
    {
        const char* name;
        const char* charSet;
    } cases[] = {
        {"X?H210AC", "C?H200A0"}, {"X0H210AC", "C?H200A0"}, {"X1H2100A", "C?H20000"}, {"X0H2100D", "C?H20000"},
        {"X0H21002", "C?H20000"}, {"X0AE10", "C?S0AE10"},   {"X0N21072", "C?N20070"}, {"X0NOSUCH", ""},
        {"x0h210ac", ""},         {nullptr, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name ? c.name : "(null)");
        EXPECT_EQ(codedFontCharSet(c.name), c.charSet);
    }
    char small[4];
    EXPECT_STREQ(qelArrayFontMapper::findCodedFontCharSet("X0H210AC", small, sizeof small), "C?H");
}

TEST_F(BuiltInTableTest, UnknownCharacterSetGetsTheDefaultRow)
{
    std::unique_ptr<qelAFPFont> font(qelArrayFontMapper().mapCharacterSet("C0NOSUCH", "T1V10500"));
    ASSERT_NE(font, nullptr);
    EXPECT_STREQ(font->getName(), "C0NOSUCH");
    EXPECT_STREQ(font->getCodePageName(), "T1V10500");
    EXPECT_EQ(font->getHeight(), 80);
    EXPECT_EQ(font->getSize(), 80);
    EXPECT_STREQ(font->getFamilyName(), "ROMAN");
    EXPECT_FALSE(font->isBold());
    EXPECT_FALSE(font->isLight());
    EXPECT_STREQ(font->getFontName(), "TimesNewRoman");
    EXPECT_EQ(aliases(*font), (std::vector<std::string>{"TimesNewRoman", "Times New Roman"}));
    EXPECT_EQ(qelArrayFontMapper().mapCharacterSet(nullptr, nullptr), nullptr);

    std::unique_ptr<qelAFPFont> standIn(qelArrayFontMapper().mapCharacterSet("DEFAULT", "DEFAULT"));
    EXPECT_EQ(standIn->getHeight(), 80);
    EXPECT_STREQ(standIn->getFontName(), "TimesNewRoman");
}

TEST_F(BuiltInTableTest, CodedFonts)
{
    qelArrayFontMapper mapper;
    std::unique_ptr<qelAFPFont> known(mapper.mapCodedFont("X0H210AC"));
    ASSERT_NE(known, nullptr);
    EXPECT_STREQ(known->getName(), "X0H210AC");
    EXPECT_STREQ(known->getCodedFontName(), "X0H210AC");
    EXPECT_STREQ(known->getCodePageName(), "T1DABASE");
    EXPECT_STREQ(known->getCharacterSetName(), "C?H200A0");
    EXPECT_EQ(known->getHeight(), 110);
    EXPECT_STREQ(known->getFontName(), "Helvetica");
    EXPECT_EQ(aliases(*known), (std::vector<std::string>{"Helvetica", "Arial"}));

    std::unique_ptr<qelAFPFont> unknown(mapper.mapCodedFont("X0NOSUCH"));
    ASSERT_NE(unknown, nullptr);
    EXPECT_STREQ(unknown->getCodePageName(), "T1DABASE");
    EXPECT_TRUE(unknown->getCharacterSetName() == nullptr || !*unknown->getCharacterSetName());
    EXPECT_TRUE(unknown->getAliasNames().empty()); // no row applied
    EXPECT_EQ(mapper.mapCodedFont(nullptr), nullptr);
}

// Every character set name a common formatter writes for its default
// Helvetica, Times and Courier fonts finds its own row, with the italic its
// name gives.
TEST_F(BuiltInTableTest, FormatterCharacterSetsFindTheirRows)
{
    struct Size
    {
        const char* code;
        int height;
    };
    const Size sizes[] = {{"60", 60},  {"70", 70},  {"80", 80},  {"90", 90},  {"00", 100}, {"A0", 110}, {"B0", 120},
                          {"D0", 140}, {"F0", 160}, {"H0", 180}, {"J0", 200}, {"N0", 240}, {"T0", 300}, {"Z0", 360}};
    struct Family
    {
        const char* prefix;
        const char* fontName;
        const char* family;
        bool bold;
        bool italic;
        std::set<int> heights; // empty: every size
    };
    const Family families[] = {
        {"C0H2", "Helvetica", "SWISS", false, false, {}},
        {"C0H3", "Helvetica", "SWISS", false, true, {}},
        {"C0H4", "Helvetica", "SWISS", true, false, {}},
        {"C0H5", "Helvetica", "SWISS", true, true, {}},
        {"C0N2", "TimesNewRoman", "ROMAN", false, false, {}},
        {"C0N3", "TimesNewRoman", "ROMAN", false, true, {}},
        {"C0N4", "TimesNewRoman", "ROMAN", true, false, {}},
        {"C0N5", "TimesNewRoman", "ROMAN", true, true, {}},
        {"C042", "Courier New", "MODERN", false, false, {70, 80, 100, 120, 140, 200}},
        {"C043", "Courier New", "MODERN", false, true, {70, 80, 100, 120, 140, 200}},
        {"C044", "Courier New", "MODERN", true, false, {70, 80, 100, 120, 140, 200}},
        {"C045", "Courier New", "MODERN", true, true, {70, 80, 100, 120, 140, 200}},
    };
    qelArrayFontMapper mapper;
    for (const Family& f : families) {
        for (const Size& s : sizes) {
            const std::string name = std::string(f.prefix) + "00" + s.code;
            SCOPED_TRACE(name);
            std::unique_ptr<qelAFPFont> font(mapper.mapCharacterSet(name.c_str(), "T1V10500"));
            ASSERT_NE(font, nullptr);
            const bool listed = f.heights.empty() || f.heights.count(s.height);
            if (!listed) {
                EXPECT_STREQ(font->getFontName(), "TimesNewRoman"); // the DEFAULT row
                EXPECT_EQ(font->getHeight(), 80);
                continue;
            }
            EXPECT_EQ(font->getHeight(), s.height);
            EXPECT_STREQ(font->getFontName(), f.fontName);
            EXPECT_STREQ(font->getFamilyName(), f.family);
            EXPECT_EQ(font->isBold(), f.bold);
            EXPECT_EQ(font->isItalic(), f.italic);
        }
    }
}
}
