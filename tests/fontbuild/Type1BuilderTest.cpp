// The PFM and PFB builders: the PFM layout and its values, the PFM read back
// by the PFM parser, and PFB programs of AFP outline character sets read by
// FreeType with the PFM attached.
#include "BuilderTestSupport.h"
#include "FocaBuilder.h"

#include "qelAFPFontParser.h"
#include "qelFontConverter.h"
#include "qelIOStream.h"
#include "qelLogStream.h"
#include "qelType1PFBBuilder.h"
#include "qelType1PFBRepresentation.h"
#include "qelType1PFMBuilder.h"
#include "qelType1PFMParser.h"
#include "qelType1PFMRepresentation.h"

#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>

using namespace buildtest;
using lrbtest::raised;
namespace foca = lrbtest::foca;

namespace {

int le16(const uint8_t* p) { return static_cast<int16_t>(p[0] | (p[1] << 8)); }
uint32_t le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }

std::string dataDir() { return std::string(LORBANE_SOURCE_DIR) + "/data"; }

class Type1BuilderTest : public lrbtest::ScratchTest
{
protected:
    template <class T>
    std::unique_ptr<T> convert(qelFontRepresentation* source, int type, const char* name)
    {
        qelFontConverter converter;
        converter.setQuietMode(1);
        converter.setFontName(name);
        return std::unique_ptr<T>(static_cast<T*>(converter.convert(source, type)));
    }

    // A character set read from FOCA bytes.
    std::unique_ptr<qelAFPFontRepresentation> parse(const lrbtest::Bytes& bytes, const char* name)
    {
        qelIOStream stream(bytes.data(), static_cast<int>(bytes.size()));
        qelAFPFontParser parser;
        parser.setResourceName(name);
        parser.setQuietMode(true);
        stream.rewind();
        std::unique_ptr<qelAFPFontRepresentation> rep(
            static_cast<qelAFPFontRepresentation*>(parser.parseStream(&stream)));
        qelIOStream::setCurrent(nullptr);
        return rep;
    }

    // Glyph names of T1V10500 by code point on the font, codes 0 to 255.
    void prepareForCodePage(qelFontRepresentation* rep, char** names)
    {
        for (const foca::CodePoint& cp : foca::codePointsOf(dataDir() + "/500.cp")) {
            delete[] names[cp.codePoint];
            names[cp.codePoint] = new char[cp.gcgid.size() + 1];
            std::strcpy(names[cp.codePoint], cp.gcgid.c_str());
        }
        rep->setGCGIDArray(names);
        rep->setGCGIDCount(256);
        rep->setFirstChar(0);
        rep->setLastChar(255);
        rep->setSpaceCodePoint(0x40);
        rep->setSpaceCharName("SP010000");
        rep->setDefaultCharName("SP010000");
    }
};

struct Names
{
    char* names[256] = {};
    ~Names()
    {
        for (char* n : names)
            delete[] n;
    }
};

// A raster font for the PFM values: codes 0 to 255, each named.
void wholeRange(Font& font, Names& names)
{
    font.setGlyphs({{"SP010000"}, {"LA020000"}});
    for (int c = 0; c < 256; ++c) {
        names.names[c] = new char[9];
        std::strcpy(names.names[c], c == 0x40 ? "SP010000" : "LA020000");
    }
    font.rep->setGCGIDArray(names.names);
    font.rep->setGCGIDCount(256);
    font.rep->setFirstChar(0);
    font.rep->setLastChar(255);
}

} // namespace

TEST_F(Type1BuilderTest, PfmOffsetsFollowTheNameAndTheCodeRange)
{
    Font font;
    Names names;
    wholeRange(font, names);
    auto pfm = convert<qelType1PFMRepresentation>(font.rep.get(), 2, "ABCDEFGHIJKLMN");
    ASSERT_TRUE(pfm);
    const uint8_t* h = pfm->getHeader();
    EXPECT_EQ(le32(h + 105), 210u);
    EXPECT_EQ(le32(h + 139), 225u);
    EXPECT_EQ(le32(h + 123), 240u);
    EXPECT_EQ(le32(h + 2), 752u);
    EXPECT_EQ(le32(h + 101), 199u);
    EXPECT_EQ(le32(h + 119), 147u);
    // The notice names the character set.
    EXPECT_NE(std::string(reinterpret_cast<const char*>(h + 6)).find("C0TEST10"), std::string::npos);
    EXPECT_EQ(h[6 + 59], 0);

    // The file has the size its header gives, and the PFM parser reads the
    // widths back.
    const std::string path = m_dir + "/ABCDEFGHIJKLMN.pfm";
    ASSERT_EQ(pfm->writeFile(path.c_str()), 0);
    EXPECT_EQ(lrbtest::readFile(path).size(), 752u);
    qelType1PFMParser parser;
    std::unique_ptr<qelType1PFMRepresentation> back(static_cast<qelType1PFMRepresentation*>(parser.parse(path.c_str())));
    ASSERT_TRUE(back);
    EXPECT_STREQ(back->getFontName(), "ABCDEFGHIJKLMN");
    std::unique_ptr<uint16_t[]> widths(back->getWidths(0x40, 0xC1));
    ASSERT_TRUE(widths);
    EXPECT_EQ(widths[0], 40);
    EXPECT_EQ(widths[0xC1 - 0x40], 40);
}

TEST_F(Type1BuilderTest, PfmValuesOfStyleFamilyAndLeading)
{
    struct Case
    {
        const char* what;
        std::function<void(Font&)> set;
        int offset;
        int size;
        int value;
    } cases[] = {
        {"bold weight", [](Font& f) { f.rep->setBold(true); }, 83, 2, 700},
        {"regular weight", [](Font&) {}, 83, 2, 400},
        {"italic", [](Font& f) { f.rep->setItalic(true); }, 80, 1, 1},
        {"italic slant", [](Font& f) { f.rep->setItalic(true); }, 147 + 22, 2, 175},
        {"upright slant", [](Font&) {}, 147 + 22, 2, 0},
        {"Times Roman", [](Font& f) { f.rep->setTypefaceName("Times Roman"); }, 90, 1, 0x20},
        {"serif", [](Font& f) { f.rep->setTypefaceName("Sans serif"); }, 90, 1, 0x10},
        {"uniform increment",
         [](Font& f) {
             f.rep->setTypefaceName("Sans serif");
             f.rep->setUniformCharIncrement(true);
         },
         90, 1, 0x30},
        {"leading 900/250",
         [](Font& f) {
             f.metrics->setMaxAscenderHeight(0, 900);
             f.metrics->setMaxDescenderDepth(0, 250);
         },
         76, 2, 0},
        {"leading 1900/250",
         [](Font& f) {
             f.metrics->setMaxAscenderHeight(0, 1900);
             f.metrics->setMaxDescenderDepth(0, 250);
         },
         76, 2, 650},
    };
    for (const Case& c : cases) {
        Font font;
        Names names;
        wholeRange(font, names);
        c.set(font);
        auto pfm = convert<qelType1PFMRepresentation>(font.rep.get(), 2, "TestFont");
        ASSERT_TRUE(pfm) << c.what;
        std::vector<uint8_t> file(pfm->getHeader(), pfm->getHeader() + 147);
        file.insert(file.end(), pfm->getExtTextMetrics(), pfm->getExtTextMetrics() + 52);
        const int v = c.size == 1 ? file[static_cast<size_t>(c.offset)] : le16(&file[static_cast<size_t>(c.offset)]);
        EXPECT_EQ(v, c.value) << c.what;
    }
}

TEST_F(Type1BuilderTest, MissingGlyphTakesTheSpaceCharactersMetrics)
{
    qelLogStream* log = qelGlobalDSPool::getInstance()->getLogStream();
    log->setLevelMask(QEL_LOG_LEVEL2);
    log->open((m_dir + "/run.log").c_str());
    Font font;
    Glyph space{"SP010000"};
    space.increment = 25;
    font.setGlyphs({space, {"LA020000"}});
    font.setCodes({{0xC1, "LA020000"}, {0xC2, "LZ020000"}});
    qelFontConverter converter;
    converter.setFontName("TestFont");
    converter.setLogStream(log);
    std::unique_ptr<qelType1PFMRepresentation> pfm(
        static_cast<qelType1PFMRepresentation*>(converter.convert(font.rep.get(), 2)));
    ASSERT_TRUE(pfm);
    EXPECT_EQ(pfm->getWidthTable()[0], 40);
    EXPECT_EQ(pfm->getWidthTable()[1], 25);
    log->close();
    EXPECT_NE(lrbtest::readText(m_dir + "/run.log")
                  .find("==>CS=C0TEST10, Warning! Type1 Font conversion:Char Metrics is not found for GCCID "
                        "LZ020000.Using Char Metrics of Space Char GCCID SP010000."),
              std::string::npos);

    // The space character's own name goes on to the default character.
    font.rep->setDefaultCharName("LA020000");
    font.setGlyphs({{"LA020000"}});
    font.setCodes({{0xC1, "SP010000"}});
    pfm = convert<qelType1PFMRepresentation>(font.rep.get(), 2, "TestFont");
    ASSERT_TRUE(pfm);
    EXPECT_EQ(pfm->getWidthTable()[0], 40);
}

TEST_F(Type1BuilderTest, BuildersFailWithE114)
{
    struct Case
    {
        const char* what;
        int type;
        const char* name;
        std::function<void(Font&)> damage;
        const char* reason;
    } cases[] = {
        {"PFM without name", 2, nullptr, [](Font&) {}, "Font name is null"},
        {"PFB without name", 3, nullptr, [](Font&) {}, "Font name is null"},
        {"PFM reversed range", 2, "F",
         [](Font& f) {
             f.rep->setFirstChar(2);
             f.rep->setLastChar(1);
         },
         "Code point of last character is less than the code point of first character"},
        {"PFM without metrics", 2, "F", [](Font& f) { f.rep->setMetrics(nullptr); }, "Font Metrics is NULL"},
        {"PFB without program", 3, "F", [](Font&) {}, "Font program is missing"},
        {"PFB with a program cut short", 3, "F",
         [](Font& f) {
             const uint8_t bytes[] = {0x80, 0x01, 0xFF, 0x00, 0x00, 0x00, '%', '!'};
             f.rep->appendFontData(bytes, sizeof bytes);
         },
         "Invalid PFB segment length 255 in section 1"},
        {"PFM glyph without any metrics", 2, "F",
         [](Font& f) {
             f.rep->setSpaceCharName("SP010000");
             f.rep->setDefaultCharName("LB020000");
             f.setCodes({{0xC1, "LZ020000"}});
         },
         "==>CS=C0TEST10, Warning! Type1 Font conversion:Char Metrics is not found for GCCID LZ020000.Char Metrics "
         "for Space Char GCCID SP010000 is also not found.Char Metrics for Default Char GCCID LB020000 is also not "
         "found."},
    };
    for (const Case& c : cases) {
        Font font;
        font.setGlyphs({{"LA020000"}});
        font.setCodes({{0xC1, "LA020000"}});
        c.damage(font);
        const lrbtest::Raised r = raised([&] {
            qelFontConverter converter;
            converter.setFontName(c.name);
            delete converter.convert(font.rep.get(), c.type);
        });
        EXPECT_EQ(r.id, qelMsg::E114) << c.what;
        EXPECT_EQ(reasonOf(r), c.reason) << c.what;
    }
}

namespace {

struct OutlineCase
{
    const char* type1;
    const char* text;
    // Program glyph names put in place of FreeType's for the symbol font.
    std::vector<const char*> programNames;
};

std::string clearTextOf(const qelType1PFBRepresentation& pfb)
{
    return std::string(reinterpret_cast<const char*>(pfb.getClearTextSegment()), pfb.getClearTextLength());
}

} // namespace

TEST_F(Type1BuilderTest, OutlineFontsBecomePfmAndPfbFilesForTheCodePage)
{
    const std::vector<OutlineCase> cases = {
        {"NimbusSans-Regular", "Hello AFP world", {}},
        {"StandardSymbolsPS", "AB ", {"Alpha", "Beta", "space"}},
    };
    for (const OutlineCase& oc : cases) {
        foca::CharacterSet cs = foca::outlineSet(foca::type1Font(oc.type1), oc.text, "CZTEST10");
        for (size_t i = 0; i < oc.programNames.size(); ++i)
            cs.characters[i].programName = oc.programNames[i];
        auto rep = parse(foca::build(cs), "CZTEST10");
        ASSERT_TRUE(rep) << oc.type1;
        Names names;
        prepareForCodePage(rep.get(), names.names);
        const std::string fontName = std::string(oc.type1) + "-T1V10500";
        auto pfm = convert<qelType1PFMRepresentation>(rep.get(), 2, fontName.c_str());
        auto pfb = convert<qelType1PFBRepresentation>(rep.get(), 3, fontName.c_str());
        rep->setGCGIDArray(nullptr);
        ASSERT_TRUE(pfm && pfb) << oc.type1;

        const std::string clear = clearTextOf(*pfb);
        EXPECT_NE(clear.find("/FontName /" + fontName + " def\n"), std::string::npos) << clear;
        EXPECT_NE(clear.find("/FullName (" + fontName + ") readonly def\n"), std::string::npos) << clear;
        EXPECT_EQ(clear.find("StandardEncoding"), std::string::npos) << clear;
        EXPECT_NE(clear.find("/Encoding 256 array\n0 1 255 {1 index exch /.notdef put } for\n"), std::string::npos);
        const size_t eexec = clear.rfind("currentfile eexec");
        ASSERT_NE(eexec, std::string::npos) << clear;
        EXPECT_EQ(clear.find_first_not_of(" \n", eexec + 17), std::string::npos) << clear;

        const std::string pfmPath = m_dir + "/" + fontName + ".pfm";
        const std::string pfbPath = m_dir + "/" + fontName + ".pfb";
        ASSERT_EQ(pfm->writeFile(pfmPath.c_str()), 0);
        ASSERT_EQ(pfb->writeFile(pfbPath.c_str()), 0);

        // FreeType: the program loads, the metrics attach, and each code
        // point of a character of the set names the character's program
        // glyph under the font's own encoding.
        FT_Library library = nullptr;
        ASSERT_EQ(FT_Init_FreeType(&library), 0);
        FT_Face face = nullptr;
        ASSERT_EQ(FT_New_Face(library, pfbPath.c_str(), 0, &face), 0) << oc.type1;
        EXPECT_EQ(FT_Attach_File(face, pfmPath.c_str()), 0) << oc.type1;
        EXPECT_STREQ(FT_Get_Postscript_Name(face), fontName.c_str());
        EXPECT_EQ(FT_Select_Charmap(face, FT_ENCODING_ADOBE_CUSTOM), 0) << oc.type1;
        std::map<std::string, std::string> programByGcgid;
        for (const foca::Character& c : cs.characters)
            programByGcgid[c.gcgid] = c.programName;
        int checked = 0;
        for (const foca::CodePoint& cp : foca::codePointsOf(dataDir() + "/500.cp")) {
            auto it = programByGcgid.find(cp.gcgid);
            if (it == programByGcgid.end())
                continue;
            char glyph[64] = {};
            FT_Get_Glyph_Name(face, FT_Get_Char_Index(face, cp.codePoint), glyph, sizeof glyph);
            EXPECT_EQ(glyph, it->second) << oc.type1 << " code " << cp.codePoint;
            ++checked;
        }
        EXPECT_GE(checked, 3) << oc.type1;
        FT_Done_Face(face);
        FT_Done_FreeType(library);
    }
}

TEST_F(Type1BuilderTest, ClearTextRewriting)
{
    struct Case
    {
        const char* what;
        const char* fontName;
        std::string clear;
        // Expected text, or empty when the build fails.
        std::string expected;
    } cases[] = {
        {"standard encoding named", "New", "%!PS\n/FontName /Old def\n/Encoding StandardEncoding def\nend\n",
         "%!PS\n/FontName /New def\n@end\n"},
        {"array closed by readonly def", "New",
         "/Encoding 256 array\n0 1 255 {1 index exch /.notdef put} for\ndup 32 /space put\nreadonly def\nrest\n",
         "@rest\n"},
        {"array closed by def", "New", "/encoding 256 array\ndup 65 /A put\n  def\nrest", "@rest"},
        {"names escaped", "A(b)\\c d/e",
         "/FullName (x) readonly def\n/FamilyName (x) readonly def\n/FontName /x def\n",
         "/FullName (A\\(b\\)\\\\c d/e) readonly def\n/FamilyName (A\\(b\\)\\\\c d/e) readonly def\n"
         "/FontName /Ab\\cde def\n"},
        {"array not closed", "New", "/Encoding 256 array\ndup 65 /A put\nreadonly\n", ""},
    };
    for (const Case& c : cases) {
        Font font;
        font.setGlyphs({Glyph("LA020000", "A")});
        font.setCodes({{0x41, "LA020000"}});
        std::vector<uint8_t> program = {0x80, 0x01};
        const uint32_t n = static_cast<uint32_t>(c.clear.size());
        for (int i = 0; i < 4; ++i)
            program.push_back(static_cast<uint8_t>(n >> (8 * i)));
        program.insert(program.end(), c.clear.begin(), c.clear.end());
        for (const uint8_t b : {0x80, 0x02, 0x01, 0x00, 0x00, 0x00, 0xAA, 0x80, 0x01, 0x00, 0x00, 0x00, 0x00, 0x80, 0x03})
            program.push_back(b);
        font.rep->appendFontData(program.data(), static_cast<int32_t>(program.size()));
        std::unique_ptr<qelType1PFBRepresentation> pfb;
        const lrbtest::Raised r = raised([&] { pfb = convert<qelType1PFBRepresentation>(font.rep.get(), 3, c.fontName); });
        if (c.expected.empty()) {
            EXPECT_EQ(r.id, qelMsg::E114) << c.what;
            EXPECT_EQ(reasonOf(r), "Encoding array of the font program does not end") << c.what;
            continue;
        }
        ASSERT_TRUE(pfb) << c.what << " " << r.message;
        std::string expected = c.expected;
        const size_t at = expected.find('@');
        if (at != std::string::npos)
            expected.replace(at, 1,
                             "/Encoding 256 array\n0 1 255 {1 index exch /.notdef put } for\ndup 65 /A put\ndef\n");
        EXPECT_EQ(clearTextOf(*pfb), expected) << c.what;
        EXPECT_EQ(pfb->getBinaryLength(), 1u);
    }
}

TEST_F(Type1BuilderTest, SharedOutlineCharacterSetOfTheCorpusConverts)
{
    const char* path = "/work/shared/corpus/afplib/C0X00006.afp";
    if (!std::ifstream(path))
        GTEST_SKIP() << path << " missing";
    auto rep = parse(lrbtest::readFile(path), "C0X00006");
    ASSERT_TRUE(rep);
    Names names;
    prepareForCodePage(rep.get(), names.names);
    auto pfm = convert<qelType1PFMRepresentation>(rep.get(), 2, "C0X00006-T1V10500");
    auto pfb = convert<qelType1PFBRepresentation>(rep.get(), 3, "C0X00006-T1V10500");
    ASSERT_TRUE(pfm && pfb);
    const std::string pfmPath = m_dir + "/c.pfm";
    const std::string pfbPath = m_dir + "/c.pfb";
    ASSERT_EQ(pfm->writeFile(pfmPath.c_str()), 0);
    ASSERT_EQ(pfb->writeFile(pfbPath.c_str()), 0);
    FT_Library library = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    FT_Face face = nullptr;
    ASSERT_EQ(FT_New_Face(library, pfbPath.c_str(), 0, &face), 0);
    EXPECT_EQ(FT_Attach_File(face, pfmPath.c_str()), 0);
    EXPECT_STREQ(FT_Get_Postscript_Name(face), "C0X00006-T1V10500");
    EXPECT_EQ(FT_Select_Charmap(face, FT_ENCODING_ADOBE_CUSTOM), 0);
    int checked = 0;
    for (int code = 0; code < 256; ++code) {
        const qelAFPCharMetrics* cm = names.names[code] ? rep->getMetrics()->findCharMetrics(names.names[code]) : nullptr;
        if (!cm || !cm->getFontSpecificName() || !*cm->getFontSpecificName())
            continue;
        char glyph[64] = {};
        FT_Get_Glyph_Name(face, FT_Get_Char_Index(face, static_cast<FT_ULong>(code)), glyph, sizeof glyph);
        EXPECT_STREQ(glyph, cm->getFontSpecificName()) << "code " << code;
        ++checked;
    }
    EXPECT_GT(checked, 90);
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    rep->setGCGIDArray(nullptr);
}
