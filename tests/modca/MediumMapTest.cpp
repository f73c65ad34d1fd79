#include "qelGlobalDSPool.h"
#include "qelList.h"
#include "qelMediumMap.h"
#include "qelMessageOutput.h"
#include "qelPtocaPage.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

class MediumMapTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qelUtils::releaseGlobals();
        m_out = std::tmpfile();
        qelMessageOutput::set(m_out);
    }
    void TearDown() override
    {
        qelUtils::releaseGlobals();
        qelMessageOutput::set(nullptr);
        std::fclose(m_out);
    }
    static qelMediumMap::MMC* mmc(uint8_t id, uint8_t duplex, uint8_t nUp, uint8_t constantForms = 0)
    {
        auto* m = new qelMediumMap::MMC();
        m->id = id;
        m->duplex = duplex;
        m->nUp = nUp;
        m->constantForms = constantForms;
        return m;
    }
    static qelMediumMap::PagePosition* position(int32_t x, int32_t y)
    {
        auto* p = new qelMediumMap::PagePosition();
        p->xOffset = x;
        p->yOffset = y;
        return p;
    }
    FILE* m_out = nullptr;
};

TEST_F(MediumMapTest, PagePositionsCycleByPositionsPerSheet)
{
    struct Case
    {
        const char* what;
        uint8_t duplex;
        uint8_t nUp;
        std::vector<int32_t> expectedX;
    } cases[] = {
        {"2-up simplex", 1, 2, {100, 200, 100}},
        {"1-up tumble duplex", 3, 1, {100, 200, 100, 200}},
        // An N-up or duplex value of 0 counts as 1.
        {"N-up 0", 1, 0, {100, 100}},
        {"duplex 0", 0, 1, {100, 100}},
    };
    for (const Case& c : cases) {
        qelMediumMap map("M1");
        map.setUnitBases(0, 0);
        map.setUnits(2400, 2400);   // 240 units per inch: offsets unchanged
        map.addCopySubgroup(1, 1, 1);
        map.addMMC(mmc(1, c.duplex, c.nUp));
        map.addPagePosition(position(100, 10));
        map.addPagePosition(position(200, 20));
        map.resetForInvocation();
        for (size_t i = 0; i < c.expectedX.size(); ++i) {
            qelPtocaPage page;
            qelList generated;
            map.assignToPage(&page, &generated);
            EXPECT_EQ(static_cast<int32_t>(page.getPageOffsetX()), c.expectedX[i]) << c.what << " page " << i + 1;
            EXPECT_STREQ(page.getMediumMapName(), "M1");
        }
    }
}

TEST_F(MediumMapTest, ConstantFormsBackSideIsGenerated)
{
    qelMediumMap map("M2");
    map.addMappedOverlay(5, "O1BACK");
    map.addCopySubgroup(1, 1, 1);
    map.addCopySubgroup(1, 1, 2);
    map.addMMC(mmc(1, 2, 1));
    auto* back = mmc(2, 2, 1, 1);
    back->overlayCount = 2;
    back->overlayIds[0] = 5;
    back->overlayIds[1] = 9;   // not mapped: a warning, one name fewer
    map.addMMC(back);
    map.resolveMediumOverlays();
    ASSERT_NE(back->overlayNames, nullptr);
    EXPECT_EQ(back->overlayNames->getCount(), 1);
    map.resetForInvocation();
    for (int i = 0; i < 2; ++i) {
        qelPtocaPage page;
        qelList generated;
        map.assignToPage(&page, &generated);
        ASSERT_EQ(generated.getCount(), 1) << "page " << i + 1;
        auto* side = static_cast<qelPtocaPage*>(generated.getHead()->item);
        EXPECT_TRUE(side->isConstantBack());
        ASSERT_NE(side->getMediumOverlays(), nullptr);
        EXPECT_EQ(side->getMediumOverlays()->getCount(), 1);
        delete side;
    }
}

TEST_F(MediumMapTest, ResolutionAndOffsetsByUnitBase)
{
    struct Case
    {
        uint8_t base;
        uint16_t units;
        int resolution;
        int32_t offsetAt240;   // page offset of a map offset of 1440
    } cases[] = {
        {0, 14400, 1440, 240},
        {1, 945, 238, 1440 * 240 / 240},   // 945 per 10 cm is 240 per inch
        {0xFF, 0, 0, 0x8000},              // no descriptor: offsets stay unset
    };
    for (const Case& c : cases) {
        qelMediumMap map("M3");
        map.setUnitBases(c.base, c.base);
        map.setUnits(c.units, c.units);
        map.setOffset(1440, 1440);
        map.addCopySubgroup(1, 1, 1);
        EXPECT_EQ(map.getResolution(), c.resolution) << int(c.base);
        qelPtocaPage page;
        qelList generated;
        map.assignToPage(&page, &generated);
        EXPECT_EQ(static_cast<int32_t>(page.getPageOffsetX()), c.offsetAt240) << int(c.base);
    }
}

TEST_F(MediumMapTest, OffsetsBeyond32BitsInPageUnitsAreHeld)
{
    // One unit per ten inches scaled to 1440 per inch: far outside an int.
    qelMediumMap map("M4");
    map.setUnitBases(0, 0);
    map.setUnits(1, 1);
    const struct
    {
        int32_t value, expected;
    } cases[] = {{INT32_MAX, INT32_MAX}, {INT32_MIN, INT32_MIN}, {-12761, -183758400}, {1, 14400}};
    for (const auto& c : cases)
        EXPECT_EQ(map.toPageUnits(c.value, 1440), c.expected) << c.value;
}

TEST_F(MediumMapTest, ListingGrowsWithMappedOverlays)
{
    qelMediumMap map("M4");
    std::unique_ptr<char[]> empty(map.describe());
    EXPECT_NE(std::strstr(empty.get(), "MappedOverlays=None\r\n"), nullptr);
    for (int i = 0; i < 40; ++i)
        map.addMappedOverlay(static_cast<uint8_t>(i), "O1LONGNAME");
    std::unique_ptr<char[]> full(map.describe());
    EXPECT_NE(std::strstr(full.get(), "{Type=OLY Id=39 Name=O1LONGNAME Bounded=No} \r\n"), nullptr);
}

} // namespace
