// Vector shapes drawn by the PDF visitor, checked on rendered pixels and on
// the written content stream.
#include "PdfVisitorSupport.h"

#include "qelBoxObject.h"
#include "qelFullArcObject.h"
#include "qelLineObject.h"

#include <cmath>
#include <memory>
#include <regex>

using namespace pdfvtest;

namespace {

const uint32_t kWhite = 0xFFFFFF;
const uint32_t kRed = 0xFF0000;    // model value 0x0000FF
const uint32_t kGreen = 0x00FF00;  // model value 0x00FF00
const uint32_t kBlue = 0x0000FF;   // model value 0xFF0000

// A GOCA carrier object at 240 units per inch with an RGB colour.
std::unique_ptr<qelLineObject> gocaObject(uint32_t modelColor, float lineWidth, int lineType = 7)
{
    auto o = std::make_unique<qelLineObject>(qelPoint{}, qelPoint{}, lineType, lineWidth, modelColor, 2, 5);
    o->setResolution(240);
    o->setColorSpace(1);
    o->setAbsoluteInlineFlag(1);
    o->setAbsoluteBaselineFlag(1);
    return o;
}

// A point given from the top left of the page, in page units.
qelPoint at(qelPDFVisitor& v, qelLineObject* o, float x, float y) { return v.computeLinePosition(o, x, y, qelPoint{}); }

struct Probe
{
    float x; // page units from the left
    float y; // page units from the top
    uint32_t colour;
};

struct ShapeCase
{
    const char* name;
    std::function<void(qelPDFVisitor&)> draw;
    std::vector<Probe> probes;
};

class GraphicsTest : public PdfVisitorTest
{
protected:
    // Renders page 1 at 48 dpi: one pixel covers 5 x 5 units of 240 dpi.
    Raster render(const std::string& pdf)
    {
        const std::string base = tempPath("");
        m_files.push_back(base + ".ppm");
        run("pdftoppm -r 48 -singlefile -f 1 -l 1 " + pdf + " " + base);
        Raster r;
        EXPECT_TRUE(r.load(base + ".ppm"));
        return r;
    }
};

TEST_F(GraphicsTest, ShapesLandAtTheirPositionsInTheirColours)
{
    if (!toolAvailable("pdftoppm"))
        GTEST_SKIP() << "pdftoppm missing";
    const std::vector<ShapeCase> cases = {
        {"filled box",
         [](qelPDFVisitor& v) {
             auto b = gocaObject(0x0000FF, 10);
             v.drawBox(b.get(), at(v, b.get(), 100, 100), at(v, b.get(), 500, 300), false, 0, 0, 0x40);
         },
         {{300, 200, kRed}, {600, 200, kWhite}, {300, 400, kWhite}}},
        {"box with its corners swapped",
         [](qelPDFVisitor& v) {
             auto b = gocaObject(0x00FF00, 10);
             v.drawBox(b.get(), at(v, b.get(), 500, 300), at(v, b.get(), 100, 100), false, 0, 0, 0x40);
         },
         {{300, 200, kGreen}}},
        {"outlined rounded box",
         [](qelPDFVisitor& v) {
             auto b = gocaObject(0xFF0000, 40);
             v.drawBox(b.get(), at(v, b.get(), 100, 100), at(v, b.get(), 900, 700), true, 100, 100, 0x20);
         },
         {{500, 100, kBlue}, {900, 400, kBlue}, {500, 400, kWhite}, {102, 102, kWhite}}},
        {"circle",
         [](qelPDFVisitor& v) {
             auto a = gocaObject(0x0000FF, 40);
             v.drawFullArc(a.get(), at(v, a.get(), 600, 600), qelPoint{300, 300}, qelPoint{0, 0}, 1.0f);
         },
         {{900, 600, kRed}, {300, 600, kRed}, {600, 300, kRed}, {600, 900, kRed}, {600, 600, kWhite}}},
        {"horizontal GOCA line",
         [](qelPDFVisitor& v) {
             auto l = gocaObject(0xFF0000, 100);
             v.drawGocaLine(l.get(), at(v, l.get(), 100, 900), at(v, l.get(), 1100, 900));
         },
         {{600, 900, kBlue}, {600, 950, kWhite}}},
        {"fillet through three points",
         [](qelPDFVisitor& v) {
             auto f = gocaObject(0x0000FF, 40);
             v.drawFillet(f.get(), {at(v, f.get(), 100, 1100), at(v, f.get(), 600, 700), at(v, f.get(), 1100, 1100)});
         },
         // the curve's middle: P1/8 + 3 P2/8 + P3/2
         {{787.5f, 950, kRed}, {600, 700, kWhite}}},
        {"filled area of a box",
         [](qelPDFVisitor& v) {
             auto area = gocaObject(0x00FF00, 0);
             v.beginArea(area.get(), 16, 0, 7);
             auto b = gocaObject(0x00FF00, 10);
             v.drawBox(b.get(), at(v, b.get(), 200, 200), at(v, b.get(), 1000, 1000), false, 0, 0, 0x20);
             v.endArea(16, false);
         },
         {{600, 600, kGreen}, {1100, 600, kWhite}}},
        {"partial arc with a negative sweep",
         [](qelPDFVisitor& v) {
             auto a = gocaObject(0x0000FF, 40);
             const qelPoint c = at(v, a.get(), 600, 600);
             // from 90 degrees back to 0: the upper right quarter
             v.drawPartialArc(a.get(), c, qelPoint{300, 300}, qelPoint{0, 0}, at(v, a.get(), 600, 300), 90.0f,
                              -90.0f, 1.0f);
         },
         {{812, 388, kRed}, {388, 388, kWhite}}},
    };
    for (const ShapeCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestPage page(1, 1200, 1200, 240);
        const std::string pdf = runPage(page, c.draw);
        const Raster r = render(pdf);
        ASSERT_EQ(240, r.width);
        for (const Probe& p : c.probes) {
            const uint32_t got = r.at(static_cast<int>(p.x / 5), static_cast<int>(p.y / 5));
            EXPECT_EQ(p.colour, got) << "at (" << p.x << ", " << p.y << ")";
        }
    }
}

TEST_F(GraphicsTest, PageBackgroundIsPaintedBehindTheObjects)
{
    if (!toolAvailable("pdftoppm") || !toolAvailable("qpdf"))
        GTEST_SKIP() << "tools missing";
    TestPage page(1, 1200, 1200, 240);
    page.setBackgroundColor(1, 0xFF0000); // blue
    const std::string pdf = runPage(page, [](qelPDFVisitor& v) {
        auto b = gocaObject(0x0000FF, 10);
        v.drawBox(b.get(), at(v, b.get(), 100, 100), at(v, b.get(), 500, 300), false, 0, 0, 0x40);
    });
    const Raster r = render(pdf);
    EXPECT_EQ(kBlue, r.at(1, 1));
    EXPECT_EQ(kRed, r.at(60, 40));
    // The fill colour is set before the rectangle is begun.
    const std::string content = contentOf(pdf);
    EXPECT_TRUE(std::regex_search(content, std::regex("0\\.0000 0\\.0000 1\\.0000 rg\\s+[-0-9. ]+ re\\s+f")));
}

TEST_F(GraphicsTest, CircleClosesOnItsStartPoint)
{
    if (!toolAvailable("qpdf"))
        GTEST_SKIP() << "qpdf missing";
    TestPage page(1, 1200, 1200, 240);
    const std::string pdf = runPage(page, [](qelPDFVisitor& v) {
        auto a = gocaObject(0x0000FF, 10);
        // P = Q = 94, R = S = 0: a circle of radius 94 units
        v.drawFullArc(a.get(), at(v, a.get(), 600, 600), qelPoint{94, 94}, qelPoint{0, 0}, 1.0f);
    });
    const std::string content = contentOf(pdf);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(content, m, std::regex("([-0-9.]+) ([-0-9.]+) m\\n")));
    const std::string start = m[1].str() + " " + m[2].str();
    // 361 points: one move and 360 lines, the last back on the start.
    std::string::size_type pos = 0;
    int lines = 0;
    std::string last;
    const std::regex lineOp("([-0-9.]+ [-0-9.]+) l\\n");
    for (std::sregex_iterator it(content.begin(), content.end(), lineOp), end; it != end; ++it) {
        ++lines;
        last = (*it)[1].str();
    }
    (void)pos;
    EXPECT_EQ(360, lines);
    EXPECT_EQ(start, last);
    // radius 94 units = 28.2 points to the right of the centre (180 points)
    EXPECT_EQ("208.200 180.000", start);
}

TEST_F(GraphicsTest, DashArraysScaleToPoints)
{
    float dotted[6] = {};
    const int n = qelLineObject::getDashPattern(0, dotted);
    EXPECT_EQ("[0.000000 0.600000]0", qelPDFVisitor::writeDashArray(dotted, n, 240, 1.0f));
    EXPECT_EQ("[0.000000 1.200000]0", qelPDFVisitor::writeDashArray(dotted, n, 240, 2.0f));
    EXPECT_EQ("[]0", qelPDFVisitor::writeDashArray(nullptr, 0, 240, 1.0f));
}

TEST_F(GraphicsTest, ArcParametersGiveRadiiAndRotation)
{
    struct Case
    {
        int p, q, r, s;
        float multiplier;
        float rx, ry;
        int rotation;
    };
    const Case cases[] = {
        {94, 94, 0, 0, 1.0f, 94, 94, 0},     // circle
        {100, 50, 0, 0, 2.0f, 200, 100, 0},  // ellipse, doubled
        {0, 0, -30, -60, 1.0f, 60, 30, 90},  // minor axis point only, negative
        {-40, -20, 0, 0, 1.0f, 40, 20, 180}, // major axis reversed
        {0, 0, 30, 60, 1.0f, 60, 30, 270},   // minor axis point only, positive
    };
    for (const Case& c : cases) {
        const qelPDFVisitor::ArcAxes a = qelPDFVisitor::arcAxes(c.p, c.q, c.r, c.s, c.multiplier);
        EXPECT_FLOAT_EQ(c.rx, a.rx) << c.p << "," << c.q << "," << c.r << "," << c.s;
        EXPECT_FLOAT_EQ(c.ry, a.ry);
        EXPECT_EQ(c.rotation, a.rotation);
    }
}

TEST_F(GraphicsTest, DegenerateShapesDrawNothing)
{
    if (!toolAvailable("qpdf"))
        GTEST_SKIP() << "qpdf missing";
    TestPage page(1, 1200, 1200, 240);
    const std::string pdf = runPage(page, [](qelPDFVisitor& v) {
        auto b = gocaObject(0x0000FF, 10);
        // zero width
        v.drawBox(b.get(), at(v, b.get(), 300, 100), at(v, b.get(), 300, 500), false, 0, 0, 0x40);
        // zero line width
        auto l = gocaObject(0x0000FF, 0);
        v.drawGocaLine(l.get(), at(v, l.get(), 100, 100), at(v, l.get(), 900, 100));
        // a single fillet point
        auto f = gocaObject(0x0000FF, 10);
        v.drawFillet(f.get(), {at(v, f.get(), 100, 100)});
    });
    const std::string content = contentOf(pdf);
    EXPECT_EQ(std::string::npos, content.find(" re\n"));
    EXPECT_EQ(std::string::npos, content.find(" l\n"));
}

TEST_F(GraphicsTest, LinesOutsideThePageAreClamped)
{
    if (!toolAvailable("qpdf"))
        GTEST_SKIP() << "qpdf missing";
    TestPage page(1, 1700, 2200, 240);
    const std::string pdf = runPage(page, [](qelPDFVisitor& v) {
        auto l = gocaObject(0x0000FF, 10, 1);
        v.drawGocaLine(l.get(), at(v, l.get(), -10, 100), at(v, l.get(), 5000, 100));
    });
    const std::string content = contentOf(pdf);
    // 1700 units = 510 points; y = (2200 - 100) / 240 * 72 = 630
    EXPECT_NE(std::string::npos, content.find("0.000 630.000 m\n510.000 630.000 l\n"));
    EXPECT_NE(std::string::npos, content.find("[0.000000 0.600000]0 d"));
    EXPECT_NE(std::string::npos, content.find("1.0000 w"));
}

TEST_F(GraphicsTest, ColoursBecomeFillAndStrokeOperators)
{
    if (!toolAvailable("qpdf"))
        GTEST_SKIP() << "qpdf missing";
    struct Case
    {
        const char* name;
        bool colour;
        int type;
        uint32_t value;
        uint8_t coverage;
        const char* expected;
    };
    const Case cases[] = {
        {"RGB red low", true, 1, 0x0000FF, 0, "1.0000 0.0000 0.0000 rg"},
        {"CMYK magenta", true, 2, 0x00FF0000, 0, "0.0000 1.0000 0.0000 0.0000 k"},
        {"CMYK cyan high, black low", true, 2, 0xFF0000FF, 0, "1.0000 0.0000 0.0000 1.0000 k"},
        {"highlight half coverage", true, 3, 0, 50, "0.5000 0.5000 0.5000 rg"},
        {"highlight coverage 0", true, 3, 0, 0, "0.0000 0.0000 0.0000 rg"},
        {"highlight coverage 101", true, 3, 0, 101, "0.0000 0.0000 0.0000 rg"},
        {"grey of CMYK", false, 2, 0x00FF0000, 0, "0.4130 g"},
        {"grey of RGB", false, 1, 0x0000FF, 0, "0.3000 g"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ini()->setColor(c.colour);
        TestPage page(1, 600, 600, 240);
        const std::string pdf = runPage(page, [&](qelPDFVisitor& v) {
            v.setOPDFColor(c.type, c.value, 1, c.coverage, 0);
            opdf_rect(v.getDocContext(), 10, 10, 100, 100);
            opdf_fill(v.getDocContext());
        });
        EXPECT_NE(std::string::npos, contentOf(pdf).find(c.expected));
    }
}

TEST_F(GraphicsTest, SameColourTwiceWritesOneOperatorAndInvisibleLinesStrokeInTheMediumColour)
{
    if (!toolAvailable("qpdf"))
        GTEST_SKIP() << "qpdf missing";
    TestPage page(1, 1200, 1200, 240);
    const std::string pdf = runPage(page, [](qelPDFVisitor& v) {
        auto a = gocaObject(0x0000FF, 10);
        auto b = gocaObject(0x0000FF, 10);
        v.drawGocaLine(a.get(), at(v, a.get(), 100, 100), at(v, a.get(), 900, 100));
        v.drawGocaLine(b.get(), at(v, b.get(), 100, 200), at(v, b.get(), 900, 200));
        auto hidden = gocaObject(0x00FF00, 10, 8);
        v.drawGocaLine(hidden.get(), at(v, hidden.get(), 100, 300), at(v, hidden.get(), 900, 300));
    });
    const std::string content = contentOf(pdf);
    std::string::size_type n = 0;
    for (std::string::size_type p = content.find("1.0000 0.0000 0.0000 RG"); p != std::string::npos;
         p = content.find("1.0000 0.0000 0.0000 RG", p + 1))
        ++n;
    EXPECT_EQ(1u, n);
    EXPECT_NE(std::string::npos, content.find("1.0000 1.0000 1.0000 RG")); // medium colour
    EXPECT_NE(std::string::npos, content.find("0.0000 1.0000 0.0000 rg")); // own fill
}

}

namespace {

TEST_F(GraphicsTest, ModelObjectsDrawThroughTheirVisitorOperations)
{
    if (!toolAvailable("pdftoppm"))
        GTEST_SKIP() << "pdftoppm missing";
    TestPage page(1, 1200, 1200, 240);
    const std::string pdf = runPage(page, [](qelPDFVisitor& v) {
        // diagonal corner left of the first corner
        qelBoxObject box(qelPoint{500, 300}, qelPoint{100, 100}, 0, 0, 0, 7, 10, 0x0000FF, 2, 5, 0x40);
        qelFullArcObject arc(qelPoint{800, 800}, qelPoint{200, 200}, qelPoint{0, 0}, 1.0f, 7, 40, 0xFF0000, 2, 5);
        for (qelGraphicObject* o : {static_cast<qelGraphicObject*>(&box), static_cast<qelGraphicObject*>(&arc)}) {
            o->setResolution(240);
            o->setColorSpace(1);
            o->setAbsoluteInlineFlag(1);
            o->setAbsoluteBaselineFlag(1);
        }
        v.writeBoxObject(&box);
        v.writeFullArcObject(&arc);
    });
    const Raster r = render(pdf);
    EXPECT_EQ(kRed, r.at(60, 40));
    EXPECT_EQ(kBlue, r.at(200, 160));
    EXPECT_EQ(kWhite, r.at(160, 160));
}

}
