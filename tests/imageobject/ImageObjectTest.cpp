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

TEST_F(ImageObjectTest, ReplicateAndTrimMakesARightPiece)
{
    ini()->setColor(true);
    std::unique_ptr<qelImgDIB> dib(qelImgDIBUtils::createDIBFromData(100, 40, 24, 72, 72, 0, nullptr, 0));
    ASSERT_NE(dib, nullptr);
    for (int i = 0; i < 100 * 40 * 3; ++i)
        dib->bits[i] = static_cast<unsigned char>(i * 7 + i / 300);
    const int size = qelImgDIBUtils::getDIBSize(dib.get());
    qelImageObject image;
    image.setKind(qelImageObject::IMAGE_DIB);
    image.setResolution(72);
    image.setMappingOption(0x50);
    image.setData(dib->buffer, size);
    image.setDataLength(size);
    image.setAreaSize(250, 40);
    image.fixAbsPosition();
    image.prepareForPDF();
    ASSERT_NE(image.getFormatInfo(), nullptr);
    EXPECT_EQ(image.getFormatInfo()->width, 100);
    qelImageTrimPiece* right = image.getTrimRight();
    ASSERT_NE(right, nullptr);
    EXPECT_EQ(right->width, 50);
    EXPECT_EQ(right->height, 40);
    EXPECT_EQ(right->length, 150 * 40);
    EXPECT_EQ(image.getTrimBottom(), nullptr);
    EXPECT_EQ(image.getTrimCorner(), nullptr);
    for (int r = 0; r < 40; ++r)
        ASSERT_EQ(std::memcmp(right->bits + r * 150, image.getEncodedData() + r * 300, 150), 0) << r;
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
}
