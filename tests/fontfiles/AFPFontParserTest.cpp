#include "FocaBuilder.h"
#include "ScratchFolder.h"

#include "qelAFPCharMetrics.h"
#include "qelAFPFontMetrics.h"
#include "qelAFPFontParser.h"
#include "qelAFPFontRepresentation.h"
#include "qelException.h"
#include "qelFontGlyph.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelIOStream.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"
#include "qelType1PFBParser.h"
#include "qelType1PFBRepresentation.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

using namespace lrbtest;
using namespace lrbtest::foca;

namespace {

// A character whose pattern is `fill` repeated, with distinct metrics.
Character box(const std::string& gcgid, unsigned width, unsigned height, unsigned char fill)
{
    Character c;
    c.gcgid = gcgid;
    c.width = width;
    c.height = height;
    c.pattern.assign(static_cast<size_t>(rowBytes(width)) * height, fill);
    c.increment = width + 2;
    c.aSpace = 1;
    c.bSpace = width;
    c.cSpace = 1;
    c.ascender = static_cast<int>(height);
    c.descender = 2;
    c.baseline = static_cast<int>(height);
    return c;
}

// Three 16 x 15 characters of 30 bytes each: offsets 0, 30, 60, count 90.
CharacterSet threeBoxes()
{
    CharacterSet cs;
    cs.characters = {box("LA020000", 16, 15, 0x11), box("LB020000", 16, 15, 0x22), box("LC020000", 16, 15, 0x33)};
    return cs;
}

std::string str(const Bytes& b) { return std::string(b.begin(), b.end()); }

Bytes glyphBytes(const qelFontGlyph* g)
{
    return g && g->getRaster() ? Bytes(g->getRaster(), g->getRaster() + g->getRasterLength()) : Bytes();
}

qelAFPCharMetrics* charMetrics(const qelAFPFontRepresentation& rep, int i)
{
    qelFontMetrics* m = rep.getMetrics();
    if (!m || !m->getCharMetricsList() || i >= m->getCharMetricsCount())
        return nullptr;
    return static_cast<qelAFPCharMetrics*>(m->getCharMetricsList()[i]);
}

const char* orEmpty(const char* text) { return text ? text : ""; }

class AFPFontParserTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_messages = std::tmpfile();
        qelMessageOutput::set(m_messages);
        qelGlobalDSPool::getInstance()->getIni()->setTempPath((m_folder.path() + "/").c_str());
    }
    void TearDown() override
    {
        qelIOStream::setCurrent(nullptr);
        delete qelGlobalDSPool::getInstance();
        qelMessageOutput::set(nullptr);
        std::fclose(m_messages);
    }
    static qelLogStream* log() { return qelGlobalDSPool::getInstance()->getLogStream(); }
    void openLog(const char* level)
    {
        log()->setLevel(level);
        log()->open(m_folder.file("run.log").c_str());
        ASSERT_NE(nullptr, log()->getFile());
    }
    std::string logText()
    {
        log()->close();
        std::ifstream in(m_folder.file("run.log"), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::string messages() const
    {
        std::fflush(m_messages);
        std::rewind(m_messages);
        std::string text;
        char buffer[512];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, m_messages)) > 0)
            text.append(buffer, n);
        return text;
    }

    // The character set read from the bytes, or null with "kind:id message".
    std::unique_ptr<qelAFPFontRepresentation> parse(const Bytes& input, std::string* error = nullptr,
                                                    qelIOStream* linked = nullptr, const char* name = "C0TEST10")
    {
        qelIOStream stream(input.data(), static_cast<int>(input.size()));
        stream.setLinkedStream(linked);
        if (!m_parser) {
            m_parser.reset(new qelAFPFontParser());
            m_parser->setLogger(log());
        }
        m_parser->setResourceName(name);
        m_parser->setQuietMode(false);
        std::unique_ptr<qelAFPFontRepresentation> rep;
        try {
            // As an input is opened: an introducer X'5A' is recognised.
            stream.rewind();
            rep.reset(static_cast<qelAFPFontRepresentation*>(m_parser->parseStream(&stream)));
        } catch (qelException* e) {
            if (error)
                *error = std::to_string(e->getKind()) + ":" + std::to_string(e->getId()) + " " + e->getMessage();
            delete e;
        } catch (const char* text) {
            if (error)
                *error = text;
        }
        qelIOStream::setCurrent(nullptr);
        return rep;
    }

    lrbtest::ScratchFolder m_folder;
    FILE* m_messages = nullptr;
    // One parser for all reads of a test, as a resource reader keeps it.
    std::unique_ptr<qelAFPFontParser> m_parser;
};

TEST_F(AFPFontParserTest, RasterPatternsAreCutFromOneOrSeveralFields)
{
    const CharacterSet cs = threeBoxes();
    // One field; two of 45 bytes (15 bytes carried); fields of 20 bytes,
    // where the second pattern spans three fields.
    for (size_t piece : {size_t(0), size_t(45), size_t(20), size_t(7)}) {
        Layout layout;
        layout.patternPiece = piece;
        auto rep = parse(build(cs, layout));
        ASSERT_TRUE(rep) << piece;
        qelFontMetrics* m = rep->getMetrics();
        ASSERT_EQ(3, m->getGlyphCount()) << piece;
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(cs.characters[i].pattern, glyphBytes(m->getGlyph(i))) << piece << " glyph " << i;
            EXPECT_EQ(30, m->getGlyph(i)->getRasterLength());
            EXPECT_EQ(16, m->getGlyph(i)->getWidth());
            EXPECT_EQ(15, m->getGlyph(i)->getHeight());
            // The character metrics point at their glyph.
            ASSERT_TRUE(charMetrics(*rep, i));
            EXPECT_EQ(m->getGlyph(i), charMetrics(*rep, i)->getGlyph());
            EXPECT_EQ(i, charMetrics(*rep, i)->getCodePoint());
        }
    }
}

TEST_F(AFPFontParserTest, AlignedPatternsUseOffsetTimesAlignment)
{
    for (unsigned code : {2u, 3u}) {
        CharacterSet cs = threeBoxes();
        cs.characters[1] = box("LB020000", 17, 10, 0x22);
        cs.alignmentCode = code;
        const unsigned align = code == 2 ? 4 : 8;
        // Each 30-byte pattern takes 32 bytes.
        const uint32_t second = 32 / align;
        const uint32_t third = 2 * second;
        cs.patternOffsets = {0, second, third};
        for (size_t piece : {size_t(0), size_t(40)}) {
            Layout layout;
            layout.patternPiece = piece;
            auto rep = parse(build(cs, layout));
            ASSERT_TRUE(rep) << align << " " << piece;
            for (int i = 0; i < 3; ++i) {
                Bytes got = glyphBytes(rep->getMetrics()->getGlyph(i));
                ASSERT_GE(got.size(), cs.characters[i].pattern.size());
                got.resize(cs.characters[i].pattern.size());
                EXPECT_EQ(cs.characters[i].pattern, got) << align << " " << piece << " glyph " << i;
            }
        }
    }
}

TEST_F(AFPFontParserTest, ShortOrMissingPatternsAreW093)
{
    struct Case
    {
        const char* name;
        std::vector<uint32_t> offsets;
        int64_t count;
        const char* error;
    };
    // 17 x 10 needs ceil(17 / 8) x 10 = 30 bytes.
    const Case cases[] = {
        {"29 bytes", {0, 30, 60}, 89,
         "1:93 W093: Insufficient Font Pattern data for GCGID LC020000 for resource C0TEST10. Available Bytes: "
         "(29) Required Bytes: (30)."},
        {"falling offsets", {0, 60, 30}, 90,
         "1:93 W093: Insufficient Font Pattern data for GCGID LB020000 for resource C0TEST10. Available Bytes: (0) "
         "Required Bytes: (30)."},
        {"count below the last offset", {0, 30, 60}, 50,
         "1:93 W093: Insufficient Font Pattern data for GCGID LC020000 for resource C0TEST10. Available Bytes: (0) "
         "Required Bytes: (30)."},
    };
    for (const Case& c : cases) {
        CharacterSet cs = threeBoxes();
        cs.characters[2] = box("LC020000", 17, 10, 0x33);
        cs.patternOffsets = c.offsets;
        cs.rasterDataCount = c.count;
        for (size_t piece : {size_t(0), size_t(45)}) {
            Layout layout;
            layout.patternPiece = piece;
            std::string error;
            EXPECT_FALSE(parse(build(cs, layout), &error)) << c.name;
            EXPECT_EQ(c.error, error) << c.name << " " << piece;
        }
    }
}

TEST_F(AFPFontParserTest, PatternSplitAfterAGapCarriesOnlyTheFieldsBytes)
{
    // The first pattern starts 20 bytes into the data; the second begins
    // in the first field of 60 bytes and ends in the next.
    CharacterSet cs = threeBoxes();
    cs.patternOffsets = {20, 50, 80};
    Layout layout;
    layout.patternPiece = 60;
    auto rep = parse(build(cs, layout));
    ASSERT_TRUE(rep);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(cs.characters[i].pattern, glyphBytes(rep->getMetrics()->getGlyph(i))) << i;
}

TEST_F(AFPFontParserTest, LaterPatternsMapsAppendAndKeepTheGlyphsInUse)
{
    CharacterSet cs = threeBoxes();
    cs.characters.push_back(box("LD020000", 16, 15, 0x44));
    const Bytes map = patternsMapData(cs);
    // The index comes after the first map and links its glyphs; the later
    // maps (one or three more) continue the list.
    for (size_t piece : {size_t(16), size_t(8)}) {
        Bytes maps;
        for (size_t at = piece; at < map.size(); at += piece)
            append(maps, field(FNM, Bytes(map.begin() + static_cast<long>(at),
                                          map.begin() + static_cast<long>(std::min(map.size(), at + piece)))));
        const Bytes input =
            cat({beginFont(cs.name), field(FND, descriptorData(cs)), field(FNC, controlData(cs)),
                 field(FNO, orientationData(cs)), field(FNM, Bytes(map.begin(), map.begin() + static_cast<long>(piece))),
                 field(FNI, indexData(cs)), maps, field(FNG, patternData(cs)), endFont(cs.name)});
        auto rep = parse(input);
        ASSERT_TRUE(rep) << piece;
        qelFontMetrics* m = rep->getMetrics();
        ASSERT_EQ(4, m->getGlyphCount()) << piece;
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(cs.characters[i].pattern, glyphBytes(m->getGlyph(i))) << piece << " " << i;
        // The entries the index linked before the later maps still hold
        // live glyphs.
        const int linked = static_cast<int>(piece / 8);
        for (int i = 0; i < linked; ++i) {
            ASSERT_TRUE(charMetrics(*rep, i));
            EXPECT_EQ(m->getGlyph(i), charMetrics(*rep, i)->getGlyph());
            EXPECT_EQ(cs.characters[i].pattern, glyphBytes(charMetrics(*rep, i)->getGlyph()));
        }
    }
}

TEST_F(AFPFontParserTest, PatternsOutsideARasterSetMakeNoGlyphs)
{
    struct Case
    {
        const char* name;
        unsigned technology;
        unsigned fnmGroupLength;
        const char* logText;
    };
    const Case cases[] = {
        // The map is read and logged, and its largest box still counts.
        {"outline technology", 0x1F, 8, "Warning! Glyph box maximum boundary mismatch"},
        {"raster without map length", 0x05, 0, "Invalid Pattern Technology Id:5"},
    };
    for (const Case& c : cases) {
        openLog("5");
        CharacterSet cs = threeBoxes();
        cs.maxBoxWidth = 4;
        const Bytes control = [&] {
            CharacterSet raster = cs;
            raster.fnmGroupLength = c.fnmGroupLength;
            Bytes d = controlData(raster);
            d[1] = static_cast<unsigned char>(c.technology);
            return d;
        }();
        const Bytes input = cat({beginFont(cs.name), field(FNC, control), field(FNM, patternsMapData(cs)),
                                 field(FNG, patternData(cs)), endFont(cs.name)});
        auto rep = parse(input);
        ASSERT_TRUE(rep) << c.name;
        EXPECT_EQ(0, rep->getMetrics()->getGlyphCount()) << c.name;
        EXPECT_EQ(0, rep->getFontDataLength()) << c.name;
        EXPECT_EQ(16, rep->getMetrics()->getMaxCharBoxWidth()) << c.name;
        EXPECT_NE(std::string::npos, logText().find(c.logText)) << c.name;
    }
}

TEST_F(AFPFontParserTest, OrientationsIndexesAndRotationMetrics)
{
    openLog("5");
    CharacterSet cs = threeBoxes();
    cs.rotations = {ROT0, ROT90};
    cs.defaultBaselineIncrement = 288;
    Layout layout;
    layout.indexPerRotation = false;
    auto rep = parse(build(cs, layout));
    ASSERT_TRUE(rep);
    auto* m = static_cast<qelAFPFontMetrics*>(rep->getMetrics());
    EXPECT_EQ(2, m->getOrientationCount());
    ASSERT_EQ(3, m->getCharMetricsCount());
    qelAFPCharMetrics* a = charMetrics(*rep, 0);
    EXPECT_STREQ("LA020000", a->getGlyphName());
    EXPECT_EQ(18, a->getCharIncrement(0));
    EXPECT_EQ(0xFFFF, a->getCharIncrement(1)); // no index for 90 degrees
    EXPECT_EQ(1, a->getASpace(0));
    EXPECT_EQ(16, a->getBSpace(0));
    EXPECT_EQ(15, a->getAscenderHeight(0));
    EXPECT_EQ(2, a->getDescenderDepth(0));
    EXPECT_EQ(288, m->getDefaultBaselineIncrement(0));
    EXPECT_EQ(288, m->getDefaultBaselineIncrement(1));
    EXPECT_EQ(0xFFFF, m->getDefaultBaselineIncrement(2));
    EXPECT_EQ(18, m->getMaxCharIncrement(1));
    const std::string text = logText();
    EXPECT_NE(std::string::npos, text.find("Warning! Character metrics missing for 90\260 rotation"));
    EXPECT_EQ(std::string::npos, text.find("Warning! Character metrics missing for 0\260 rotation"));
    EXPECT_NE(std::string::npos, text.find("Warning! Font Orientation missing for 180\260 rotation"));
}

TEST_F(AFPFontParserTest, SecondFontIndexIsLoggedNotStored)
{
    openLog("5");
    CharacterSet cs = threeBoxes();
    cs.rotations = {ROT0, ROT90};
    auto rep = parse(build(cs));
    ASSERT_TRUE(rep);
    EXPECT_EQ(3, rep->getMetrics()->getCharMetricsCount());
    // The second index doubles the increments; none of them is kept.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(18, charMetrics(*rep, i)->getCharIncrement(0)) << i;
        EXPECT_EQ(0xFFFF, charMetrics(*rep, i)->getCharIncrement(1)) << i;
    }
    const std::string text = logText();
    size_t rows = 0;
    for (size_t at = text.find("LA020000       36"); at != std::string::npos; at = text.find("LA020000", at + 1))
        ++rows;
    EXPECT_GE(rows, 1u);
    EXPECT_EQ(std::string::npos, text.find("Warning! Character metrics missing"));
}

TEST_F(AFPFontParserTest, ShortFontIndexGroups)
{
    openLog("5");
    // Length 10: GCGID and increment only.
    CharacterSet cs = threeBoxes();
    cs.fniGroupLength = 10;
    auto rep = parse(build(cs));
    ASSERT_TRUE(rep);
    ASSERT_EQ(3, rep->getMetrics()->getCharMetricsCount());
    EXPECT_STREQ("LB020000", charMetrics(*rep, 1)->getGlyphName());
    EXPECT_EQ(18, charMetrics(*rep, 1)->getCharIncrement(0));
    EXPECT_EQ(0, charMetrics(*rep, 1)->getAscenderHeight(0));
    EXPECT_EQ(0, charMetrics(*rep, 1)->getDescenderDepth(0));
    const std::string text = logText();
    EXPECT_NE(std::string::npos, text.find("'A' => Warning! Invalid Ascender Height value"));
    EXPECT_NE(std::string::npos, text.find("'D' => Warning! Invalid Descender Depth value"));

    // Below 10 (0 included, also an index before the control field): no
    // groups, and the reading ends.
    for (unsigned length : {0u, 1u, 9u}) {
        CharacterSet bad = threeBoxes();
        bad.fniGroupLength = length;
        auto read = parse(build(bad));
        ASSERT_TRUE(read) << length;
        EXPECT_EQ(0, read->getMetrics()->getCharMetricsCount()) << length;
        EXPECT_EQ(3, read->getMetrics()->getGlyphCount()) << length;
    }
    const Bytes early = cat({beginFont("C0TEST10"), field(FNI, indexData(threeBoxes())), endFont("C0TEST10")});
    auto read = parse(early);
    ASSERT_TRUE(read);
    EXPECT_EQ(0, read->getMetrics()->getCharMetricsCount());
}

TEST_F(AFPFontParserTest, DescriptorAndControlValues)
{
    // No FGID: a generated name "MF" and a number, numeric FGID 0.
    {
        const CharacterSet cs = threeBoxes();
        const Bytes input = cat({beginFont(cs.name), field(FND, descriptorData(cs, false)),
                                 field(FNC, controlData(cs)), endFont(cs.name)});
        auto rep = parse(input);
        ASSERT_TRUE(rep);
        EXPECT_EQ(0, rep->getFGIDNumber());
        EXPECT_EQ(0, std::string(orEmpty(rep->getFGID())).rfind("MF", 0)) << orEmpty(rep->getFGID());
        EXPECT_GT(std::string(orEmpty(rep->getFGID())).size(), 2u);
        EXPECT_STREQ("Test Face", rep->getTypefaceName());
        EXPECT_STREQ("Medium (normal)", rep->getWeightClassName());
        EXPECT_EQ(100, rep->getNominalVerticalSize());
    }
    // With an FGID.
    {
        auto rep = parse(build(threeBoxes()));
        ASSERT_TRUE(rep);
        EXPECT_EQ(2308, rep->getFGIDNumber());
        EXPECT_STREQ("2308", rep->getFGID());
    }
    // Units: only equal X and Y give a resolution.
    struct Units
    {
        unsigned x, y;
        int resolution, unitsPerUnitBase;
    };
    for (const Units& u : {Units{3000, 2400, 0, 0}, Units{2400, 2400, 240, 240}, Units{3000, 3000, 300, 300}}) {
        CharacterSet cs = threeBoxes();
        cs.xUnits = u.x;
        cs.yUnits = u.y;
        auto rep = parse(build(cs));
        ASSERT_TRUE(rep);
        EXPECT_EQ(u.resolution, rep->getResolution()) << u.x << "/" << u.y;
        EXPECT_EQ(u.unitsPerUnitBase, rep->getUnitsPerUnitBase()) << u.x << "/" << u.y;
    }
    // Box height 239 at 240 pels without a descriptor size: 720 tenths.
    {
        CharacterSet cs = threeBoxes();
        cs.maxBoxHeight = 240;
        cs.characters = {box("LA020000", 16, 240, 0x11)};
        Layout layout;
        layout.withDescriptor = false;
        auto rep = parse(build(cs, layout));
        ASSERT_TRUE(rep);
        EXPECT_EQ(720, rep->getNominalVerticalSize());
        EXPECT_EQ(240, rep->getMetrics()->getMaxCharBoxHeight());
    }
}

TEST_F(AFPFontParserTest, DamagedIntroducerResumesAtTheNextField)
{
    const CharacterSet cs = threeBoxes();
    const Bytes whole = build(cs);
    // Split after the orientation field.
    Bytes head = cat({beginFont(cs.name), field(FND, descriptorData(cs)), field(FNC, controlData(cs)),
                      field(FNM, patternsMapData(cs)), field(FNO, orientationData(cs))});
    const Bytes tail(whole.begin() + static_cast<long>(head.size()), whole.end());
    // The same fields without their X'5A' introducers.
    auto bare = [](const Bytes& fields) {
        Bytes out;
        for (size_t at = 0; at + 3 <= fields.size();) {
            const size_t length = (size_t(fields[at + 1]) << 8) | fields[at + 2];
            out.insert(out.end(), fields.begin() + static_cast<long>(at + 1),
                       fields.begin() + static_cast<long>(at + 1 + length));
            at += 1 + length;
        }
        return out;
    };
    struct Case
    {
        const char* name;
        Bytes junk;
        bool introducers;
    };
    // A damaged class byte: the reader goes on at the next X'D3', four bytes
    // back when X'5A' stands three before it, else three.
    const Case cases[] = {
        {"introducer, then no class byte", {0x5A, 0x12, 0x34, 0x00, 0x11}, true},
        {"introducer with a short field", {0x5A, 0x00, 0x40, 0x41}, true},
        {"no introducers", {0x00, 0x10, 0x00}, false},
    };
    for (const Case& c : cases) {
        const Bytes input = c.introducers ? cat({head, c.junk, tail}) : cat({bare(head), c.junk, bare(tail)});
        const std::string copyPath = m_folder.file("copy.afp");
        qelIOStream copy;
        copy.openFile(copyPath.c_str(), true);
        std::string error;
        auto rep = parse(input, &error, &copy);
        copy.close();
        ASSERT_TRUE(rep) << c.name << " " << error;
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(cs.characters[i].pattern, glyphBytes(rep->getMetrics()->getGlyph(i))) << c.name;
        EXPECT_EQ(15, rep->getMetrics()->getCapMHeight(0)) << c.name;
        // Every field reaches the copy once, with its introducer.
        EXPECT_EQ(str(whole), str(readFile(copyPath))) << c.name;
    }
    EXPECT_NE(std::string::npos, messages().find("W062"));
    // No X'D3' within the next 4096 bytes: E076 with the position the search began.
    Bytes lost = cat({head, Bytes{0x5A, 0x00, 0x10, 0x00}, Bytes(5000, 0x00), tail});
    std::string error;
    EXPECT_FALSE(parse(lost, &error));
    EXPECT_EQ(0, error.rfind("0:76 E076: Not able to find a valid SFI within the 4 Kb of data. ", 0)) << error;
    char offset[32];
    std::snprintf(offset, sizeof offset, "  Offset=0x%x", static_cast<unsigned>(head.size() + 4));
    EXPECT_NE(std::string::npos, error.find(offset)) << error;
}

TEST_F(AFPFontParserTest, LinkedStreamGetsEveryFieldOnceNoOperationsIncluded)
{
    const CharacterSet cs = threeBoxes();
    Layout layout;
    layout.patternPiece = 45;
    Bytes input = build(cs, layout);
    const Bytes nop = field(NOP, ebcdic("a comment"));
    input.insert(input.begin() + static_cast<long>(beginFont(cs.name).size()), nop.begin(), nop.end());
    const std::string copyPath = m_folder.file("copy.afp");
    qelIOStream copy;
    copy.openFile(copyPath.c_str(), true);
    auto rep = parse(input, nullptr, &copy);
    copy.close();
    ASSERT_TRUE(rep);
    EXPECT_EQ(str(input), str(readFile(copyPath)));
}

class NameMapTest : public AFPFontParserTest
{
protected:
    void SetUp() override
    {
        AFPFontParserTest::SetUp();
        m_font = type1Font("NimbusSans-Regular");
        if (!std::ifstream(m_font))
            GTEST_SKIP() << m_font << " missing";
    }
    std::string m_font;
};

TEST_F(NameMapTest, OutlineProgramOverTwoFieldsIsTheSourcePfb)
{
    CharacterSet cs = outlineSet(m_font, "AB a");
    const size_t object = outlineHeader(cs.program.size()).size() + cs.program.size();
    Layout layout;
    layout.patternPiece = (object + 1) / 2;
    auto rep = parse(build(cs, layout));
    ASSERT_TRUE(rep);
    EXPECT_EQ(0x1F, rep->getPatternTechnology());
    EXPECT_TRUE(rep->isOutlineFont());
    EXPECT_TRUE(rep->isRelativeMetric());
    EXPECT_EQ(1000, rep->getUnitsPerUnitBase());
    ASSERT_EQ(static_cast<int32_t>(cs.program.size()), rep->getFontDataLength());
    EXPECT_EQ(str(cs.program), std::string(reinterpret_cast<const char*>(rep->getFontData()), cs.program.size()));
    // Names of the program, by GCGID.
    const char* names[] = {"A", "B", "space", "a"};
    for (int i = 0; i < 4; ++i)
        EXPECT_STREQ(names[i], orEmpty(charMetrics(*rep, i)->getFontSpecificName())) << i;
    EXPECT_EQ(667, charMetrics(*rep, 0)->getCharIncrement(0));

    // The program parses into the three segments of the source file.
    qelType1PFBParser pfb;
    std::unique_ptr<qelType1PFBRepresentation> source(
        static_cast<qelType1PFBRepresentation*>(pfb.parse(m_font.c_str())));
    ASSERT_TRUE(source);
    qelIOStream data(rep->getFontData(), rep->getFontDataLength());
    std::unique_ptr<qelType1PFBRepresentation> segments(
        static_cast<qelType1PFBRepresentation*>(pfb.parseStream(&data)));
    ASSERT_TRUE(segments);
    auto same = [](const qelType1PFBRepresentation& a, const qelType1PFBRepresentation& b) {
        return a.getClearTextLength() == b.getClearTextLength() && a.getBinaryLength() == b.getBinaryLength()
               && a.getTrailerLength() == b.getTrailerLength()
               && std::memcmp(a.getClearTextSegment(), b.getClearTextSegment(), a.getClearTextLength()) == 0
               && std::memcmp(a.getBinarySegment(), b.getBinarySegment(), a.getBinaryLength()) == 0
               && std::memcmp(a.getTrailerSegment(), b.getTrailerSegment(), a.getTrailerLength()) == 0;
    };
    EXPECT_TRUE(same(*source, *segments));
    const std::string written = m_folder.file("written.pfb");
    ASSERT_EQ(0, segments->writeFile(written.c_str()));
    std::unique_ptr<qelType1PFBRepresentation> back(static_cast<qelType1PFBRepresentation*>(pfb.parse(written.c_str())));
    ASSERT_TRUE(back);
    EXPECT_TRUE(same(*source, *back));
}

TEST_F(NameMapTest, NameMapSplitOverFieldsIsReadOnce)
{
    openLog("5");
    CharacterSet cs = outlineSet(m_font, "ABC");
    Layout layout;
    layout.namePiece = 20;
    auto rep = parse(build(cs, layout));
    ASSERT_TRUE(rep);
    const char* names[] = {"A", "B", "C"};
    for (int i = 0; i < 3; ++i)
        EXPECT_STREQ(names[i], orEmpty(charMetrics(*rep, i)->getFontSpecificName())) << i;
    const std::string text = logText();
    const std::string heading = "Mapping between GCGID Name and Tech.Specific Name";
    ASSERT_NE(std::string::npos, text.find(heading));
    EXPECT_EQ(std::string::npos, text.find(heading, text.find(heading) + 1));
}

TEST_F(NameMapTest, NamesGoToTheCharacterTheGroupNames)
{
    CharacterSet cs = outlineSet(m_font, "ABC");
    // The map lists the characters in another order than the index.
    CharacterSet reordered = cs;
    std::swap(reordered.characters[0], reordered.characters[2]);
    const Bytes input = cat({beginFont(cs.name), field(FNC, controlData(cs)), field(FNO, orientationData(cs)),
                             field(FNI, indexData(cs)), field(FNN, nameMapData(reordered)), endFont(cs.name)});
    auto rep = parse(input);
    ASSERT_TRUE(rep);
    const char* names[] = {"A", "B", "C"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_STREQ(cs.characters[i].gcgid.c_str(), charMetrics(*rep, i)->getGlyphName());
        EXPECT_STREQ(names[i], orEmpty(charMetrics(*rep, i)->getFontSpecificName())) << i;
    }
}

TEST_F(NameMapTest, EntryOffsetPastTheBlockNamesNothing)
{
    CharacterSet cs = outlineSet(m_font, "ABC");
    Bytes map = nameMapData(cs);
    // The second group's offset (block offset 2 + 12 + 8) points past the end.
    const uint32_t past = static_cast<uint32_t>(map.size()) + 3;
    for (int k = 0; k < 4; ++k)
        map[2 + 12 + 8 + k] = static_cast<unsigned char>(past >> (24 - 8 * k));
    // The third one's entry runs past the end.
    map.back() = 'C';
    map[map.size() - 2] = 9;
    const Bytes input = cat({beginFont(cs.name), field(FNC, controlData(cs)), field(FNO, orientationData(cs)),
                             field(FNI, indexData(cs)), field(FNN, map), endFont(cs.name)});
    auto rep = parse(input);
    ASSERT_TRUE(rep);
    EXPECT_STREQ("A", orEmpty(charMetrics(*rep, 0)->getFontSpecificName()));
    EXPECT_EQ(nullptr, charMetrics(*rep, 1)->getFontSpecificName());
    EXPECT_EQ(nullptr, charMetrics(*rep, 2)->getFontSpecificName());
}

TEST_F(NameMapTest, Type1DumpStaysInTheTemporaryFolder)
{
    const CharacterSet cs = outlineSet(m_font, "A");
    openLog("ALL");
    std::vector<std::string> dumps;
    for (const char* name : {"../../escape", "../../escape"}) {
        auto rep = parse(build(cs), nullptr, nullptr, name);
        ASSERT_TRUE(rep);
        dumps.push_back(m_parser->getDumpFile());
    }
    log()->close();
    const std::string folder = m_folder.path() + "/";
    EXPECT_EQ(folder + "______escape.pfb", dumps[0]);
    EXPECT_EQ(folder + "______escape_1.pfb", dumps[1]);
    for (const std::string& path : dumps)
        EXPECT_EQ(str(cs.program), str(readFile(path)));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(m_folder.path()).parent_path().parent_path()
                                         / "escape.pfb"));
}

TEST_F(AFPFontParserTest, CidDescriptorLengthBelowTwoReadsNoDescriptor)
{
    CharacterSet cs = threeBoxes();
    cs.technology = 0x1E;
    cs.characters.clear();
    const Bytes program = {'%', '!', 'c', 'i', 'd', 0, 1, 2, 3};
    for (unsigned descriptorLength : {0u, 1u, 2u}) {
        Bytes object = outlineHeader(program.size());
        put16(object, descriptorLength);
        append(object, program);
        const Bytes input =
            cat({beginFont(cs.name), field(FNC, controlData(cs)), field(FNG, object), endFont(cs.name)});
        auto rep = parse(input);
        ASSERT_TRUE(rep) << descriptorLength;
        ASSERT_EQ(static_cast<int32_t>(program.size()), rep->getFontDataLength()) << descriptorLength;
        EXPECT_EQ(str(program), std::string(reinterpret_cast<const char*>(rep->getFontData()), program.size()));
    }
}

TEST_F(AFPFontParserTest, DamagedInputsGiveWarningsOrCodedErrors)
{
    // Every cut of a character set, and inputs that are no character set.
    CharacterSet cs = threeBoxes();
    Layout layout;
    layout.patternPiece = 45;
    const Bytes whole = build(cs, layout);
    for (size_t n = 0; n < whole.size(); ++n) {
        std::string error;
        auto rep = parse(Bytes(whole.begin(), whole.begin() + static_cast<long>(n)), &error);
        EXPECT_FALSE(rep) << n;
        // An error, or the warning of an introducer the input ends in.
        EXPECT_TRUE(error.rfind("0:", 0) == 0 || error.rfind("1:62 ", 0) == 0) << n << " " << error;
    }
    std::string error;
    EXPECT_FALSE(parse(field(0xA8A8, name8("DOC00001")), &error));
    EXPECT_EQ("", error);
    EXPECT_NE(std::string::npos, messages().find("Warning! Unexpected SFType ID : 0xa8a8"));
    Bytes noise(300);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<unsigned char>(i * 37 + 11);
    error.clear();
    EXPECT_FALSE(parse(noise, &error));
    EXPECT_NE("", error);

    // Fields cut inside: every field with its data shortened to each length.
    const Bytes fields[] = {field(FND, descriptorData(cs)), field(FNC, controlData(cs)),
                            field(FNO, orientationData(cs)), field(FNP, positionData(cs)),
                            field(FNI, indexData(cs)),     field(FNM, patternsMapData(cs))};
    for (const Bytes& f : fields) {
        const Bytes data(f.begin() + 9, f.end());
        for (size_t n = 0; n <= data.size(); n += 3) {
            Bytes input = build(cs);
            const Bytes shortField = field((f[4] << 8) | f[5], Bytes(data.begin(), data.begin() + static_cast<long>(n)));
            input.insert(input.begin() + static_cast<long>(beginFont(cs.name).size()), shortField.begin(),
                         shortField.end());
            std::string e;
            parse(input, &e);
            EXPECT_TRUE(e.empty() || e.rfind("1:93 ", 0) == 0) << e;
        }
    }
}

TEST_F(AFPFontParserTest, NullStreamGivesNullAndALogLine)
{
    openLog("2");
    qelAFPFontParser parser;
    parser.setLogger(log());
    parser.setResourceName("C0NONE");
    EXPECT_EQ(nullptr, parser.parseStream(nullptr));
    EXPECT_EQ(nullptr, parser.parse("anything"));
    EXPECT_EQ(37, parser.getParserType());
    EXPECT_NE(std::string::npos,
              logText().find("Error! NULL IOSteam passed to qelAFPFontParser::parse() for resource C0NONE"));
}

TEST_F(AFPFontParserTest, FieldLogOfARasterSetMatchesTheGoldenFile)
{
    openLog("5");
    CharacterSet cs;
    Character a = box("LA020000", 9, 4, 0);
    a.pattern = {0x80, 0x80, 0x41, 0x00, 0x22, 0x00, 0x1C, 0x00};
    Character i = box("LI010000", 3, 4, 0);
    i.pattern = {0x40, 0x00, 0x40, 0x40};
    i.descender = 0;
    cs.characters = {a, i};
    cs.rotations = {ROT0, ROT270};
    auto rep = parse(build(cs));
    ASSERT_TRUE(rep);
    const std::string text = logText();
    const std::string golden = std::string(LORBANE_TEST_DATA) + "/fonts/foca-raster-level5.log";
    if (std::getenv("LORBANE_UPDATE_GOLDEN")) {
        std::ofstream out(golden, std::ios::binary);
        out << text;
    }
    EXPECT_EQ(str(readFile(golden)), text);
}

TEST_F(AFPFontParserTest, SharedOutlineCharacterSetOfTheCorpusIsReadable)
{
    const char* path = "/work/shared/corpus/afplib/C0X00006.afp";
    if (!std::ifstream(path))
        GTEST_SKIP() << path << " missing";
    const Bytes input = readFile(path);
    auto rep = parse(input, nullptr, nullptr, "C0X00006");
    ASSERT_TRUE(rep);
    EXPECT_EQ(0x1F, rep->getPatternTechnology());
    EXPECT_GT(rep->getMetrics()->getCharMetricsCount(), 100);
    int named = 0;
    for (int i = 0; i < rep->getMetrics()->getCharMetricsCount(); ++i)
        if (charMetrics(*rep, i) && charMetrics(*rep, i)->getFontSpecificName())
            ++named;
    EXPECT_GT(named, 100);
    qelIOStream data(rep->getFontData(), rep->getFontDataLength());
    qelType1PFBParser pfb;
    std::unique_ptr<qelType1PFBRepresentation> segments(
        static_cast<qelType1PFBRepresentation*>(pfb.parseStream(&data)));
    ASSERT_TRUE(segments);
    EXPECT_GT(segments->getBinaryLength(), 1000u);
}

} // namespace
