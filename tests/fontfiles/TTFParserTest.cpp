#include "TTFBuilder.h"

#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIOStream.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"
#include "qelTTFCMapParser.h"
#include "qelTTFParser.h"
#include "qelTTFRepresentation.h"
#include "qelTTFUtils.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

using namespace ttftest;

namespace {

class TTFParserTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_messages = std::tmpfile();
        qelMessageOutput::set(m_messages);
    }
    void TearDown() override
    {
        qelMessageOutput::set(nullptr);
        std::fclose(m_messages);
        delete qelGlobalDSPool::getInstance();
    }

    // Parses bytes; the representation, or null with the E120 reason.
    std::unique_ptr<qelTTFRepresentation> parse(const Bytes& bytes, bool convert, std::string* error = nullptr)
    {
        qelIOStream stream(bytes.data(), static_cast<int>(bytes.size()));
        qelTTFParser parser;
        parser.setResourceName("test.ttf");
        parser.setConvert(convert);
        parser.setQuietMode(true);
        try {
            auto* rep = static_cast<qelTTFRepresentation*>(parser.parseStream(&stream));
            qelIOStream::setCurrent(nullptr);
            return std::unique_ptr<qelTTFRepresentation>(rep);
        } catch (qelException* e) {
            qelIOStream::setCurrent(nullptr);
            if (error)
                *error = std::to_string(e->getId()) + " " + e->getMessage();
            delete e;
        }
        return nullptr;
    }

    std::unique_ptr<qelTTFRepresentation> parseFile(const char* path)
    {
        qelTTFParser parser;
        parser.setConvert(true);
        return std::unique_ptr<qelTTFRepresentation>(static_cast<qelTTFRepresentation*>(parser.parse(path)));
    }

    FILE* m_messages = nullptr;
};

TEST_F(TTFParserTest, SystemFontsGiveNamesMetricsAndWidths)
{
    struct Case
    {
        const char* path;
        const char* psName;
        const char* family;
        int unitsPerEm;
        int widthA, widthSpace, widthZero;
    };
    const Case cases[] = {
        {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "DejaVuSans", "DejaVu Sans", 2048, 684, 318, 636},
        {"/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf", "LiberationSans", "Liberation Sans",
         2048, 667, 278, 556},
    };
    qelIOStream* before = qelIOStream::getCurrent();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        auto rep = parseFile(c.path);
        ASSERT_TRUE(rep);
        EXPECT_EQ(before, qelIOStream::getCurrent());
        EXPECT_EQ(qelFontRepresentation::TYPE_TRUETYPE, rep->getType());
        EXPECT_STREQ(c.psName, rep->getFontName());
        EXPECT_STREQ(c.family, rep->getWindowsFontName());
        EXPECT_STREQ(c.path, rep->getName());
        ASSERT_TRUE(rep->getHeadTable());
        EXPECT_EQ(c.unitsPerEm, rep->getHeadTable()->unitsPerEm);
        EXPECT_FALSE(rep->isBold());
        EXPECT_FALSE(rep->isItalic());
        EXPECT_FALSE(rep->isFixedPitch());
        ASSERT_TRUE(rep->getWidthTable());
        EXPECT_EQ(0, rep->getFirstChar());
        EXPECT_EQ(255, rep->getLastChar());
        EXPECT_EQ(c.widthA, rep->getWidthTable()['A']);
        EXPECT_EQ(c.widthSpace, rep->getWidthTable()[' ']);
        EXPECT_EQ(c.widthZero, rep->getWidthTable()['0']);
        EXPECT_TRUE(rep->getMaxProfileTable());
        EXPECT_TRUE(rep->getHorizontalHeaderTable());
    }
}

TEST_F(TTFParserTest, OS2FieldsOfVersionThreeAreRead)
{
    auto rep = parseFile("/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf");
    ASSERT_TRUE(rep);
    ASSERT_TRUE(rep->getOS2Table());
    EXPECT_EQ(3, rep->getOS2Table()->version);
    EXPECT_EQ(1082, rep->getOS2Table()->sxHeight);
    EXPECT_EQ(1409, rep->getOS2Table()->sCapHeight);
}

TEST_F(TTFParserTest, OS2TailFieldsByVersion)
{
    for (unsigned version : {1u, 2u, 3u, 4u}) {
        auto tables = basicTables();
        tables["OS/2"] = os2(version, 400, 0, 500, 700);
        auto rep = parse(font(tables), false);
        ASSERT_TRUE(rep) << version;
        EXPECT_EQ(version >= 2 ? 500 : 0, rep->getOS2Table()->sxHeight) << version;
        EXPECT_EQ(version >= 2 ? 700 : 0, rep->getOS2Table()->sCapHeight) << version;
    }
}

TEST_F(TTFParserTest, StyleFlagsFromWeightSelectionAndPost)
{
    struct Case
    {
        unsigned weight, selection;
        uint32_t fixed;
        bool light, bold, italic, fixedPitch;
    };
    const Case cases[] = {
        {300, 0, 0, true, false, false, false},  {301, 0, 0, false, false, false, false},
        {600, 0, 0, false, true, false, false},  {400, 0x20, 0, false, true, false, false},
        {400, 0x01, 1, false, false, true, true}, {1000, 0, 0, false, false, false, false},
    };
    for (const Case& c : cases) {
        auto tables = basicTables();
        tables["OS/2"] = os2(3, c.weight, c.selection);
        tables["post"] = post(0x00020000, 0, c.fixed);
        auto rep = parse(font(tables), false);
        ASSERT_TRUE(rep);
        EXPECT_EQ(c.light, rep->isLight()) << c.weight;
        EXPECT_EQ(c.bold, rep->isBold()) << c.weight;
        EXPECT_EQ(c.italic, rep->isItalic()) << c.weight;
        EXPECT_EQ(c.fixedPitch, rep->isFixedPitch()) << c.weight;
    }
}

TEST_F(TTFParserTest, ItalicAngleIsTruncatedTowardZero)
{
    const struct
    {
        int32_t fixed;
        int degrees;
    } cases[] = {{-(11 * 65536 + 49152), -11}, {-(12 * 65536 + 32768), -12}, {12 * 65536 + 65535, 12}};
    for (auto c : cases) {
        auto tables = basicTables();
        tables["post"] = post(0x00020000, c.fixed);
        auto rep = parse(font(tables), false);
        ASSERT_TRUE(rep);
        EXPECT_EQ(c.degrees, rep->getPostTable()->italicAngle);
    }
}

TEST_F(TTFParserTest, NameFallbackAndDecoding)
{
    struct Case
    {
        const char* what;
        std::vector<NameRecord> records;
        const char* psName;
        const char* family;
    };
    const Case cases[] = {
        {"windows only", {{3, 1, 1033, 6, utf16(u"Caf\u00e9-Bold")}, {3, 1, 1033, 1, utf16(u"Caf\u00e9 \u4e2d")}},
         "Caf-Bold", "Caf\xe9 ?"},
        {"mac preferred",
         {{3, 1, 1033, 6, utf16(u"WinName")}, {1, 0, 0, 6, ascii("MacName")}, {1, 0, 0, 1, ascii("Mac Family")}},
         "MacName", "Mac Family"},
        {"korean windows", {{3, 5, 1042, 6, utf16(u"Kor")}, {3, 5, 1042, 1, utf16(u"Kor Family")}}, "Kor",
         "Kor Family"},
        {"any mac language", {{1, 0, 5, 6, ascii("Other")}, {1, 0, 5, 1, ascii("Other Family")}}, "Other",
         "Other Family"},
        {"family stands in", {{1, 0, 0, 1, ascii("Family")}}, "Family", "Family"},
    };
    for (const Case& c : cases) {
        auto tables = basicTables();
        tables["name"] = name(c.records);
        std::string error;
        auto rep = parse(font(tables), false, &error);
        ASSERT_TRUE(rep) << c.what << ": " << error;
        EXPECT_STREQ(c.psName, rep->getFontName()) << c.what;
        EXPECT_STREQ(c.family, rep->getWindowsFontName()) << c.what;
    }
}

TEST_F(TTFParserTest, LongNameIsCutToTheBuffer)
{
    auto tables = basicTables();
    tables["name"] = macNames(std::string(300, 'N'), "F");
    auto rep = parse(font(tables), false);
    ASSERT_TRUE(rep);
    EXPECT_EQ(255u, std::string(rep->getFontName()).size());
}

TEST_F(TTFParserTest, WidthsFromMacRomanMapAndGlyphPass)
{
    auto rep = parse(font(basicTables()), true);
    ASSERT_TRUE(rep);
    const uint16_t* w = rep->getWidthTable();
    ASSERT_TRUE(w);
    EXPECT_EQ(600, w['A']);  // 1229 * 1000 / 2048 rounded
    EXPECT_EQ(342, w['B']);  // composite glyph 2: its own advance 700
    EXPECT_EQ(600, w[0xC4]); // same glyph as 'A'
    EXPECT_EQ(244, w['C']);  // unmapped: glyph 0 (500)
    EXPECT_EQ(244, w[0]);
}

TEST_F(TTFParserTest, DamagedFontsFailWithE120)
{
    struct Case
    {
        const char* what;
        void (*change)(std::map<std::string, Bytes>&);
        bool convert;
        const char* reason;
    };
    const Case cases[] = {
        {"no hhea", [](auto& t) { t.erase("hhea"); }, true, "Table hhea not found"},
        {"no cmap", [](auto& t) { t.erase("cmap"); }, true, "Table cmap not found"},
        {"no post", [](auto& t) { t.erase("post"); }, false, "Table post not found"},
        {"post version", [](auto& t) { t["post"] = post(0x00040000, 0); }, false, "Unknown Post Table Version"},
        {"no names", [](auto& t) { t["name"] = name({}); }, false, "PostScript name is not given"},
        {"no family", [](auto& t) { t["name"] = name({{1, 0, 0, 6, ascii("P")}}); }, false,
         "Windows font name is not given"},
        {"units per em 0", [](auto& t) { t["head"] = head(0); }, false, "Invalid unitsPerEm 0"},
        {"no mac cmap", [](auto& t) { t["cmap"] = cmap(format0({}), 3, 1); }, true,
         "Cannot read Mac-Roman TrueType cmap table"},
        {"loca format", [](auto& t) { t["head"] = head(2048, 2); }, true, "Unknown IndexToLocFormat."},
        {"metric format", [](auto& t) { t["hhea"][33] = 1; }, true, "Unknown metricDataFormat."},
        {"composite without components",
         [](auto& t) {
             Bytes glyf, loca, composite(10, 0);
             composite[0] = composite[1] = 0xFF;
             glyphs({Bytes(), simpleGlyph(), composite, simpleGlyph()}, glyf, loca);
             t["glyf"] = glyf;
             t["loca"] = loca;
         },
         true, "Invalid TrueType glyph data (gid 2): 10 bytes"},
        {"component out of range",
         [](auto& t) {
             Bytes glyf, loca;
             glyphs({Bytes(), simpleGlyph(), compositeGlyph(9), simpleGlyph()}, glyf, loca);
             t["glyf"] = glyf;
             t["loca"] = loca;
         },
         true, "Invalid gid (9 > 4) in composite glyph 2."},
        {"more components announced",
         [](auto& t) {
             Bytes glyf, loca;
             glyphs({Bytes(), simpleGlyph(), compositeGlyph(3, 0x0021), simpleGlyph()}, glyf, loca);
             t["glyf"] = glyf;
             t["loca"] = loca;
         },
         true, "bytes"},
        {"glyph past the file",
         [](auto& t) {
             Bytes loca;
             for (unsigned v : {0u, 0u, 0x7000u, 0x7010u, 0x7020u})
                 u16(loca, v);
             t["loca"] = loca;
         },
         true, "Invalid TrueType glyph data (gid 1)."},
        {"format 4 counts beyond length",
         [](auto& t) {
             Bytes sub;
             for (unsigned v : {4u, 24u, 0u, 0xFFFEu, 0u, 0u, 0u})
                 u16(sub, v);
             zeros(sub, 10);
             t["cmap"] = cmap(sub);
         },
         true, "Invalid CMAP Sub Table"},
        {"format 12 huge group count",
         [](auto& t) {
             Bytes sub;
             u16(sub, 12);
             u16(sub, 0);
             u32(sub, 28);
             u32(sub, 0);
             u32(sub, 0xFFFFFFFFu);
             zeros(sub, 12);
             t["cmap"] = cmap(sub);
         },
         true, "Invalid CMAP Sub Table"},
        {"format 2 keys beyond length",
         [](auto& t) {
             Bytes sub;
             u16(sub, 2);
             u16(sub, 600);
             u16(sub, 0);
             for (int i = 0; i < 256; ++i)
                 u16(sub, i == 65 ? 8 * 200 : 0);
             zeros(sub, 100);
             t["cmap"] = cmap(sub);
         },
         true, "Invalid CMAP Sub Table"},
    };
    for (const Case& c : cases) {
        auto tables = basicTables();
        c.change(tables);
        std::string error;
        auto rep = parse(font(tables), c.convert, &error);
        EXPECT_FALSE(rep) << c.what;
        EXPECT_EQ(0u, error.rfind("120 ", 0)) << c.what << ": " << error;
        EXPECT_NE(std::string::npos, error.find(c.reason)) << c.what << ": " << error;
    }
}

TEST_F(TTFParserTest, NamesOnlyWithoutConvertNeedNoMetricTables)
{
    auto tables = basicTables();
    tables.erase("hhea");
    tables.erase("maxp");
    tables.erase("cmap");
    auto rep = parse(font(tables), false);
    ASSERT_TRUE(rep);
    EXPECT_STREQ("TestSans-Regular", rep->getFontName());
    EXPECT_FALSE(rep->getWidthTable());
    EXPECT_FALSE(rep->getHorizontalHeaderTable());
}

TEST_F(TTFParserTest, TruncatedFileIsAnErrorNotTheEndOfData)
{
    const Bytes whole = font(basicTables());
    for (size_t keep : {size_t(6), size_t(40), whole.size() / 2, whole.size() - 20}) {
        Bytes cut(whole.begin(), whole.begin() + static_cast<long>(keep));
        std::string error;
        EXPECT_FALSE(parse(cut, true, &error)) << keep;
        EXPECT_EQ(0u, error.rfind("120 ", 0)) << keep << ": " << error;
    }
}

TEST_F(TTFParserTest, DirectoryEntryWithOffsetZeroCountsAsMissing)
{
    Bytes bytes = font(basicTables());
    qelTTFTableDirectory dir;
    dir.numTables = 1;
    dir.entries = new qelTTFTableEntry[1]{{"post", 0, 0, 32}};
    EXPECT_EQ(0, qelTTFUtils::getTableOffset(&dir, "post"));
    EXPECT_EQ(0, qelTTFUtils::findTableIndex(&dir, "post"));
    EXPECT_EQ(-1, qelTTFUtils::findTableIndex(&dir, "POST"));
    EXPECT_EQ(-1, qelTTFUtils::getTableOffset(&dir, nullptr));
    EXPECT_EQ(0, qelTTFUtils::getTableLength(nullptr, "post"));
    qelIOStream stream(bytes.data(), static_cast<int>(bytes.size()));
    try {
        qelTTFUtils::seekTable(&stream, &dir, "post");
        ADD_FAILURE();
    } catch (qelException* e) {
        EXPECT_EQ(120, e->getId());
        delete e;
    }
}

// Look-ups of the subtable formats, each from a hand-made subtable.
TEST_F(TTFParserTest, CharacterMapLookups)
{
    struct Case
    {
        const char* what;
        Bytes sub;
        std::vector<std::pair<uint32_t, unsigned>> lookups;
    };
    Bytes f4;
    {
        // segments [0x41..0x43] delta 0xFFFF, [0x61..0x62] through the
        // array (second entry out of range), [0xFFFF]
        const unsigned n = 3;
        for (unsigned v : {4u, 16u + 8u * n + 2u, 0u, 2 * n, 0u, 0u, 0u})
            u16(f4, v);
        for (unsigned v : {0x43u, 0x62u, 0xFFFFu})
            u16(f4, v);
        u16(f4, 0);
        for (unsigned v : {0x41u, 0x61u, 0xFFFFu})
            u16(f4, v);
        for (unsigned v : {0xFFFFu, 0u, 1u})
            u16(f4, v);
        for (unsigned v : {0u, 4u, 0u})
            u16(f4, v);
        u16(f4, 7); // glyphIdArray[0]
    }
    Bytes f6;
    for (unsigned v : {6u, 16u, 0u, 0x20u, 3u, 5u, 6u, 7u})
        u16(f6, v);
    Bytes f12;
    u16(f12, 12);
    u16(f12, 0);
    u32(f12, 40);
    u32(f12, 0);
    u32(f12, 2);
    for (uint32_t v : {0x41u, 0x5Au, 10u, 0x10000u, 0x10010u, 100u})
        u32(f12, v);
    Bytes f12empty;
    u16(f12empty, 12);
    u16(f12empty, 0);
    u32(f12empty, 16);
    u32(f12empty, 0);
    u32(f12empty, 0);
    Bytes f2;
    {
        u16(f2, 2);
        u16(f2, 6 + 512 + 16 + 6);
        u16(f2, 0);
        for (int i = 0; i < 256; ++i)
            u16(f2, i == 0x81 ? 8 : 0);
        // sub-header 0: one-byte codes 0x20.. (2 entries), array from 0
        for (unsigned v : {0x20u, 2u, 0u, 2u + 8u})
            u16(f2, v);
        // sub-header 1: second bytes 0x40.. (1 entry), array index 2
        for (unsigned v : {0x40u, 1u, 5u, 2u + 4u})
            u16(f2, v);
        for (unsigned v : {3u, 0u})
            u16(f2, v);
        u16(f2, 9);
    }
    const Case cases[] = {
        {"format 0", format0({{'A', 3}}), {{'A', 3}, {'B', 0}, {0x141, 0}, {0x10041, 0}}},
        {"format 4", f4, {{0x41, 0x40}, {0x43, 0x42}, {0x61, 7}, {0x62, 0}, {0x50, 0}, {0x20, 0}}},
        {"format 6", f6, {{0x1F, 0}, {0x20, 5}, {0x22, 7}, {0x23, 0}}},
        {"format 12", f12, {{0x41, 10}, {0x5A, 35}, {0x10001, 101}, {0x5B, 0}}},
        {"format 12 without groups", f12empty, {{0x41, 0}, {0, 0}}},
        {"format 2", f2, {{0x20, 3}, {0x21, 0}, {0x8140, 14}, {0x8141, 0}}},
    };
    for (const Case& c : cases) {
        // The cmap table alone, behind 16 bytes, named by a directory.
        Bytes bytes(16, 0);
        const Bytes table = cmap(c.sub);
        bytes.insert(bytes.end(), table.begin(), table.end());
        qelIOStream stream(bytes.data(), static_cast<int>(bytes.size()));
        qelTTFTableDirectory directory;
        directory.numTables = 1;
        directory.entries = new qelTTFTableEntry[1]{{"cmap", 0, 16, static_cast<uint32_t>(table.size())}};
        auto* dir = &directory;
        qelTTFCMapParser reader(&stream, dir, nullptr);
        std::unique_ptr<qelTTFCMapSubtable> sub;
        try {
            sub.reset(reader.findSubtable(1, 0));
        } catch (qelException* e) {
            ADD_FAILURE() << c.what << ": " << e->getMessage();
            delete e;
            continue;
        }
        ASSERT_TRUE(sub) << c.what;
        for (auto& l : c.lookups)
            EXPECT_EQ(l.second, reader.lookup(sub.get(), l.first)) << c.what << " code " << std::hex << l.first;
    }
}

} // namespace
