#include "GocaTestSupport.h"

#include "qelAreaObject.h"
#include "qelBoxObject.h"
#include "qelFilletObject.h"
#include "qelFullArcObject.h"
#include "qelImageObject.h"
#include "qelLineObject.h"
#include "qelMarkerObject.h"
#include "qelPartialArcObject.h"

#include <filesystem>
#include <functional>
#include <sys/stat.h>

using namespace gocatest;

namespace {

class OrdersTest : public GocaTest
{
};

struct Parsed
{
    qelResGOCA* res;
    std::vector<qelGraphicObject*> all;
    const qelGocaParser& parser;
    int32_t x;
    int32_t y;
};

struct Case
{
    const char* name;
    Bytes orders;
    std::function<void(const Parsed&)> check;
};

// Window 0..1000 x 0..800: GOCA (x, y) maps to (x, 800 - y).
qelPoint at(float x, float y)
{
    return qelPoint{x, 800.0f - y};
}

#define EXPECT_POINT(got, want)                                                                                        \
    do {                                                                                                               \
        EXPECT_FLOAT_EQ((got).x, (want).x);                                                                            \
        EXPECT_FLOAT_EQ((got).y, (want).y);                                                                            \
    } while (0)

template <class T> T* as(qelGraphicObject* o, int kind)
{
    EXPECT_EQ(o->kind(), kind);
    return o->kind() == kind ? static_cast<T*>(o) : nullptr;
}

} // namespace

TEST_F(OrdersTest, OrderFamilies)
{
    const Case cases[] = {
        {"line at given position, two ends",
         {0xC1, 12, 0, 0, 0, 0, 0, 100, 0, 0, 0, 100, 0, 100},
         [](const Parsed& p) {
             ASSERT_EQ(p.all.size(), 2u);
             auto* l = as<qelLineObject>(p.all[1], qelGraphicObject::KIND_LINE);
             ASSERT_TRUE(l);
             EXPECT_POINT(l->getPosition(), at(100, 0));
             EXPECT_POINT(l->getEndPoint(), at(100, 100));
             EXPECT_FLOAT_EQ(l->getLineWidth(), 2.4f);
             EXPECT_EQ(l->getLineType(), 7);
             EXPECT_EQ(p.x, 100);
             EXPECT_EQ(p.y, 100);
         }},
        {"line at current position without points",
         {0x21, 4, 0, 7, 0, 9, 0x81, 0},
         [](const Parsed& p) {
             EXPECT_TRUE(p.all.empty());
             EXPECT_EQ(p.x, 7);
             EXPECT_EQ(p.y, 9);
         }},
        {"line end outside the window is clamped",
         {0xC1, 8, 0, 10, 0, 10, 0, 50, 0xFF, 0xEC},
         [](const Parsed& p) {
             ASSERT_EQ(p.all.size(), 1u);
             EXPECT_POINT(static_cast<qelLineObject*>(p.all[0])->getEndPoint(), at(50, 0));
         }},
        {"relative line",
         {0x21, 4, 0, 10, 0, 10, 0xA1, 4, 5, 5, 0xFD, 0},
         [](const Parsed& p) {
             ASSERT_EQ(p.all.size(), 2u);
             auto* l = static_cast<qelLineObject*>(p.all[1]);
             EXPECT_POINT(l->getPosition(), at(15, 15));
             EXPECT_POINT(l->getEndPoint(), at(12, 15));
             EXPECT_EQ(p.x, 12);
             EXPECT_EQ(p.y, 15);
         }},
        {"box at given position, corners ordered",
         {0xC0, 10, 0x40, 0, 0, 100, 0, 0, 0, 0, 0, 50},
         [](const Parsed& p) {
             ASSERT_EQ(p.all.size(), 1u);
             auto* b = as<qelBoxObject>(p.all[0], qelGraphicObject::KIND_BOX);
             ASSERT_TRUE(b);
             EXPECT_POINT(b->getFirstCorner(), at(0, 50));
             EXPECT_POINT(b->getDiagonalCorner(), at(100, 0));
             EXPECT_EQ(b->getRoundedCorners(), 0);
             EXPECT_TRUE(b->fills());
             EXPECT_EQ(p.x, 0);
         }},
        {"rounded box at current position",
         {0x80, 8, 0x20, 0, 0, 40, 0, 40, 0, 6},
         [](const Parsed& p) {
             ASSERT_EQ(p.all.size(), 1u);
             auto* b = static_cast<qelBoxObject*>(p.all[0]);
             EXPECT_EQ(b->getRoundedCorners(), 1);
             EXPECT_EQ(b->getEllipseXAxis(), 6);
             EXPECT_EQ(b->getEllipseYAxis(), 6);
         }},
        {"fillet at given position with one point",
         {0xC5, 4, 0, 30, 0, 40},
         [](const Parsed& p) {
             EXPECT_TRUE(p.all.empty());
             EXPECT_EQ(p.x, 30);
             EXPECT_EQ(p.y, 40);
         }},
        {"fillet at current position",
         {0xC5, 8, 0, 1, 0, 2, 0, 3, 0, 4, 0x85, 8, 0, 5, 0, 6, 0, 7, 0, 8},
         [](const Parsed& p) {
             ASSERT_EQ(p.all.size(), 2u);
             auto* f = as<qelFilletObject>(p.all[1], qelGraphicObject::KIND_FILLET);
             ASSERT_TRUE(f);
             EXPECT_EQ(f->getPoints()->getCount(), 3);
             EXPECT_EQ(p.x, 7);
             EXPECT_EQ(p.y, 8);
         }},
        {"full arc with the default arc parameters",
         {0xC7, 6, 0x01, 0xF4, 0x01, 0xF4, 0x02, 0x80},
         [](const Parsed& p) {
             ASSERT_EQ(p.all.size(), 1u);
             auto* a = as<qelFullArcObject>(p.all[0], qelGraphicObject::KIND_FULL_ARC);
             ASSERT_TRUE(a);
             EXPECT_FLOAT_EQ(a->getMultiplier(), 2.5f);
             EXPECT_POINT(a->getCenter(), at(500, 500));
             EXPECT_POINT(a->getArcPQ(), (qelPoint{1, 1}));
             EXPECT_POINT(a->getArcRS(), (qelPoint{0, 0}));
             EXPECT_EQ(p.x, 500);
             EXPECT_EQ(p.y, 500);
         }},
        {"partial arc: whole degrees, ends on the arc",
         {0x22, 8, 0, 10, 0, 10, 0, 0, 0, 0, 0xE3, 18, 0, 50, 0, 100, 0, 100, 0, 100, 1, 0, 0x00, 0x5A, 0, 0, 0xFF,
          0x4C, 0, 0},
         [](const Parsed& p) {
             ASSERT_EQ(p.all.size(), 1u);
             auto* a = as<qelPartialArcObject>(p.all[0], qelGraphicObject::KIND_PARTIAL_ARC);
             ASSERT_TRUE(a);
             EXPECT_FLOAT_EQ(a->getStartAngle(), 90.0f);
             EXPECT_FLOAT_EQ(a->getSweepAngle(), -180.0f);
             EXPECT_POINT(a->getStartPoint(), at(50, 100));
             EXPECT_POINT(a->getCenter(), at(100, 100));
             // 90 - 180 = -90 degrees on a circle of radius 10.
             EXPECT_EQ(p.x, 100);
             EXPECT_EQ(p.y, 90);
         }},
        {"partial arc on turned axes ends where the output draws it",
         {0x22, 8, 0, 0, 0, 0, 0, 10, 0, 10, 0xE3, 18, 0, 90, 0, 100, 0, 100, 0, 100, 1, 0, 0x01, 0x0E, 0, 0, 0x00,
          0x5A, 0, 0},
         [](const Parsed& p) {
             ASSERT_EQ(p.all.size(), 1u);
             // 360 degrees on the axes turned by 270: above the centre.
             EXPECT_EQ(p.x, 100);
             EXPECT_EQ(p.y, 110);
         }},
        {"markers at current position",
         {0x29, 3, 0x82, 8, 0, 1, 0, 2, 0, 3, 0, 4},
         [](const Parsed& p) {
             ASSERT_EQ(p.all.size(), 3u);
             auto* m = as<qelMarkerObject>(p.all[2], qelGraphicObject::KIND_MARKER);
             ASSERT_TRUE(m);
             EXPECT_EQ(m->getMarkerSymbol(), 3);
             EXPECT_POINT(m->getPosition(), at(3, 4));
             EXPECT_EQ(p.x, 3);
             EXPECT_EQ(p.y, 4);
         }},
        {"area: connected figures, boundary flag, pattern",
         {0x28, 0x40, 0x68, 0x40, 0xC1, 8, 0, 0, 0, 0, 0, 9, 0, 0, 0x81, 4, 0, 9, 0, 9, 0x60, 0},
         [](const Parsed& p) {
             ASSERT_EQ(p.all.size(), 1u);
             auto* area = as<qelAreaObject>(p.all[0], qelGraphicObject::KIND_AREA);
             ASSERT_TRUE(area);
             EXPECT_EQ(area->getDrawBoundary(), 1);
             EXPECT_EQ(area->getPatternSymbol(), 15);
             std::vector<qelGraphicObject*> in = children(area->getChildren());
             ASSERT_EQ(in.size(), 2u);
             EXPECT_EQ(static_cast<qelLineObject*>(in[0])->getContinued(), 0);
             EXPECT_EQ(static_cast<qelLineObject*>(in[1])->getContinued(), 1);
         }},
        {"end area without begin area",
         {0x60, 0, 0xC1, 8, 0, 0, 0, 0, 0, 1, 0, 1},
         [](const Parsed& p) {
             ASSERT_EQ(p.all.size(), 1u);
             EXPECT_EQ(p.all[0]->kind(), qelGraphicObject::KIND_LINE);
         }},
        {"character string makes no object",
         {0xC3, 9, 0, 100, 0, 200, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5},
         [](const Parsed& p) {
             EXPECT_TRUE(p.all.empty());
             EXPECT_EQ(p.x, 100);
             EXPECT_EQ(p.y, 200);
         }},
        {"unknown long order is skipped whole",
         {0x02, 4, 0xC1, 4, 0, 0, 0x21, 4, 0, 1, 0, 2},
         [](const Parsed& p) {
             EXPECT_TRUE(p.all.empty());
             EXPECT_EQ(p.x, 1);
             EXPECT_EQ(p.y, 2);
         }},
        {"surplus bytes of a long order are skipped",
         {0x21, 6, 0, 1, 0, 2, 0x68, 0x40, 0xC1, 8, 0, 9, 0, 9, 0, 10, 0, 10},
         [](const Parsed& p) {
             ASSERT_EQ(p.all.size(), 1u);
             EXPECT_EQ(p.all[0]->kind(), qelGraphicObject::KIND_LINE);
         }},
        {"extension orders",
         {0xFE, 0xB0, 0, 3, 0x81, 0x81, 0x81, 0xFE, 0x10, 0x21, 4, 0, 5, 0, 6},
         [](const Parsed& p) {
             EXPECT_TRUE(p.all.empty());
             EXPECT_EQ(p.x, 5);
             EXPECT_EQ(p.y, 6);
         }},
        {"unknown two-byte and long orders",
         {0x0B, 0x81, 0x84, 2, 0xC1, 0xC1, 0x21, 4, 0, 3, 0, 4},
         [](const Parsed& p) {
             EXPECT_TRUE(p.all.empty());
             EXPECT_EQ(p.x, 3);
             EXPECT_EQ(p.y, 4);
         }},
        {"prolog ended by End Prolog",
         {0x70, 12, 0xC1, 0xC2, 0xC3, 0xC4, 0, 0x10, 0, 0, 0, 0, 0, 0, 0x3E, 0, 0x81, 4, 0, 1, 0, 1},
         [](const Parsed& p) {
             EXPECT_TRUE(p.parser.isSegmentOpen());
             EXPECT_FALSE(p.parser.isPrologOpen());
             EXPECT_EQ(p.all.size(), 1u);
         }},
        {"prolog still open, appended segment keeps it",
         {0x70, 12, 0xC1, 0xC2, 0xC3, 0xC4, 0, 0x10, 0, 0, 0, 0, 0, 0, 0x70, 12, 0xC1, 0xC2, 0xC3, 0xC5, 0, 0x06, 0,
          0, 0, 0, 0, 0},
         [](const Parsed& p) {
             EXPECT_TRUE(p.parser.isSegmentOpen());
             EXPECT_TRUE(p.parser.isPrologOpen());
         }},
        {"appended segment without an open one starts a new one",
         {0x70, 12, 0xC1, 0xC2, 0xC3, 0xC4, 0, 0x16, 0, 0, 0, 0, 0, 0},
         [](const Parsed& p) {
             EXPECT_TRUE(p.parser.isSegmentOpen());
             EXPECT_TRUE(p.parser.isPrologOpen());
         }},
        {"unchained segment data is passed over",
         {0x70, 12, 0xC1, 0xC2, 0xC3, 0xC4, 0, 0x80, 0, 6, 0, 0, 0, 0, 0x21, 4, 0, 1, 0, 1, 0x21, 4, 0, 2, 0, 3},
         [](const Parsed& p) {
             EXPECT_EQ(p.x, 2);
             EXPECT_EQ(p.y, 3);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        qelGocaParser parser;
        std::unique_ptr<qelResGOCA> res = parseObject(object({c.orders}), parser);
        ASSERT_TRUE(res);
        Parsed p{res.get(), objects(res.get()), parser, 0, 0};
        parser.getCurrentPosition(p.x, p.y);
        c.check(p);
    }
    EXPECT_NE(output().find("Warning! Unexpected Draw Order ID: 0x2"), std::string::npos);
}

TEST_F(OrdersTest, AttributeOrders)
{
    struct AttrCase
    {
        const char* name;
        Bytes orders;
        uint32_t color;
        int space;
        float width;
    } cases[] = {
        {"set colour", {0x0A, 0x07}, 0xFF07, 5, 2.4f},
        {"rgb after set colour", {0x0A, 0x07, 0xB2, 13, 0, 1, 0, 0, 0, 0, 8, 8, 8, 0, 0x10, 0x20, 0x30}, 0x302010, 1, 2.4f},
        {"cmyk", {0xB2, 14, 0, 4, 0, 0, 0, 0, 8, 8, 8, 8, 1, 2, 3, 4}, 0x01020304, 2, 2.4f},
        {"rgb of four-bit components", {0xB2, 13, 0, 1, 0, 0, 0, 0, 4, 4, 4, 0, 0xFF, 0xFF, 0xFF}, 0x0F0F0F, 1, 2.4f},
        {"process colour too short for the value", {0xB2, 10, 0, 4, 0, 0, 0, 0, 8, 8, 8, 8}, 0, 2, 2.4f},
        {"extended colour", {0x26, 2, 0x00, 0x10}, 0x10, 5, 2.4f},
        {"line width 3", {0x19, 3}, 0, 5, 7.2f},
        {"line width 0 is the default", {0x19, 3, 0x19, 0}, 0, 5, 2.4f},
        {"fractional line width", {0x11, 2, 1, 0x80}, 0, 5, 3.6f},
        {"fractional 0 is the default", {0x11, 2, 4, 0, 0x11, 2, 0, 0}, 0, 5, 2.4f},
    };
    for (const AttrCase& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes orders = c.orders;
        append(orders, {0xC1, 8, 0, 0, 0, 0, 0, 1, 0, 1});
        qelGocaParser parser;
        std::unique_ptr<qelResGOCA> res = parseObject(object({orders}), parser);
        ASSERT_TRUE(res);
        std::vector<qelGraphicObject*> all = objects(res.get());
        ASSERT_EQ(all.size(), 1u);
        auto* line = static_cast<qelLineObject*>(all[0]);
        EXPECT_EQ(line->getColorValue(), c.color);
        EXPECT_EQ(line->getColorSpace(), c.space);
        EXPECT_FLOAT_EQ(line->getLineWidth(), c.width);
    }

    struct SymbolCase
    {
        unsigned char byte;
        int stored;
    } symbols[] = {{0x00, 16}, {0x40, 15}, {0x05, 5}};
    for (const SymbolCase& s : symbols) {
        qelGocaParser parser;
        std::unique_ptr<qelResGOCA> res = parseObject(object({{0x28, s.byte}}), parser);
        ASSERT_TRUE(res);
        EXPECT_EQ(parser.getDrawingState().current.patternSymbol, s.stored) << int(s.byte);
    }
}

// Set Current Defaults: standard defaults without data, values from data,
// and a line width order that falls back to the default.
TEST_F(OrdersTest, CurrentDefaultsFeedTheZeroOrders)
{
    Bytes input = field(0xA8BB, {});
    append(input, field(0xA6BB, {0xF6, 0x12, 0, 0, 0, 0, 0x09, 0x60, 0x09, 0x60, 0, 0, 0, 0, 0x03, 0xE8, 0, 0, 0x03,
                                 0x20, 0x21, 5, 1, 0xC0, 0x00, 0x0F, 6, 1, 0x40, 0x00, 0x8F, 5, 4, 5, 0, 0, 0x0F}));
    append(input, field(0xEEBB, {0x19, 3, 0x19, 0, 0xC1, 8, 0, 0, 0, 0, 0, 1, 0, 1}));
    append(input, field(0xA9BB, {}));
    qelGocaParser parser;
    std::unique_ptr<qelResGOCA> res = parseObject(input, parser);
    ASSERT_TRUE(res);
    EXPECT_FLOAT_EQ(parser.getDrawingState().defaults.lineWidth, 5.0f);
    EXPECT_EQ(parser.getDrawingState().defaults.lineType, 7);
    std::vector<qelGraphicObject*> all = objects(res.get());
    ASSERT_EQ(all.size(), 1u);
    // The reset ran before the descriptor: only the zero width takes 5.0.
    EXPECT_FLOAT_EQ(static_cast<qelLineObject*>(all[0])->getLineWidth(), 12.0f);
}

TEST_F(OrdersTest, ImagesCollectTheirRows)
{
    struct ImageCase
    {
        const char* name;
        Bytes orders;
        int images;
        int bytes;
        const char* warning;
    } cases[] = {
        {"two rows", {0xD1, 10, 0, 10, 0, 20, 0, 0, 0, 16, 0, 2, 0x92, 2, 1, 2, 0x92, 2, 3, 4, 0x93, 1, 0}, 1, 4,
         nullptr},
        {"data without begin", {0x92, 2, 1, 2, 0x93, 0}, 0, 0, "Warning! Image Data without Begin Image"},
        {"end without data", {0x91, 6, 0, 0, 0, 16, 0, 2, 0x93, 0}, 0, 0, "Warning! End Image without Image Data"},
        // The rows of an image never ended do not start the next image.
        {"unfinished image", {0x91, 6, 0, 0, 0, 8, 0, 1, 0x92, 2, 9, 9, 0x91, 6, 0, 0, 0, 8, 0, 1, 0x92, 1, 7, 0x93, 0},
         1, 1, nullptr},
    };
    for (const ImageCase& c : cases) {
        SCOPED_TRACE(c.name);
        qelGocaParser parser;
        std::unique_ptr<qelResGOCA> res = parseObject(object({c.orders}), parser);
        ASSERT_TRUE(res);
        std::vector<qelGraphicObject*> all = objects(res.get());
        ASSERT_EQ(static_cast<int>(all.size()), c.images);
        if (c.images) {
            auto* image = as<qelImageObject>(all[0], qelGraphicObject::KIND_IMAGE);
            ASSERT_TRUE(image);
            EXPECT_EQ(image->getDataLength(), c.bytes);
            EXPECT_EQ(image->getKind(), qelImageObject::IMAGE_GOCA);
            EXPECT_EQ(image->getResolution(), 240);
        }
        if (c.warning) {
            EXPECT_NE(output().find(c.warning), std::string::npos);
        }
    }
}

// Beyond the cache size the rows go through a temporary file, which is gone
// once the image has ended.
TEST_F(OrdersTest, LargeImageSpillsToATemporaryFile)
{
    const lrbtest::ScratchFolder folder;
    const std::string dir = folder.path() + "/";
    qelIni* ini = qelGlobalDSPool::getInstance()->getIni();
    ini->setTempPath(dir.c_str());
    ini->setImageMaxCacheSize(0.0001f);
    Bytes orders = {0x91, 6, 0, 0, 0, 200, 0, 4};
    for (int row = 0; row < 4; ++row) {
        append(orders, {0x92, 100});
        for (int i = 0; i < 100; ++i)
            orders.push_back(static_cast<unsigned char>(row * 100 + i));
    }
    // The file exists while the image is open: end it in a second field.
    qelGocaParser parser;
    std::unique_ptr<qelResGOCA> res = parseObject(object({orders, {0x93, 0}}), parser);
    ASSERT_TRUE(res);
    std::vector<qelGraphicObject*> all = objects(res.get());
    ASSERT_EQ(all.size(), 1u) << output();
    auto* image = static_cast<qelImageObject*>(all[0]);
    ASSERT_EQ(image->getDataLength(), 400);
    for (int i = 0; i < 400; ++i)
        ASSERT_EQ(image->getData()[i], static_cast<unsigned char>(i)) << i;
    // An image never ended takes its spill file with it.
    res = parseObject(object({orders}), parser);
    ASSERT_TRUE(res);
    EXPECT_TRUE(objects(res.get()).empty());
    EXPECT_TRUE(std::filesystem::is_empty(folder.path())) << "spill file left behind";
}

TEST_F(OrdersTest, ObjectLevelRecovery)
{
    // A read beyond a Graphics Data field ends that field only.
    qelGocaParser parser;
    std::unique_ptr<qelResGOCA> res =
        parseObject(object({{0xC1, 40, 0, 0, 0, 0}, {0xC1, 8, 0, 0, 0, 0, 0, 1, 0, 1}}), parser);
    ASSERT_TRUE(res);
    EXPECT_EQ(objects(res.get()).size(), 1u);
    // Only X'00' bytes: counted, nothing drawn.
    res = parseObject(object({{0, 0, 0}}), parser);
    EXPECT_TRUE(objects(res.get()).empty());
    EXPECT_EQ(parser.getOrderCount(), 3);
    // An area left open is not handed over, and the next object starts clean.
    res = parseObject(object({{0x68, 0x40, 0xC1, 8, 0, 0, 0, 0, 0, 1, 0, 1, 0x0A, 2}}), parser);
    EXPECT_TRUE(objects(res.get()).empty());
    res = parseObject(object({{0x81, 4, 0, 1, 0, 1}}), parser);
    std::vector<qelGraphicObject*> all = objects(res.get());
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0]->getColorValue(), 0u);
    EXPECT_EQ(static_cast<qelLineObject*>(all[0])->getContinued(), 0);
    // Read from a file of its own: no such thing for a graphics object.
    EXPECT_EQ(parser.parse("G1", 1, "G1"), nullptr);
}

TEST_F(OrdersTest, ResourceParserAnswersTheLastParse)
{
    qelGocaParser parser;
    const qelResParser& resources = parser;
    const struct
    {
        const char* name;
        const char* fileName;
        const char* expectedFile;
    } cases[] = {
        {"G1FIRST", nullptr, "G1FIRST"},
        {"G1SECOND", "GRAPHICS.LIB", "GRAPHICS.LIB"},
    };
    for (const auto& c : cases) {
        startObject(object({{0x81, 4, 0, 1, 0, 1}}), parser);
        std::unique_ptr<qelRes> res(parser.parse(c.name, 0, c.fileName));
        ASSERT_NE(res, nullptr) << c.name;
        EXPECT_EQ(resources.getResourceName(), c.name);
        EXPECT_EQ(resources.getFileName(), c.expectedFile);
        EXPECT_EQ(resources.getMode(), 0) << c.name;
    }
}
