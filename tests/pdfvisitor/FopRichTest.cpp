// The FOP sample converted to PDF through the C interface: the file passes
// the checker, and the geometry of its graphics object matches FOP's own
// rendering of the same document.
#include "PdfVisitorSupport.h"

#include "lorbane.h"

#include <regex>
#include <sys/stat.h>

using namespace pdfvtest;

namespace {

struct Colour
{
    int r, g, b;
};

// Extent of the pixels of one colour inside a region, in pixels (= points
// at 72 dpi). Only rows and columns with at least minCount such pixels
// count, so that the anti-aliased edges of other shapes, which can come
// close to a colour, do not widen it.
struct Extent
{
    bool found = false;
    int left = 0, top = 0, right = 0, bottom = 0;
};

Extent extentOf(const Raster& r, Colour c, int tolerance, int minCount)
{
    // The object area of the drawing: origin (422, 1059) and size 567 x 284
    // at 240 units per inch, about (126.6, 317.7) to (296.7, 402.9) points,
    // with a little room for the strokes.
    const int x0 = 124, y0 = 315, x1 = 300, y1 = 406;
    std::vector<int> rows(static_cast<size_t>(y1 - y0), 0), columns(static_cast<size_t>(x1 - x0), 0);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const uint32_t p = r.at(x, y);
            if (p == 0xFFFFFFFFu)
                continue;
            const int pr = static_cast<int>(p >> 16), pg = static_cast<int>((p >> 8) & 0xFF),
                      pb = static_cast<int>(p & 0xFF);
            if (std::abs(pr - c.r) <= tolerance && std::abs(pg - c.g) <= tolerance && std::abs(pb - c.b) <= tolerance) {
                ++rows[static_cast<size_t>(y - y0)];
                ++columns[static_cast<size_t>(x - x0)];
            }
        }
    Extent e;
    auto span = [minCount](const std::vector<int>& counts, int origin, int& first, int& last) {
        first = -1;
        for (size_t i = 0; i < counts.size(); ++i)
            if (counts[i] >= minCount) {
                if (first < 0)
                    first = origin + static_cast<int>(i);
                last = origin + static_cast<int>(i);
            }
        return first >= 0;
    };
    e.found = span(columns, x0, e.left, e.right) && span(rows, y0, e.top, e.bottom);
    return e;
}

void expectNear(const Extent& ours, const Extent& fop, const char* what)
{
    ASSERT_TRUE(ours.found) << what << ": not in our rendering";
    ASSERT_TRUE(fop.found) << what << ": not in FOP's rendering";
    EXPECT_NEAR(ours.left, fop.left, 2) << what;
    EXPECT_NEAR(ours.top, fop.top, 2) << what;
    EXPECT_NEAR(ours.right, fop.right, 2) << what;
    EXPECT_NEAR(ours.bottom, fop.bottom, 2) << what;
}

class FopRichTest : public FopConversionTest
{
protected:
    // Converts the sample; the path of the PDF.
    std::string convert() { return FopConversionTest::convert(std::string(LORBANE_TEST_DATA) + "/fop/fop-rich.afp"); }

    Raster render(const std::string& pdf, const std::string& name)
    {
        const std::string base = m_dir + name;
        run("pdftoppm -r 72 -singlefile -f 1 -l 1 '" + pdf + "' '" + base + "'");
        Raster r;
        EXPECT_TRUE(r.load(base + ".ppm")) << name;
        return r;
    }

    // Our PDF with its content rewritten line by line (QDF form, lengths
    // fixed afterwards).
    std::string rewrite(const std::string& pdf, const std::string& name,
                        const std::function<std::string(const std::string&)>& line)
    {
        const std::string qdf = m_dir + name + ".qdf";
        run("qpdf --qdf --object-streams=disable '" + pdf + "' '" + qdf + "'");
        std::ifstream in(qdf, std::ios::binary);
        std::ofstream out(m_dir + name + ".edit", std::ios::binary);
        std::string text;
        while (std::getline(in, text))
            out << line(text) << '\n';
        out.close();
        const std::string fixed = m_dir + name + ".pdf";
        run("fix-qdf '" + m_dir + name + ".edit' > '" + fixed + "'");
        return fixed;
    }

    std::string m_dir;
    char m_oldDir[4096] = {};
    FILE* m_messages = nullptr;
};

const Colour kYellow{255, 204, 0};
const Colour kBlue{0, 0, 255};
const Colour kLineGreen{0, 128, 0};
const Colour kFilletGreen{136, 204, 136};
const Colour kBlack{0, 0, 0};

} // namespace

TEST_F(FopRichTest, PdfPassesTheCheckerOnAnA4Page)
{
    if (!toolAvailable("qpdf") || !toolAvailable("pdfinfo"))
        GTEST_SKIP() << "qpdf or pdfinfo missing";
    const std::string pdf = convert();
    const CommandResult check = run("qpdf --check '" + pdf + "'");
    EXPECT_EQ(0, check.status) << check.output;
    const CommandResult info = run("pdfinfo '" + pdf + "'");
    EXPECT_TRUE(std::regex_search(info.output, std::regex("Pages:\\s+1\\n"))) << info.output;
    EXPECT_TRUE(std::regex_search(info.output, std::regex("Page size:\\s+595.2 x 841.8 pts \\(A4\\)"))) << info.output;
}

// Our strokes are wider by design (7.2, 10.8 and 3.0 points against FOP's
// 1.1 to 1.7), so the shapes are compared with every stroke drawn at a
// common width of 1.4 points, and the filled areas with no stroke at all.
TEST_F(FopRichTest, GraphicsGeometryMatchesFopsRendering)
{
    for (const char* tool : {"qpdf", "fix-qdf", "pdftoppm"})
        if (!toolAvailable(tool))
            GTEST_SKIP() << tool << " missing";
    const std::string pdf = convert();
    const Raster fop = render(std::string(LORBANE_TEST_DATA) + "/fop/fop-rich.ref.pdf", "fop");
    const std::regex width("^[-0-9.]+ w$");
    const Raster thin = render(rewrite(pdf, "thin",
                                       [&](const std::string& l) {
                                           return std::regex_match(l, width) ? std::string("1.4000 w") : l;
                                       }),
                               "thin");
    const Raster fills = render(rewrite(pdf, "fills", [](const std::string& l) { return l == "S" ? "n" : l; }),
                                "fills");
    ASSERT_EQ(fop.width, thin.width);
    ASSERT_EQ(fop.height, thin.height);

    // Filled areas: colour and extent. FOP outlines the rectangle in black
    // over the edge of its fill; the half-point it covers is within reach.
    expectNear(extentOf(fills, kYellow, 16, 3), extentOf(fop, kYellow, 16, 3), "yellow area");
    expectNear(extentOf(fills, kFilletGreen, 16, 3), extentOf(fop, kFilletGreen, 16, 3), "fillet area");
    // Both areas are filled in their own colour at their centres.
    const Extent yellow = extentOf(fills, kYellow, 16, 3), blob = extentOf(fills, kFilletGreen, 16, 3);
    EXPECT_EQ(fills.at((yellow.left + yellow.right) / 2, (yellow.top + yellow.bottom) / 2), 0xFFCC00u);
    EXPECT_EQ(fop.at((yellow.left + yellow.right) / 2, (yellow.top + yellow.bottom) / 2), 0xFFCC00u);
    EXPECT_EQ(fills.at((blob.left + blob.right) / 2, blob.bottom - 3), 0x88CC88u);
    EXPECT_EQ(fop.at((blob.left + blob.right) / 2, blob.bottom - 3), 0x88CC88u);

    // Stroked shapes at a common width. Our box outline has the area's
    // colour, FOP's is black.
    expectNear(extentOf(thin, kYellow, 16, 1), extentOf(fop, kBlack, 16, 1), "box");
    expectNear(extentOf(thin, kBlue, 60, 1), extentOf(fop, kBlue, 60, 1), "circle");
    expectNear(extentOf(thin, kLineGreen, 60, 1), extentOf(fop, kLineGreen, 60, 1), "line");
}
