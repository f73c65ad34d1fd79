// IOCA decoding library through its C interface: parsing, tile walk,
// gathering, uncompressed decoding, tables and trace.
#include "IOCASegments.h"
#include "ObjectFieldData.h"
#include "oioca.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using lrbtest::Bytes;
using namespace iocatest;

Bytes gathered(IOCATile* t, int band) { return Bytes(t->bandData[band]->data, t->bandData[band]->data + t->bandData[band]->length); }

// Tile TOC, three tiles, the second with a transparency mask.
Bytes tiledSegment()
{
    Bytes toc = cat({{0, 0}, tocEntry(0, 0, 8, 2, 3), tocEntry(8, 0, 16, 2, 3), tocEntry(0, 2, 24, 1, 3)});
    Bytes mask = cat({sdf(0x8E, {}), imageSize(0, 2400, 16, 2), imageData({0xF0, 0x0F, 0xAA, 0x55}),
                      sdf(0x8F, {})});
    return cat({kBegin, kContent, imageSize(0, 2400, 24, 3), sdf(0xFEBB, toc),
                sdf(0x8C, {}), tileSize(8, 2), imageData({0x81, 0x42}), sdf(0x8D, {}),
                sdf(0x8C, {}), tileSize(16, 2), encoding(3), imageData({1, 2, 3, 4}), mask, sdf(0x8D, {}),
                sdf(0x8C, {}), sdf(0xB5, cat({be(0, 4), be(2, 4)})), tileSize(24, 1),
                imageData({7, 8, 9}), sdf(0x8D, {}), kEndContent, kEnd});
}

TEST(IOCAParser, TiledSegmentKeepsTilesPropertiesAndMask)
{
    Parsed p(tiledSegment(), true);
    ASSERT_EQ(p.result, 0);
    IOCAImageContent* content = nullptr;
    int count = 0;
    EXPECT_EQ(oioca_getImageContentCount(p.handle, &count), 0);
    EXPECT_EQ(count, 1);
    ASSERT_EQ(oioca_getFirstImageContent(p.handle, &content), 0);
    EXPECT_EQ(content->tileCount, 3);
    EXPECT_EQ(content->tileTOC, 1);
    auto tiles = p.tiles();
    ASSERT_EQ(tiles.size(), 3u);
    // The first tile keeps what came before the first Begin Tile.
    EXPECT_EQ(content->properties, tiles[0]->properties);
    EXPECT_EQ(tiles[0]->properties->xResolution, 2400);
    EXPECT_EQ(tiles[0]->properties->horizontalOffset, 0);
    EXPECT_EQ(tiles[0]->properties->width, 8);
    // Later tiles start from the defaults.
    EXPECT_EQ(tiles[1]->properties->xResolution, 0);
    EXPECT_EQ(tiles[1]->properties->horizontalOffset, INT32_MAX);
    EXPECT_EQ(tiles[2]->properties->verticalOffset, 2);
    struct { int tile, width, height; } sizes[] = {{0, 8, 2}, {1, 16, 2}, {2, 24, 1}};
    for (auto s : sizes) {
        IOCAImageProperties* props = nullptr;
        ASSERT_EQ(oioca_getTileProperties(p.handle, tiles[s.tile], &props), 0);
        EXPECT_EQ(props->width, s.width) << s.tile;
        EXPECT_EQ(props->widthFromData, s.width) << s.tile;
        EXPECT_EQ(props->height, s.height) << s.tile;
        IOCAImageProperties* mask = nullptr;
        ASSERT_EQ(oioca_getTileTMImageProperties(p.handle, tiles[s.tile], &mask), 0);
        EXPECT_EQ(mask != nullptr, s.tile == 1) << s.tile;
    }
    ASSERT_EQ(oioca_readTileImageData(p.handle, tiles[1]), 0);
    EXPECT_EQ(gathered(tiles[1], 0), (Bytes{1, 2, 3, 4}));
    ASSERT_EQ(oioca_readTileTMImageData(p.handle, tiles[1]), 0);
    EXPECT_EQ(tiles[1]->maskProperties->width, 16);
    EXPECT_EQ(Bytes(tiles[1]->maskBandData[0]->data, tiles[1]->maskBandData[0]->data + 4),
              (Bytes{0xF0, 0x0F, 0xAA, 0x55}));
    IOCADecodedImage* image = nullptr;
    ASSERT_EQ(oioca_decompressMask(p.handle, tiles[1], &image), 0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(std::memcmp(image->block + 48, "\xF0\x0F\xAA\x55", 4), 0);
    std::free(image->block);
    std::free(image);
    // Without a mask: no image and success.
    EXPECT_EQ(oioca_decompressMask(p.handle, tiles[0], &image), 0);
    EXPECT_EQ(image, nullptr);
    std::string trace = p.trace();
    EXPECT_NE(trace.find("\t\tTile TOC\n\t\t\tLength: 80\n"), std::string::npos) << trace;
    EXPECT_NE(trace.find("\t\t\tHorrizontal size:16\n"), std::string::npos);
    EXPECT_NE(trace.find("\t\t\tTile Data Position:0x0000000000000100\n"), std::string::npos);
    EXPECT_NE(trace.find("End Transparency Mask\n"), std::string::npos);
    EXPECT_NE(trace.find("\tdecodeMaskData(): Image has no mask data.\n"), std::string::npos);
}

TEST(IOCAParser, TileWalkEndsWithNoTiles)
{
    Parsed two(cat({kContent, imageData({1}), kEndContent, kContent, imageData({2}), kEndContent}));
    ASSERT_EQ(two.result, 0);
    auto tiles = two.tiles();
    ASSERT_EQ(tiles.size(), 2u);
    IOCATile* t = tiles[1];
    EXPECT_EQ(oioca_getNextTile(two.handle, &t), -22);
    EXPECT_EQ(t, nullptr);
    EXPECT_EQ(oioca_getNextTile(two.handle, &t), -22);
    Parsed none(kBegin);
    EXPECT_EQ(oioca_getFirstTile(none.handle, &t), -22);
}

struct SegmentCase
{
    const char* name;
    Bytes segment;
    int result;
};

TEST(IOCAParser, SegmentsParseOrFailWithTheirCode)
{
    Bytes skipped300 = sdf(0xFE77, Bytes(300, 0x91));
    const SegmentCase cases[] = {
        {"unhandled extended field of 300 is skipped", cat({kContent, skipped300, imageData({1}), kEndContent}), 0},
        {"unhandled one-byte field of 0 skips nothing", cat({kContent, sdf(0x42, {}), kEndContent}), 0},
        {"Tile TOC of length 2", cat({kContent, sdf(0xFEBB, {0, 0}), kEndContent}), 0},
        {"buffer ends inside a mask", cat({kContent, sdf(0x8E, {}), imageSize(0, 1, 8, 1)}), 0},
        {"object type other than X'FF'", sdf(0x91, {0x01}), -1},
        {"parameter before content", imageSize(0, 1, 8, 8), -10},
        {"Tile TOC before content", sdf(0xFEBB, {0, 0}), -10},
        {"Begin Tile before content", sdf(0x8C, {}), -10},
        {"Image Data before content", imageData({1}), -13},
        {"mask before content", sdf(0x8E, {}), -13},
        {"Tile TOC not a multiple of 26", cat({kContent, sdf(0xFEBB, {0, 0, 1})}), -11},
        {"Tile TOC shorter than its fixed part", cat({kContent, sdf(0xFEBB, {0})}), -8},
        {"Band Image Data shorter than its fixed part", cat({kContent, sdf(0xFE9C, {1, 0})}), -8},
        {"band number 0", cat({kContent, bandData(0, {1})}), -8},
        {"band number 5", cat({kContent, bandData(5, {1})}), -8},
        {"Band Image count beyond its length", cat({kContent, sdf(0x98, {2, 1})}), -8},
        {"skip past the end", cat({kContent, Bytes{0x42, 5, 1}}), -8},
        {"Image Size cut short", cat({kContent, Bytes{0x94, 9, 0, 1}}), -8},
        {"data segment past the end", cat({kContent, Bytes{0xFE, 0x92, 0, 9, 1}}), -8},
    };
    for (const auto& c : cases) {
        Parsed p(c.segment, true);
        EXPECT_EQ(p.result, c.result) << c.name;
    }
}

TEST(IOCAParser, ImageWithoutBeginTileHasOneTile)
{
    Parsed p(cat({kBegin, kContent, imageSize(1, 1181, 10, 3), encoding(3), imageData({1, 2}),
                  imageData({3}), kEndContent, kEnd}));
    ASSERT_EQ(p.result, 0);
    EXPECT_EQ(p.handle->contents->tileCount, 1);
    EXPECT_EQ(p.handle->contents->properties, nullptr);
    auto tiles = p.tiles();
    ASSERT_EQ(tiles.size(), 1u);
    EXPECT_EQ(tiles[0]->properties->width, 10);
    EXPECT_EQ(tiles[0]->bandSegments[0]->count, 2u);
    ASSERT_EQ(oioca_readTileImageData(p.handle, tiles[0]), 0);
    EXPECT_EQ(gathered(tiles[0], 0), (Bytes{1, 2, 3}));
}

TEST(IOCAParser, GatheringReversesBitsOnceAndNeedsEveryBand)
{
    Parsed p(cat({kContent, encoding(3, 1), imageData({0x01, 0x03}), kEndContent}));
    auto tiles = p.tiles();
    ASSERT_EQ(oioca_readTileImageData(p.handle, tiles[0]), 0);
    EXPECT_EQ(gathered(tiles[0], 0), (Bytes{0x80, 0xC0}));
    EXPECT_EQ(tiles[0]->properties->bitOrder, 0);
    ASSERT_EQ(oioca_readTileImageData(p.handle, tiles[0]), 0);
    EXPECT_EQ(gathered(tiles[0], 0), (Bytes{0x80, 0xC0}));

    Parsed gap(cat({kContent, bandData(1, {1}), bandData(3, {3}), kEndContent}), true);
    auto t = gap.tiles();
    EXPECT_EQ(t[0]->bandCount, 3u);
    EXPECT_EQ(oioca_readTileImageData(gap.handle, t[0]), -14);
    EXPECT_NE(gap.trace().find("Band Image Data offset is null. Band nr:2"), std::string::npos);
    EXPECT_EQ(oioca_readTileImageData(gap.handle, nullptr), -16);
}

// Bytes after the 40-byte header and the colour table of a decoded image.
struct Decoded
{
    int result;
    Bytes header, bits;
};

Decoded decodeOne(const Bytes& segment)
{
    Parsed p(segment);
    IOCATile* tile = nullptr;
    EXPECT_EQ(oioca_getFirstTile(p.handle, &tile), 0);
    EXPECT_EQ(oioca_readTileImageData(p.handle, tile), 0);
    IOCADecodedImage* image = nullptr;
    Decoded d;
    d.result = oioca_decompress(p.handle, tile, &image);
    if (image) {
        uint32_t size = image->block[20] | image->block[21] << 8;
        d.header.assign(image->block, image->block + 48);
        d.bits.assign(image->block + 48, image->block + 48 + size);
        std::free(image->block);
        std::free(image);
    }
    return d;
}

uint32_t word(const Bytes& b, int at) { return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | (uint32_t)b[at + 3] << 24; }

TEST(IOCALibrary, UncompressedDataDecodesIntoTheHeaderAndBits)
{
    struct { const char* name; int unit, res; Bytes data, bits; uint32_t ppm; } cases[] = {
        {"exact", 0, 2400, {1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6}, 9448},
        {"short leaves white", 1, 1181, {1, 2}, {1, 2, 0, 0, 0, 0}, 11810},
        {"long is cut", 2, 300, {1, 2, 3, 4, 5, 6, 7, 8}, {1, 2, 3, 4, 5, 6}, 300},
    };
    for (const auto& c : cases) {
        Decoded d = decodeOne(cat({kContent, imageSize(c.unit, c.res, 10, 3), imageData(c.data), kEndContent}));
        ASSERT_EQ(d.result, 0) << c.name;
        EXPECT_EQ(word(d.header, 0), 40u);
        EXPECT_EQ(word(d.header, 4), 10u);
        EXPECT_EQ(word(d.header, 8), 3u);
        EXPECT_EQ(word(d.header, 12), 0x10000u) << "planes 0, one bit";
        EXPECT_EQ(word(d.header, 16), 2400u);
        EXPECT_EQ(word(d.header, 20), 6u);
        EXPECT_EQ(word(d.header, 24), c.ppm) << c.name;
        EXPECT_EQ(word(d.header, 28), c.ppm) << c.name;
        EXPECT_EQ(word(d.header, 44), 0xFFFFFFu);
        EXPECT_EQ(d.bits, c.bits) << c.name;
    }
}

TEST(IOCALibrary, DecodingRefusals)
{
    const SegmentCase cases[] = {
        {"two bands", cat({kContent, bandData(1, {1}), bandData(2, {2}), kEndContent}), -17},
        {"JPEG", cat({kContent, encoding(131), imageData({1}), kEndContent}), -28},
        {"size beyond the limit", cat({kContent, sdf(0xB6, cat({be(0x7FFFFFFF, 4), be(0x7FFFFFFF, 4)})), imageData({1}), kEndContent}), -3},
        {"negative width", cat({kContent, sdf(0xB6, cat({be(0x80000000u, 4), be(1, 4)})), imageData({1}), kEndContent}), -3},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decodeOne(c.segment).result, c.result) << c.name;

    Parsed empty(cat({kContent, kEndContent}));
    IOCATile* tile = empty.tiles()[0];
    IOCADecodedImage* image = nullptr;
    EXPECT_EQ(oioca_decompress(empty.handle, tile, &image), -18);
    EXPECT_EQ(oioca_decompress(empty.handle, nullptr, &image), -16);
    EXPECT_EQ(oioca_decompress(nullptr, tile, &image), -15);
    EXPECT_EQ(image, nullptr);
}

TEST(IOCALibrary, WidthFromDataOfUncompressedIsTheHeaderWidth)
{
    Parsed p(cat({kContent, imageSize(0, 1, 1800, 2), imageData({1}), kEndContent}), true);
    EXPECT_EQ(oioca_getWidthFromData(p.handle), -16);
    IOCATile* tile = p.tiles()[0];
    ASSERT_EQ(oioca_getFirstTile(p.handle, &tile), 0);
    EXPECT_EQ(oioca_getWidthFromData(p.handle), 1800);
    EXPECT_EQ(p.handle->mode, 20);
    EXPECT_NE(p.trace().find("\tHeaderWidth:1800\n\tActualWidth:1800\n"), std::string::npos) << p.trace();
    EXPECT_EQ(oioca_getWidthFromData(nullptr), 0);
}

TEST(IOCALibrary, TablesAndTexts)
{
    struct { int code; const char* text; } errors[] = {
        {0, ""}, {-1, "Object type is not an IOCA Image."}, {-3, "Memory allocation failure"},
        {-9, "Invalid/Unknown compression type"}, {-12, "Unknown error"}, {5, "Unknown error"},
        {-15, "IOCA handle passed is null"}, {-16, "Tile handled passed is null"},
        {-22, "No tiles available"}, {-28, "Unknown error"}, {-30, "Unknown error"},
        {-29, "Decompression of IBM MMR image data failed."},
    };
    for (auto e : errors)
        EXPECT_STREQ(oioca_getErrorMessage(e.code), e.text) << e.code;
    struct { int id; const char* name; } compressions[] = {
        {1, "IBM Modified Modified Read"}, {0x183, "JPEG"}, {130, "G4 Modified Modified Read"}, {2, "Unknown"},
    };
    for (auto c : compressions)
        EXPECT_STREQ(oioca_getCompressionName(c.id), c.name) << c.id;
    EXPECT_STREQ(oioca_getColorSpaceName(0x112), "YCbCr color space");
    EXPECT_STREQ(oioca_getColorSpaceName(3), "Unknown color space");
    EXPECT_STREQ(oioca_getVersion(), "1.8");
}

TEST(IOCALibrary, HandleLifeAndHandlers)
{
    IOCAHandle* h = nullptr;
    ASSERT_EQ(oioca_initialize(nullptr, 0, 0x100, &h), 0);
    EXPECT_EQ(h->trace, nullptr) << "only the low 8 bits ask for a trace";
    EXPECT_EQ(h->mode, 20);
    int a = 0, b = 0;
    EXPECT_EQ(oioca_setErrorHandler(h, &a), nullptr);
    EXPECT_EQ(oioca_setErrorHandler(h, &b), &a);
    EXPECT_EQ(oioca_setWarningHandler(nullptr, &a), nullptr);
    oioca_setIgnoreDecompError(h, 0x201);
    EXPECT_EQ(h->ignoreDecompError, 1);
    EXPECT_EQ(oioca_readHeader(h), 0);
    EXPECT_EQ(oioca_finalize(&h), 0);
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(oioca_finalize(&h), -15);
    EXPECT_EQ(oioca_finalize(nullptr), -15);
    EXPECT_EQ(oioca_readHeader(nullptr), -15);
}

// Image Picture Data of the n-th image object (from 1), joined.
Bytes pictureData(const std::string& path, int n)
{
    return lrbtest::objectFieldData(path, {0xA8FB, 0xEEFB, 0xA9FB}, n);
}

TEST(IOCALibrary, ImagesOfAnAfpFileParse)
{
    struct { int object, width, height, bits; } cases[] = {{1, 200, 120, 24}, {2, 64, 64, 8}};
    for (auto c : cases) {
        Parsed p(pictureData(std::string(LORBANE_TEST_DATA) + "/fop/fop-rich.afp", c.object));
        ASSERT_FALSE(p.data.empty()) << c.object;
        ASSERT_EQ(p.result, 0) << c.object;
        int count = 0;
        oioca_getImageContentCount(p.handle, &count);
        EXPECT_EQ(count, 1);
        auto tiles = p.tiles();
        ASSERT_EQ(tiles.size(), 1u);
        IOCAImageProperties* props = tiles[0]->properties;
        EXPECT_EQ(props->width, c.width);
        EXPECT_EQ(props->height, c.height);
        EXPECT_EQ(props->ideSize, c.bits);
        EXPECT_EQ(props->compression, 3);
        EXPECT_EQ(oioca_readTileImageData(p.handle, tiles[0]), 0);
        if (c.object == 1) {
            EXPECT_EQ(props->colorSpace, 1);
            EXPECT_EQ(props->unitBase, 0);
            EXPECT_EQ(props->xResolution, 720);
            EXPECT_EQ(props->yResolution, 720);
            EXPECT_EQ(tiles[0]->bandData[0]->length, 200u * 120u * 3u);
        }
    }
}

// FOP's 1-bit images: each decodes into the header, the two-entry colour
// table and its own rows.
TEST(IOCALibrary, OneBitImagesOfAnAfpFileDecodeToTheirRows)
{
    struct { int object, width, height; } cases[] = {{1, 64, 40}, {2, 50, 30}};
    for (auto c : cases) {
        SCOPED_TRACE(c.object);
        Parsed p(pictureData(std::string(LORBANE_TEST_DATA) + "/fop/fop-bw.afp", c.object));
        ASSERT_EQ(p.result, 0);
        auto tiles = p.tiles();
        ASSERT_EQ(tiles.size(), 1u);
        IOCAImageProperties* props = tiles[0]->properties;
        EXPECT_EQ(props->width, c.width);
        EXPECT_EQ(props->height, c.height);
        EXPECT_EQ(props->ideSize, 1);
        EXPECT_EQ(props->compression, 3);
        ASSERT_EQ(oioca_readTileImageData(p.handle, tiles[0]), 0);
        const uint32_t rowBytes = (uint32_t)(c.width + 7) / 8;
        const Bytes rows = gathered(tiles[0], 0);
        ASSERT_EQ(rows.size(), rowBytes * c.height);
        IOCADecodedImage* image = nullptr;
        ASSERT_EQ(oioca_decompress(p.handle, tiles[0], &image), 0);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->header, image->block);
        const Bytes header(image->block, image->block + 48);
        EXPECT_EQ(word(header, 0), 40u);
        EXPECT_EQ(word(header, 4), (uint32_t)c.width);
        EXPECT_EQ(word(header, 8), (uint32_t)c.height);
        EXPECT_EQ(word(header, 12), 0x10000u) << "planes 0, one bit";
        EXPECT_EQ(word(header, 16), 2400u);
        EXPECT_EQ(word(header, 20), rowBytes * c.height);
        EXPECT_EQ(word(header, 24), 2834u) << "720 per ten inches";
        EXPECT_EQ(word(header, 28), 2834u);
        EXPECT_EQ(word(header, 32), 0u);
        EXPECT_EQ(word(header, 36), 0u);
        EXPECT_EQ(word(header, 40), 0u);
        EXPECT_EQ(word(header, 44), 0xFFFFFFu);
        EXPECT_EQ(Bytes(image->block + 48, image->block + 48 + rows.size()), rows);
        // Both colours occur: the frame and the checker are black.
        EXPECT_NE(std::count(rows.begin(), rows.end(), 0), (long)rows.size());
        std::free(image->block);
        std::free(image);
    }
}

} // namespace
