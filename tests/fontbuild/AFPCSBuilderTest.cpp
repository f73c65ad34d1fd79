// The AFP character set builder on recorded Type 3 fonts: what the object
// library writes from the built resource, read back by our own readers and
// checked against hand-worked bytes of the fixed-layout fields.
#include "../afpwrite/AfpWriteSupport.h"
#include "FocaBuilder.h"

#include "qel/afp/AfpResCharacterSet.h"
#include "qelAFPCSBuilder.h"
#include "qelAFPCSRepresentation.h"
#include "qelAFPCharMetrics.h"
#include "qelAFPFontMetrics.h"
#include "qelAFPFontParser.h"
#include "qelAFPFontRepresentation.h"
#include "qelFontConverter.h"
#include "qelFontGlyph.h"
#include "qelGlobalDSPool.h"
#include "qelIOStream.h"
#include "qelLogStream.h"
#include "qelType1PFMRepresentation.h"
#include "qelType3CharMetrics.h"
#include "qelType3FontMetrics.h"
#include "qelType3FontRepresentation.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace afpwrite;
using namespace lrbtest::foca;

namespace
{

// One glyph procedure as the PDF input's recorder keeps it: the metrics in
// single precision at the entry of its code point, the raster glyph at the
// same index of the glyph list.
struct Recorded
{
    explicit Recorded(const std::string& glyph = "", const std::string& id = "") : glyphName(glyph), charId(id) {}

    std::string glyphName;
    std::string charId;
    float increment = 10;
    float aSpace = 0;
    float bSpace = 8;
    float cSpace = 2;
    float ascender = 5;
    float descender = 0;
    unsigned width = 8;
    unsigned height = 5;
    Bytes pattern; // empty: every pel inked
    bool withGlyph = true;
};

// A recorded Type 3 font at 240 pels, 12 points: one code a character.
struct Recording
{
    std::unique_ptr<qelType3FontRepresentation> rep{new qelType3FontRepresentation};
    qelType3FontMetrics* metrics = new qelType3FontMetrics;

    explicit Recording(const std::vector<Recorded>& chars, int first = 32)
    {
        rep->setName("F1");
        rep->setFileName("C0F1T310");
        rep->setTypefaceName("Recorded Face");
        rep->setResolution(240);
        rep->setHeight(120);
        const int n = static_cast<int>(chars.size());
        rep->setFirstChar(first);
        rep->setLastChar(first + n - 1);
        rep->setMetrics(metrics);
        auto** list = new qelCharMetrics*[n > 0 ? n : 1]();
        auto** glyphs = new qelFontGlyph*[n > 0 ? n : 1]();
        for (int i = 0; i < n; ++i) {
            const Recorded& r = chars[static_cast<size_t>(i)];
            auto* m = new qelType3CharMetrics;
            m->setCodePoint(i);
            if (!r.glyphName.empty())
                m->setGlyphName(r.glyphName.c_str());
            if (!r.charId.empty())
                m->setCharId(r.charId.c_str());
            m->setCharIncrement(r.increment);
            m->setASpace(r.aSpace);
            m->setBSpace(r.bSpace);
            m->setCSpace(r.cSpace);
            m->setAscenderHeight(r.ascender);
            m->setDescenderDepth(r.descender);
            list[i] = m;
            if (r.withGlyph) {
                auto* g = new qelFontGlyph;
                g->setWidth(static_cast<uint16_t>(r.width));
                g->setHeight(static_cast<uint16_t>(r.height));
                Bytes bytes = r.pattern;
                if (bytes.empty())
                    bytes.assign(static_cast<size_t>(rowBytes(r.width)) * r.height, 0xFF);
                g->setRaster(bytes.data(), static_cast<int32_t>(bytes.size()));
                glyphs[i] = g;
            }
        }
        metrics->setCharMetricsList(list, n);
        metrics->setGlyphList(glyphs, n);
    }
};

int16_t s16(const std::vector<unsigned char>& d, size_t at)
{
    return at + 1 < d.size() ? static_cast<int16_t>(d[at] << 8 | d[at + 1]) : int16_t(-1);
}

class AFPCSBuilderTest : public LibraryTest
{
protected:
    void TearDown() override
    {
        qelIOStream::setCurrent(nullptr);
        delete qelGlobalDSPool::getInstance();
        LibraryTest::TearDown();
    }

    std::unique_ptr<qelAFPCSRepresentation> build(Recording& font)
    {
        qelFontConverter converter;
        converter.setQuietMode(1);
        converter.setLogStream(qelGlobalDSPool::getInstance()->getLogStream());
        return std::unique_ptr<qelAFPCSRepresentation>(
            static_cast<qelAFPCSRepresentation*>(converter.convert(font.rep.get(), 7)));
    }

    // The built resource as the object library writes it.
    Bytes writtenSet(Recording& font)
    {
        std::unique_ptr<qelAFPCSRepresentation> cs = build(font);
        if (!cs || !cs->getResource())
            return {};
        return written(*cs->getResource(), 1);
    }

    // The written set read back through the character set reader.
    std::unique_ptr<qelAFPFontRepresentation> readBack(const Bytes& bytes)
    {
        m_bytes = bytes;
        qelIOStream stream(m_bytes.data(), static_cast<int>(m_bytes.size()));
        stream.rewind();
        qelAFPFontParser parser;
        parser.setResourceName("C0F1T310");
        std::unique_ptr<qelAFPFontRepresentation> rep;
        try {
            rep.reset(static_cast<qelAFPFontRepresentation*>(parser.parseStream(&stream)));
        } catch (qelException* e) {
            ADD_FAILURE() << e->getMessage();
            delete e;
        }
        qelIOStream::setCurrent(nullptr);
        return rep;
    }

    // The data of the first field of a type.
    static std::vector<unsigned char> fieldData(const Bytes& bytes, int id)
    {
        for (const lrbtest::DumpedField& f : lrbtest::dumpFields(bytes).fields)
            if (f.id == id)
                return f.data;
        return {};
    }

    // The names of the Font Index in written order.
    static std::vector<std::string> indexNames(qelAFPFontRepresentation* rep)
    {
        std::vector<std::string> out;
        qelFontMetrics* m = rep ? rep->getMetrics() : nullptr;
        for (int i = 0; m && i < m->getCharMetricsCount(); ++i) {
            qelCharMetrics* cm = m->getCharMetricsList()[i];
            out.emplace_back(cm && cm->getGlyphName() ? cm->getGlyphName() : "(none)");
        }
        return out;
    }

    Bytes m_bytes;
};

} // namespace

TEST_F(AFPCSBuilderTest, RecordedRasterFontReadsBackWithItsMetricsAndPatterns)
{
    // Three glyphs drawn from a Type 1 font, recorded as the PDF input does;
    // fractions of a half round down.
    const CharacterSet drawn = rasterSet(type1Font("NimbusSans-Regular"), "Hgy", 12, "C0F1T310");
    std::vector<Recorded> chars;
    for (const Character& c : drawn.characters) {
        Recorded r;
        r.charId = c.gcgid;
        r.glyphName = c.gcgid.substr(0, 2);
        r.increment = static_cast<float>(c.increment) + 0.5f;
        r.aSpace = static_cast<float>(c.aSpace) - 0.5f;
        r.bSpace = static_cast<float>(c.bSpace) + 0.25f;
        r.cSpace = static_cast<float>(c.cSpace);
        r.ascender = static_cast<float>(c.ascender) + 0.4f;
        r.descender = static_cast<float>(c.descender);
        r.width = c.width;
        r.height = c.height;
        r.pattern = c.pattern;
        chars.push_back(r);
    }
    Recording font(chars);
    const Bytes bytes = writtenSet(font);
    std::unique_ptr<qelAFPFontRepresentation> rep = readBack(bytes);
    ASSERT_TRUE(rep);
    EXPECT_EQ(rep->getResolution(), 240);
    qelFontMetrics* metrics = rep->getMetrics();
    ASSERT_TRUE(metrics);
    ASSERT_EQ(metrics->getCharMetricsCount(), 3);
    std::vector<Character> sorted = drawn.characters;
    std::sort(sorted.begin(), sorted.end(), [](const Character& a, const Character& b) { return a.gcgid < b.gcgid; });
    unsigned maxWidth = 0;
    unsigned maxHeight = 0;
    for (int i = 0; i < 3; ++i) {
        const Character& c = sorted[static_cast<size_t>(i)];
        auto* m = static_cast<qelAFPCharMetrics*>(metrics->getCharMetricsList()[i]);
        ASSERT_TRUE(m);
        EXPECT_STREQ(m->getGlyphName(), c.gcgid.c_str());
        EXPECT_EQ(m->getCharIncrement(0), c.increment) << c.gcgid;
        EXPECT_EQ(m->getASpace(0), c.aSpace - 1) << c.gcgid;
        EXPECT_EQ(m->getBSpace(0), c.bSpace) << c.gcgid;
        EXPECT_EQ(m->getCSpace(0), c.cSpace) << c.gcgid;
        EXPECT_EQ(m->getAscenderHeight(0), c.ascender) << c.gcgid;
        EXPECT_EQ(m->getDescenderDepth(0), c.descender) << c.gcgid;
        EXPECT_EQ(m->getBaselineOffset(0), c.ascender) << c.gcgid;
        const qelFontGlyph* g = m->getGlyph();
        ASSERT_TRUE(g) << c.gcgid;
        EXPECT_EQ(g->getWidth(), static_cast<int>(c.width));
        EXPECT_EQ(g->getHeight(), static_cast<int>(c.height));
        ASSERT_EQ(g->getRasterLength(), static_cast<int>(c.pattern.size()));
        EXPECT_EQ(Bytes(g->getRaster(), g->getRaster() + g->getRasterLength()), c.pattern) << c.gcgid;
        maxWidth = std::max(maxWidth, c.width);
        maxHeight = std::max(maxHeight, c.height);
    }
    // The largest glyph gives the box; three sizes are not a uniform box.
    EXPECT_EQ(metrics->getMaxCharBoxWidth(), static_cast<int>(maxWidth));
    EXPECT_EQ(metrics->getMaxCharBoxHeight(), static_cast<int>(maxHeight));
    EXPECT_FALSE(rep->isUniformRasterPattern());
    // At 240 pels a 12-point font: the default baseline increment 60.
    auto* afp = static_cast<qelAFPFontMetrics*>(metrics);
    EXPECT_EQ(afp->getDefaultBaselineIncrement(0), 60);
}

TEST_F(AFPCSBuilderTest, OneCharacterGivesTheseFieldBytes)
{
    Recorded a{"A"};
    Recording font({a});
    const Bytes bytes = writtenSet(font);
    // Control: technology 5, a uniform box, 10 inches at 240 pels, box
    // 8 x 5 less one, orientation groups of 26 bytes, index groups of 28,
    // 1-byte alignment, 5 pattern bytes, position groups of 22, map groups
    // of 8, shape resolution 240.
    const std::vector<unsigned char> fnc = fieldData(bytes, FNC);
    ASSERT_GE(fnc.size(), 28u);
    EXPECT_EQ(toHex(Bytes(fnc.begin(), fnc.begin() + 28)),
              "0005" "0002" "0000" "0960" "0960" "0007" "0004" "1A" "1C" "00" "000005" "16" "08" "0000" "0960" "0960");
    // Map: the box less one at pattern offset 0.
    EXPECT_EQ(toHex(fieldData(bytes, FNM)), "0007" "0004" "00000000");
    // Index: 2000000A, increment 10, ascender 5, descender 0, map index 0,
    // A-, B- and C-spaces 0, 8 and 2, baseline offset 5.
    EXPECT_EQ(toHex(fieldData(bytes, FNI)),
              "F2F0F0F0F0F0F0C1" "000A" "0005" "0000" "0000" "0000" "0000" "0008" "0002" "0000" "0005");
    EXPECT_EQ(toHex(fieldData(bytes, FNG)), "FFFFFFFFFF");
}

TEST_F(AFPCSBuilderTest, EachNameIsAddedOnceAndOnlyExactRepeatsAreDropped)
{
    qelLogStream* log = qelGlobalDSPool::getInstance()->getLogStream();
    log->setLevelMask(QEL_LOG_LEVEL2);
    log->open((m_dir + "/run.log").c_str());
    // The recorder names glyphs by the PDF encoding: S and s are two
    // characters; one identifier at two codes is one; a nameless entry none.
    Recorded s{"s"}, S{"S"}, first{"", "LA010000"}, again{"a", "LA010000"}, nameless{};
    first.increment = 11;
    again.increment = 22;
    Recording font({s, first, nameless, S, again});
    std::unique_ptr<qelAFPFontRepresentation> rep = readBack(writtenSet(font));
    log->close();
    ASSERT_TRUE(rep);
    EXPECT_EQ(indexNames(rep.get()), (std::vector<std::string>{"LA010000", "2000000S", "1000000s"}));
    auto* kept = static_cast<qelAFPCharMetrics*>(rep->getMetrics()->getCharMetricsList()[0]);
    EXPECT_EQ(kept->getCharIncrement(0), 11);
    EXPECT_NE(lrbtest::readText(m_dir + "/run.log")
                  .find("Warning! Font F1: character at code point 2 has neither character identifier nor glyph "
                        "name"),
              std::string::npos);
}

TEST_F(AFPCSBuilderTest, SourceWithoutGlyphsAtItsCodesGivesNoCharacters)
{
    Recorded a{"A"}, b{"B"};
    a.withGlyph = false;
    b.withGlyph = false;
    Recording font({a, b});
    std::unique_ptr<qelAFPCSRepresentation> cs = build(font);
    ASSERT_TRUE(cs && cs->getResource());
    EXPECT_EQ(cs->getResource()->getCharacterCount(), 0u);
    const Bytes bytes = written(*cs->getResource(), 1);
    // Font Position: maximum ascender and descender at their start -32767.
    const std::vector<unsigned char> fnp = fieldData(bytes, FNP);
    EXPECT_EQ(s16(fnp, 6), -32767);
    EXPECT_EQ(s16(fnp, 8), -32767);
    // Font Orientation: minimum A-space 32767, maximum increment 0.
    const std::vector<unsigned char> fno = fieldData(bytes, FNO);
    EXPECT_EQ(s16(fno, 24), 32767);
    EXPECT_EQ(s16(fno, 6), 0);
    EXPECT_TRUE(fieldData(bytes, FNI).empty());
}

TEST_F(AFPCSBuilderTest, BaselineOffsetFollowsAscenderAndDescender)
{
    const struct Case
    {
        float ascender;
        float descender;
        int offset;
    } cases[] = {{0, 3, -3}, {-2, 5, -2}, {-5, 2, -2}, {7, 4, 7}, {1, 9, 1}, {0.5f, 2, -2}};
    for (const Case& c : cases) {
        Recorded r{"A"};
        r.ascender = c.ascender;
        r.descender = c.descender;
        Recording font({r});
        std::unique_ptr<qelAFPFontRepresentation> rep = readBack(writtenSet(font));
        ASSERT_TRUE(rep) << c.ascender;
        ASSERT_EQ(rep->getMetrics()->getCharMetricsCount(), 1);
        auto* m = static_cast<qelAFPCharMetrics*>(rep->getMetrics()->getCharMetricsList()[0]);
        EXPECT_EQ(m->getBaselineOffset(0), c.offset) << c.ascender << "/" << c.descender;
    }
}

TEST_F(AFPCSBuilderTest, OrientationAndDescriptorFollowTheCharactersAndTheSize)
{
    const struct Case
    {
        std::vector<std::pair<float, float>> ascDesc;
        int resolution;
        int height;
        bool uniformIncrement;
        int baselineExtent;
        int baselineIncrement;
        int horizontalSize;
    } cases[] = {
        {{{900, 200}}, 240, 120, false, 1100, 60, 80},
        {{{900, 0}}, 240, 120, false, 900, 60, 80},
        {{{0, 200}}, 240, 120, false, 200, 60, 80},
        {{{-3, 0}, {0, 200}}, 240, 120, false, 200, 60, 80},
        // 62.5 rounds down; 100 * 20 / 30 is 66.7.
        {{{10, 4}}, 300, 100, false, 14, 62, 67},
        // The increment of code point 0, 12.5 rounding down.
        {{{10, 4}, {10, 4}}, 600, 75, true, 14, 94, 12},
    };
    for (const Case& c : cases) {
        std::vector<Recorded> chars;
        for (const auto& ad : c.ascDesc) {
            Recorded r{std::string(1, static_cast<char>('A' + chars.size()))};
            r.ascender = ad.first;
            r.descender = ad.second;
            r.increment = 12.5f;
            chars.push_back(r);
        }
        Recording font(chars);
        font.rep->setResolution(c.resolution);
        font.rep->setHeight(c.height);
        font.rep->setUniformCharIncrement(c.uniformIncrement);
        font.metrics->setSpaceIncrement(7.9f);
        const Bytes bytes = writtenSet(font);
        SCOPED_TRACE(c.baselineExtent);
        const std::vector<unsigned char> fno = fieldData(bytes, FNO);
        EXPECT_EQ(s16(fno, 10), c.baselineExtent);
        EXPECT_EQ(s16(fno, 22), c.baselineIncrement);
        EXPECT_EQ(s16(fno, 8), 7); // the space increment truncated
        EXPECT_EQ(s16(fno, 6), 12);
        const std::vector<unsigned char> fnd = fieldData(bytes, 0xA689);
        ASSERT_GE(fnd.size(), 48u);
        // Weight and width class 5; vertical sizes the height; horizontal.
        EXPECT_EQ(fnd[32], 5);
        EXPECT_EQ(fnd[33], 5);
        for (size_t at : {34, 36, 38})
            EXPECT_EQ(s16(fnd, at), c.height);
        for (size_t at : {40, 42, 44})
            EXPECT_EQ(s16(fnd, at), c.horizontalSize);
        std::unique_ptr<qelAFPFontRepresentation> rep = readBack(bytes);
        ASSERT_TRUE(rep);
        EXPECT_EQ(rep->getResolution(), c.resolution);
    }
}

TEST_F(AFPCSBuilderTest, EqualGlyphBoxesMakeAUniformBox)
{
    const struct Case
    {
        std::vector<std::pair<unsigned, unsigned>> sizes;
        bool uniform;
        int maxWidth;
        int maxHeight;
    } cases[] = {
        {{{8, 5}, {8, 5}, {8, 5}}, true, 8, 5},
        {{{8, 5}, {9, 5}}, false, 9, 5},
        {{{8, 5}, {8, 12}}, false, 8, 12},
        // A glyph without pels is one blank pel.
        {{{0, 0}, {3, 2}}, false, 3, 2},
    };
    for (const Case& c : cases) {
        std::vector<Recorded> chars;
        for (const auto& wh : c.sizes) {
            Recorded r{std::string(1, static_cast<char>('A' + chars.size()))};
            r.width = wh.first;
            r.height = wh.second;
            chars.push_back(r);
        }
        Recording font(chars);
        std::unique_ptr<qelAFPFontRepresentation> rep = readBack(writtenSet(font));
        ASSERT_TRUE(rep);
        SCOPED_TRACE(c.maxWidth * 100 + c.maxHeight);
        EXPECT_EQ(rep->isUniformRasterPattern(), c.uniform);
        EXPECT_EQ(rep->getMetrics()->getMaxCharBoxWidth(), c.maxWidth);
        EXPECT_EQ(rep->getMetrics()->getMaxCharBoxHeight(), c.maxHeight);
        ASSERT_EQ(rep->getMetrics()->getCharMetricsCount(), static_cast<int>(c.sizes.size()));
        const qelFontGlyph* g = rep->getMetrics()->getCharMetricsList()[0]->getGlyph();
        ASSERT_TRUE(g);
        EXPECT_EQ(g->getWidth(), c.sizes[0].first ? c.sizes[0].first : 1);
    }
}

TEST_F(AFPCSBuilderTest, SixteenBitFieldsHoldAtTheirEnds)
{
    Recorded big{"A"}, wide{"B"};
    big.increment = 1e9f;
    big.ascender = 40000;
    big.descender = 1e12f;
    wide.increment = -1; // larger than any other, compared unsigned
    wide.aSpace = -70000;
    Recording font({big, wide});
    const Bytes bytes = writtenSet(font);
    EXPECT_EQ(s16(fieldData(bytes, FNI), 8), 32767); // the increment of A
    const std::vector<unsigned char> fnp = fieldData(bytes, FNP);
    EXPECT_EQ(s16(fnp, 6), 32767);
    EXPECT_EQ(s16(fnp, 8), 32767);
    // Maximum increment, baseline offset plus descender, minimum A-space.
    const std::vector<unsigned char> fno = fieldData(bytes, FNO);
    EXPECT_EQ(static_cast<uint16_t>(s16(fno, 6)), 0xFFFF);
    EXPECT_EQ(s16(fno, 4), 32767);
    EXPECT_EQ(s16(fno, 10), 32767);
    EXPECT_EQ(s16(fno, 24), -32768);
}

TEST_F(AFPCSBuilderTest, SourcesThatCannotBeConvertedFailWithE039OrE040)
{
    struct Case
    {
        const char* what;
        std::function<void(Recording&)> damage;
        int id;
        const char* reason;
    } cases[] = {
        {"no metrics", [](Recording& f) { f.rep->setMetrics(nullptr); }, qelMsg::E040, "Font metrics is null"},
        {"last below first",
         [](Recording& f) {
             f.rep->setFirstChar(40);
             f.rep->setLastChar(39);
         },
         qelMsg::E040, "Code point of last character (39) is less than the code point of first character (40)"},
        {"no character metrics", [](Recording& f) { f.metrics->setCharMetricsList(nullptr, 0); }, qelMsg::E040,
         "Character Metrics information not available"},
        {"no glyphs", [](Recording& f) { f.metrics->setGlyphList(nullptr, 0); }, qelMsg::E040,
         "Character Glyphs information not available"},
        {"no resolution", [](Recording& f) { f.rep->setResolution(0); }, qelMsg::E040, "Invalid resolution (0)"},
        {"resolution past the field", [](Recording& f) { f.rep->setResolution(72000); }, qelMsg::E040,
         "Invalid resolution (72000)"},
        {"short pattern", [](Recording& f) { f.metrics->getGlyph(0)->setRaster(Bytes{0xFF}.data(), 1); },
         qelMsg::E040, "Pattern data length (1) of character A is less than expected data length (5)"},
        {"pattern past 16 bits",
         [](Recording& f) {
             f.metrics->getGlyph(0)->setWidth(4000);
             f.metrics->getGlyph(0)->setHeight(4000);
         },
         qelMsg::E040, "Pattern of character A (4000x4000 pels) is too large"},
    };
    for (const Case& c : cases) {
        Recorded a{"A"};
        Recording font({a});
        c.damage(font);
        const lrbtest::Raised r = lrbtest::raised([&] { build(font); });
        EXPECT_EQ(r.id, c.id) << c.what;
        EXPECT_NE(r.message.find(std::string("E040: Conversion of TYPE3 font to AFP Characterset font failed. "
                                             "FontName: F1 Reason: ")
                                 + c.reason),
                  std::string::npos)
            << c.what << ": " << r.message;
    }
    // Another kind of font: E039 with its type's text; no font: nothing.
    qelType1PFMRepresentation pfm;
    const lrbtest::Raised r = lrbtest::raised([&] {
        qelAFPCSBuilder builder;
        builder.build(&pfm);
    });
    EXPECT_EQ(r.id, qelMsg::E039);
    EXPECT_NE(r.message.find("E039: Conversion of PFM(TYPE1 Metric) font to AFP Characterset font not yet supported"),
              std::string::npos)
        << r.message;
    qelAFPCSBuilder builder;
    EXPECT_EQ(builder.build(nullptr), nullptr);
}

TEST_F(AFPCSBuilderTest, TraceLinesOnlyAtTheLevelAll)
{
    for (unsigned mask : {unsigned(QEL_LOG_ALL), unsigned(QEL_LOG_ALL & ~0x1u)}) {
        qelLogStream* log = qelGlobalDSPool::getInstance()->getLogStream();
        log->setLevelMask(mask);
        const std::string path = m_dir + "/trace" + std::to_string(mask) + ".log";
        log->open(path.c_str());
        Recorded a{"A"};
        Recording font({a});
        ASSERT_TRUE(build(font));
        log->close();
        const std::string text = lrbtest::readText(path);
        const bool all = mask == QEL_LOG_ALL;
        for (const char* line :
             {"AFP Characterset Resource: C0F1T310", "FontDescriptor=> Height:120 points, Width:80 points",
              "FontControl=> Flags: 00 Resolution: 240 Metrics: Fixed MaxHeight: 0 MaxWidth: 0 Alignment: 1 byte "
              "Shape resolution: 240",
              "GCGID:A CharInc:10 AS:0 BS:8 CS:2 AH:5 DD:0 BLOffset:5 GW:8 GH:5",
              "FontPosition=> XHeight:0, CapMHeight:0 MaxAsecender:5, MaxDescender=0"})
            EXPECT_EQ(text.find(line) != std::string::npos, all)
                << mask << ": " << line;
    }
}

TEST_F(AFPCSBuilderTest, RepresentationOwnsTheResourceUntilDetached)
{
    auto* kept = new qel::afp::ResCharacterSet("C0KEPT10", 2);
    {
        qelAFPCSRepresentation rep;
        EXPECT_EQ(rep.getType(), 7);
        EXPECT_EQ(rep.getResource(), nullptr);
        rep.setResource(new qel::afp::ResCharacterSet("C0GONE10", 2)); // replaced: destroyed
        rep.setResource(kept);
        rep.setResource(kept);
        EXPECT_EQ(rep.getResource(), kept);
        rep.detachResource();
        EXPECT_EQ(rep.getResource(), nullptr);
    }
    // Alive after the representation went.
    kept->initialize();
    EXPECT_FALSE(written(*kept, 1).empty());
    delete kept;
}
