#include "FontModelFixture.h"

#include "FileGlyphCollection.h"
#include "GlyphCollectionEntry.h"
#include "RasterGlyphDefinition.h"
#include "qelEncodingTable.h"
#include "qelIPSFontHeader.h"
#include "qelIPSFontResource.h"
#include "qelLinkedList.h"

namespace {

qelWidthEntry* range(uint32_t first, uint32_t last, double width)
{
    auto* e = new qelWidthEntry;
    e->firstCode = first;
    e->lastCode = last;
    e->width = width;
    return e;
}

} // namespace

TEST_F(FontModelTest, WidthsByCode)
{
    qelIPSFontHeader cid;
    cid.setFontKind(qelIPSFontHeader::KIND_CID);
    EXPECT_EQ(cid.getWidth(5), 0.0);
    cid.setWidths(new qelWidthEntry*[2]{range(1, 10, 500), range(20, 30, 250)}, 2);
    const struct {
        unsigned code;
        double width;
    } cidCases[] = {{5, 500}, {1, 500}, {10, 500}, {15, 0}, {20, 250}, {30, 250}, {31, 0}, {0, 0}, {0xFFFFFFFFu, 0}};
    for (const auto& c : cidCases)
        EXPECT_EQ(cid.getWidth(c.code), c.width) << c.code;

    qelIPSFontHeader simple;
    simple.setFontKind(qelIPSFontHeader::KIND_TRUETYPE);
    auto** slots = new qelWidthEntry*[256]();
    slots[65] = range(65, 65, 600);
    simple.setWidths(slots, 256);
    EXPECT_EQ(simple.getWidth(65), 600.0);
    EXPECT_EQ(simple.getWidth(66), -1.0);
    EXPECT_EQ(simple.getWidth(256), 0.0);
    simple.setFontKind(qelIPSFontHeader::KIND_OTHER);
    EXPECT_EQ(simple.getWidth(65), 0.0);
}

TEST_F(FontModelTest, EncodingTablesRefuseSlotsOutsideThem)
{
    auto* simple = new qelEncodingTable(256);
    simple->setFontName("WinAnsi");
    EXPECT_EQ(simple->setCodePointEntry(0x141, 0, "A", 36, 1), 0); // taken as a byte
    ASSERT_NE(simple->getEntries()[0x41], nullptr);
    EXPECT_STREQ(simple->getEntries()[0x41]->glyphName, "A");
    EXPECT_EQ(simple->getEntries()[0x41]->value, -1);
    const std::string longName(400, 'g');
    EXPECT_EQ(simple->setCodePointEntry(0x42, 0, longName.c_str(), 1, 0), 0);
    EXPECT_EQ(std::string(simple->getEntries()[0x42]->glyphName), std::string(255, 'g'));

    auto* cid = new qelEncodingTable(10);
    EXPECT_EQ(cid->setCIDEntry(9, 0, nullptr, 7, 0), 0);
    EXPECT_STREQ(cid->getEntries()[9]->glyphName, "");
    EXPECT_EQ(cid->setCIDEntry(10, 0, nullptr, 7, 0), -1);
    qelEncodingTable none(0);
    EXPECT_EQ(none.setCodePointEntry(0, 0, "x", 0, 0), -1);
    EXPECT_EQ(none.getEntries(), nullptr);

    qelIPSFontResource res;
    EXPECT_EQ(res.firstEncodingTable(), nullptr);
    EXPECT_EQ(res.nextEncodingTable(), nullptr);
    res.addEncodingTable(nullptr);
    res.addEncodingTable(simple);
    res.addEncodingTable(cid);
    EXPECT_EQ(res.firstEncodingTable(), simple);
    EXPECT_EQ(res.nextEncodingTable(), cid);
    EXPECT_EQ(res.nextEncodingTable(), nullptr);
}

TEST_F(FontModelTest, FileGlyphCollectionDeletesItsFileOnlyWhenAsked)
{
    const std::string kept = writeFile("kept.fnt", {1});
    const std::string dropped = writeFile("dropped.fnt", {1});
    {
        de::orvo::ips::FileGlyphCollection keep;
        keep.setFileName(kept.c_str());
        de::orvo::ips::FileGlyphCollection drop;
        drop.setFileName(dropped.c_str());
        drop.setDeleteOnDestroy(1);
        de::orvo::ips::FileGlyphCollection nameless;
        nameless.setDeleteOnDestroy(1);
    }
    EXPECT_TRUE(exists(kept));
    EXPECT_FALSE(exists(dropped));

    qelIPSFontResource res;
    auto* glyphs = new de::orvo::ips::FileGlyphCollection;
    glyphs->setFileName(kept.c_str());
    res.setGlyphCollection(glyphs);
    res.setGlyphCollection(new de::orvo::ips::FileGlyphCollection);
    EXPECT_TRUE(exists(kept));
}

TEST_F(FontModelTest, GlyphMetricsFillOrientationZeroWhileUnset)
{
    using de::orvo::ips::GlyphMetricRecord;
    de::orvo::ips::GlyphCollection collection;
    EXPECT_EQ(collection.getGlyphs(), nullptr);
    GlyphMetricRecord at90;
    at90.values[0] = 500;
    GlyphMetricRecord at180;
    at180.values[0] = 600;
    at180.values[4] = 30;
    const uint8_t raster[] = {0x80, 0x40};
    collection.addGlyph("g1", "second", 3, 4, raster, 2, nullptr, &at90, &at180, nullptr);
    ASSERT_NE(collection.getGlyphs(), nullptr);
    auto* entry = static_cast<de::orvo::ips::GlyphCollectionEntry*>(
        qelLinkedList::getItem(collection.getGlyphs()->getHead()));
    ASSERT_NE(entry, nullptr);
    EXPECT_STREQ(entry->getSecondName(), "second");
    EXPECT_EQ(entry->getMetrics(0).values[0], 500);
    EXPECT_EQ(entry->getMetrics(2).values[0], 600);
    EXPECT_EQ(entry->getMetrics(0).values[4], 30);
    EXPECT_EQ(entry->getMetrics(3).values[0], GlyphMetricRecord::NOT_SET);
    ASSERT_NE(entry->getDefinition(), nullptr);
    EXPECT_EQ(entry->getDefinition()->getRasterLength(), 2);
    EXPECT_EQ(entry->getDefinition()->getSecondValue(), 4);
}
