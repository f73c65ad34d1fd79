// The image object: records and decisions, IM cells, and the preparation
// of FOP's IOCA images for raster, AFP and PDF output, checked with the
// independent tools.
#include "ObjectFieldData.h"
#include "ScratchTest.h"
#include "ShellCommand.h"
#include "qelCell.h"
#include "qelImageObject.h"
#include "qelImageTrimPiece.h"
#include "qelImgDIB.h"
#include "qelImgDIBHeader.h"
#include "qelImgDIBUtils.h"
#include "qelImgInfo.h"
#include "qelImgProcessor.h"
#include "qelIni.h"
#include "qelPtocaPage.h"
#include "qelResOverlay.h"
#include "qelResPSEG.h"

#include <gtest/gtest.h>

#include <tiffio.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using lrbtest::Bytes;

namespace {

std::string fop(const std::string& name) { return std::string(LORBANE_TEST_DATA) + "/fop/" + name; }

// The Image Picture Data of the n-th image object of an AFP file.
Bytes imageSegment(const std::string& path, int n) { return lrbtest::objectFieldData(path, {0xA8FB, 0xEEFB, 0xA9FB}, n); }

// FOP's own pixels of a PDF image object, read by qpdf.
Bytes pdfPixels(int object)
{
    const std::string text = lrbtest::commandOutput("qpdf --show-object=" + std::to_string(object) +
                                                    " --filtered-stream-data " +
                                                    lrbtest::shellQuote(fop("fop-rich.ref.pdf")));
    return Bytes(text.begin(), text.end());
}

// The contents of the Image Data fields of an IOCA image segment.
Bytes iocaImageData(const unsigned char* p, int length)
{
    Bytes out;
    int at = 0;
    while (at < length) {
        int id = p[at], n, head;
        if (id == 0xFE) {
            if (at + 4 > length)
                break;
            id = 0xFE00 | p[at + 1];
            n = p[at + 2] << 8 | p[at + 3];
            head = 4;
        } else {
            if (at + 2 > length)
                break;
            n = p[at + 1];
            head = 2;
        }
        if (at + head + n > length)
            break;
        if (id == 0xFE92)
            out.insert(out.end(), p + at + head, p + at + head + n);
        at += head + n;
    }
    return out;
}

struct Pnm
{
    int width = 0, height = 0, channels = 0;
    Bytes pixels;
};

// djpeg's PNM output of a JPEG.
Pnm decodeJPEG(const std::string& path)
{
    const std::string text = lrbtest::commandOutput("djpeg -pnm " + lrbtest::shellQuote(path) + " 2>/dev/null");
    Pnm pnm;
    int maxValue = 0, used = 0;
    char magic[3] = {};
    if (std::sscanf(text.c_str(), "%2s %d %d %d%n", magic, &pnm.width, &pnm.height, &maxValue, &used) != 4)
        return pnm;
    pnm.channels = std::string(magic) == "P6" ? 3 : 1;
    pnm.pixels.assign(text.begin() + used + 1, text.end());
    return pnm;
}

double meanDifference(const Bytes& a, const Bytes& b)
{
    if (a.size() != b.size() || a.empty())
        return 1e9;
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i)
        sum += std::abs(static_cast<int>(a[i]) - static_cast<int>(b[i]));
    return sum / static_cast<double>(a.size());
}


// The raw strip of a libtiff G4 page of width x height, black where the
// pattern says.
Bytes g4Strip(const std::string& path, int width, int height)
{
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (!tif)
        return {};
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, height);
    Bytes row(static_cast<size_t>(width + 7) / 8);
    for (int y = 0; y < height; ++y) {
        for (size_t i = 0; i < row.size(); ++i)
            row[i] = static_cast<unsigned char>((y / 4 + static_cast<int>(i)) % 3 == 0 ? 0xF0 : 0x00);
        TIFFWriteScanline(tif, row.data(), static_cast<uint32_t>(y), 0);
    }
    TIFFClose(tif);
    tif = TIFFOpen(path.c_str(), "r");
    if (!tif)
        return {};
    Bytes strip(static_cast<size_t>(TIFFRawStripSize(tif, 0)));
    TIFFReadRawStrip(tif, 0, strip.data(), static_cast<tmsize_t>(strip.size()));
    TIFFClose(tif);
    return strip;
}

// A literal image segment head (begin segment to the last descriptor)
// followed by one Image Data field of the data and the two end fields.
Bytes withImageData(Bytes head, const Bytes& data)
{
    head.insert(head.end(), {0xFE, 0x92, static_cast<unsigned char>(data.size() >> 8),
                             static_cast<unsigned char>(data.size())});
    head.insert(head.end(), data.begin(), data.end());
    head.insert(head.end(), {0x93, 0x00, 0x71, 0x00});
    return head;
}

// The descriptor bytes of a size: high byte, low byte.
unsigned char hi(int v) { return static_cast<unsigned char>(v >> 8); }
unsigned char lo(int v) { return static_cast<unsigned char>(v); }

// Begin segment and content, image data descriptor (unit, resolutions,
// size), encoding (compression, recording 1) and size (bits).
Bytes head(int unit, int resolution, int width, int height, int compression, int bits)
{
    return {0x70, 0x00, 0x91, 0x01, 0xFF, 0x94, 0x09, static_cast<unsigned char>(unit), hi(resolution),
            lo(resolution), hi(resolution), lo(resolution), hi(width), lo(width), hi(height), lo(height),
            0x95, 0x02, static_cast<unsigned char>(compression), 0x01, 0x96, 0x01, static_cast<unsigned char>(bits)};
}

std::unique_ptr<qelImageObject> iocaImage(const Bytes& segment)
{
    std::unique_ptr<qelImageObject> image(new qelImageObject());
    image->setKind(qelImageObject::IMAGE_IOCA);
    image->setResolution(1440);
    image->setData(segment.data(), static_cast<int32_t>(segment.size()));
    image->setDataLength(static_cast<int32_t>(segment.size()));
    return image;
}

// A 24-bit picture of noise as a kind-5 image at 72 dpi.
std::unique_ptr<qelImageObject> dibImage(int width, int height, int bits)
{
    unsigned char palette[8] = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0};
    std::unique_ptr<qelImgDIB> dib(qelImgDIBUtils::createDIBFromData(width, height, bits, 72, 72,
                                                                      bits == 1 ? 2 : 0, bits == 1 ? palette : nullptr, 0));
    if (!dib)
        return nullptr;
    uint32_t seed = 12345;
    for (uint32_t i = 0; i < dib->header->biSizeImage; ++i) {
        seed = seed * 1103515245u + 12345u;
        dib->bits[i] = static_cast<unsigned char>(seed >> 16);
    }
    const int size = qelImgDIBUtils::getDIBSize(dib.get());
    std::unique_ptr<qelImageObject> image(new qelImageObject());
    image->setKind(qelImageObject::IMAGE_DIB);
    image->setResolution(72);
    image->setData(dib->buffer, size);
    image->setDataLength(size);
    return image;
}

class ImageObjectTest : public lrbtest::ScratchTest
{
protected:
    qelIni* ini() { return qelGlobalDSPool::getInstance()->getIni(); }

    // FOP's n-th image as a kind-4 image object.
    std::unique_ptr<qelImageObject> fopImage(int n)
    {
        const Bytes data = imageSegment(fop("fop-rich.afp"), n);
        std::unique_ptr<qelImageObject> image(new qelImageObject());
        image->setKind(qelImageObject::IMAGE_IOCA);
        image->setResolution(1440);
        image->setData(data.data(), static_cast<int32_t>(data.size()));
        image->setDataLength(static_cast<int32_t>(data.size()));
        return image;
    }
};

// ------------------------------------------------------------- records

TEST_F(ImageObjectTest, NewImageAndCopySetters)
{
    qelImageObject image;
    EXPECT_EQ(image.getKind(), 0);
    EXPECT_EQ(image.getMappingOption(), 0x20);
    EXPECT_EQ(image.getFunctionSetId(), 0xFF);
    EXPECT_EQ(image.getInline(), 1);
    EXPECT_EQ(image.getResourceNumber(), -1);
    EXPECT_EQ(image.getSimpleImage(), 1);
    EXPECT_EQ(image.getReferenceSystem(), 0xFF);
    EXPECT_EQ(image.getPelScale(), 1);
    EXPECT_EQ(image.getTransparentIndex(), -1);

    const int32_t table[2] = {1, 2};
    image.setColorTable(table, 0);
    EXPECT_EQ(image.getColorTable(), nullptr);
    EXPECT_EQ(image.getColorCount(), 0);

    qelImgInfo info;
    info.bitsPerPixel = 1;
    info.bitsPerSample = 8;
    info.samplesPerPixel = 3;
    image.setFormatInfo(&info);
    EXPECT_EQ(image.getFormatInfo()->bitsPerSample, 1);
    EXPECT_EQ(image.getFormatInfo()->samplesPerPixel, 1);
}

TEST_F(ImageObjectTest, BoundingBoxByRotation)
{
    const struct
    {
        int rotation;
        float left, top, right, bottom;
    } cases[] = {
        {0, 10, 20, 110, 70}, {90, -40, 20, 10, 120}, {180, -90, -30, 10, 20}, {270, 10, -80, 60, 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rotation);
        qelImageObject image;
        image.setPosition(10, 20);
        image.setAreaSize(100, 50);
        image.setIAxisOrientation(static_cast<uint16_t>(c.rotation));
        image.log();
        const qelBoundingBox* box = image.getBoundingBox();
        ASSERT_NE(box, nullptr);
        EXPECT_FLOAT_EQ(box->topLeftX, c.left);
        EXPECT_FLOAT_EQ(box->topLeftY, c.top);
        EXPECT_FLOAT_EQ(box->bottomRightX, c.right);
        EXPECT_FLOAT_EQ(box->bottomRightY, c.bottom);
    }
}

TEST_F(ImageObjectTest, SkipLinesOfDevTestLevel)
{
    ini()->setAttribute("DevTestLevel", "64");
    qelImageObject ioca, im;
    ioca.setKind(qelImageObject::IMAGE_IOCA);
    ioca.write(nullptr);
    im.write(nullptr);
    EXPECT_NE(output().find("[ImageObject]: Skipping IOCA Image Writing\n"), std::string::npos);
    EXPECT_EQ(output().find("Skipping IM Raster"), std::string::npos);
}

// ---------------------------------------------------------------- cells

Bytes tiledBits(const qelCell& cell)
{
    return Bytes(cell.getTiledBits(), cell.getTiledBits() + cell.getTiledLength());
}

TEST_F(ImageObjectTest, CellsPackAndTile)
{
    const struct
    {
        const char* name;
        int cellWidth, cellHeight, fillWidth, fillHeight;
        Bytes raw;
        int tiledWidth;
        Bytes tiled;
    } cases[] = {
        // 12 wide: rows of 2 bytes, the last 4 bits zero.
        {"pack 12", 12, 2, 12, 2, {0xAB, 0xCD, 0xEF}, 16, {0xAB, 0xC0, 0xDE, 0xF0}},
        // 8 x 2 filled to 20 x 5: three whole copies per row, rows 1 2 1 2 1.
        {"tile 8x2", 8, 2, 20, 5, {0x81, 0x42}, 20,
         {0x81, 0x81, 0x81, 0x42, 0x42, 0x42, 0x81, 0x81, 0x81, 0x42, 0x42, 0x42, 0x81, 0x81, 0x81}},
        // 12 x 1 filled to 20: the row, then its first byte masked to 4 bits.
        {"tile 12x1", 12, 1, 20, 1, {0xAB, 0xC0}, 20, {0xAB, 0xC0, 0xA0}},
        // 12 x 2 of one unpadded bit string filled to 20 x 2.
        {"tile 12x2", 12, 2, 20, 2, {0xAB, 0xCD, 0xEF}, 20, {0xAB, 0xC0, 0xA0, 0xDE, 0xF0, 0xD0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        qelCell cell;
        cell.setCellSize(c.cellWidth, c.cellHeight);
        cell.setFillSize(c.fillWidth, c.fillHeight);
        cell.setRawBits(c.raw.data(), static_cast<int32_t>(c.raw.size()));
        cell.setRowCount(static_cast<uint16_t>(c.raw.size() * 8 / static_cast<size_t>(c.cellWidth)));
        cell.setRowBytes(static_cast<uint16_t>((c.cellWidth + 7) / 8));
        cell.tile();
        EXPECT_EQ(cell.getTiled(), 1);
        EXPECT_EQ(tiledBits(cell), c.tiled);
        EXPECT_EQ((cell.getFillWidth() + 7) / 8, (c.tiledWidth + 7) / 8);
    }
}

// A 12-wide cell of 6 bytes (4 rows) tiled to 16 x 4 reads only its bytes
// (ASan watches the exact heap block) and gives the rows of packRows.
TEST_F(ImageObjectTest, TiledCellReadsOnlyItsBits)
{
    const Bytes raw = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC};
    qelCell packed;
    packed.setCellSize(12, 4);
    packed.setRawBits(raw.data(), 6);
    packed.packRows();
    qelCell tiled;
    tiled.setCellSize(12, 4);
    tiled.setFillSize(16, 4);
    tiled.setRowCount(4);
    tiled.setRowBytes(2);
    tiled.setRawBits(raw.data(), 6);
    tiled.tile();
    EXPECT_EQ(tiledBits(packed), (Bytes{0x12, 0x30, 0x45, 0x60, 0x78, 0x90, 0xAB, 0xC0}));
    EXPECT_EQ(tiledBits(tiled), tiledBits(packed));
    EXPECT_EQ(tiled.getRowCount(), 4);
    EXPECT_EQ(tiled.getRowBytes(), 2);
}

TEST_F(ImageObjectTest, CellsWithoutRowsStayUntiled)
{
    const Bytes raw = {0xFF};
    const struct
    {
        int width;
    } cases[] = {{0}, {12}};
    for (const auto& c : cases) {
        qelCell cell;
        cell.setCellSize(c.width, 2);
        cell.setFillSize(40, 4);
        cell.setRawBits(raw.data(), 1);
        cell.tile();
        EXPECT_EQ(cell.getTiled(), 0);
        EXPECT_EQ(cell.getTiledBits(), nullptr);
        cell.toRasterImage();
        EXPECT_EQ(cell.getRasterData(), nullptr);
    }
    // A fill rectangle beyond the limit leaves the cell untiled.
    qelCell huge;
    huge.setCellSize(8, 1);
    huge.setFillSize(65535, 65535);
    huge.setRawBits(raw.data(), 1);
    huge.tile();
    EXPECT_EQ(huge.getTiled(), 0);
    EXPECT_NE(output().find("Error, Unable to allocate memory for tiling cell\n"), std::string::npos);
}

TEST_F(ImageObjectTest, LayoutAndAssemblyOfCells)
{
    // Two cells side by side make an image 200 wide.
    qelImageObject image;
    image.clearSimpleImage();
    image.setAreaSize(150, 2);
    const Bytes raw(25, 0xFF);
    for (int i = 0; i < 2; ++i) {
        qelCell* cell = new qelCell();
        cell->setPosition(static_cast<float>(100 * i), 0);
        cell->setCellSize(100, 2);
        cell->setFillSize(100, 2);
        cell->setRawBits(raw.data(), 25);
        image.addCell(cell);
    }
    image.fixAbsPosition();
    EXPECT_EQ(image.getPresentationWidth(), 200);
    ASSERT_EQ(image.getDataLength(), 50);
    EXPECT_EQ(Bytes(image.getData(), image.getData() + 50), Bytes(50, 0xFF));

    // Only cells of zero fill size: nothing to write.
    qelImageObject empty;
    qelCell* cell = new qelCell();
    cell->setCellSize(8, 1);
    empty.addCell(cell);
    empty.fixAbsPosition();
    EXPECT_EQ(empty.getNothingToWrite(), 1);
    EXPECT_NE(output().find("has Zero fill size (W=0,H=0), Skipping the cell"), std::string::npos);

    // A presentation area beyond the assembly limit is not allocated.
    qelImageObject big;
    big.clearSimpleImage();
    qelCell* far = new qelCell();
    far->setPosition(60000, 60000);
    far->setCellSize(8, 1);
    far->setFillSize(8, 1);
    far->setRawBits(raw.data(), 1);
    big.addCell(far);
    big.fixAbsPosition();
    EXPECT_EQ(big.getNothingToWrite(), 1);
    EXPECT_EQ(big.getData(), nullptr);
}

// -------------------------------------------------------- FOP's images

TEST_F(ImageObjectTest, FopImagesDecodeAndSave)
{
    ASSERT_TRUE(lrbtest::haveCommand("pngcheck"));
    ini()->setColor(true);
    const struct
    {
        int n, width, height, bits, object;
    } cases[] = {{1, 200, 120, 24, 7}, {2, 64, 64, 8, 9}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.n);
        auto image = fopImage(c.n);
        qelImgInfo* info = image->getImage();
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->width, c.width);
        EXPECT_EQ(info->height, c.height);
        EXPECT_EQ(info->bitsPerPixel, c.bits);
        EXPECT_EQ(info->xResolution, 72);
        const std::string png = m_dir + "/image" + std::to_string(c.n) + ".png";
        ASSERT_EQ(image->saveAs(png.c_str(), "png", nullptr), 0);
        EXPECT_EQ(std::system(("pngcheck -q " + lrbtest::shellQuote(png) + " >/dev/null").c_str()), 0);
        // Read back through the library: the pixels are FOP's.
        qelImgProcessor reader(png.c_str());
        qelImgDIB* dib = reader.getDIBData();
        ASSERT_NE(dib, nullptr);
        const Bytes pdf = pdfPixels(c.object);
        const int channels = c.bits / 8;
        const int bpp = dib->header->biBitCount / 8;
        const size_t stride = static_cast<size_t>(c.width) * static_cast<size_t>(bpp);
        int worst = 0;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                for (int s = 0; s < channels; ++s) {
                    const int ours = dib->bits[static_cast<size_t>(y) * stride + static_cast<size_t>(x * bpp) +
                                               static_cast<size_t>(bpp == 3 && channels == 3 ? s : 0)];
                    const int theirs = pdf[(static_cast<size_t>(y) * c.width + x) * channels + s];
                    worst = std::max(worst, std::abs(ours - theirs));
                }
        EXPECT_LE(worst, channels == 3 ? 1 : 0);
        const std::string tif = m_dir + "/image" + std::to_string(c.n) + ".tif";
        ASSERT_EQ(image->saveAs(tif.c_str(), "tif:lzw", nullptr), 0);
        EXPECT_NE(lrbtest::commandOutput("tiffinfo " + tif + " 2>/dev/null").find("LZW"), std::string::npos);
    }
    auto image = fopImage(1);
    EXPECT_EQ(image->saveAs(nullptr, "png", nullptr), -1);
}

TEST_F(ImageObjectTest, FopImagesForAFP)
{
    ini()->setColor(true);
    auto rgb = fopImage(1);
    rgb->prepareForAFP();
    ASSERT_NE(rgb->getFormatInfo(), nullptr);
    EXPECT_EQ(rgb->getFormatInfo()->compression, 9);
    EXPECT_EQ(rgb->getFunctionSetId(), 11);
    const Bytes jpeg = iocaImageData(rgb->getEncodedData(), rgb->getEncodedLength());
    ASSERT_GT(jpeg.size(), 2u);
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8);
    const Pnm pnm = decodeJPEG(writeFile("afp.jpg", jpeg));
    EXPECT_EQ(pnm.width, 200);
    EXPECT_EQ(pnm.height, 120);

    ini()->setColor(false);
    ini()->setFormatType("BW");
    auto bw = fopImage(1);
    bw->prepareForAFP();
    ASSERT_NE(bw->getFormatInfo(), nullptr);
    EXPECT_EQ(bw->getFormatInfo()->compression, 3);
    EXPECT_EQ(bw->getFunctionSetId(), 10);
    EXPECT_GT(bw->getEncodedLength(), 0);
}

TEST_F(ImageObjectTest, FopImagesForPDFAsJPEG)
{
    ini()->setColor(true);
    const struct
    {
        int n, width, height, channels, object;
    } cases[] = {{1, 200, 120, 3, 7}, {2, 64, 64, 1, 9}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.n);
        auto image = fopImage(c.n);
        image->prepareForPDFIOCA();
        ASSERT_NE(image->getFormatInfo(), nullptr);
        EXPECT_EQ(image->getFormatInfo()->compression, 9);
        const Bytes jpeg(image->getEncodedData(), image->getEncodedData() + image->getEncodedLength());
        const Pnm pnm = decodeJPEG(writeFile("pdf" + std::to_string(c.n) + ".jpg", jpeg));
        EXPECT_EQ(pnm.width, c.width);
        EXPECT_EQ(pnm.height, c.height);
        EXPECT_EQ(pnm.channels, c.channels);
        EXPECT_LT(meanDifference(pnm.pixels, pdfPixels(c.object)), 3.0);
    }
}

// A G4 strip of libtiff in an IOCA segment passes through unchanged.
TEST_F(ImageObjectTest, G4ImagePassesThroughForPDF)
{
    const std::string g4 = m_dir + "/g4.tif";
    ASSERT_EQ(std::system(("tiffcp -c g4 " + lrbtest::shellQuote(std::string(LORBANE_TEST_DATA) + "/imagelib/mono.tif") +
                           " " + g4).c_str()),
              0);
    TIFF* tif = TIFFOpen(g4.c_str(), "r");
    ASSERT_NE(tif, nullptr);
    Bytes strip(static_cast<size_t>(TIFFRawStripSize(tif, 0)));
    TIFFReadRawStrip(tif, 0, strip.data(), static_cast<tmsize_t>(strip.size()));
    TIFFClose(tif);
    // Begin segment and image content, 100 x 40 at 240 per inch, G4, one
    // bit, the strip, end of content and segment.
    Bytes segment = {0x70, 0x00, 0x91, 0x01, 0xFF, 0x94, 0x09, 0x00, 0x09, 0x60, 0x09, 0x60,
                     0x00, 0x64, 0x00, 0x28, 0x95, 0x02, 0x82, 0x01, 0x96, 0x01, 0x01};
    segment.insert(segment.end(), {0xFE, 0x92, static_cast<unsigned char>(strip.size() >> 8),
                                   static_cast<unsigned char>(strip.size())});
    segment.insert(segment.end(), strip.begin(), strip.end());
    segment.insert(segment.end(), {0x93, 0x00, 0x71, 0x00});
    qelImageObject image;
    image.setKind(qelImageObject::IMAGE_IOCA);
    image.setResolution(1440);
    image.setData(segment.data(), static_cast<int32_t>(segment.size()));
    image.setDataLength(static_cast<int32_t>(segment.size()));
    image.prepareForPDFIOCA();
    ASSERT_NE(image.getFormatInfo(), nullptr);
    EXPECT_EQ(image.getFormatInfo()->compression, 3);
    EXPECT_EQ(Bytes(image.getEncodedData(), image.getEncodedData() + image.getEncodedLength()), strip);
}

// Pieces copy whole pixels of the image's depth from its padded rows.
TEST_F(ImageObjectTest, ReplicateAndTrimMakesARightPiece)
{
    ini()->setColor(true);
    const struct
    {
        int bits, width, area, pieceWidth, rowBytes, imageRowBytes;
    } cases[] = {{24, 100, 250, 50, 150, 300}, {1, 64, 160, 32, 4, 8}, {1, 20, 50, 10, 2, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits * 1000 + c.width);
        auto image = dibImage(c.width, 40, c.bits);
        ASSERT_TRUE(image);
        image->setMappingOption(0x50);
        image->setAreaSize(c.area, 40);
        image->fixAbsPosition();
        image->prepareForPDF();
        ASSERT_NE(image->getFormatInfo(), nullptr);
        EXPECT_EQ(image->getFormatInfo()->width, c.width);
        qelImageTrimPiece* right = image->getTrimRight();
        ASSERT_NE(right, nullptr);
        EXPECT_EQ(right->width, c.pieceWidth);
        EXPECT_EQ(right->height, 40);
        EXPECT_EQ(right->length, c.rowBytes * 40);
        EXPECT_EQ(image->getTrimBottom(), nullptr);
        EXPECT_EQ(image->getTrimCorner(), nullptr);
        const int whole = c.pieceWidth * c.bits / 8;
        const int restBits = c.pieceWidth * c.bits % 8;
        for (int r = 0; r < 40; ++r) {
            const unsigned char* row = image->getEncodedData() + r * c.imageRowBytes;
            ASSERT_EQ(std::memcmp(right->bits + r * c.rowBytes, row, static_cast<size_t>(whole)), 0) << r;
            if (restBits) {
                ASSERT_EQ(right->bits[r * c.rowBytes + whole], row[whole] & (0xFF << (8 - restBits)) & 0xFF) << r;
            }
        }
    }
}

TEST_F(ImageObjectTest, TruncatedIOCADataGiveE013)
{
    Bytes data = imageSegment(fop("fop-rich.afp"), 1);
    data.resize(data.size() / 2);
    for (int op = 0; op < 3; ++op) {
        SCOPED_TRACE(op);
        qelImageObject image;
        image.setKind(qelImageObject::IMAGE_IOCA);
        image.setResolution(1440);
        image.setData(data.data(), static_cast<int32_t>(data.size()));
        image.setDataLength(static_cast<int32_t>(data.size()));
        const lrbtest::Raised r = lrbtest::raised([&] {
            if (op == 0)
                image.prepareForPDFIOCA();
            else if (op == 1)
                image.prepareForAFP();
            else
                image.prepareForRaster();
        });
        EXPECT_EQ(r.id, qelMsg::E013);
        EXPECT_GT(r.message.size(), std::string("E013: ").size()) << r.message;
    }
}

TEST_F(ImageObjectTest, IS2ResizeSkipsAnAreaOfHeightZero)
{
    ini()->setColor(true);
    ini()->setAttribute("AFPComplianceLevel", "modcais2");
    auto image = fopImage(2);
    image->setAreaSize(100, 0);
    image->prepareForAFP();
    ASSERT_NE(image->getFormatInfo(), nullptr);
    EXPECT_EQ(image->getFormatInfo()->width, 64);
}

TEST_F(ImageObjectTest, ResolutionFallbackFromTheDescriptor)
{
    const Bytes strip = g4Strip(m_dir + "/fallback.tif", 16, 8);
    const struct
    {
        int unit, x, expected;
    } cases[] = {{0, 2400, 240}, {1, 945, 240}, {2, 300, 300}, {0, 0, 1440}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.unit * 10000 + c.x);
        auto image = iocaImage(withImageData(head(0, 0, 16, 8, 0x82, 1), strip));
        image->setUnitBase(static_cast<uint8_t>(c.unit));
        image->setImageResolution(static_cast<uint16_t>(c.x), static_cast<uint16_t>(c.x));
        qelImgInfo* info = image->getImage();
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->xResolution, c.expected);
        EXPECT_EQ(info->yResolution, c.expected);
    }
}

TEST_F(ImageObjectTest, CheckFormatByCompressionAndDepth)
{
    const struct
    {
        int compression, bits, id;
        const char* message;
    } cases[] = {
        {3, 4, -1, ""},
        {1, 4, qelMsg::E019, "E019: 4 Bits/Pixel \"IOCA G3 1D\" image is not supported"},
        {9, 1, qelMsg::E019, "E019: 1 Bits/Pixel \"IOCA JPEG\" image is not supported"},
        {6, 1, qelMsg::E018, "E018: \"IOCA  ABIC\" compressed IOCA images is not supported."},
        {0, 24, -1, ""},
    };
    qelImageObject image;
    image.setKind(qelImageObject::IMAGE_IOCA);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.compression * 100 + c.bits);
        qelImgInfo info;
        info.compression = c.compression;
        info.bitsPerPixel = c.bits;
        const lrbtest::Raised r = lrbtest::raised([&] { image.checkFormat(&info); });
        EXPECT_EQ(r.id, c.id);
        EXPECT_EQ(r.message, c.message);
    }
}

TEST_F(ImageObjectTest, IOCACompressionsForPDF)
{
    // RL4 of 13 points: one row of 5 white, 8 black.
    auto rl4 = iocaImage(withImageData(head(0, 2400, 13, 1, 0x06, 1), {0x00, 0x00, 0x00, 0x05, 0x47}));
    rl4->prepareForPDFIOCA();
    ASSERT_NE(rl4->getFormatInfo(), nullptr);
    EXPECT_EQ(rl4->getFormatInfo()->compression, 3);
    EXPECT_EQ(rl4->getFormatInfo()->width, 16);

    // An 8-bit JPEG is passed through without a given quality, re-encoded
    // with one.
    const Bytes jpeg = lrbtest::readFile(std::string(LORBANE_TEST_DATA) + "/imagelib/gray.jpg");
    ASSERT_FALSE(jpeg.empty());
    const Pnm source = decodeJPEG(std::string(LORBANE_TEST_DATA) + "/imagelib/gray.jpg");
    for (int given = 0; given < 2; ++given) {
        SCOPED_TRACE(given);
        if (given)
            ini()->setJPEGQuality(50);
        auto image = iocaImage(withImageData(head(0, 720, source.width, source.height, 0x83, 8), jpeg));
        image->prepareForPDFIOCA();
        ASSERT_NE(image->getFormatInfo(), nullptr);
        EXPECT_EQ(image->getFormatInfo()->compression, 9);
        const Bytes out(image->getEncodedData(), image->getEncodedData() + image->getEncodedLength());
        EXPECT_EQ(out == jpeg, given == 0);
        EXPECT_EQ(decodeJPEG(writeFile("re.jpg", out)).width, source.width);
    }
}

TEST_F(ImageObjectTest, ColourTransparencyIsNeverJPEG)
{
    ini()->setColor(true);
    for (int transparent = 0; transparent < 2; ++transparent) {
        SCOPED_TRACE(transparent);
        auto image = dibImage(64, 64, 24);
        if (transparent) {
            image->markTransparent();
            image->setTransparency(1, 0xFFFFFF, -1);
        }
        image->prepareForPDF();
        ASSERT_NE(image->getFormatInfo(), nullptr);
        // Noise: JPEG is the smallest unless it is left out.
        EXPECT_EQ(image->getFormatInfo()->compression == 9, transparent == 0);
    }
}

TEST_F(ImageObjectTest, PositionAndTrimCutsOnce)
{
    ini()->setColor(true);
    auto image = dibImage(100, 40, 24);
    image->setMappingOption(0x10);
    image->setAreaSize(60, 30);
    image->fixAbsPosition();
    image->prepareForPDF();
    ASSERT_NE(image->getTrimmedInfo(), nullptr);
    EXPECT_EQ(image->getTrimmedInfo()->width, 60);
    EXPECT_EQ(image->getTrimmedInfo()->height, 30);
    EXPECT_EQ(image->getTrimmedLength(), 60 * 3 * 30);
    EXPECT_EQ(image->positionAndTrim(nullptr), 1);
    image->prepareForPDF();
    EXPECT_EQ(image->getTrimmedInfo()->width, 60);
}

TEST_F(ImageObjectTest, DownSamplingLeavesTrimmedImages)
{
    ini()->setPKEY("DownSampleImage");
    const Bytes strip = g4Strip(m_dir + "/wide.tif", 500, 100);
    const struct
    {
        uint8_t mapping;
        int width, height;
    } cases[] = {{0x20, 250, 50}, {0x10, 500, 100}, {0x50, 500, 100}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mapping);
        auto image = iocaImage(withImageData(head(0, 2400, 500, 100, 0x82, 1), strip));
        image->setMappingOption(c.mapping);
        qelImgInfo* info = image->getImage();
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->width, c.width);
        EXPECT_EQ(info->height, c.height);
    }
}

TEST_F(ImageObjectTest, IS2ResizeOnlyForAnotherRatio)
{
    ini()->setAttribute("AFPComplianceLevel", "modcais2");
    const Bytes strip = g4Strip(m_dir + "/ratio.tif", 100, 50);
    // Kept, the G4 image's rows are rounded up to whole bytes.
    const struct
    {
        int areaWidth, width, height;
    } cases[] = {{201, 104, 50}, {210, 210, 100}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.areaWidth);
        auto image = iocaImage(withImageData(head(0, 2400, 100, 50, 0x82, 1), strip));
        image->setAreaSize(c.areaWidth, 100);
        image->prepareForAFP();
        ASSERT_NE(image->getFormatInfo(), nullptr);
        EXPECT_EQ(image->getFormatInfo()->width, c.width);
        EXPECT_EQ(image->getFormatInfo()->height, c.height);
    }
}

TEST_F(ImageObjectTest, GreyImageForAFPByColour)
{
    const struct
    {
        bool color;
        const char* type;
        int compression, bits, functionSet;
    } cases[] = {{false, "BW", 3, 1, 10}, {true, "G4", 9, 24, 11}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.color);
        ini()->setColor(c.color);
        ini()->setFormatType(c.type);
        auto image = fopImage(2);
        image->prepareForAFP();
        ASSERT_NE(image->getFormatInfo(), nullptr);
        EXPECT_EQ(image->getFormatInfo()->compression, c.compression);
        EXPECT_EQ(image->getFormatInfo()->bitsPerPixel, c.bits);
        EXPECT_EQ(image->getFunctionSetId(), c.functionSet);
    }
}

TEST_F(ImageObjectTest, SaveAsUnknownFormatWritesPNG)
{
    auto image = fopImage(2);
    const std::string path = m_dir + "/unknown.out";
    ASSERT_EQ(image->saveAs(path.c_str(), "xyz", nullptr), 0);
    const Bytes bytes = lrbtest::readFile(path);
    ASSERT_GT(bytes.size(), 8u);
    EXPECT_EQ(Bytes(bytes.begin() + 1, bytes.begin() + 4), (Bytes{'P', 'N', 'G'}));
}

TEST_F(ImageObjectTest, RotationOfNoRightAngleIsRefused)
{
    auto image = fopImage(2);
    image->setIAxisOrientation(45);
    Bytes data(image->getData(), image->getData() + image->getDataLength());
    qelImgInfo info = *image->getImage();
    EXPECT_EQ(image->rotateImage(&info, data.data(), static_cast<int32_t>(data.size()), nullptr), nullptr);
    image->setIAxisOrientation(90);
    image->setAreaSize(64, 32);
    std::unique_ptr<qelImgDIB> turned(image->rotateImage(&info, data.data(), static_cast<int32_t>(data.size()), nullptr));
    ASSERT_NE(turned, nullptr);
    EXPECT_EQ(image->getAreaWidth(), 32);
    EXPECT_EQ(image->getAreaHeight(), 64);
}

TEST_F(ImageObjectTest, CellRasterImageIsG4WithoutTheFlateFlag)
{
    ini()->setAttribute("ImageProcessFlags", "off,on,on");
    const Bytes raw(16 * 2, 0x00);
    qelCell cell;
    cell.setResolution(240);
    cell.setCellSize(16, 16);
    cell.setRawBits(raw.data(), static_cast<int32_t>(raw.size()));
    cell.tile();
    cell.toRasterImage();
    ASSERT_NE(cell.getRasterInfo(), nullptr);
    EXPECT_EQ(cell.getRasterInfo()->compression, 3);
    EXPECT_GT(cell.getRasterLength(), 0);
}

TEST_F(ImageObjectTest, BitsPerPixelAndBilevelReduction)
{
    const struct
    {
        int kind, colorSpace, functionSet, bits;
    } depths[] = {
        {0, 1, 0xFF, 1}, {1, 1, 0xFF, 24}, {1, 3, 0xFF, 24}, {1, 2, 0xFF, 32}, {1, 5, 0xFF, 1},
        {4, 0, 45, 32},  {4, 0, 42, 32},   {4, 2, 0xFF, 32}, {4, 1, 0xFF, 24},
    };
    for (const auto& c : depths) {
        SCOPED_TRACE(c.kind * 100 + c.colorSpace);
        qelImageObject image;
        image.setKind(c.kind);
        image.setColorSpace(c.colorSpace);
        image.setFunctionSetId(static_cast<uint8_t>(c.functionSet));
        EXPECT_EQ(image.getBitsPerPixel(), c.bits);
    }
    auto grey = fopImage(2);
    EXPECT_EQ(grey->getBitsPerPixel(), 8);

    const struct
    {
        const char* type;
        int bits;
        uint32_t color;
        bool reduce;
    } reductions[] = {
        {"G4", 8, 0, true}, {"G4", 1, 0, false}, {"G4", 1, 0xFFFFFF, false}, {"G4", 1, 0x0000FF, true},
        {"G4D", 8, 0, false}, {"JPEG", 8, 0, false}, {"G3", 24, 0, true},
    };
    for (const auto& c : reductions) {
        SCOPED_TRACE(std::string(c.type) + " " + std::to_string(c.bits));
        qelGlobalDSPool::getInstance()->getIni()->setFormatType(c.type);
        qelImageObject image;
        image.setColorSpace(1);
        image.setColorValue(c.color);
        EXPECT_EQ(image.getForegroundColor(c.bits), c.reduce);
        qelUtils::releaseGlobals();
    }
}

TEST_F(ImageObjectTest, AbsolutePositionOfPlacedImages)
{
    const struct
    {
        int kind, rotation;
        float x, y;
    } cases[] = {
        {0, 0, 480, 240}, {1, 0, 1480, 2240}, {1, 90, 760, 2480}, {1, 180, 520, 1760},
        {1, 270, 1240, 1520}, {4, 0, 1440, 720}, {5, 90, 1440, 720},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind * 1000 + c.rotation);
        qelImageObject image;
        image.setKind(c.kind);
        image.setResolution(720);
        image.setPosition(1440, 720);
        image.setPlacement(1);
        image.setAreaOrigin(1000, 2000);
        image.setIAxisOrientation(static_cast<uint16_t>(c.rotation));
        image.computeAbsolutePosition();
        EXPECT_FLOAT_EQ(image.getAbsoluteX(), c.x);
        EXPECT_FLOAT_EQ(image.getAbsoluteY(), c.y);
    }
}

// Through the include chain: a page segment or an overlay on an AFP page
// (1440 per inch, include at (100, 200)), and a page segment in an overlay
// of 720 per inch on that page. The image is at (10, 20) in 720 per inch.
TEST_F(ImageObjectTest, AbsolutePositionThroughIncludes)
{
    qelPtocaPage page;
    page.setResolution(1440);
    qelResPSEG segment("S1");
    segment.setType(qelRes::TYPE_PAGE_SEGMENT);
    qelResOverlay overlay("O1");
    overlay.setType(qelRes::TYPE_OVERLAY);
    const struct
    {
        const char* name;
        int kind;
        uint8_t referenceSystem;
        bool inOverlay;
        qelRes* include;
        int rotation;
        float x, y;
    } cases[] = {
        {"IM in segment", 0, 0xFF, false, &segment, 0, 120, 240},
        {"IOCA in segment, own system", 4, 0xFF, false, &segment, 0, 10, 20},
        {"IOCA in segment, page system", 4, 0, false, &segment, 0, 110, 220},
        {"IM in overlay turned 90", 0, 0xFF, false, &overlay, 90, 60, 220},
        {"IOCA in overlay turned 90", 4, 0xFF, false, &overlay, 90, 80, 210},
        {"IOCA in segment in overlay", 4, 0, true, &segment, 0, 130, 250},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        overlay.setResolution(c.include == &overlay ? 1440 : 720);
        if (c.inOverlay) {
            segment.setIncludingMedia(&overlay);
            segment.setIncludePosition(5, 5);
            segment.setIncludeRotation(0);
            overlay.setIncludingMedia(&page);
            overlay.setIncludePosition(100, 200);
            overlay.setIncludeRotation(0);
        } else {
            c.include->setIncludingMedia(&page);
            c.include->setIncludePosition(100, 200);
            c.include->setIncludeRotation(static_cast<uint16_t>(c.rotation));
        }
        qelImageObject image;
        image.setKind(c.kind);
        image.setResolution(720);
        image.setPosition(10, 20);
        image.setReferenceSystem(c.referenceSystem);
        image.setInclude(c.include);
        image.computeAbsolutePosition();
        EXPECT_FLOAT_EQ(image.getAbsoluteX(), c.x);
        EXPECT_FLOAT_EQ(image.getAbsoluteY(), c.y);
    }
}

// Cells at offsets that are no multiple of 8, repeated over their fill
// rectangle, land bit for bit; a cell with fewer bits than one row
// writes nothing.
TEST_F(ImageObjectTest, AssembledCellsLandBitForBit)
{
    const struct
    {
        int x, y, width, height, fillWidth, fillHeight, bytes;
    } cells[] = {{3, 1, 13, 3, 13, 3, 5}, {21, 2, 5, 2, 17, 5, 2}, {0, 6, 9, 1, 40, 1, 1}};
    qelImageObject image;
    image.clearSimpleImage();
    std::vector<Bytes> raws;
    uint32_t seed = 7;
    for (const auto& c : cells) {
        Bytes raw(static_cast<size_t>(c.bytes));
        for (auto& b : raw) {
            seed = seed * 1103515245u + 12345u;
            b = static_cast<unsigned char>(seed >> 16);
        }
        raws.push_back(raw);
        qelCell* cell = new qelCell();
        cell->setPosition(static_cast<float>(c.x), static_cast<float>(c.y));
        cell->setCellSize(c.width, c.height);
        cell->setFillSize(c.fillWidth, c.fillHeight);
        cell->setRawBits(raw.data(), c.bytes);
        image.addCell(cell);
    }
    image.fixAbsPosition();
    const int width = image.getPresentationWidth(), height = image.getPresentationHeight();
    EXPECT_EQ(width, 40);
    EXPECT_EQ(height, 7);
    const int stride = (width + 7) / 8;
    ASSERT_EQ(image.getDataLength(), stride * height);
    std::vector<int> expected(static_cast<size_t>(width * height), 0);
    for (size_t n = 0; n < 3; ++n) {
        const auto& c = cells[n];
        const int64_t bits = c.bytes * 8;
        // Fewer bits than one row: a cell without bits.
        if (bits < c.width)
            continue;
        for (int oy = 0; oy < c.fillHeight; ++oy)
            for (int ox = 0; ox < c.fillWidth; ++ox) {
                const int64_t at = static_cast<int64_t>(oy % c.height) * c.width + ox % c.width;
                if (at >= bits)
                    continue;
                expected[static_cast<size_t>((c.y + oy) * width + c.x + ox)] = (raws[n][static_cast<size_t>(at / 8)] >> (7 - at % 8)) & 1;
            }
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ASSERT_EQ((image.getData()[y * stride + x / 8] >> (7 - x % 8)) & 1, expected[static_cast<size_t>(y * width + x)])
                << x << "," << y;
}

// Raster output takes the decoded bits: colour with red and blue
// exchanged, grey without Color, one bit for a fax format type.
TEST_F(ImageObjectTest, FopImageForRaster)
{
    const Bytes pdf = pdfPixels(7);
    const struct
    {
        bool color;
        const char* type;
        int bits;
    } cases[] = {{true, "JPEG", 24}, {false, "JPEG", 8}, {true, "G4", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits);
        ini()->setColor(c.color);
        ini()->setFormatType(c.type);
        auto image = fopImage(1);
        image->prepareForRaster();
        ASSERT_NE(image->getFormatInfo(), nullptr);
        EXPECT_EQ(image->getFormatInfo()->bitsPerPixel, c.bits);
        EXPECT_EQ(image->getFormatInfo()->width, 200);
        EXPECT_EQ(image->getEncodedLength(), (200 * c.bits + 7) / 8 * 120);
        if (c.bits == 24) {
            const unsigned char* p = image->getEncodedData();
            for (size_t i = 0; i < pdf.size(); i += 3) {
                ASSERT_EQ(p[i], pdf[i + 2]) << i;
                ASSERT_EQ(p[i + 2], pdf[i]) << i;
            }
        }
    }
}

TEST_F(ImageObjectTest, SimpleIMImageTakesItsFirstCell)
{
    qelImageObject none;
    unsigned char* data = reinterpret_cast<unsigned char*>(&none);
    int32_t length = -1;
    none.getRasterData(&data, &length);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(length, 0);

    qelImageObject image;
    const Bytes raw = {0xF0, 0x0F};
    qelCell* cell = new qelCell();
    cell->setCellSize(8, 2);
    cell->setRawBits(raw.data(), 2);
    image.addCell(cell);
    image.setAreaSize(8, 2);
    image.fixAbsPosition();
    image.getRasterData(&data, &length);
    ASSERT_EQ(length, 2);
    EXPECT_EQ(Bytes(data, data + 2), raw);
    EXPECT_EQ(cell->getTiled(), 1);
}
}
