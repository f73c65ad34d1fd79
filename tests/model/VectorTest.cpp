#include "PageKindTraceVisitor.h"
#include "qelAreaObject.h"
#include "qelBeginControlObject.h"
#include "qelCurveObject.h"
#include "qelEndControlObject.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelLineObject.h"
#include "qelMarkerObject.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
class VectorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ini = qelGlobalDSPool::getInstance()->getIni();
        ini->setQuietMode(true);
    }
    void TearDown() override { qelUtils::releaseGlobals(); }
    qelIni* ini = nullptr;
};

TEST_F(VectorTest, DashPatternsOfTheLineTypes)
{
    const struct {
        int index;
        std::vector<float> values;
    } cases[] = {
        {0, {0, 2}}, {1, {3, 3}}, {2, {6, 4, 0, 4}}, {3, {0, 3, 0, 7}}, {4, {8, 3}}, {5, {6, 3, 0, 3, 0, 3}},
        {-1, {}}, {6, {}},
    };
    for (const auto& c : cases) {
        float pattern[6] = {};
        const int n = qelLineObject::getDashPattern(c.index, pattern);
        EXPECT_EQ(std::vector<float>(pattern, pattern + n), c.values) << c.index;
    }
}

TEST_F(VectorTest, LineOrderEstimate)
{
    struct Case {
        const char* label;
        std::vector<double> dashes; // empty: no array
        int32_t dashCount;          // for a count without an array
        int32_t phase;
        bool continued;
        float end[2];
        int32_t orders;
        int32_t bytes;
    };
    const Case cases[] = {
        {"solid continued", {}, 0, 0, true, {0, 12}, 1, 6},
        {"solid", {}, 0, 0, false, {0, 12}, 1, 10},
        {"count without array", {}, 3, 0, false, {0, 12}, 1, 10},
        {"vertical 3,3", {3, 3}, 0, 0, false, {0, 12}, 8, 12},
        {"vertical continued", {3, 3}, 0, 0, true, {0, 12}, 8, 0},
        {"horizontal backwards", {3, 3}, 0, 0, false, {-12, 0}, 8, 12},
        {"phase 7", {3, 3}, 0, 7, false, {0, 12}, 10, 12},
        {"diagonal 3-4-5", {5}, 0, 0, false, {6, 8}, 4, 12},
        {"dot pattern", {0, 2}, 0, 0, false, {0, 4}, 6, 12},
        // Patterns that can never reach the end count as solid.
        {"negative value", {3, -3}, 0, 0, false, {0, 12}, 1, 10},
        {"all zero", {0, 0}, 0, 0, false, {0, 12}, 1, 10},
        {"tiny values", {1e-6, 1e-6}, 0, 0, false, {0, 1e6f}, 1, 10},
    };
    for (const Case& c : cases) {
        qelLineObject line(qelPoint{0, 0}, qelPoint{c.end[0], c.end[1]}, 2, 1.0f, 0, 2, 5);
        if (!c.dashes.empty())
            line.setDashArray(c.dashes.data(), static_cast<int32_t>(c.dashes.size()));
        else if (c.dashCount)
            line.setDashArray(nullptr, c.dashCount);
        line.setDashPhase(c.phase);
        line.setContinued(c.continued ? 1 : 0);
        int32_t orders = -1;
        int32_t bytes = -1;
        line.countGOCAOrders(&orders, &bytes);
        EXPECT_EQ(orders, c.orders) << c.label;
        EXPECT_EQ(bytes, c.bytes) << c.label;
        EXPECT_EQ(line.getOrderCount(), c.orders) << c.label;
    }
}

TEST_F(VectorTest, AreaOrderEstimate)
{
    ini->setCurveSamplingFactor(64);
    auto* curve = new qelCurveObject();
    curve->setContinued(1);
    qelAreaObject area;
    area.setColorSpace(qelGraphicObject::COLOR_OCA);
    area.addChild(curve);
    EXPECT_EQ(area.countGOCAOrders(), 7);
    // Cached: later changes do not count.
    area.addChild(new qelLineObject());
    EXPECT_EQ(area.countGOCAOrders(), 7);

    qelCurveObject alone;
    int32_t orders = 0;
    int32_t bytes = 0;
    EXPECT_EQ(alone.countGOCAOrders(63, &orders, &bytes), 260);
    EXPECT_EQ(orders, 2);

    // Two filled subpaths: brackets of the first and the last subpath count.
    const struct {
        int32_t paintType;
        int32_t expected;
    } fills[] = {{qelAreaObject::PAINT_EVEN_ODD, 1 + 1 + 1 + 1 + 3 + 2}, {qelAreaObject::PAINT_STROKE, 1 + 1 + 3 + 2}};
    for (const auto& f : fills) {
        qelAreaObject path;
        path.setColorSpace(qelGraphicObject::COLOR_OCA);
        path.setPaintType(f.paintType);
        auto* begin1 = new qelBeginControlObject();
        begin1->addFlags(qelBeginControlObject::FIRST_SUBPATH);
        path.addChild(begin1);
        path.addChild(new qelLineObject(qelPoint{0, 0}, qelPoint{5, 5}, 7, 0, 0, 2, 5));
        path.addChild(new qelEndControlObject());
        path.addChild(new qelBeginControlObject());
        path.addChild(new qelLineObject(qelPoint{0, 0}, qelPoint{5, 5}, 7, 0, 0, 2, 5));
        auto* end2 = new qelEndControlObject();
        end2->addFlags(qelEndControlObject::LAST_SUBPATH);
        path.addChild(end2);
        EXPECT_EQ(path.countGOCAOrders(), f.expected) << f.paintType;
    }
}

TEST_F(VectorTest, RasterDecisionAndColours)
{
    qelAreaObject area;
    auto* line = new qelLineObject();
    line->setColorValue(0x0000FF);
    line->setColorSpace(qelGraphicObject::COLOR_RGB);
    area.addChild(line);
    area.addChild(new qelBeginControlObject());
    area.setSubpathCount(1);
    area.setAllRectangles(1);
    ini->setMaxVectorObjects(0);
    EXPECT_TRUE(area.hasToBeRasterized(0));
    ini->setMaxVectorObjects(-1);
    EXPECT_FALSE(area.hasToBeRasterized(0));
    EXPECT_EQ(area.getOrderCount(), -1); // not computed for this decision
    ini->setMaxVectorObjects(5);
    EXPECT_TRUE(area.hasToBeRasterized(100));

    const struct {
        int32_t limit;
        int32_t expected;
    } colours[] = {{0, 0}, {1, 1}, {-2, -1}, {-1, 2}, {10, 2}};
    for (const auto& c : colours)
        EXPECT_EQ(area.getUniqueColorsCount(c.limit), c.expected) << c.limit;
}

TEST_F(VectorTest, RuleBoundingBoxIsNormalised)
{
    qelLineObject rule;
    rule.setPosition(10, 20);
    rule.setVertical(true);
    rule.setWidth(-2);
    rule.setLength(5);
    const qelBoundingBox* box = rule.getBoundingBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->topLeftX, 8);
    EXPECT_EQ(box->topLeftY, 20);
    EXPECT_EQ(box->bottomRightX, 10);
    EXPECT_EQ(box->bottomRightY, 25);
}

TEST_F(VectorTest, AreaWritesItsChildrenAtItsOrigin)
{
    qelAreaObject area;
    area.setAreaOrigin(40, 50);
    area.addChild(new qelLineObject());
    area.addChild(new qelMarkerObject(qelPoint{1, 2}, 0, 1, 0, 8, 2, 5));
    PageKindTraceVisitor v;
    area.setSuppressed(1);
    area.write(&v);
    EXPECT_TRUE(v.calls.empty());
    area.setSuppressed(0);
    area.write(&v);
    EXPECT_EQ(v.calls, (std::vector<std::string>{"writeBeginAreaObject", "writeLineObject",
                                                 "writeMarkerObject", "writeEndAreaObject"}));
    ASSERT_EQ(v.lineOrigins.size(), 1u);
    EXPECT_EQ(v.lineOrigins[0].x, 40);
    qelAreaObject empty;
    empty.write(&v);
    EXPECT_EQ(v.calls.size(), 4u);
}
}
