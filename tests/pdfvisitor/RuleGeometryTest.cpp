// Text rules in every text orientation, with lengths and widths of both
// signs, placed by absolute and by relative moves: each rule's rectangle in
// the written PDF is the one its axes give, found from the content stream.
#include "PdfVisitorSupport.h"

#include "../afp/AfpTestSupport.h"

#include <algorithm>
#include <regex>

using namespace pdfvtest;

namespace {

using afptest::append;
using afptest::Bytes;
using afptest::field;

// Page of 1984 x 2806 units at 240 per inch.
const int kWidth = 1984;
const int kHeight = 2806;
const double kPoint = 72.0 / 240.0;

struct Orientation
{
    int inlineDegrees;
    int baselineDegrees;
};

struct Rect
{
    double x0, y0, x1, y1; // PDF points, y up
};

Bytes word(int v)
{
    return {static_cast<unsigned char>((v >> 8) & 0xFF), static_cast<unsigned char>(v & 0xFF)};
}

// One unchained control sequence.
Bytes sequence(int type, const Bytes& parameters)
{
    Bytes out = {0x2B, 0xD3, static_cast<unsigned char>(2 + parameters.size()), static_cast<unsigned char>(type)};
    append(out, parameters);
    return out;
}

Bytes degrees(int d)
{
    return word(d / 90 * 0x2D00);
}

// A page of one text object holding the control sequences.
Bytes document(const Bytes& text)
{
    Bytes out = field(0xA8A8, afptest::name8("DOC1"));
    append(out, field(0xA8AF, afptest::name8("PAGE1")));
    append(out, afptest::pageEnvironment());
    append(out, field(0xA89B, {}));
    append(out, field(0xEE9B, text));
    append(out, field(0xA99B, {}));
    append(out, field(0xA9AF, afptest::name8("PAGE1")));
    append(out, field(0xA9A8, afptest::name8("DOC1")));
    return out;
}

// Unit step on the page (x right, y down) of an axis turned by d degrees.
void step(int d, int& dx, int& dy)
{
    dx = d == 0 ? 1 : d == 180 ? -1 : 0;
    dy = d == 90 ? 1 : d == 270 ? -1 : 0;
}

// The rule's rectangle as its axes give it: an inline rule runs along the
// inline axis and is as wide along the baseline axis, a baseline rule the
// other way round; both start at the current position.
Rect expectedRect(Orientation o, bool baselineRule, int i, int b, int length, int width)
{
    int ux, uy, vx, vy;
    step(o.inlineDegrees, ux, uy);
    step(o.baselineDegrees, vx, vy);
    // The corner where both coordinates count from.
    const int ox = (ux < 0 || vx < 0) ? kWidth : 0;
    const int oy = (uy < 0 || vy < 0) ? kHeight : 0;
    const int alongI = baselineRule ? width : length;
    const int alongB = baselineRule ? length : width;
    const int xa = ox + i * ux + b * vx, ya = oy + i * uy + b * vy;
    const int xb = xa + alongI * ux + alongB * vx, yb = ya + alongI * uy + alongB * vy;
    return Rect{std::min(xa, xb) * kPoint, (kHeight - std::max(ya, yb)) * kPoint, std::max(xa, xb) * kPoint,
                (kHeight - std::min(ya, yb)) * kPoint};
}

// Rectangles of the stroked straight lines of the content: line width,
// then one move and one line, then the stroke.
std::vector<Rect> strokedRects(const std::string& content)
{
    std::vector<Rect> rects;
    const std::regex stroke(
        R"re(([\d.]+) w\n(-?[\d.]+) (-?[\d.]+) m\n(-?[\d.]+) (-?[\d.]+) l\nS\n)re");
    for (auto m = std::sregex_iterator(content.begin(), content.end(), stroke); m != std::sregex_iterator(); ++m) {
        const double w = std::stod((*m)[1]) / 2.0;
        const double x0 = std::stod((*m)[2]), y0 = std::stod((*m)[3]);
        const double x1 = std::stod((*m)[4]), y1 = std::stod((*m)[5]);
        if (y0 == y1)
            rects.push_back(Rect{std::min(x0, x1), y0 - w, std::max(x0, x1), y0 + w});
        else
            rects.push_back(Rect{x0 - w, std::min(y0, y1), x0 + w, std::max(y0, y1)});
    }
    return rects;
}

} // namespace

class RuleGeometryTest : public FopConversionTest
{
};

TEST_F(RuleGeometryTest, RulesSpanTheirTurnedAxesFromTheCurrentPosition)
{
    if (!toolAvailable("qpdf"))
        GTEST_SKIP() << "qpdf missing";
    struct Case
    {
        Orientation o;
        bool baselineRule;
        int length, width;
        bool relative; // reached by relative moves after absolute ones
        int i, b;      // current position
    };
    const Orientation orientations[] = {{0, 90}, {90, 180}, {180, 270}, {270, 0}};
    const int sizes[][2] = {{200, 10}, {-200, 10}, {200, -10}, {-200, -10}};
    std::vector<Case> cases;
    int k = 0;
    for (const Orientation& o : orientations)
        for (bool baselineRule : {false, true})
            for (const auto& size : sizes)
                for (bool relative : {false, true}) {
                    // Spread over the page, away from its edges.
                    const int i = 400 + (k % 8) * 120, b = 400 + (k / 8 % 8) * 120;
                    cases.push_back({o, baselineRule, size[0], size[1], relative, i, b});
                    ++k;
                }

    Bytes text;
    for (const Case& c : cases) {
        append(text, sequence(0xF6, [&] {
                   Bytes p = degrees(c.o.inlineDegrees);
                   append(p, degrees(c.o.baselineDegrees));
                   return p;
               }()));
        const int di = c.relative ? 30 : 0, db = c.relative ? -40 : 0;
        append(text, sequence(0xD2, word(c.b - db)));
        append(text, sequence(0xC6, word(c.i - di)));
        if (c.relative) {
            append(text, sequence(0xC8, word(di)));
            append(text, sequence(0xD4, word(db)));
        }
        Bytes rule = word(c.length);
        append(rule, word(c.width));
        rule.push_back(0);
        append(text, sequence(c.baselineRule ? 0xE6 : 0xE4, rule));
    }
    const std::string input = m_dir + "rules.afp";
    {
        std::ofstream out(input, std::ios::binary);
        const Bytes all = document(text);
        out.write(reinterpret_cast<const char*>(all.data()), static_cast<std::streamsize>(all.size()));
    }
    const std::string pdf = convert(input);
    ASSERT_TRUE(fileExists(pdf));
    const std::string qdf = m_dir + "rules.qdf";
    ASSERT_EQ(run("qpdf --qdf --object-streams=disable '" + pdf + "' '" + qdf + "'").status, 0);
    std::ifstream in(qdf, std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    const std::vector<Rect> got = strokedRects(content);
    ASSERT_EQ(got.size(), cases.size());
    for (size_t n = 0; n < cases.size(); ++n) {
        const Case& c = cases[n];
        const Rect want = expectedRect(c.o, c.baselineRule, c.i, c.b, c.length, c.width);
        const Rect& r = got[n];
        const double tolerance = 0.01;
        EXPECT_TRUE(std::abs(r.x0 - want.x0) < tolerance && std::abs(r.y0 - want.y0) < tolerance
                    && std::abs(r.x1 - want.x1) < tolerance && std::abs(r.y1 - want.y1) < tolerance)
            << "orientation (" << c.o.inlineDegrees << ", " << c.o.baselineDegrees << ") "
            << (c.baselineRule ? "baseline" : "inline") << " rule " << c.length << " x " << c.width
            << (c.relative ? " after relative moves" : "") << ": (" << r.x0 << ", " << r.y0 << ")-(" << r.x1 << ", "
            << r.y1 << "), expected (" << want.x0 << ", " << want.y0 << ")-(" << want.x1 << ", " << want.y1 << ")";
    }
}
