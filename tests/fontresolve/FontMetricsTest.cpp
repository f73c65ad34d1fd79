#include "ScratchFolder.h"
#include "qelAFPFont.h"
#include "qelCharacterWidthTable.h"
#include "qelCodePage.h"
#include "qelCodePointGCGIDTable.h"
#include "qelEncodingTable.h"
#include "qelGlobalDSPool.h"
#include "qelIPSFontResource.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelMFMFile.h"
#include "qelMessageOutput.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

class FontMetricsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_messages = std::tmpfile();
        qelMessageOutput::set(m_messages);
        m_folder.reset(new lrbtest::ScratchFolder());
        m_dir = m_folder->path() + "/";
    }
    void TearDown() override
    {
        delete qelGlobalDSPool::getInstance();
        qelMessageOutput::set(nullptr);
        std::fclose(m_messages);
        m_folder.reset();
    }
    static qelLogStream* log() { return qelGlobalDSPool::getInstance()->getLogStream(); }
    void openLog()
    {
        log()->setLevel("FONT");
        log()->open((m_dir + "run.log").c_str());
        ASSERT_NE(nullptr, log()->getFile());
    }
    std::string logText()
    {
        log()->close();
        std::ifstream in(m_dir + "run.log", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::string readFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    FILE* m_messages = nullptr;
    std::unique_ptr<lrbtest::ScratchFolder> m_folder;
    std::string m_dir;
};

// A font of PDF input whose "ANSI" table gives 'A' (and the id 0041) the
// glyph index 5.
std::unique_ptr<qelAFPFont> pdfFont(int entries)
{
    std::unique_ptr<qelAFPFont> font(new qelAFPFont());
    font->setTypefaceName("Face");
    auto* resource = new qelIPSFontResource();
    auto* table = new qelEncodingTable(entries);
    table->setFontName("ANSI");
    if (entries > 0x41)
        table->setCIDEntry(0x41, 0, "A", 5, 0);
    resource->addEncodingTable(table);
    font->setIPSFontResource(resource);
    return font;
}

TEST_F(FontMetricsTest, GlyphIndexesOfBytesAndCharacterIds)
{
    openLog();
    auto font = pdfFont(0x10000);
    struct Case
    {
        const char* what;
        bool ids;
        Bytes text;
        Bytes expected;
    };
    const Case cases[] = {
        {"bytes", false, {'A', 'B'}, {0, 5, 0, 0}},
        {"ids", true, {0x00, 0x41, 0xFF, 0xFF}, {0, 5, 0, 0}},
        {"odd byte left unconverted", true, {0x00, 0x41, 0x00}, {0, 5, 0}},
    };
    for (const Case& c : cases) {
        unsigned char* out = nullptr;
        int length = -1;
        if (c.ids)
            font->mapCharacterIdsToGlyphIndexes(c.text.data(), static_cast<int>(c.text.size()), &out, &length);
        else
            font->mapBytesToGlyphIndexes(c.text.data(), static_cast<int>(c.text.size()), &out, &length);
        ASSERT_NE(nullptr, out) << c.what;
        EXPECT_EQ(Bytes(out, out + length), c.expected) << c.what;
        delete[] out;
    }
    const std::string text = logText();
    EXPECT_NE(std::string::npos,
              text.find("\n==>Font=Face Warning! Encoding Table Array does not have Glyph Index for Character:66(B)"));
    EXPECT_NE(std::string::npos,
              text.find("\n==>Font=Face Warning! Encoding Table Array does not have Glyph Index for CharacterID:65535"));
}

TEST_F(FontMetricsTest, GlyphIndexesWithoutTable)
{
    openLog();
    const unsigned char text[] = {'A'};
    unsigned char* out = reinterpret_cast<unsigned char*>(1);
    int length = 7;
    qelAFPFont plain;
    plain.mapBytesToGlyphIndexes(text, 1, &out, &length);
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(0, length);
    auto empty = pdfFont(0);
    empty->mapCharacterIdsToGlyphIndexes(text, 1, &out, &length);
    EXPECT_EQ(nullptr, out);
    // n below 1 leaves the output untouched.
    out = reinterpret_cast<unsigned char*>(1);
    empty->mapBytesToGlyphIndexes(text, 0, &out, &length);
    EXPECT_EQ(reinterpret_cast<unsigned char*>(1), out);

    const std::string log = logText();
    EXPECT_NE(std::string::npos, log.find("\n==>Font=(null) Warning! Encoding Table is not available to get Glyph Indexes"));
    EXPECT_NE(std::string::npos,
              log.find("\n==>Font=Face Warning! Encoding Table Array is not available to get Glyph Indexes"));
}

TEST_F(FontMetricsTest, EncodingTableByName)
{
    qelAFPFont font;
    EXPECT_EQ(nullptr, font.findEncodingTable("ANSI"));
    auto* resource = new qelIPSFontResource();
    auto* first = new qelEncodingTable(1);
    first->setFontName("First");
    auto* second = new qelEncodingTable(1);
    second->setFontName("Second");
    resource->addEncodingTable(first);
    resource->addEncodingTable(second);
    font.setIPSFontResource(resource);
    EXPECT_EQ(second, font.findEncodingTable("second"));
    EXPECT_EQ(first, font.findEncodingTable("other"));
    EXPECT_EQ(nullptr, font.findEncodingTable(nullptr));
}

// Width tables of a character set: character k is "GCGk" with width
// base + k; code point c of the code page is GCGID "gcg(c - 0x40)".
struct Tables
{
    std::unique_ptr<qelCharacterWidthTable> rotation[4];
    std::unique_ptr<qelCodePointGCGIDTable> gcgids{new qelCodePointGCGIDTable};

    Tables()
    {
        for (int c = 0x40; c < 0x50; ++c)
            std::snprintf(gcgids->entries[c].gcgid, sizeof gcgids->entries[c].gcgid, "gcg%d", c - 0x40);
    }
    void add(int degrees, uint16_t base)
    {
        auto* t = new qelCharacterWidthTable;
        for (int k = 0; k < 16; ++k) {
            std::snprintf(t->entries[k].gcgid, sizeof t->entries[k].gcgid, "GCG%d", k);
            t->entries[k].width = static_cast<uint16_t>(base + k);
        }
        rotation[degrees / 90].reset(t);
    }
    void bind(qelAFPFont& font) const
    {
        for (int r = 0; r < 4; ++r)
            font.setCharMetricsTable(rotation[r].get(), r * 90);
    }
};

TEST_F(FontMetricsTest, WidthArraysFillMissingRotations)
{
    struct Case
    {
        const char* what;
        std::vector<int> rotations;
        // Base width expected per rotation, 0 for no result.
        int bases[4];
    };
    const Case cases[] = {
        {"0 only: four equal arrays", {0}, {100, 100, 100, 100}},
        {"180 stands in for 0", {180}, {300, 300, 300, 300}},
        {"0 and 90", {0, 90}, {100, 200, 100, 200}},
        {"all four", {0, 90, 180, 270}, {100, 200, 300, 400}},
        {"90 only: none", {90}, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        Tables tables;
        for (int r : c.rotations)
            tables.add(r, static_cast<uint16_t>(100 * (r / 90 + 1)));
        qelAFPFont font;
        tables.bind(font);
        qelCodePage codePage("T1V10500", nullptr);
        codePage.setGCGIDTable(tables.gcgids.get());
        std::unique_ptr<qelMFMWidthSet> set(font.computeWidthArrays(&codePage));
        if (c.bases[0] == 0) {
            EXPECT_EQ(nullptr, set) << c.what;
            continue;
        }
        ASSERT_NE(nullptr, set) << c.what;
        for (int r = 0; r < 4; ++r) {
            EXPECT_EQ(c.bases[r] + 3, set->widths[r][0x43]) << c.what << " rotation " << r * 90;
            EXPECT_EQ(0, set->widths[r][0x3F]) << c.what;
        }
    }
    // Without the code page's GCGID table there is nothing to map.
    Tables tables;
    tables.add(0, 100);
    qelAFPFont font;
    tables.bind(font);
    qelCodePage codePage("T1V10500", nullptr);
    EXPECT_EQ(nullptr, font.computeWidthArrays(&codePage));
    EXPECT_EQ(nullptr, font.computeWidthArrays(nullptr));
}

TEST_F(FontMetricsTest, WidthArraysAreCopiesByDegrees)
{
    qelAFPFont font;
    std::vector<uint16_t> widths(1024, 7);
    font.setWidthArray(widths.data(), 270);
    widths[0] = 9;
    ASSERT_NE(nullptr, font.getWidthArray(270));
    EXPECT_EQ(7, font.getWidthArray(270)[0]);
    EXPECT_EQ(nullptr, font.getWidthArray(3));
    font.setWidthArray(widths.data(), 45);
    EXPECT_EQ(nullptr, font.getWidthArray(45));
    font.setWidthArray(nullptr, 270);
    EXPECT_EQ(nullptr, font.getWidthArray(270));
}

TEST_F(FontMetricsTest, MetricsFileIsCreatedExtendedAndReused)
{
    qelIni* ini = qelGlobalDSPool::getInstance()->getIni();
    ini->setMFMFontPath(m_dir.c_str());
    const std::string path = m_dir + "C0H20000.mfm";
    auto entryCount = [&]() {
        const std::string bytes = readFile(path);
        if (bytes.size() < 16 + 312)
            return -1;
        int32_t n = 0;
        std::memcpy(&n, bytes.data() + 16 + 308, 4);
        EXPECT_EQ(bytes.size(), 16 + 312 + static_cast<size_t>(n) * (9 + 8192));
        return static_cast<int>(n);
    };

    Tables tables;
    tables.add(0, 100);
    qelAFPFont font("C0H20000", "T1V10500");
    font.setTypefaceName("Helvetica");
    tables.bind(font);
    qelCodePage first("T1V10500", nullptr);
    first.setName("T1V10500");
    first.setGCGIDTable(tables.gcgids.get());
    qelCodePage second("T1V10037", nullptr);
    second.setName("T1V10037");
    second.setGCGIDTable(tables.gcgids.get());
    qelCodePage unnamed;
    unnamed.setGCGIDTable(tables.gcgids.get());

    EXPECT_EQ(-1, font.writeMetricsFile(nullptr, &first, nullptr));
    EXPECT_EQ(-1, font.writeMetricsFile("C0H20000", nullptr, nullptr));
    EXPECT_EQ(-2, font.writeMetricsFile("C0H20000", &unnamed, nullptr));
    EXPECT_EQ(nullptr, font.getMetricsRecord());
    EXPECT_EQ(nullptr, font.getWidthArray(0));
    EXPECT_FALSE(font.isMetricsCreated());

    ASSERT_EQ(0, font.writeMetricsFile("C0H20000", &first, nullptr));
    EXPECT_TRUE(font.isMetricsCreated());
    ASSERT_NE(nullptr, font.getMetricsRecord());
    EXPECT_STREQ("QEL V1.0", font.getMetricsRecord()->getVersionTag());
    ASSERT_NE(nullptr, font.getWidthArray(90));
    EXPECT_EQ(105, font.getWidthArray(90)[0x45]);
    EXPECT_EQ(1, entryCount());
    const std::string header = readFile(path).substr(16, 312);
    EXPECT_EQ("C0H20000", std::string(header.c_str() + 156));
    EXPECT_EQ("Helvetica", std::string(header.c_str() + 180));
    EXPECT_EQ("off", std::string(header.c_str() + 272));

    // Another code page adds an entry and writes the file again.
    ASSERT_EQ(0, font.writeMetricsFile("C0H20000", &second, nullptr));
    EXPECT_EQ(2, entryCount());

    // A known code page takes its widths from the record: nothing computed.
    std::remove(path.c_str());
    first.setGCGIDTable(nullptr);
    font.setWidthArray(nullptr, 0);
    ASSERT_EQ(0, font.writeMetricsFile("C0H20000", &first, nullptr));
    ASSERT_NE(nullptr, font.getWidthArray(0));
    EXPECT_EQ(105, font.getWidthArray(0)[0x45]);
    EXPECT_EQ(-1, entryCount());
}

TEST_F(FontMetricsTest, MetricsFileIsReadInALaterRun)
{
    qelGlobalDSPool::getInstance()->getIni()->setMFMFontPath(m_dir.c_str());
    Tables tables;
    tables.add(0, 100);
    {
        qelAFPFont font("C0H20000", "T1V10500");
        tables.bind(font);
        qelCodePage codePage("T1V10500", nullptr);
        codePage.setName("T1V10500");
        codePage.setGCGIDTable(tables.gcgids.get());
        ASSERT_EQ(0, font.writeMetricsFile("C0H20000", &codePage, nullptr));
    }
    delete qelGlobalDSPool::getInstance();
    qelGlobalDSPool::getInstance()->getIni()->setMFMFontPath(m_dir.c_str());

    qelAFPFont font("C0H20000", "T1V10500");
    qelCodePage codePage("T1V10500", nullptr);
    codePage.setName("T1V10500");
    ASSERT_EQ(0, font.writeMetricsFile("C0H20000", &codePage, nullptr));
    EXPECT_FALSE(font.isMetricsCreated());
    ASSERT_NE(nullptr, font.getWidthArray(180));
    EXPECT_EQ(101, font.getWidthArray(180)[0x41]);

    // A code page whose widths cannot be computed adds no entry.
    qelCodePage other("T1V10037", nullptr);
    other.setName("T1V10037");
    ASSERT_EQ(0, font.writeMetricsFile("C0H20000", &other, nullptr));
    EXPECT_FALSE(font.getMetricsRecord()->hasCodePage("T1V10037"));
    EXPECT_EQ(1, font.getMetricsRecord()->getEntryCount());

    // A version tag without a name table takes no entries: no file.
    qelAFPFont third("C0H30000", "T1V10500");
    tables.bind(third);
    codePage.setGCGIDTable(tables.gcgids.get());
    ASSERT_EQ(0, third.writeMetricsFile("C0H30000", &codePage, "OTHER"));
    EXPECT_EQ(0, third.getMetricsRecord()->getEntryCount());
    EXPECT_NE(0, ::access((m_dir + "C0H30000.mfm").c_str(), F_OK));
}

} // namespace
