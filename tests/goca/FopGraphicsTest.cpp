#include "GocaTestSupport.h"

#include "qelAreaObject.h"
#include "qelBoxObject.h"
#include "qelFilletObject.h"
#include "qelFullArcObject.h"
#include "qelLineObject.h"

using namespace gocatest;

namespace {

class FopGraphicsTest : public GocaTest
{
};

qelPoint mapped(float x, float y)
{
    return qelPoint{x, 284.0f - y};
}

void expectPoint(qelPoint got, qelPoint want, const char* what)
{
    EXPECT_FLOAT_EQ(got.x, want.x) << what;
    EXPECT_FLOAT_EQ(got.y, want.y) << what;
}

} // namespace

// The graphics object of the FOP sample: window, resolution, colours, line
// widths and the recorded figures.
TEST_F(FopGraphicsTest, RecordedObjectsMatchTheDrawing)
{
    const Bytes file = readFile(std::string(LORBANE_TEST_DATA) + "/fop/fop-rich.afp");
    ASSERT_FALSE(file.empty());
    qelGocaParser parser;
    std::unique_ptr<qelResGOCA> res = parseObject(file, parser);
    ASSERT_TRUE(res);
    EXPECT_STREQ(res->getName(), "GRA00001");
    EXPECT_EQ(parser.getObjectName(), "GRA00001");
    EXPECT_EQ(res->getResolution(), 240);
    EXPECT_EQ(res->getWidth(), 567u);
    EXPECT_EQ(res->getHeight(), 284u);
    EXPECT_FLOAT_EQ(res->getIncludeX(), 422.0f);
    EXPECT_FLOAT_EQ(res->getIncludeY(), 1059.0f);
    const qelGocaWindow& w = parser.getWindow();
    EXPECT_EQ(w.getLeft(), 0);
    EXPECT_EQ(w.getRight(), 567);
    EXPECT_EQ(w.getBottom(), 0);
    EXPECT_EQ(w.getTop(), 284);
    EXPECT_EQ(w.getPictureQuadrant(), 1);
    EXPECT_EQ(w.getCornerQuadrant(), 1);
    // EGR read: the unended figures are gone, the state stays for a look.
    EXPECT_EQ(parser.getDrawingState().current.lineType, 7);

    std::vector<qelGraphicObject*> all = objects(res.get());
    ASSERT_EQ(all.size(), 5u);

    // 1: area without boundary holding a boundary-only box.
    ASSERT_EQ(all[0]->kind(), qelGraphicObject::KIND_AREA);
    auto* area = static_cast<qelAreaObject*>(all[0]);
    EXPECT_EQ(area->getDrawBoundary(), 0);
    EXPECT_EQ(area->getColorValue(), 0x00CCFFu);
    EXPECT_EQ(area->getColorSpace(), 1);
    EXPECT_FLOAT_EQ(area->getLineWidth(), 2.4f);
    std::vector<qelGraphicObject*> inner = children(area->getChildren());
    ASSERT_EQ(inner.size(), 1u);
    ASSERT_EQ(inner[0]->kind(), qelGraphicObject::KIND_BOX);
    auto* filledBox = static_cast<qelBoxObject*>(inner[0]);
    EXPECT_EQ(filledBox->getDrawControlFlags(), 0x20);
    EXPECT_EQ(filledBox->getInArea(), 1);
    EXPECT_FLOAT_EQ(filledBox->getLineWidth(), 2.4f);
    expectPoint(filledBox->getFirstCorner(), qelPoint{9, 284 - 275}, "area box top-left");
    expectPoint(filledBox->getDiagonalCorner(), qelPoint{274, 284 - 161}, "area box bottom-right");

    // 2: stroked box, width 10.0.
    ASSERT_EQ(all[1]->kind(), qelGraphicObject::KIND_BOX);
    auto* box = static_cast<qelBoxObject*>(all[1]);
    EXPECT_EQ(box->getDrawControlFlags(), 0x20);
    EXPECT_EQ(box->getInArea(), 0);
    EXPECT_FLOAT_EQ(box->getLineWidth(), 24.0f);
    EXPECT_EQ(box->getLineType(), 7);
    EXPECT_EQ(box->getColorValue(), 0x00CCFFu);
    expectPoint(box->getFirstCorner(), qelPoint{9, 9}, "box top-left");
    expectPoint(box->getDiagonalCorner(), qelPoint{274, 123}, "box bottom-right");
    EXPECT_EQ(box->getResolution(), 240);
    EXPECT_EQ(box->getIAxisOrientation(), 0);
    EXPECT_EQ(box->getBAxisOrientation(), 90);
    EXPECT_FLOAT_EQ(box->getAngle(), 360.0f);
    EXPECT_EQ(box->getAbsoluteInlineFlag(), 1);
    EXPECT_EQ(box->getAbsoluteBaselineFlag(), 1);
    expectPoint(box->getAreaOrigin(), qelPoint{422, 1059}, "box origin");

    // 3: red full circle of radius 94.
    ASSERT_EQ(all[2]->kind(), qelGraphicObject::KIND_FULL_ARC);
    auto* arc = static_cast<qelFullArcObject*>(all[2]);
    expectPoint(arc->getCenter(), mapped(425, 142), "arc centre");
    expectPoint(arc->getArcPQ(), qelPoint{94, 94}, "arc P Q");
    expectPoint(arc->getArcRS(), qelPoint{0, 0}, "arc R S");
    EXPECT_FLOAT_EQ(arc->getMultiplier(), 1.0f);
    EXPECT_EQ(arc->getColorValue(), 0xFF0000u);
    EXPECT_FLOAT_EQ(arc->getLineWidth(), 36.0f);

    // 4: green line.
    ASSERT_EQ(all[3]->kind(), qelGraphicObject::KIND_LINE);
    auto* line = static_cast<qelLineObject*>(all[3]);
    expectPoint(line->getPosition(), mapped(0, 9), "line start");
    expectPoint(line->getEndPoint(), mapped(567, 95), "line end");
    EXPECT_EQ(line->getColorValue(), 0x008000u);
    EXPECT_FLOAT_EQ(line->getLineWidth(), 30.0f);
    EXPECT_EQ(line->getContinued(), 0);

    // 5: area with a fillet of nine points and the closing line.
    ASSERT_EQ(all[4]->kind(), qelGraphicObject::KIND_AREA);
    auto* blob = static_cast<qelAreaObject*>(all[4]);
    EXPECT_EQ(blob->getColorValue(), 0x88CC88u);
    inner = children(blob->getChildren());
    ASSERT_EQ(inner.size(), 2u);
    ASSERT_EQ(inner[0]->kind(), qelGraphicObject::KIND_FILLET);
    auto* fillet = static_cast<qelFilletObject*>(inner[0]);
    std::vector<qelGraphicObject*> none;
    ASSERT_NE(fillet->getPoints(), nullptr);
    const int pointsWanted[9][2] = {{283, 19},  {301, 65},  {326, 88},  {351, 111}, {378, 111},
                                    {405, 111}, {430, 88},  {455, 65},  {472, 19}};
    int i = 0;
    for (qelListNode* n = fillet->getPoints()->getHead(); n; n = n->next, ++i) {
        ASSERT_LT(i, 9);
        expectPoint(*static_cast<qelPoint*>(n->item), mapped(pointsWanted[i][0], pointsWanted[i][1]), "fillet point");
    }
    EXPECT_EQ(i, 9);
    EXPECT_EQ(fillet->getContinued(), 0);
    ASSERT_EQ(inner[1]->kind(), qelGraphicObject::KIND_LINE);
    auto* back = static_cast<qelLineObject*>(inner[1]);
    expectPoint(back->getPosition(), mapped(472, 19), "closing line start");
    expectPoint(back->getEndPoint(), mapped(283, 19), "closing line end");
    // It starts where the fillet ended.
    EXPECT_EQ(back->getContinued(), 1);
    EXPECT_GT(parser.getOrderCount(), 20);
}
