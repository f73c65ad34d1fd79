#include "GDRasterFixture.h"

#include "ShellCommand.h"
#include "qelImageObject.h"
#include "qelImgDIB.h"
#include "qelImgDIBHeader.h"
#include "qelImgInfo.h"
#include "qelImgProcessor.h"
#include "qelImgTypes.h"

#include <vector>

namespace {

qelPoint pt(float x, float y)
{
    qelPoint p;
    p.x = x;
    p.y = y;
    return p;
}

// An image object of 8 x 4 pels whose top-left pel is marked (red, or
// the set bit for 1 bit) and whose other pels are black.
std::unique_ptr<qelImageObject> markedImage(int bits, float angle)
{
    auto image = std::make_unique<qelImageObject>();
    qelImgInfo info;
    info.width = 8;
    info.height = 4;
    info.bitsPerPixel = bits;
    std::vector<unsigned char> rows;
    if (bits == 1) {
        info.colorCount = 2;
        rows = {0x80, 0, 0, 0}; // bit 1 is entry 1
        const int32_t table[] = {0x000000, 0xFF0000}; // black; red (blue-green-red-0 bytes)
        image->setColorTable(table, 2);
    } else if (bits == 8) {
        info.colorCount = 2;
        rows.assign(32, 0);
        rows[0] = 1;
        const int32_t table[] = {0x000000, 0xFF0000};
        image->setColorTable(table, 2);
    } else {
        rows.assign(96, 0);
        rows[0] = 255;
    }
    image->setImage(&info);
    image->setData(rows.data(), static_cast<int32_t>(rows.size()));
    image->setDataLength(static_cast<int32_t>(rows.size()));
    image->setAngle(angle, true);
    return image;
}

// Packed RGB (red low) of a saved page's pixel.
int dibPixel(const qelImgDIB* dib, int x, int y)
{
    const int w = dib->header->biWidth;
    if (dib->header->biBitCount == 24) {
        const unsigned char* p = dib->bits + (static_cast<size_t>(y) * w + x) * 3;
        return p[0] | p[1] << 8 | p[2] << 16;
    }
    const int i = dib->bits[static_cast<size_t>(y) * w + x];
    return dib->palette[4 * i + 2] | dib->palette[4 * i + 1] << 8 | dib->palette[4 * i] << 16;
}

} // namespace

TEST_F(GDRasterTest, TestPageDrawsEveryFigureWhereItBelongs)
{
    ASSERT_TRUE(lrbtest::toolAvailable("pngcheck"));
    ASSERT_TRUE(lrbtest::toolAvailable("identify"));
    for (int colorFlag : {0, 1}) {
        SCOPED_TRACE(colorFlag ? "true colour" : "palette");
        qelGDImplementor gd(nullptr);
        // 4 x 3 inches at 240 units: 1200 x 900 pixels at 300 dpi.
        gd.initializePage(960, 720, 240, 300, 0, 0, 8, colorFlag, 0, 1);
        const uint32_t black = 0, red = 0x0000FF;
        // Rule: filled rectangle (8, 8)-(200, 12) units.
        gd.drawLine(pt(8, 8), pt(200, 12), 1, black, true);
        // GOCA lines of types 1 to 6 with their dash tables, one per row.
        const int tables[6][6] = {{0, 2}, {3, 3}, {6, 4, 0, 4}, {0, 3, 0, 7}, {8, 3}, {6, 3, 0, 3, 0, 3}};
        const int counts[6] = {2, 2, 4, 4, 2, 6};
        for (int t = 0; t < 6; ++t)
            gd.drawStyledLine(pt(8, 24.0f + 8 * t), pt(200, 24.0f + 8 * t), 1, black, nullptr, 0.8f, t + 1,
                              tables[t], counts[t]);
        // Rounded box (240, 8)-(400, 88) units, radii 16.
        gd.drawBox(1, black, pt(240, 8), pt(400, 88), 0.8f, 7, 16, 16, true, nullptr, nullptr, 0);
        // Fillet from (8, 120) to (200, 120) bulging up to y 80, 64 samples.
        gd.drawFillet(1, black, pt(8, 120), pt(8, 80), pt(200, 80), pt(200, 120), 64, 0.8f, 7, nullptr, 0, nullptr);
        // Full arc: centre (520, 48), half axes 40 x 32 units.
        gd.drawFullArc(1, black, 7, pt(560, 80), pt(520, 48), pt(520, 48), 1.0f, 0.8f, nullptr, nullptr, 0);
        // Partial arc: 0 to 90 degrees (gd: downwards from the right), centre (680, 48).
        gd.drawPartialArc(1, black, 7, pt(720, 80), pt(680, 48), pt(680, 48), 0.0, 90.0, 1.0f, 0.8f, nullptr,
                          nullptr, 0);
        // Markers 1 to 10 along y 160 units, 40 units apart, 16 x 16.
        for (int m = 1; m <= 10; ++m)
            gd.drawMarker(1, red, m, pt(40.0f * m, 160), 16, 16, nullptr);
        // Images at 0, 90, 180, 270 degrees: 1, 8 and 24 bits in rows.
        std::vector<std::unique_ptr<qelImageObject>> images;
        const int depths[3] = {1, 8, 24};
        for (int d = 0; d < 3; ++d)
            for (int r = 0; r < 4; ++r) {
                images.push_back(markedImage(depths[d], 90.0f * r));
                // Box of 64 x 32 units (80 x 40 pixels); exchanged at 90 and 270.
                gd.drawImage(64, 32, 200.0f + 120 * r, 240.0f + 120 * d, images.back().get(), -1);
            }
        gd.savePage();
        qelImgDIB* dib = gd.getPageDIB();
        ASSERT_NE(dib, nullptr);
        EXPECT_EQ(dib->header->biWidth, 1200);
        EXPECT_EQ(dib->header->biHeight, 900);
        EXPECT_EQ(dib->header->biBitCount, colorFlag ? 24 : 8);

        const int white = 0xFFFFFF;
        // Rule: pixels (10..250, 10..15).
        EXPECT_EQ(dibPixel(dib, 100, 12), 0);
        EXPECT_EQ(dibPixel(dib, 100, 20), white);
        // Each GOCA line row has ink and gaps.
        for (int t = 0; t < 6; ++t) {
            const int y = static_cast<int>((24.0f + 8 * t) * 1.25f);
            int ink = 0;
            for (int x = 10; x < 250; ++x)
                ink += dibPixel(dib, x, y) != white;
            EXPECT_GT(ink, 10) << "type " << t + 1;
            EXPECT_LT(ink, 240) << "type " << t + 1;
        }
        // Rounded box: straight sides drawn, the corner point left open.
        EXPECT_EQ(dibPixel(dib, 400, 10), 0);
        EXPECT_EQ(dibPixel(dib, 300, 60), 0);
        EXPECT_EQ(dibPixel(dib, 500, 60), 0);
        EXPECT_EQ(dibPixel(dib, 300, 10), white);
        // Fillet: starts at (10, 150), its top near y 100 + 3/4 x 50.
        EXPECT_EQ(dibPixel(dib, 10, 150), 0);
        int top = -1;
        for (int y = 90; y < 150 && top < 0; ++y)
            if (dibPixel(dib, 130, y) == 0)
                top = y;
        EXPECT_NEAR(top, 112, 2);
        // Full arc: 100 x 80 pixels about (650, 60).
        EXPECT_EQ(dibPixel(dib, 700, 60), 0);
        EXPECT_EQ(dibPixel(dib, 600, 60), 0);
        EXPECT_EQ(dibPixel(dib, 650, 20), 0);
        EXPECT_EQ(dibPixel(dib, 650, 60), white);
        // Partial arc: right and bottom ends only.
        EXPECT_EQ(dibPixel(dib, 900, 60), 0);
        EXPECT_EQ(dibPixel(dib, 850, 100), 0);
        EXPECT_EQ(dibPixel(dib, 800, 60), white);
        EXPECT_EQ(dibPixel(dib, 850, 20), white);
        // Markers: each centre at (50 m, 200) in pixels; 8 and 9 are filled,
        // 3 and 4 are hollow.
        for (int m = 1; m <= 10; ++m) {
            const int cx = 50 * m;
            const bool centreInked = m != 3 && m != 4 && m != 10;
            EXPECT_EQ(dibPixel(dib, cx, 200) == red, centreInked) << "marker " << m;
        }
        EXPECT_EQ(dibPixel(dib, 400 + 9, 200 - 9), red); // square 8 corner
        EXPECT_EQ(dibPixel(dib, 500 + 9, 200), red);     // circle 10: w 20, rim at 10
        // Images: the box corner holding the marked pel, by orientation.
        for (int d = 0; d < 3; ++d)
            for (int r = 0; r < 4; ++r) {
                const int x = 250 + 150 * r, y = 300 + 150 * d;
                const bool turned = r == 1 || r == 3;
                const int w = turned ? 40 : 80, h = turned ? 80 : 40;
                // Corner (relative) expected to carry red.
                const int corner[4][2] = {{0, 0}, {0, h - 1}, {w - 1, h - 1}, {w - 1, 0}};
                SCOPED_TRACE("depth " + std::to_string(depths[d]) + " angle " + std::to_string(90 * r));
                EXPECT_EQ(dibPixel(dib, x + corner[r][0], y + corner[r][1]), red);
                EXPECT_EQ(dibPixel(dib, x + w / 2, y + h / 2), 0);
                EXPECT_EQ(dibPixel(dib, x + w + 1, y + h / 2), white);
                EXPECT_EQ(dibPixel(dib, x + w / 2, y + h + 1), white);
            }

        const std::string png = scratch + (colorFlag ? "tc.png" : "pal.png");
        qelImgProcessor processor;
        processor.encode(png.c_str(), dib, QELIMG_ENCODE_PNG);
        const lrbtest::CommandResult check = lrbtest::run("pngcheck " + lrbtest::shellQuote(png));
        EXPECT_EQ(check.status, 0) << check.output;
        const lrbtest::CommandResult size = lrbtest::run("identify -format '%w %h' " + lrbtest::shellQuote(png));
        EXPECT_EQ(size.output, "1200 900");
        gd.release();
    }
}
