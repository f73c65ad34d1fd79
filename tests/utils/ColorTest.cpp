#include "qelColorEntry.h"
#include "qelColorTable.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
uint32_t rgb(unsigned r, unsigned g, unsigned b)
{
    return r | (g << 8) | (b << 16);
}

uint32_t cmyk(unsigned c, unsigned m, unsigned y, unsigned k)
{
    return (c << 24) | (m << 16) | (y << 8) | k;
}

class ColorTest : public ::testing::Test
{
protected:
    void TearDown() override { qelUtils::releaseGlobals(); }
    qelIni* ini() { return qelGlobalDSPool::getInstance()->getIni(); }
};
}

TEST_F(ColorTest, Conversions)
{
    EXPECT_EQ(qelUtils::cmykToRGB(cmyk(0, 0, 0, 0)), rgb(255, 255, 255));
    EXPECT_EQ(qelUtils::cmykToRGB(cmyk(0, 0, 0, 255)), rgb(0, 0, 0));
    EXPECT_EQ(qelUtils::cmykToRGB(cmyk(255, 0, 0, 0)), rgb(0, 255, 255));
    EXPECT_EQ(qelUtils::cmykToRGB(cmyk(0, 0, 255, 0)), rgb(255, 255, 0));
    // Half K and half C: 255 * (1 - (0.5 * 0.5 + 0.5)) = 63.75.
    EXPECT_EQ(qelUtils::cmykToRGB(cmyk(0x80, 0, 0, 0x80)) & 0xFF, 63u);

    EXPECT_EQ(qelUtils::rgbToGray(rgb(0, 1, 0)), 1);
    EXPECT_EQ(qelUtils::rgbToGray(rgb(255, 0, 0)), 77);   // 76.5 rounds up
    EXPECT_EQ(qelUtils::rgbToGray(rgb(0, 0, 255)), 28);   // blue is the high byte
    EXPECT_EQ(qelUtils::rgbToInkLevel(0), 255);
    EXPECT_EQ(qelUtils::rgbToInkLevel(cmyk(255, 255, 255, 0)), 0);
    EXPECT_EQ(qelUtils::rgbToInkLevel(cmyk(0, 0, 0, 255)), 255);  // K is not used
    EXPECT_EQ(qelUtils::rgbToInkLevel(cmyk(100, 0, 0, 0)), 225);  // 255 - 29.9

    const struct
    {
        int percent;
        uint32_t expected;
    } intensity[] = {
        {50, rgb(255, 127, 127)}, {100, rgb(255, 0, 0)}, {0, rgb(255, 0, 0)},
        {150, rgb(255, 0, 0)},    {256 + 50, rgb(255, 127, 127)},
    };
    for (const auto& c : intensity)
        EXPECT_EQ(qelUtils::applyIntensity(rgb(255, 0, 0), c.percent), c.expected) << c.percent;
}

TEST_F(ColorTest, LabToRGB)
{
    EXPECT_EQ(qelUtils::labToRGB(0, 0, 0), 0u);
    EXPECT_EQ(qelUtils::labToRGB(100, 0, 0), rgb(255, 255, 254));
    EXPECT_EQ(qelUtils::labToRGB(50, 0, 0), rgb(118, 118, 118));
    EXPECT_EQ(qelUtils::labToGray(50, 0, 0), 118);
    // Out-of-gamut red: red pinned to 255 in the low byte, blue to 0.
    EXPECT_EQ(qelUtils::labToRGB(60, 100, 100), rgb(255, 0, 0));
}

TEST_F(ColorTest, WhiteColor)
{
    EXPECT_TRUE(qelUtils::isWhiteColor(1, 0xFFFFFF));
    EXPECT_FALSE(qelUtils::isWhiteColor(1, 0xFFFFFE));
    EXPECT_TRUE(qelUtils::isWhiteColor(2, 0));
    EXPECT_FALSE(qelUtils::isWhiteColor(2, 0xFFFFFF));
    EXPECT_TRUE(qelUtils::isWhiteColor(5, 7));
    EXPECT_FALSE(qelUtils::isWhiteColor(4, 0xFFFFFF));
}

TEST_F(ColorTest, TableSlotsNeedEighteenEntries)
{
    qelIni full;
    full.addDefaultColorTable();
    std::unique_ptr<qelColorTable> table(qelColorTable::create(full));
    ASSERT_TRUE(table);
    EXPECT_STREQ(table->getSlot(qelColorTable::SLOT_MAGENTA)->getName(), "Magenta");
    EXPECT_STREQ(table->getSlot(qelColorTable::SLOT_MEDIUM)->getName(), "Medium");
    EXPECT_STREQ(table->getSlot(qelColorTable::SLOT_DEFAULT)->getName(), "Default");
    EXPECT_EQ(table->getSlot(18), nullptr);

    qelIni few;
    few.addColorTableEntry("Red", 255, 0, 0);
    EXPECT_EQ(qelColorTable::create(few), nullptr);

    // Names outside the 18 stay in the list only.
    full.addColorTableEntry("Teal", 0, 128, 128);
    table.reset(qelColorTable::create(full));
    EXPECT_EQ(table->findRGB(0, 128, 128, false), nullptr);
}

TEST_F(ColorTest, TableLookups)
{
    qelIni* options = ini();
    std::unique_ptr<qelColorTable> table(qelColorTable::create(*options));
    ASSERT_TRUE(table);
    for (int i = 0; i < options->getColorTableEntryCount(); ++i)
        options->getColorTableEntry(i)->setTolerance(0);

    // Exact values find the lowest slot: Medium and White share a value.
    EXPECT_STREQ(table->findRGB(255, 255, 255, false)->getName(), "White");
    EXPECT_EQ(table->findRGB(250, 0, 0, false), nullptr);
    options->findColorTableEntry("Red")->setTolerance(10);
    EXPECT_STREQ(table->findRGB(250, 0, 9, true)->getName(), "Red");
    EXPECT_EQ(table->findRGB(250, 0, 11, true), nullptr);
    // CMYK against RGB entries goes through the converted colour.
    EXPECT_STREQ(table->findCMYK(0, 255, 255, 0, false)->getName(), "Red");

    double distance = -1;
    EXPECT_STREQ(qelUtils::findNearestColor(130, 130, 130, &distance)->getName(), "Gray");
    EXPECT_EQ(distance, -1);
    EXPECT_STREQ(qelUtils::findNearestColor(250, 5, 5, &distance)->getName(), "Red");
    EXPECT_NEAR(distance, 8.66, 0.01);
    // Below the grey band a neutral colour is measured like any other; of
    // equally near entries the lowest slot wins (Default before Black).
    EXPECT_STREQ(qelUtils::findNearestColor(10, 10, 10, &distance)->getName(), "Default");
    EXPECT_STREQ(table->findNearestCMYK(0, 255, 255, 0, &distance)->getName(), "Red");

    // A tolerance band near the top of the range stays a band.
    options->findColorTableEntry("Gray")->setTolerance(30);
    options->findColorTableEntry("Gray")->setGrayUpper(250);
    EXPECT_STREQ(qelUtils::findNearestColor(240, 250, 235, &distance)->getName(), "Gray");

    EXPECT_TRUE(qelUtils::isMappedColor(1, rgb(0, 0, 255), false));
    EXPECT_FALSE(qelUtils::isMappedColor(1, rgb(0, 0, 254), false));
    EXPECT_TRUE(qelUtils::isMappedColor(2, cmyk(255, 255, 0, 0), false));
    EXPECT_FALSE(qelUtils::isMappedColor(3, 0, false));
    EXPECT_TRUE(qelUtils::isMappedColor(5, 0x1234, false));
}

TEST_F(ColorTest, OCAColorRGB)
{
    const struct
    {
        unsigned number;
        uint32_t expected;
    } cases[] = {
        {1, rgb(0, 0, 255)},         {0xFF01, rgb(0, 0, 255)},   {3, rgb(255, 0, 255)},
        {0xFF06, rgb(255, 255, 0)},  {14, rgb(196, 160, 32)},    {15, rgb(131, 131, 131)},
        {0xFF08, rgb(255, 255, 255)}, {0xFF07, rgb(0, 0, 0)},    {99, rgb(0, 0, 0)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qelUtils::getOCAColorRGB(c.number), c.expected) << c.number;

    // List entries override by name; number 3 looks for "Pink".
    ini()->addColorTableEntry("Default", 1, 2, 3);
    ini()->addColorTableEntry("Magenta", 9, 9, 9);
    EXPECT_EQ(qelUtils::getOCAColorRGB(0xFF07), rgb(1, 2, 3));
    EXPECT_EQ(qelUtils::getOCAColorRGB(3), rgb(255, 0, 255));
    ini()->addColorTableEntry("pink", 7, 8, 9);
    EXPECT_EQ(qelUtils::getOCAColorRGB(0xFF03), rgb(7, 8, 9));
}

TEST_F(ColorTest, OCAColorId)
{
    const struct
    {
        uint32_t color;
        int type;
        bool found;
        int number;
    } cases[] = {
        {rgb(255, 0, 255), 1, true, 3},     // the list's Magenta entry
        {rgb(196, 160, 32), 1, true, 14},   // the list's Mustard entry
        {rgb(196, 160, 2), 1, true, 14},    // the built-in Mustard value
        {rgb(255, 255, 255), 1, true, 7},   // White comes before Medium
        {rgb(0, 0, 0), 1, true, 8},         // Black comes before Default
        {rgb(12, 34, 56), 1, false, -5},
        {0xFF04, 5, true, 0xFF04},
        {rgb(0, 0, 255), 2, false, -5},
    };
    for (const auto& c : cases) {
        int number = -5;
        EXPECT_EQ(qelUtils::getOCAColorId(c.color, c.type, &number), c.found) << c.color;
        EXPECT_EQ(number, c.number) << c.color;
    }

    // An entry whose name has no OCA number does not decide: the next
    // entry of that value does, else the built-in values.
    ini()->findColorTableEntry("Blue")->setName("Azure");
    int number = -5;
    EXPECT_TRUE(qelUtils::getOCAColorId(rgb(0, 0, 255), 1, &number));
    EXPECT_EQ(number, 1);
    ini()->findColorTableEntry("Red")->setRGB(0, 0, 255);
    EXPECT_TRUE(qelUtils::getOCAColorId(rgb(0, 0, 255), 1, &number));
    EXPECT_EQ(number, 2);
    ini()->addColorTableEntry("Lagoon", 1, 2, 3);
    number = -5;
    EXPECT_FALSE(qelUtils::getOCAColorId(rgb(1, 2, 3), 1, &number));
    EXPECT_EQ(number, -5);
    ini()->addColorTableEntry("MAGENTA", 4, 5, 6);
    EXPECT_TRUE(qelUtils::getOCAColorId(rgb(4, 5, 6), 1, &number));
    EXPECT_EQ(number, 3);
}
