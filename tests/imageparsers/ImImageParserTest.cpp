#include "ImageParserTestSupport.h"

using namespace imagetest;

namespace {

class ImImageParserTest : public ImageParserTest
{
};

Bytes iid(unsigned base, unsigned points, unsigned width, unsigned height, unsigned cellWidth, unsigned cellHeight,
          unsigned color)
{
    return field(0xA67B, cat({word(0), word(0x0960), word(0x0960), word(0), word(0), word(0),
                              {static_cast<unsigned char>(base), static_cast<unsigned char>(base)}, word(points),
                              word(points), word(width), word(height), word(0), word(0), word(0x2D00),
                              word(cellWidth), word(cellHeight), word(1), word(color)}));
}

Bytes ioc(const Bytes& x, const Bytes& y, unsigned xRotation, unsigned yRotation)
{
    return field(0xA77B, cat({x, y, word(xRotation), word(yRotation), word(0), word(0), word(0), word(0), word(1000),
                              word(1000), word(0xFFFF)}));
}

Bytes icp(unsigned x, unsigned y, unsigned width, unsigned height, unsigned fillWidth, unsigned fillHeight)
{
    return field(0xAC7B, cat({word(x), word(y), word(width), word(height), word(fillWidth), word(fillHeight)}));
}

Bytes imImage(const std::vector<Bytes>& fields)
{
    Bytes out = field(0xA87B, name8("IM1"));
    for (const Bytes& f : fields)
        append(out, f);
    append(out, field(0xA97B, name8("IM1")));
    return out;
}

Bytes bits(const qelCell* cell)
{
    return cell->getRawBits() ? Bytes(cell->getRawBits(), cell->getRawBits() + cell->getRawLength()) : Bytes();
}

} // namespace

TEST_F(ImImageParserTest, WithoutCellPositionsOneCellOfTheImageSize)
{
    std::unique_ptr<qelImageObject> img =
        parseIm(imImage({iid(0, 2400, 16, 2, 0, 0, 8), field(0xEE7B, {0xF0, 0x0F}), field(0xEE7B, {0xAA, 0x55})}));
    ASSERT_TRUE(img);
    EXPECT_EQ(img->getKind(), qelImageObject::IMAGE_IM);
    EXPECT_STREQ(img->getName(), "IM1");
    EXPECT_EQ(img->getPlacement(), 0);
    EXPECT_EQ(img->getSimpleImage(), 1);
    EXPECT_EQ(img->getCellBased(), 0);
    EXPECT_EQ(img->getResolution(), 240);
    EXPECT_EQ(img->getColorValue(), 8u);
    EXPECT_EQ(img->getColorSpace(), 5);
    ASSERT_EQ(img->getCellCount(), 1);
    const qelCell* cell = img->getCell(0);
    EXPECT_EQ(cell->getCellWidth(), 16);
    EXPECT_EQ(cell->getCellHeight(), 2);
    EXPECT_EQ(cell->getFillWidth(), 16);
    EXPECT_EQ(cell->getFillHeight(), 2);
    EXPECT_EQ(cell->getRowCount(), 2);
    EXPECT_EQ(cell->getRowBytes(), 2);
    EXPECT_EQ(bits(cell), (Bytes{0xF0, 0x0F, 0xAA, 0x55}));
}

TEST_F(ImImageParserTest, CellPositionsMakeCellsInOrder)
{
    std::unique_ptr<qelImageObject> img = parseIm(imImage({iid(0, 2400, 20, 4, 12, 4, 8),
                                                           icp(0, 0, 12, 4, 0xFFFF, 0xFFFF),
                                                           field(0xEE7B, {1, 2, 3, 4, 5, 6}),
                                                           icp(12, 1, 8, 2, 16, 3),
                                                           field(0xEE7B, {7, 8})}));
    ASSERT_TRUE(img);
    EXPECT_EQ(img->getSimpleImage(), 0);
    EXPECT_EQ(img->getCellBased(), 1);
    ASSERT_EQ(img->getCellCount(), 2);
    const qelCell* first = img->getCell(0);
    // Width 12 with 6 bytes: 4 rows of 2 bytes.
    EXPECT_EQ(first->getRowCount(), 4);
    EXPECT_EQ(first->getRowBytes(), 2);
    EXPECT_EQ(first->getFillWidth(), 12);
    EXPECT_EQ(first->getFillHeight(), 4);
    EXPECT_EQ(bits(first), (Bytes{1, 2, 3, 4, 5, 6}));
    const qelCell* second = img->getCell(1);
    EXPECT_FLOAT_EQ(second->getX(), 12.0f);
    EXPECT_FLOAT_EQ(second->getY(), 1.0f);
    EXPECT_EQ(second->getRowCount(), 2);
    EXPECT_EQ(second->getRowBytes(), 1);
    EXPECT_EQ(second->getFillWidth(), 16);
    EXPECT_EQ(second->getFillHeight(), 3);
    EXPECT_EQ(bits(second), (Bytes{7, 8}));
}

TEST_F(ImImageParserTest, ImageColourInheritsOrReplacesTheHandedInColour)
{
    const struct
    {
        unsigned color;
        uint32_t value;
        int32_t space;
    } cases[] = {{0xFF07, 0x123456, 1}, {0x0000, 0x123456, 1}, {0xFFFF, 0x123456, 1}, {0x0002, 2, 5}};
    for (const auto& c : cases) {
        im()->setColor(0x123456, 1);
        std::unique_ptr<qelImageObject> img = parseIm(imImage({iid(0, 2400, 8, 1, 0, 0, c.color)}));
        ASSERT_TRUE(img);
        EXPECT_EQ(img->getColorValue(), c.value) << c.color;
        EXPECT_EQ(img->getColorSpace(), c.space) << c.color;
        // The caller takes the parser's colour back.
        EXPECT_EQ(static_cast<uint32_t>(im()->getColorValue()), c.value) << c.color;
    }
}

TEST_F(ImImageParserTest, OutputControlGivesRotationsAndOrigins)
{
    std::unique_ptr<qelImageObject> img =
        parseIm(imImage({ioc({0x00, 0xFF, 0x38}, {0x01, 0x00, 0x00}, 0x2D00, 0x8700), iid(0, 2400, 8, 1, 0, 0, 8)}));
    ASSERT_TRUE(img);
    EXPECT_EQ(img->getIAxisOrientation(), 90);
    EXPECT_EQ(img->getBAxisOrientation(), 270);
    EXPECT_FLOAT_EQ(img->getAngle(), 270.0f);
    EXPECT_FLOAT_EQ(img->getX(), -200.0f);
    EXPECT_FLOAT_EQ(img->getY(), 65536.0f);
    EXPECT_EQ(img->getImageMappingX(), 1000);
}

TEST_F(ImImageParserTest, ResolutionsAndZeroSizesNeverFail)
{
    const struct
    {
        unsigned base;
        unsigned points;
        int resolution;
    } cases[] = {{0, 2400, 240}, {1, 945, 240}, {1, 1181, 299}, {0, 0, 240}, {0, 5, 240}};
    for (const auto& c : cases) {
        // The handed-in page resolution is cleared: the pel scale stays 1.
        im()->setPageResolution(300);
        std::unique_ptr<qelImageObject> img =
            parseIm(imImage({iid(c.base, c.points, 8, 1, 0, 0, 8), field(0xEE7B, {0xFF})}));
        ASSERT_TRUE(img);
        EXPECT_EQ(img->getResolution(), c.resolution) << c.base << " " << c.points;
        EXPECT_EQ(im()->getPageResolution(), 0);
        ASSERT_EQ(img->getCellCount(), 1);
        EXPECT_EQ(img->getCell(0)->getPelScale(), 1);
        EXPECT_EQ(img->getCell(0)->getResolution(), c.resolution);
    }
    // A cell of width 0 holds no row.
    std::unique_ptr<qelImageObject> img =
        parseIm(imImage({iid(0, 2400, 8, 1, 0, 0, 8), icp(0, 0, 0, 4, 0, 0), field(0xEE7B, {1, 2})}));
    ASSERT_TRUE(img);
    ASSERT_EQ(img->getCellCount(), 1);
    EXPECT_EQ(img->getCell(0)->getRowCount(), 0);
    EXPECT_EQ(img->getCell(0)->getRowBytes(), 0);
}

TEST_F(ImImageParserTest, RasterBeyondTheCacheSizeGoesThroughASpillFile)
{
    ini()->setImageMaxCacheSize(1.0f);
    Bytes input = field(0xA87B, name8("IM1"));
    append(input, iid(0, 2400, 8, 0, 0, 0, 8));
    for (int i = 0; i < 32; ++i)
        append(input, field(0xEE7B, Bytes(32768, static_cast<unsigned char>(i))));
    append(input, field(0xEE7B, {0x5A}));
    append(input, field(0xA97B, {}));

    ini()->setTempPath((m_dir + "/missing/").c_str());
    EXPECT_EQ(lrbtest::raisedId([&] { parseIm(input); }), 98);

    const std::string spill = m_dir + "/spill/";
    ASSERT_EQ(mkdir(spill.c_str(), 0700), 0);
    ini()->setTempPath(spill.c_str());
    std::unique_ptr<qelImageObject> img = parseIm(input);
    ASSERT_TRUE(img);
    ASSERT_EQ(img->getCellCount(), 1);
    const qelCell* cell = img->getCell(0);
    ASSERT_EQ(cell->getRawLength(), 1048577);
    EXPECT_EQ(cell->getRawBits()[32768], 1);
    EXPECT_EQ(cell->getRawBits()[1048576], 0x5A);
    EXPECT_TRUE(filesIn(spill).empty());
}
