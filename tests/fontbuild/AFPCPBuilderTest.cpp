// The AFP code page builder and its converter: the index order, the Code
// Page Control and the round trip through the code page reader.
#include "../afpwrite/AfpWriteSupport.h"
#include "FocaBuilder.h"

#include "qel/afp/AfpResCodePage.h"
#include "qelAFPCPBuilder.h"
#include "qelAFPCPRepresentation.h"
#include "qelCodePage.h"
#include "qelCodePageConverter.h"
#include "qelCodePageParser.h"
#include "qelGlobalDSPool.h"
#include "qelIOStream.h"
#include "qelIni.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace afpwrite;
using namespace lrbtest::foca;

namespace
{

class AFPCPBuilderTest : public LibraryTest
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

    Bytes build(const qelCodePage& page)
    {
        qelCodePageConverter converter;
        std::unique_ptr<qelAFPCPRepresentation> rep(converter.convert(&page, 8));
        if (!rep || !rep->getResource())
            return {};
        return written(*rep->getResource(), 1);
    }

    // The written code page read back by the code page reader.
    std::unique_ptr<qelCodePage> readBack(const Bytes& bytes, const char* name)
    {
        m_bytes = bytes;
        m_input.reset(new qelIOStream(m_bytes.data(), static_cast<int>(m_bytes.size())));
        m_input->rewind();
        qelIOStream::setCurrent(m_input.get());
        qelCodePageParser parser;
        std::unique_ptr<qelCodePage> page(static_cast<qelCodePage*>(parser.parse(name, 0, nullptr)));
        qelIOStream::setCurrent(nullptr);
        return page;
    }

    static std::vector<unsigned char> fieldData(const Bytes& bytes, int id)
    {
        for (const lrbtest::DumpedField& f : lrbtest::dumpFields(bytes).fields)
            if (f.id == id)
                return f.data;
        return {};
    }

    // The code points of the Code Page Index in written order.
    static std::vector<int> indexOrder(const Bytes& bytes)
    {
        std::vector<int> out;
        const std::vector<unsigned char> cpi = fieldData(bytes, CPI);
        for (size_t at = 0; at + 10 <= cpi.size(); at += 10)
            out.push_back(cpi[at + 9]);
        return out;
    }

    Bytes m_bytes;
    std::unique_ptr<qelIOStream> m_input;
};

char* copyText(const char* text)
{
    char* copy = new char[std::strlen(text) + 1];
    std::strcpy(copy, text);
    return copy;
}

// Four named code points; X'43' also has a glyph name, X'44' no name.
std::unique_ptr<qelCodePage> smallPage()
{
    std::unique_ptr<qelCodePage> page(new qelCodePage("T1TEST01", ""));
    page->allocateTables(256);
    page->defineChar(0x41, "LB020000");
    page->defineChar(0x42, "LA020000");
    page->defineChar(0x43, "LC020000");
    page->getEntry(0x43)->glyphName = copyText("Cc");
    page->defineChar(0x44, nullptr);
    page->defineChar(0x45, "SP010000");
    page->setSpaceCodePoint(0x45);
    return page;
}

} // namespace

TEST_F(AFPCPBuilderTest, IndexOrderFollowsTheSortFlagUnlessUseFlagX80)
{
    const struct Case
    {
        uint8_t useFlags;
        bool sort;
        std::vector<int> order;
    } cases[] = {
        {0x80, true, {0x41, 0x42, 0x43, 0x45}},
        {0x88, true, {0x41, 0x42, 0x43, 0x45}},
        {0x08, true, {0x43, 0x42, 0x41, 0x45}}, // Cc, LA.., LB.., SP..
        {0x00, true, {0x43, 0x42, 0x41, 0x45}},
        {0x08, false, {0x41, 0x42, 0x43, 0x45}},
    };
    for (const Case& c : cases) {
        std::unique_ptr<qelCodePage> page = smallPage();
        page->setUseFlags(c.useFlags);
        if (c.sort)
            page->setSortIndexOnBuild();
        const Bytes bytes = build(*page);
        EXPECT_EQ(indexOrder(bytes), c.order) << int(c.useFlags) << " " << c.sort;
        // Control: repeating-group length 10, space code point, use flags.
        const std::vector<unsigned char> cpc = fieldData(bytes, CPC);
        ASSERT_GE(cpc.size(), 13u);
        EXPECT_EQ(cpc[9], 10);
        EXPECT_EQ(cpc[11], 0x45);
        EXPECT_EQ(cpc[12], c.useFlags);
    }
}

TEST_F(AFPCPBuilderTest, SmallPageGivesTheseFieldBytes)
{
    std::unique_ptr<qelCodePage> page = smallPage();
    const Bytes bytes = build(*page);
    // Descriptor: the name as description in EBCDIC blanks, 4 characters,
    // GCSGID and CPGID 0, encoding scheme X'6100'.
    std::string blanks;
    for (int i = 0; i < 24; ++i)
        blanks += "40";
    EXPECT_EQ(toHex(fieldData(bytes, CPD)), "E3F1E3C5E2E3F0F1" + blanks + "0008" "00000004" "0000" "0000" "6100");
    // Control: the first entry as default, flags 0, group length 10, space
    // section 0, space code point X'45', use flags X'08'.
    EXPECT_EQ(toHex(fieldData(bytes, CPC)),
              "D3C2F0F2F0F0F0F0" "00" "0A" "00" "45" "08");
    // Index in code point order; a glyph name takes the character's place.
    EXPECT_EQ(toHex(fieldData(bytes, CPI)),
              "D3C2F0F2F0F0F0F0" "0041"
              "D3C1F0F2F0F0F0F0" "0042"
              "F3F0F0F0F0F0C383" "0043"
              "E2D7F0F1F0F0F0F0" "0045");
}

TEST_F(AFPCPBuilderTest, DefaultCharacterIsTheCodePagesOwnWhereTheIndexHoldsIt)
{
    const struct Case
    {
        const char* pageDefault;
        bool sort;
        const char* written;
    } cases[] = {
        {"LA020000", false, "LA020000"},
        {"SP010000", true, "SP010000"},
        // Held under its glyph name.
        {"LC020000", false, "300000Cc"},
        // Not in the index, or none: the first entry added.
        {"LZ990000", false, "LB020000"},
        {"LZ990000", true, "300000Cc"},
        {nullptr, false, "LB020000"},
    };
    for (const Case& c : cases) {
        std::unique_ptr<qelCodePage> page = smallPage();
        page->setDefaultGCGID(c.pageDefault);
        if (c.sort)
            page->setSortIndexOnBuild();
        std::unique_ptr<qelCodePage> back = readBack(build(*page), "T1TEST01");
        ASSERT_TRUE(back);
        EXPECT_STREQ(back->getDefaultGCGID(), c.written) << (c.pageDefault ? c.pageDefault : "(none)") << c.sort;
    }
}

TEST_F(AFPCPBuilderTest, ShippedCodePage500ReadsBackTheSame)
{
    const std::string dataDir = std::string(LORBANE_SOURCE_DIR) + "/data";
    qelCodePage page("T1V10500", dataDir.c_str());
    qelCodePage::setIdFromName(&page);
    page.load(true);
    ASSERT_STREQ(page.getFileName(), "500.cp");
    const std::vector<CodePoint> points = codePointsOf(dataDir + "/500.cp");
    ASSERT_GT(points.size(), 180u);

    const Bytes bytes = build(page);
    EXPECT_EQ(indexOrder(bytes).size(), points.size());
    std::unique_ptr<qelCodePage> back = readBack(bytes, "T1V10500");
    ASSERT_TRUE(back);
    for (int c = 0; c < 256; ++c) {
        const char* name = page.getCharName(c);
        const char* read = back->getCharName(c);
        EXPECT_STREQ(read ? read : "", name ? name : "") << std::hex << c;
    }
    for (const CodePoint& p : points)
        EXPECT_STREQ(back->getCharName(static_cast<int>(p.codePoint)), p.gcgid.c_str()) << p.codePoint;
    EXPECT_EQ(back->getSpaceCodePoint(), 0x40);
    EXPECT_STREQ(back->getSpaceCharName(), "SP010000");
    EXPECT_EQ(back->getUseFlags(), page.getUseFlags());
}

namespace
{
// Counts the builders it makes.
class CountingConverter : public qelCodePageConverter
{
public:
    int made = 0;

protected:
    qelAFPCPBuilder* createBuilder() override
    {
        ++made;
        return qelCodePageConverter::createBuilder();
    }
};
} // namespace

TEST_F(AFPCPBuilderTest, ConverterBuildsOnlyForTheCodePageTarget)
{
    std::unique_ptr<qelCodePage> page = smallPage();
    CountingConverter converter;
    for (int type : {0, 4, 7, 9}) {
        EXPECT_EQ(converter.convert(page.get(), type), nullptr) << type;
        EXPECT_EQ(converter.convert(static_cast<qelRepresentation*>(nullptr), type), nullptr) << type;
    }
    EXPECT_EQ(converter.made, 0);

    std::unique_ptr<qelAFPCPRepresentation> rep(converter.convert(page.get(), 8));
    ASSERT_TRUE(rep);
    EXPECT_EQ(rep->getType(), 8);
    ASSERT_TRUE(rep->getResource());
    EXPECT_STREQ(rep->getResource()->getName(), "T1TEST01");
    EXPECT_EQ(rep->getResource()->getEntryCount(), 4u);
    EXPECT_EQ(converter.made, 1);
    // The generic build has nothing to build from; no code page, nothing.
    EXPECT_EQ(converter.convert(static_cast<qelRepresentation*>(rep.get()), 8), nullptr);
    EXPECT_EQ(converter.convert(static_cast<const qelCodePage*>(nullptr), 8), nullptr);
    EXPECT_EQ(converter.made, 3);
}

TEST_F(AFPCPBuilderTest, RepresentationOwnsTheResourceUntilDetached)
{
    std::unique_ptr<qelCodePage> page = smallPage();
    qelAFPCPBuilder builder;
    qel::afp::ResCodePage* kept = nullptr;
    {
        std::unique_ptr<qelAFPCPRepresentation> rep(builder.buildCodePage(page.get()));
        ASSERT_TRUE(rep);
        rep->setResource(new qel::afp::ResCodePage("T1GONE01")); // replaced: destroyed
        kept = new qel::afp::ResCodePage("T1KEPT01");
        rep->setResource(kept);
        rep->setResource(kept);
        rep->detachResource();
        EXPECT_EQ(rep->getResource(), nullptr);
    }
    kept->initialize();
    EXPECT_FALSE(written(*kept, 1).empty());
    delete kept;
    EXPECT_EQ(builder.buildCodePage(nullptr), nullptr);
}
