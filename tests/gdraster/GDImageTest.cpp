#include "GDRasterFixture.h"

#include "qelContainerObject.h"
#include "qelGDImageHandle.h"
#include "qelImageObject.h"
#include "qelImgDIB.h"
#include "qelImgDIBUtils.h"
#include "qelImgInfo.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

std::unique_ptr<qelGDImageHandle> make(int w, int h, int bits, int colors, const uint8_t* palette, const Bytes& rows,
                                       int transparent, bool trueColor)
{
    return std::unique_ptr<qelGDImageHandle>(static_cast<qelGDImageHandle*>(qelGDImplementor::createImageHandle(
        w, h, bits, colors, palette, rows.data(), static_cast<long>(rows.size()), transparent, trueColor)));
}

int rgbAt(gdImagePtr im, int x, int y)
{
    const int c = gdImageGetPixel(im, x, y);
    return gdImageRed(im, c) | gdImageGreen(im, c) << 8 | gdImageBlue(im, c) << 16;
}

} // namespace

TEST_F(GDRasterTest, ImageHandlesForEveryDepth)
{
    // Blue-green-red-0 entries: white, red, green, blue.
    const uint8_t table[] = {255, 255, 255, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0};
    const struct {
        const char* name;
        int bits;
        bool trueColor;
        Bytes rows; // 3 x 2 pixels
        int colors;
        int expect[6]; // RGB, red low
    } cases[] = {
        {"1 bit", 1, false, {0x40, 0xA0}, 2, {0xFFFFFF, 0x0000FF, 0xFFFFFF, 0x0000FF, 0xFFFFFF, 0x0000FF}},
        {"1 bit true colour", 1, true, {0x40, 0xA0}, 2, {0xFFFFFF, 0x0000FF, 0xFFFFFF, 0x0000FF, 0xFFFFFF, 0x0000FF}},
        {"4 bits", 4, false, {0x12, 0x30, 0x01, 0x20}, 4, {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF, 0x0000FF,
                                                           0x00FF00}},
        {"8 bits", 8, false, {1, 2, 3, 0, 1, 2}, 4, {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF, 0x0000FF, 0x00FF00}},
        {"8 bits turned", 8, true, {1, 2, 3, 0, 1, 2}, 4, {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF, 0x0000FF,
                                                           0x00FF00}},
        {"24 bits", 24, false, {255, 0, 0, 0, 255, 0, 0, 0, 255, 1, 2, 3, 0, 0, 0, 255, 255, 255}, 0,
         {0x0000FF, 0x00FF00, 0xFF0000, 0x030201, 0, 0xFFFFFF}},
        // C, M, Y, K: none, full cyan, full black; full magenta, full yellow, none.
        {"32 bits", 32, false, {0, 0, 0, 0, 255, 0, 0, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 0}, 0,
         {0xFFFFFF, 0xFFFF00, 0, 0xFF00FF, 0x00FFFF, 0xFFFFFF}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto handle = make(3, 2, c.bits, c.colors, c.colors ? table : nullptr, c.rows, -1, c.trueColor);
        ASSERT_NE(handle, nullptr);
        gdImagePtr im = handle->getImage();
        EXPECT_EQ(gdImageTrueColor(im) != 0, c.trueColor || c.bits >= 24);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(rgbAt(im, i % 3, i / 3), c.expect[i]) << i;
    }
    // 8 bits without a table: greys.
    auto grey = make(2, 1, 8, 0, nullptr, {7, 200}, -1, false);
    EXPECT_EQ(rgbAt(grey->getImage(), 1, 0), 0xC8C8C8);
}

TEST_F(GDRasterTest, ImageHandleTransparencyAndRefusals)
{
    const uint8_t blackWhite[] = {0, 0, 0, 0, 255, 255, 255, 0};
    // The white entry of a 1-bit palette image is transparent...
    auto a = make(8, 1, 1, 2, blackWhite, {0x0F}, -1, false);
    EXPECT_EQ(gdImageGetTransparent(a->getImage()), 1);
    // ... unless a transparent index names another.
    auto b = make(8, 1, 1, 2, blackWhite, {0x0F}, 0, false);
    EXPECT_EQ(gdImageGetTransparent(b->getImage()), 0);
    // Missing or short data gives no handle.
    EXPECT_EQ(qelGDImplementor::createImageHandle(8, 2, 8, 0, nullptr, nullptr, 0, -1, false), nullptr);
    const uint8_t few[3] = {};
    EXPECT_EQ(qelGDImplementor::createImageHandle(8, 2, 8, 0, nullptr, few, 3, -1, false), nullptr);
    EXPECT_EQ(qelGDImplementor::createImageHandle(2, 1, 24, 0, nullptr, few, 3, -1, false) != nullptr, false);
    // Depths gd cannot take are refused with the text.
    for (int bits : {2, 16, 0}) {
        SCOPED_TRACE(bits);
        try {
            delete qelGDImplementor::createImageHandle(1, 1, bits, 0, nullptr, few, 3, -1, false);
            FAIL() << "no exception";
        } catch (const char* text) {
            EXPECT_STREQ(text, "Unable to create GD image with color table.");
        }
    }
}

TEST_F(GDRasterTest, DrawDIBSkipsTransparentEntryZero)
{
    qelGDImplementor gd(nullptr);
    page(gd, 80, 80, 0);
    const uint8_t table[] = {0, 0, 0, 0, 0, 0, 255, 0}; // black, red
    qelImgDIB* dib = qelImgDIBUtils::createDIBFromData(8, 2, 1, 300, 300, 2, table, 0);
    ASSERT_NE(dib, nullptr);
    std::memcpy(dib->palette, table, sizeof table);
    dib->bits[0] = 0x81;
    dib->bits[1] = 0x00;
    gd.drawDIB(dib, 10.4f, 20.5f);
    gdImagePtr im = gd.getPageImage();
    EXPECT_EQ(rgbAt(im, 10, 20), 0x0000FF); // red at (10, 20): 20.5 rounds down
    EXPECT_EQ(rgbAt(im, 17, 20), 0x0000FF);
    EXPECT_EQ(rgbAt(im, 11, 20), 0xFFFFFF); // entry 0 is transparent
    delete dib;
}

TEST_F(GDRasterTest, ImageObjectBuildsItsGdImageOnce)
{
    qelGDImplementor gd(nullptr);
    page(gd, 400, 400, 1);
    qelImageObject image;
    qelImgInfo info;
    info.width = 4;
    info.height = 2;
    info.bitsPerPixel = 24;
    image.setImage(&info);
    Bytes rows(24, 0);
    rows[0] = 255; // top-left red, the rest black
    image.setData(rows.data(), static_cast<int32_t>(rows.size()));
    image.setDataLength(static_cast<int32_t>(rows.size()));
    gd.drawImage(32, 16, 0, 0, &image, -1);
    qelImageHandle* first = image.getImageHandle();
    ASSERT_NE(first, nullptr);
    gd.drawImage(32, 16, 80, 80, &image, -1);
    EXPECT_EQ(image.getImageHandle(), first);
    gdImagePtr im = gd.getPageImage();
    EXPECT_EQ(rgbAt(im, 2, 2), 0x0000FF);
    EXPECT_EQ(rgbAt(im, 102, 102), 0x0000FF);
    EXPECT_EQ(rgbAt(im, 30, 15), 0);
    EXPECT_EQ(rgbAt(im, 45, 5), 0xFFFFFF);
}

// A BMP container decoded for raster output is drawn pixel for pixel at its
// own size, and keeps its gd image for the next draw.
TEST_F(GDRasterTest, ContainerDrawsItsDecodedBitmap)
{
    const std::string path = std::string(LORBANE_TEST_DATA) + "/imagelib/bmp24.bmp";
    std::ifstream in(path, std::ios::binary);
    const Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::ifstream ref(path + ".rgb", std::ios::binary);
    const Bytes rgb((std::istreambuf_iterator<char>(ref)), std::istreambuf_iterator<char>());
    ASSERT_EQ(rgb.size(), 37u * 48u * 3u);
    qelContainerObject container;
    container.setType(qelContainerObject::TYPE_BMP);
    auto* data = new unsigned char[file.size()];
    std::memcpy(data, file.data(), file.size());
    container.setData(data, static_cast<int32_t>(file.size()));
    container.decodeForRaster();
    ASSERT_NE(container.getConvertedData(), nullptr);

    qelGDImplementor gd(nullptr);
    page(gd, 400, 400, 1);
    // 37 x 48 pixels at scale 1.25.
    gd.drawContainerImage(29.6f, 38.4f, 0, 0, &container, -1);
    qelImageHandle* first = container.getImageHandle();
    ASSERT_NE(first, nullptr);
    gd.drawContainerImage(29.6f, 38.4f, 80, 80, &container, -1);
    EXPECT_EQ(container.getImageHandle(), first);
    gdImagePtr im = gd.getPageImage();
    for (const auto& p : {std::pair<int, int>{0, 0}, {36, 0}, {0, 47}, {36, 47}, {18, 24}}) {
        const size_t at = (static_cast<size_t>(p.second) * 37 + static_cast<size_t>(p.first)) * 3;
        const int expected = rgb[at] | rgb[at + 1] << 8 | rgb[at + 2] << 16;
        EXPECT_EQ(rgbAt(im, p.first, p.second), expected) << p.first << "," << p.second;
        EXPECT_EQ(rgbAt(im, 100 + p.first, 100 + p.second), expected) << p.first << "," << p.second;
    }
    EXPECT_EQ(rgbAt(im, 38, 49), 0xFFFFFF);
}
