#include "qelGocaWindow.h"

#include <gtest/gtest.h>

// Quadrant codes, size and mapping of windows in each quadrant, of a window
// spanning quadrants and of no window at all.
TEST(GocaWindowTest, MapsPointsIntoTheObjectArea)
{
    struct Case
    {
        const char* name;
        bool given;
        int left, right, bottom, top;
        int picture, corner, width, height;
        float x, y, u, v;
    } cases[] = {
        {"quadrant 1", true, 0, 1000, 0, 800, 1, 1, 1000, 800, 100, 100, 100, 700},
        {"quadrant 2", true, -1000, 0, 0, 800, 2, 2, 1000, 800, -100, 100, 900, 700},
        {"quadrant 3", true, -1000, 0, -800, 0, 3, 3, 1000, 800, -100, -100, 900, 100},
        {"quadrant 4", true, 0, 1000, -800, 0, 4, 4, 1000, 800, 100, -100, 100, 100},
        {"centred window, corner quadrant", true, -500, 500, -400, 400, 0, 2, 1000, 800, -100, 100, 400, 300},
        {"no window: object area size", false, 0, 567, 0, 284, 0, 0, 0, 0, 100, 100, 100, 184},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        qelGocaWindow w;
        if (c.given)
            w.set(c.left, c.right, c.bottom, c.top);
        else
            w.setExtent(c.right, c.top);
        EXPECT_EQ(w.getPictureQuadrant(), c.picture);
        EXPECT_EQ(w.getCornerQuadrant(), c.corner);
        EXPECT_EQ(w.getWidth(), c.width);
        EXPECT_EQ(w.getHeight(), c.height);
        const qelPoint p = w.transformPoint(c.x, c.y);
        EXPECT_FLOAT_EQ(p.x, c.u);
        EXPECT_FLOAT_EQ(p.y, c.v);
    }
}

TEST(GocaWindowTest, ClampsIntoTheWindowQuadrant)
{
    qelGocaWindow w;
    w.set(0, 1000, 0, 800);
    int32_t x = -5, y = -20;
    w.clampPoint(x, y, nullptr);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_TRUE(w.contains(0, 800));
    EXPECT_FALSE(w.contains(1001, 10));
    qelGocaWindow spanning;
    spanning.set(-500, 500, -400, 400);
    x = 900;
    y = -900;
    spanning.clampPoint(x, y, nullptr);
    EXPECT_EQ(x, 500);
    EXPECT_EQ(y, -400);
}
