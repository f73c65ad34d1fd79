// Character sets and code pages written by the object library and read
// back by the font resource readers.
#include "AfpWriteSupport.h"
#include "FocaBuilder.h"

#include "qel/afp/AfpFontControl.h"
#include "qel/afp/AfpResCharacterSet.h"
#include "qel/afp/AfpResCodePage.h"
#include "qelAFPCharMetrics.h"
#include "qelAFPFontMetrics.h"
#include "qelAFPFontParser.h"
#include "qelAFPFontRepresentation.h"
#include "qelCodePage.h"
#include "qelCodePageParser.h"
#include "qelException.h"
#include "qelFontGlyph.h"
#include "qelGlobalDSPool.h"
#include "qelIOStream.h"
#include "qelIni.h"

#include <algorithm>
#include <memory>
#include <string>

using namespace afpwrite;
using namespace lrbtest::foca;

namespace
{

class FocaRoundTripTest : public LibraryTest
{
protected:
    void SetUp() override
    {
        LibraryTest::SetUp();
        qelGlobalDSPool::getInstance()->getIni()->setResourceGroup("0");
    }
    void TearDown() override
    {
        qelIOStream::setCurrent(nullptr);
        m_input.reset();
        delete qelGlobalDSPool::getInstance();
        LibraryTest::TearDown();
    }
    void read(const Bytes& bytes)
    {
        m_bytes = bytes;
        m_input.reset(new qelIOStream(m_bytes.data(), static_cast<int>(m_bytes.size())));
        m_input->rewind();
        qelIOStream::setCurrent(m_input.get());
    }

    Bytes m_bytes;
    std::unique_ptr<qelIOStream> m_input;
};

// What the character set builder does with drawn characters: in
// ascending order of their names, metrics for 0 degrees only.
std::unique_ptr<qel::afp::ResCharacterSet> writeSet(const CharacterSet& drawn)
{
    auto cs = std::make_unique<qel::afp::ResCharacterSet>(drawn.name.c_str(), 2);
    cs->initialize();
    cs->addFontDescriptor(drawn.typeface.c_str(), 5, 5, 100, 100, 100, 0, 0, 0, 0, 0, 0, 0, 0, 2308, nullptr,
                          nullptr);
    cs->addFontControl(0, 240, 240, 0, 0, 1, 1, 0, 0, 240, 240);
    std::vector<Character> sorted = drawn.characters;
    std::sort(sorted.begin(), sorted.end(), [](const Character& a, const Character& b) { return a.gcgid < b.gcgid; });
    uint16_t maxWidth = 0;
    uint16_t maxHeight = 0;
    for (const Character& c : sorted) {
        const qel::afp::CharacterMetricsRecord m{c.gcgid.c_str(),
                                                 static_cast<int16_t>(c.aSpace),
                                                 static_cast<int16_t>(c.bSpace),
                                                 static_cast<int16_t>(c.cSpace),
                                                 static_cast<int16_t>(c.increment),
                                                 static_cast<int16_t>(c.ascender),
                                                 static_cast<int16_t>(c.descender),
                                                 static_cast<int16_t>(c.baseline)};
        EXPECT_EQ(cs->addCharacter(&m, nullptr, nullptr, nullptr, c.pattern.data(),
                                   static_cast<uint16_t>(c.pattern.size()), static_cast<uint16_t>(c.width),
                                   static_cast<uint16_t>(c.height)),
                  0);
        maxWidth = std::max<uint16_t>(maxWidth, static_cast<uint16_t>(c.width));
        maxHeight = std::max<uint16_t>(maxHeight, static_cast<uint16_t>(c.height));
    }
    cs->getFontControl()->setMaxCharacterBoxWidth(maxWidth);
    cs->getFontControl()->setMaxCharacterBoxHeight(maxHeight);
    cs->addFontOrientation(maxHeight, 40, 20, maxHeight, 0, 40, 20, 20, 48, 0, 0x0000);
    cs->addFontPosition(20, 30, 30, 8, 2, -4, 0);
    return cs;
}

TEST_F(FocaRoundTripTest, DrawnCharacterSetReadsBackTheSame)
{
    const CharacterSet drawn = rasterSet(type1Font("NimbusSans-Regular"), "Hgy", 10, "C0TRIP10");
    auto cs = writeSet(drawn);
    const Bytes bytes = written(*cs, 1);
    qelIOStream stream(bytes.data(), static_cast<int>(bytes.size()));
    stream.rewind();
    qelAFPFontParser parser;
    parser.setResourceName("C0TRIP10");
    std::unique_ptr<qelAFPFontRepresentation> rep;
    try {
        rep.reset(static_cast<qelAFPFontRepresentation*>(parser.parseStream(&stream)));
    } catch (qelException* e) {
        ADD_FAILURE() << e->getMessage();
        delete e;
    }
    ASSERT_TRUE(rep);
    EXPECT_EQ(rep->getResolution(), 240);
    qelFontMetrics* metrics = rep->getMetrics();
    ASSERT_TRUE(metrics);
    ASSERT_EQ(metrics->getCharMetricsCount(), 3);
    // The characters in the order written: by name.
    std::vector<Character> sorted = drawn.characters;
    std::sort(sorted.begin(), sorted.end(), [](const Character& a, const Character& b) { return a.gcgid < b.gcgid; });
    for (int i = 0; i < 3; ++i) {
        const Character& c = sorted[static_cast<size_t>(i)];
        auto* m = static_cast<qelAFPCharMetrics*>(metrics->getCharMetricsList()[i]);
        ASSERT_TRUE(m);
        EXPECT_STREQ(m->getGlyphName(), c.gcgid.c_str());
        EXPECT_EQ(m->getCharIncrement(0), c.increment) << c.gcgid;
        EXPECT_EQ(m->getASpace(0), c.aSpace) << c.gcgid;
        EXPECT_EQ(m->getBSpace(0), c.bSpace) << c.gcgid;
        EXPECT_EQ(m->getCSpace(0), c.cSpace) << c.gcgid;
        EXPECT_EQ(m->getAscenderHeight(0), c.ascender) << c.gcgid;
        EXPECT_EQ(m->getDescenderDepth(0), c.descender) << c.gcgid;
        EXPECT_EQ(m->getBaselineOffset(0), c.baseline) << c.gcgid;
        const qelFontGlyph* g = m->getGlyph();
        ASSERT_TRUE(g) << c.gcgid;
        EXPECT_EQ(g->getWidth(), static_cast<int>(c.width));
        EXPECT_EQ(g->getHeight(), static_cast<int>(c.height));
        ASSERT_EQ(g->getRasterLength(), static_cast<int>(c.pattern.size()));
        EXPECT_EQ(Bytes(g->getRaster(), g->getRaster() + g->getRasterLength()), c.pattern) << c.gcgid;
    }
    qelIOStream::setCurrent(nullptr);
}

TEST_F(FocaRoundTripTest, CodePageFromTheShippedTableReadsBackTheSame)
{
    const std::vector<CodePoint> points = codePointsOf(std::string(LORBANE_SOURCE_DIR) + "/data/500.cp");
    ASSERT_GT(points.size(), 180u);
    qel::afp::ResCodePage cp("T1V10500");
    cp.initialize();
    cp.setDescriptorDetails("T1V10500", 0, 0, 0x6100);
    for (const CodePoint& p : points)
        ASSERT_EQ(cp.addCodePageIndexEntry(p.gcgid.c_str(), 0, static_cast<uint8_t>(p.codePoint)), 0);
    cp.setControlDetails(points.front().gcgid.c_str(), 0, 0, 0x40, 0x00, 10);
    read(written(cp, 1));
    qelCodePageParser parser;
    std::unique_ptr<qelCodePage> page(static_cast<qelCodePage*>(parser.parse("T1V10500", 0, nullptr)));
    ASSERT_TRUE(page);
    for (const CodePoint& p : points)
        EXPECT_STREQ(page->getCharName(static_cast<int>(p.codePoint)), p.gcgid.c_str()) << p.codePoint;
    EXPECT_EQ(page->getSpaceCodePoint(), 0x40);
    EXPECT_STREQ(page->getSpaceCharName(), "SP010000");
    EXPECT_STREQ(page->getDefaultGCGID(), points.front().gcgid.c_str());
    EXPECT_EQ(page->getUseFlags(), 0x00);
}

} // namespace
