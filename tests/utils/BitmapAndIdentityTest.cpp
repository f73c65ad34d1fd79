#include "qelUtils.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <memory>
#include <regex>
#include <string>

TEST(BitmapTest, ClipKeepsTopLeftAndClearsTailBits)
{
    // 1-bit image, width 20 (3 bytes a row), 3 rows, all bits set.
    unsigned char source[9];
    std::memset(source, 0xFF, sizeof source);
    int width = 20, height = 3;
    std::unique_ptr<unsigned char[]> copy(qelUtils::copyBitmapRect(source, 1, &width, &height, 10, 2));
    ASSERT_TRUE(copy);
    EXPECT_EQ(width, 16);
    EXPECT_EQ(height, 2);
    for (int i = 0; i < 4; i += 2) {
        EXPECT_EQ(copy[i], 0xFF);
        EXPECT_EQ(copy[i + 1], 0xC0);
    }

    // 8-bit rows are taken whole; a clip of 0 or beyond the size keeps it.
    const unsigned char grey[6] = {1, 2, 3, 4, 5, 6};
    width = 3;
    height = 2;
    copy.reset(qelUtils::copyBitmapRect(grey, 8, &width, &height, 2, 0));
    ASSERT_TRUE(copy);
    EXPECT_EQ(width, 2);
    EXPECT_EQ(height, 2);
    EXPECT_EQ(copy[0], 1);
    EXPECT_EQ(copy[1], 2);
    EXPECT_EQ(copy[2], 4);
    EXPECT_EQ(copy[3], 5);

    // 4-bit, width 3 in rows of 2 bytes; clip 3 keeps width, drops the pad.
    const unsigned char nibbles[2] = {0x12, 0x3F};
    width = 3;
    height = 1;
    copy.reset(qelUtils::copyBitmapRect(nibbles, 4, &width, &height, 9, 9));
    ASSERT_TRUE(copy);
    EXPECT_EQ(width, 4);
    EXPECT_EQ(copy[1], 0x30);

    width = 0;
    EXPECT_EQ(qelUtils::copyBitmapRect(grey, 8, &width, &height, 1, 1), nullptr);
    width = 3;
    EXPECT_EQ(qelUtils::copyBitmapRect(nullptr, 8, &width, &height, 1, 1), nullptr);
}

TEST(BitmapTest, ClipToPage)
{
    const struct
    {
        int w, h, r, pw, ph, u, rotation;
        int16_t x, y;
        int cw, ch;
    } cases[] = {
        {300, 300, 300, 240, 240, 240, 0, 0, 0, 0, 0},          // fits exactly
        {300, 300, 300, 240, 240, 240, 0, 120, 0, 150, 300},    // half passes the right edge
        {300, 300, 300, 240, 240, 240, 90, 0, 120, 300, 150},   // rotation does not change it
        {300, 300, 300, 240, 240, 240, 45, 120, 120, 0, 0},     // odd rotation: no clip
        {100, 100, 100, 240, 240, 240, 0, 230, 230, 4, 4},      // 140 units over: 58.3 pixels -> 58
        {100, 100, 0, 240, 240, 240, 0, 230, 230, 0, 0},        // no resolution
    };
    for (const auto& c : cases) {
        int cw = -1, ch = -1;
        qelUtils::computeClipOverflow(c.w, c.h, c.r, c.pw, c.ph, c.u, c.rotation, c.x, c.y, &cw, &ch);
        EXPECT_EQ(cw, c.cw) << c.x << "," << c.y << " rot " << c.rotation;
        EXPECT_EQ(ch, c.ch) << c.x << "," << c.y << " rot " << c.rotation;
    }
}

TEST(IdentityTest, UUIDs)
{
    std::unique_ptr<char[]> a(qelUtils::createUUID());
    std::unique_ptr<char[]> b(qelUtils::createUUID());
    ASSERT_TRUE(a && b);
    const std::regex form("[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}");
    EXPECT_TRUE(std::regex_match(a.get(), form)) << a.get();
    EXPECT_STRNE(a.get(), b.get());
}

TEST(IdentityTest, ResourceNamesCountPerCall)
{
    qelUtils::resetResourceNameCounter();
    std::unique_ptr<char[]> first(qelUtils::generateResourceName(true));
    std::unique_ptr<char[]> second(qelUtils::generateResourceName(false));
    EXPECT_STREQ(first.get(), "MF1");
    EXPECT_STREQ(second.get(), "MC2");
    qelUtils::resetResourceNameCounter();
    std::unique_ptr<char[]> again(qelUtils::generateResourceName(false));
    EXPECT_STREQ(again.get(), "MC1");
}

TEST(IdentityTest, Banners)
{
    const std::string stamp = " on [A-Z][a-z]{2} [ 1-3][0-9] [0-9]{4} at [0-9]{2}:[0-9]{2}:[0-9]{2}\\]";
    EXPECT_TRUE(std::regex_match(qelUtils::getProductBanner(),
                                 std::regex("Lorbane v4\\.3\\.0\\.32 \\[Built for Linux 64-bit" + stamp)))
        << qelUtils::getProductBanner();
    EXPECT_TRUE(std::regex_match(qelUtils::getSDKBanner(),
                                 std::regex("Lorbane SDK v4\\.3\\.0\\.32 \\[Built for Linux 64-bit" + stamp)))
        << qelUtils::getSDKBanner();
}
