// Images placed from memory and from files, masks, colour keys, planes,
// PDFIMG files and the image table, checked with qpdf, pdfimages and pdftoppm.
#include <gtest/gtest.h>

#include "ImageTestSupport.h"

#include <zlib.h>

using namespace opdftest;

namespace {

std::vector<Reported>* g_global = nullptr;

int globalCollector(int level, const char* module, const char* format, va_list args)
{
    char buf[2048];
    vsnprintf(buf, sizeof buf, format, args);
    if (g_global)
        g_global->push_back({level, module ? module : "", buf});
    return 0;
}

class ImagePlacement : public ::testing::Test {
protected:
    TempDir dir;
    std::vector<Reported> reports;
    std::vector<Reported> global;
    PDFDocContext* ctx = nullptr;

    void SetUp() override
    {
        g_global = &global;
        opdf_setGlobalErrorHandler(globalCollector);
    }
    void TearDown() override
    {
        if (ctx)
            opdf_close(ctx);
        opdf_setGlobalErrorHandler(nullptr);
        g_global = nullptr;
    }

    // A document in memory with page 1 of w x h points.
    void open(bool compress, int w = 200, int h = 100, const PDFDocLimits* limits = nullptr)
    {
        ctx = opdf_open(0, limits);
        collectReports(ctx, &reports);
        opdf_setOmitVariableInfo(ctx, 1);
        if (compress)
            opdf_setCompression(ctx, 1);
        ASSERT_EQ(0, opdf_init(ctx));
        newPage(1, w, h);
    }

    void newPage(int page, int w, int h)
    {
        std::string box = "0 0 " + std::to_string(w) + " " + std::to_string(h);
        ASSERT_EQ(0, opdf_pageInit(ctx, page, 0, box.c_str(), box.c_str()));
    }

    // Finalises into out.pdf and returns its bytes; the context is closed.
    std::string finish(int expected = 0)
    {
        EXPECT_EQ(expected, opdf_finalizeAll(ctx));
        unsigned len = 0;
        const unsigned char* b = opdf_getMemoryOutput(ctx, &len);
        std::string pdf(b ? (const char*)b : "", b ? len : 0);
        writeFile(dir.file("out.pdf"), pdf);
        opdf_close(ctx);
        ctx = nullptr;
        return pdf;
    }

    std::string pdfPath() { return dir.file("out.pdf"); }

    std::string makeJPEG(const std::string& name, int w, int h, const std::string& options)
    {
        Raster r{w, h, 3, {}};
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++)
                for (int c = 0; c < 3; c++)
                    r.pixels.push_back(sampleAt(x, y, c, w, h));
        writePNM(dir.file(name + ".ppm"), r);
        CommandResult c = run("cjpeg " + options + " -outfile '" + dir.file(name + ".jpg") + "' '" +
                              dir.file(name + ".ppm") + "'");
        EXPECT_EQ(0, c.status) << c.output;
        return dir.file(name + ".jpg");
    }
};

int placeRaw(PDFDocContext* ctx, const char* name, const std::vector<unsigned char>& data, int w,
             int h, int comps, int bits, unsigned flags, int compression = -1,
             const PDFImageAttributes* attrs = nullptr, const PDFImageMask* mask = nullptr,
             const PDFColorKey* key = nullptr, int maskedIndex = -1)
{
    return opdf_rawplaceImageData(ctx, name, data.data(), (long)data.size(), w, h, comps, bits, 0,
                                  0, 0, (float)w, (float)h, flags, attrs, PDF_IMAGE_RAW,
                                  compression, mask, key, maskedIndex);
}

std::vector<unsigned char> samples(int w, int h, int comps)
{
    std::vector<unsigned char> v;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            for (int c = 0; c < comps; c++)
                v.push_back(sampleAt(x, y, c, w, h));
    return v;
}

TEST_F(ImagePlacement, JPEGFromMemoryAndFileComesOutByteForByte)
{
    if (!imageToolsAvailable() || !toolAvailable("cjpeg"))
        GTEST_SKIP() << "checkers missing";
    const std::string jpg = makeJPEG("base", 120, 80, "-quality 80");
    const std::string bytes = readFile(jpg);
    open(false);
    ASSERT_EQ(0, opdf_rawplaceImageData(ctx, "mem", (const unsigned char*)bytes.data(),
                                        (long)bytes.size(), 0, 0, 3, 8, 0, 0, 0, 120, 80, 1,
                                        nullptr, PDF_IMAGE_JPEG, -1, nullptr, nullptr, -1));
    ASSERT_EQ(0, opdf_rawplaceImageFile(ctx, jpg.c_str(), 0, 0, 3, 8, 0, 0, 0, 60, 40, 1, nullptr,
                                        PDF_IMAGE_JPEG, -1, nullptr, -1));
    std::string pdf = finish();
    EXPECT_EQ("", qpdfCheck(pdfPath()));
    EXPECT_EQ(0, pdf.compare(0, 8, "%PDF-1.1")) << "a baseline JPEG keeps the version";
    ASSERT_EQ(0, run("pdfimages -all '" + pdfPath() + "' '" + dir.file("x") + "'").status);
    EXPECT_EQ(bytes, readFile(dir.file("x-000.jpg")));
    EXPECT_EQ(bytes, readFile(dir.file("x-001.jpg")));
    auto dicts = imageDictionaries(pdf);
    ASSERT_EQ(2u, dicts.size());
    EXPECT_NE(std::string::npos, dicts[0].find("/Width 120\n/Height 80\n"));
    EXPECT_NE(std::string::npos, dicts[0].find("/Filter /DCTDecode\n"));
}

TEST_F(ImagePlacement, ProgressiveJPEGRaisesTheVersion)
{
    if (!toolAvailable("cjpeg"))
        GTEST_SKIP() << "cjpeg missing";
    const std::string jpg = makeJPEG("prog", 40, 30, "-progressive");
    open(false);
    ASSERT_EQ(0, opdf_rawplaceImageFile(ctx, jpg.c_str(), 0, 0, 3, 8, 0, 0, 0, 40, 30, 0, nullptr,
                                        PDF_IMAGE_JPEG, -1, nullptr, -1));
    std::string pdf = finish();
    EXPECT_EQ(0, pdf.compare(0, 8, "%PDF-1.3"));
}

TEST_F(ImagePlacement, OneNameOnTwoPagesIsOneXObjectInBothResources)
{
    open(false);
    auto data = samples(8, 8, 1);
    ASSERT_EQ(0, placeRaw(ctx, "same", data, 8, 8, 1, 8, 1));
    newPage(2, 200, 100);
    // the second call's data is ignored
    std::vector<unsigned char> other(64, 0);
    ASSERT_EQ(0, placeRaw(ctx, "same", other, 8, 8, 1, 8, 1));
    EXPECT_EQ(1, ctx->imageCount);
    std::string pdf = finish();
    EXPECT_EQ("", qpdfCheck(pdfPath()));
    auto dicts = imageDictionaries(pdf);
    ASSERT_EQ(1u, dicts.size());
    int n = std::stoi(dicts[0].substr(0, dicts[0].find(' ')));
    const std::string entry = "/XObject <<\n/OR0 " + std::to_string(n) + " 0 R\n>>";
    size_t first = pdf.find(entry);
    ASSERT_NE(std::string::npos, first);
    EXPECT_NE(std::string::npos, pdf.find(entry, first + 1)) << "both pages list the image";
    EXPECT_NE(std::string::npos, pdf.find("/ImageB"));
}

struct RawCase {
    const char* name;
    int comps, bits;
    const char* encodingOn; // pdfimages -list enc with compression on
};

TEST_F(ImagePlacement, RawSamplesAreCodedByDepthWhileCompressionIsOn)
{
    if (!imageToolsAvailable())
        GTEST_SKIP() << "checkers missing";
    const RawCase cases[] = {{"grey8", 1, 8, "jpeg"},
                             {"rgb8", 3, 8, "jpeg"},
                             {"bilevel", 1, 1, "ccitt"},
                             {"grey4", 1, 4, "image"},
                             {"cmyk8", 4, 8, "image"}};
    for (bool on : {true, false}) {
        SCOPED_TRACE(on ? "compression on" : "compression off");
        open(on, 400, 100);
        for (const auto& c : cases) {
            const int rowBytes = (32 * c.comps * c.bits + 7) / 8;
            std::vector<unsigned char> data((size_t)rowBytes * 24);
            for (size_t i = 0; i < data.size(); i++)
                data[i] = (unsigned char)(i * 7 + i / rowBytes * 13);
            ASSERT_EQ(0, placeRaw(ctx, c.name, data, 32, 24, c.comps, c.bits, 1));
        }
        std::string pdf = finish();
        EXPECT_EQ("", qpdfCheck(pdfPath()));
        CommandResult list = run("pdfimages -list '" + pdfPath() + "'");
        std::istringstream lines(list.output);
        std::string line;
        std::getline(lines, line);
        std::getline(lines, line);
        for (const auto& c : cases) {
            ASSERT_TRUE((bool)std::getline(lines, line));
            std::istringstream cols(line);
            std::string page, num, type, w, h, color, comp, bpc, enc;
            cols >> page >> num >> type >> w >> h >> color >> comp >> bpc >> enc;
            EXPECT_EQ(on ? c.encodingOn : "image", enc) << c.name;
        }
        auto dicts = imageDictionaries(pdf);
        ASSERT_EQ(5u, dicts.size());
        if (on) {
            EXPECT_NE(std::string::npos, dicts[2].find("/DecodeParms << /K -1 /Columns 32 >>"));
            EXPECT_NE(std::string::npos, dicts[3].find("/Filter /FlateDecode"));
        } else {
            for (const auto& d : dicts)
                EXPECT_EQ(std::string::npos, d.find("/Filter")) << d;
        }
    }
}

TEST_F(ImagePlacement, IndexedImageRendersItsTableColours)
{
    if (!imageToolsAvailable())
        GTEST_SKIP() << "checkers missing";
    // 2-bit indices into four RGB entries (4 bytes each), one colour per column band
    const unsigned char table[16] = {255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 255, 0, 10, 20, 30, 0};
    PDFImageAttributes attrs{table, 2, 4, 0};
    std::vector<unsigned char> data(16 * 4);
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 16; x++)
            data[(size_t)y * 4 + x / 4] |= (unsigned char)((x / 4) << (6 - 2 * (x % 4)));
    // Inverted, the indexes run the other way through the whole table.
    for (bool inverted : {false, true})
        for (bool on : {true, false}) {
            open(on, 16, 16);
            ASSERT_EQ(0, placeRaw(ctx, "idx", data, 16, 16, 1, 2, inverted ? 1u | PDF_IMAGE_INVERT : 1u, -1,
                                  &attrs));
            std::string pdf = finish();
            EXPECT_EQ("", qpdfCheck(pdfPath()));
            EXPECT_NE(std::string::npos, pdf.find("/ColorSpace [/Indexed /DeviceRGB 3 "));
            EXPECT_NE(std::string::npos, pdf.find("/ImageI"));
            Raster r = renderPage(pdfPath(), dir.file("idx"));
            ASSERT_EQ(16, r.width);
            for (int band = 0; band < 4; band++) {
                const unsigned char* p = r.at(band * 4 + 1, 8);
                int entry = inverted ? 3 - band : band;
                for (int c = 0; c < 3; c++)
                    EXPECT_NEAR(table[4 * entry + c], p[c], 1) << "band " << band << " inverted " << inverted;
            }
        }
}

TEST_F(ImagePlacement, ColourKeyMasksItsColourOnRGBOnly)
{
    if (!imageToolsAvailable())
        GTEST_SKIP() << "checkers missing";
    // left half pure green (the key), right half grey
    std::vector<unsigned char> rgb;
    for (int y = 0; y < 10; y++)
        for (int x = 0; x < 20; x++) {
            const unsigned char px[3] = {0, 255, 0};
            for (int c = 0; c < 3; c++)
                rgb.push_back(x < 10 ? px[c] : 100);
        }
    PDFColorKey key{{0, 250, 0, 5, 255, 5}};
    open(true, 20, 10);
    // colour keys keep lossy coding off: the key must meet exact samples
    ASSERT_EQ(0, placeRaw(ctx, "keyed", rgb, 20, 10, 3, 8, 1, -1, nullptr, nullptr, &key, 7));
    std::vector<unsigned char> grey(200, 30);
    ASSERT_EQ(0, placeRaw(ctx, "keyedGrey", grey, 20, 10, 1, 8, 1, -1, nullptr, nullptr, &key, 7));
    std::string pdf = finish();
    EXPECT_EQ("", qpdfCheck(pdfPath()));
    auto dicts = imageDictionaries(pdf);
    ASSERT_EQ(2u, dicts.size());
    EXPECT_NE(std::string::npos, dicts[0].find("/Mask [0 5 250 255 0 5]\n"));
    EXPECT_EQ(std::string::npos, dicts[0].find("/DCTDecode"));
    EXPECT_EQ(std::string::npos, dicts[1].find("/Mask"));
    EXPECT_TRUE(hasReport(reports, "Colour key of image OR1 left out: it has 1 components"));
    // render the RGB image alone
    open(true, 20, 10);
    ASSERT_EQ(0, placeRaw(ctx, "keyed", rgb, 20, 10, 3, 8, 1, -1, nullptr, nullptr, &key, 7));
    finish();
    Raster r = renderPage(pdfPath(), dir.file("key"));
    ASSERT_EQ(20, r.width);
    EXPECT_EQ(255, r.at(3, 5)[0]) << "keyed green shows the white page";
    EXPECT_EQ(255, r.at(3, 5)[2]);
    EXPECT_NEAR(100, r.at(15, 5)[0], 1);
}

TEST_F(ImagePlacement, StencilAndMaskedBilevelRenderAlikeWithCompressionOnAndOff)
{
    if (!imageToolsAvailable())
        GTEST_SKIP() << "checkers missing";
    const int w = 48, h = 32;
    auto bits = bilevelRows(w, h);
    // mask: the left two thirds visible (bit 1 where the library's CCITT form paints)
    std::vector<unsigned char> maskBits((size_t)((w + 7) / 8) * h, 0);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < 2 * w / 3; x++)
            maskBits[(size_t)y * ((w + 7) / 8) + x / 8] |= (unsigned char)(0x80 >> (x % 8));
    PDFImageMask mask{(uint32_t)w, (uint32_t)h, 1, 1, 0, 0, maskBits.data(),
                      (uint32_t)maskBits.size(), PDF_IMAGE_RAW, 3};
    Raster rendered[2];
    for (int on = 0; on < 2; on++) {
        open(on != 0, 2 * w, h);
        opdf_setrgbcolorFill(ctx, 0, 0, 1);
        // stencil: raw 1 bits painted in the fill colour
        ASSERT_EQ(0, placeRaw(ctx, "stencil", bits, w, h, 1, 1, 3));
        // 1-bit image with a 1-bit mask, both coded by the library
        ASSERT_EQ(0, opdf_rawplaceImageData(ctx, "masked", bits.data(), (long)bits.size(), w, h,
                                            1, 1, (float)w, 0, 0, (float)w, (float)h, 1, nullptr,
                                            PDF_IMAGE_RAW, -1, &mask, nullptr, -1));
        std::string pdf = finish();
        EXPECT_EQ("", qpdfCheck(pdfPath()));
        auto dicts = imageDictionaries(pdf);
        ASSERT_EQ(3u, dicts.size());
        EXPECT_EQ(on != 0, dicts[1].find("/CCITTFaxDecode") != std::string::npos);
        // Splash smooths masked images drawn at one pixel per sample
        rendered[on] = renderPage(pdfPath(), dir.file("s" + std::to_string(on)), 1, 288);
        ASSERT_EQ(8 * w, rendered[on].width);
    }
    EXPECT_EQ(0, compareRGB(rendered[0], rendered[1]).max);
    const Raster& r = rendered[1];
    for (int y = 0; y < h; y += 3)
        for (int x = 0; x < w; x += 3) {
            const unsigned char* s = r.at(4 * x + 2, 4 * y + 2);
            if (bitAt(bits, w, x, y))
                EXPECT_TRUE(s[0] == 0 && s[2] == 255) << x << "," << y;
            else
                EXPECT_EQ(255, s[0]) << x << "," << y;
            const unsigned char* m = r.at(4 * (w + x) + 2, 4 * y + 2);
            if (x >= 2 * w / 3)
                EXPECT_EQ(255, m[0]) << "masked out at " << x << "," << y;
            else
                EXPECT_EQ(bitAt(bits, w, x, y) ? 0 : 255, m[0]) << x << "," << y;
        }
}

TEST_F(ImagePlacement, BilevelFileRendersAlikeWithCompressionOnAndOff)
{
    if (!imageToolsAvailable())
        GTEST_SKIP() << "checkers missing";
    const int w = 40, h = 24;
    auto bits = bilevelRows(w, h);
    writeFile(dir.file("bits.raw"), std::string(bits.begin(), bits.end()));
    Raster rendered[2];
    for (int on = 0; on < 2; on++) {
        open(on != 0, w, h);
        ASSERT_EQ(0, opdf_rawplaceImageFile(ctx, dir.file("bits.raw").c_str(), w, h, 1, 1, 0, 0, 0,
                                            (float)w, (float)h, 1, nullptr, PDF_IMAGE_RAW, 0,
                                            nullptr, -1));
        std::string pdf = finish();
        EXPECT_EQ("", qpdfCheck(pdfPath()));
        EXPECT_EQ(on != 0, pdf.find("/CCITTFaxDecode") != std::string::npos);
        rendered[on] = renderPoints(pdfPath(), dir.file("f" + std::to_string(on)));
        ASSERT_EQ(w, rendered[on].width);
    }
    EXPECT_EQ(0, compareRGB(rendered[0], rendered[1]).max);
    // the library's CCITT form paints the raw 1 bits
    EXPECT_EQ(0, rendered[0].at(w / 3, h / 2)[0]);
    EXPECT_EQ(255, rendered[0].at(2, 2)[0]);
}

TEST_F(ImagePlacement, FlateDataKeepsItsFilterWithCompressionOff)
{
    std::vector<unsigned char> raw(64, 0x55);
    uLongf n = compressBound(64);
    std::vector<unsigned char> packed(n);
    ASSERT_EQ(Z_OK, compress(packed.data(), &n, raw.data(), 64));
    packed.resize(n);
    open(false);
    ASSERT_EQ(0, opdf_rawplaceImageData(ctx, "flate", packed.data(), (long)packed.size(), 8, 8, 1,
                                        8, 0, 0, 0, 8, 8, 0, nullptr, PDF_IMAGE_FLATE, -1, nullptr,
                                        nullptr, -1));
    std::string pdf = finish();
    EXPECT_NE(std::string::npos, imageDictionaries(pdf).at(0).find("/Filter /FlateDecode\n"));
    if (toolAvailable("qpdf")) {
        EXPECT_EQ("", qpdfCheck(pdfPath()));
    }
}

TEST_F(ImagePlacement, CMYKPlanesBecomeSeparationImages)
{
    if (!imageToolsAvailable() || !toolAvailable("cjpeg") || !toolAvailable("tiffcp"))
        GTEST_SKIP() << "checkers missing";
    const int w = 32, h = 16;
    // JPEG plane (cyan)
    Raster grey{w, h, 1, std::vector<unsigned char>((size_t)w * h, 180)};
    writePNM(dir.file("c.pgm"), grey);
    ASSERT_EQ(0, run("cjpeg -grayscale -outfile '" + dir.file("c.jpg") + "' '" + dir.file("c.pgm") + "'").status);
    std::string jpegPlane = readFile(dir.file("c.jpg"));
    // Flate plane (magenta)
    std::vector<unsigned char> flat((size_t)w * h, 120);
    uLongf n = compressBound((uLong)flat.size());
    std::vector<unsigned char> flatePlane(n);
    ASSERT_EQ(Z_OK, compress(flatePlane.data(), &n, flat.data(), (uLong)flat.size()));
    flatePlane.resize(n);
    // LZW plane (yellow) and G4 plane (black) from tiffcp
    ASSERT_TRUE(writeTiff(dir.file("y.tif"), {w, h, 1, 8, 1, 0, {}}, std::vector<unsigned char>((size_t)w * h, 60)));
    ASSERT_EQ(0, run("tiffcp -c lzw '" + dir.file("y.tif") + "' '" + dir.file("y-lzw.tif") + "'").status);
    std::string lzwPlane = rawStrip(dir.file("y-lzw.tif"));
    auto bits = bilevelRows(w, h);
    ASSERT_TRUE(writeTiff(dir.file("k.tif"), {w, h, 1, 1, 0, 0, {}}, bits));
    ASSERT_EQ(0, run("tiffcp -c g4 '" + dir.file("k.tif") + "' '" + dir.file("k-g4.tif") + "'").status);
    std::string g4Plane = readFile(dir.file("k-g4.tif"));
    g4Plane = rawStrip(dir.file("k-g4.tif"));

    PDFImagePlane planes[4] = {};
    const std::string* bytes[4] = {&jpegPlane, nullptr, &lzwPlane, &g4Plane};
    const int compression[4] = {0, 9, 8, 1};
    for (int i = 0; i < 4; i++) {
        snprintf(planes[i].name, sizeof planes[i].name, "plane_%d", i);
        planes[i].data = i == 1 ? flatePlane.data() : (const unsigned char*)bytes[i]->data();
        planes[i].length = i == 1 ? (int)flatePlane.size() : (int)bytes[i]->size();
        planes[i].colorant = i;
        planes[i].planeKind = 3;
        planes[i].compression = compression[i];
        planes[i].flags = i == 1 ? 4u : 0u; // an inverted Flate plane
        planes[i].next = i < 3 ? &planes[i + 1] : nullptr;
    }
    open(true, w, h);
    EXPECT_EQ(1, opdf_rawplaceImagePlanes(ctx, planes, w, h, 4, 8, 0, 0, 0, (float)w, (float)h, 8,
                                          nullptr, nullptr));
    std::string pdf = finish();
    EXPECT_EQ("", qpdfCheck(pdfPath()));
    auto dicts = imageDictionaries(pdf);
    ASSERT_EQ(4u, dicts.size());
    for (const auto& d : dicts) {
        std::smatch m;
        ASSERT_TRUE(std::regex_search(d, m, std::regex("/ColorSpace ([0-9]+) 0 R")));
        EXPECT_NE(std::string::npos, objectText(pdf, std::stoi(m[1])).find("/Separation"));
        if (std::regex_search(d, m, std::regex("/Decode \\[([^\\]]*)\\]"))) {
            std::istringstream values(m[1].str());
            int count = 0;
            std::string v;
            while (values >> v)
                count++;
            EXPECT_LE(count, 2) << d;
        }
    }
    EXPECT_NE(std::string::npos, dicts[1].find("/Decode [1 0]"));
    Raster r = renderPage(pdfPath(), dir.file("planes"));
    ASSERT_EQ(w, r.width);
    // every plane is drawn: the page is inked everywhere
    EXPECT_LT(r.at(w / 2, h / 2)[0], 250);
}

TEST_F(ImagePlacement, PDFIMGFileWritesItsLinesAndDataSlice)
{
    if (!toolAvailable("cjpeg"))
        GTEST_SKIP() << "cjpeg missing";
    std::string jpg = readFile(makeJPEG("side", 100, 50, "-quality 60"));
    ASSERT_LT(jpg.size(), 1234u);
    jpg.resize(1234, '\0');
    const std::string lines = "/Filter /DCTDecode\n/Width 100\n/Height 50\n/BitsPerComponent 8\n"
                              "/ColorSpace /DeviceRGB\n/Length 1234\n";
    std::string head = "%*PDFIMG side file\nOriginalImageFile photo.jpg\n" + lines +
                       "ImageDataOffset 512\n>>\nstream\n";
    head.resize(512, ' ');
    writeFile(dir.file("img.pdfimg"), head + jpg + "trailing bytes");
    writeFile(dir.file("bad.pdfimg"), "%PDF-1.4\n");
    writeFile(dir.file("nooffset.pdfimg"), "%*PDFIMG\n/Length 4\nstream\nabcd");
    writeFile(dir.file("long.pdfimg"), "%*PDFIMG\n/Length 5000\nImageDataOffset 30\nstream\nabcd");
    open(false);
    float w = 100, hgt = 50, sx = 0, sy = 0;
    ASSERT_EQ(0, opdf_rawImportImage(ctx, dir.file("img.pdfimg").c_str(), PDF_IMAGE_PDFIMG, 0, 0,
                                     0, &w, &hgt, &sx, &sy, 1));
    float z[4] = {};
    EXPECT_EQ(-1, opdf_rawImportImage(ctx, dir.file("bad.pdfimg").c_str(), 5, 0, 0, 0, &z[0],
                                      &z[1], &z[2], &z[3], 0));
    EXPECT_TRUE(hasReport(global, "File is not a PDFIMG format image: " + dir.file("bad.pdfimg")));
    EXPECT_EQ(-1, opdf_rawImportImage(ctx, dir.file("nooffset.pdfimg").c_str(), 5, 0, 0, 0, &z[0],
                                      &z[1], &z[2], &z[3], 0));
    EXPECT_TRUE(hasReport(global, "PDFIMG file [" + dir.file("nooffset.pdfimg") +
                                      "] lacks ImageDataOffset entry"));
    // a /Length beyond the file's end is refused at once
    EXPECT_EQ(-1, opdf_rawImportImage(ctx, dir.file("long.pdfimg").c_str(), 5, 0, 0, 0, &z[0],
                                      &z[1], &z[2], &z[3], 0));
    std::string pdf = finish();
    auto dicts = imageDictionaries(pdf);
    ASSERT_EQ(1u, dicts.size());
    const std::string expected = "/Name /OR0\n" + lines;
    EXPECT_EQ(expected, dicts[0].substr(dicts[0].find("/Name")));
    EXPECT_NE(std::string::npos, pdf.find(lines + ">>\nstream\n" + jpg + "\nendstream\n"));
    if (toolAvailable("qpdf")) {
        EXPECT_EQ("", qpdfCheck(pdfPath()));
    }
}

TEST_F(ImagePlacement, TheHundredAndFirstImageIsRefused)
{
    open(false);
    std::vector<unsigned char> px(4, 9);
    for (int i = 0; i < 100; i++)
        ASSERT_EQ(0, placeRaw(ctx, ("i" + std::to_string(i)).c_str(), px, 2, 2, 1, 8, 0));
    EXPECT_EQ(-1, placeRaw(ctx, "i100", px, 2, 2, 1, 8, 0));
    EXPECT_TRUE(hasReport(reports, "Too many images in this PDF: 100. Increase limits by opdf_open()"));
    EXPECT_EQ(100, ctx->imageCount);
    std::string pdf = finish();
    EXPECT_EQ(100u, imageDictionaries(pdf).size());
    EXPECT_NE(std::string::npos, pdf.find("/OR99 "));
}

TEST_F(ImagePlacement, LargeLimitsGrowTheTableOnDemand)
{
    PDFDocLimits limits{10, 10, 500000, 10, 2000, 4};
    open(false, 200, 100, &limits);
    EXPECT_EQ(0, ctx->imageCapacity);
    std::vector<unsigned char> px(4, 9);
    for (int i = 0; i < 40; i++)
        ASSERT_EQ(0, placeRaw(ctx, ("g" + std::to_string(i)).c_str(), px, 2, 2, 1, 8, 0));
    EXPECT_GE(ctx->imageCapacity, 40);
    EXPECT_LT(ctx->imageCapacity, 1000);
    // every name is found again after the table and its index grew
    for (int i = 0; i < 40; i++)
        ASSERT_EQ(0, placeRaw(ctx, ("g" + std::to_string(i)).c_str(), px, 2, 2, 1, 8, 0));
    EXPECT_EQ(40, ctx->imageCount);
    // the same key under another TIFF image index is another image
    opdf_setImportImageIndex(ctx, 3);
    EXPECT_EQ(1, opdf_findImage(ctx, "g7", 3, nullptr));
    EXPECT_EQ(0, opdf_findImage(ctx, "g7", 0, nullptr));
    finish();
}

TEST_F(ImagePlacement, FailedJPEGRowIsPassedOverAndLeftOut)
{
    open(false);
    const unsigned char notJPEG[] = {0xFF, 0x00, 1, 2};
    EXPECT_EQ(-2, opdf_rawplaceImageData(ctx, "j", notJPEG, 4, 1, 1, 3, 8, 0, 0, 0, 1, 1, 0,
                                         nullptr, PDF_IMAGE_JPEG, -1, nullptr, nullptr, -1));
    EXPECT_TRUE(hasReport(reports, "Not a JPEG buffer?"));
    std::vector<unsigned char> px(4, 9);
    // the same name later finds nothing and registers again
    EXPECT_EQ(0, opdf_rawplaceImageData(ctx, "j", px.data(), 4, 2, 2, 1, 8, 0, 0, 0, 2, 2, 0,
                                        nullptr, PDF_IMAGE_RAW, -1, nullptr, nullptr, -1));
    EXPECT_EQ(2, ctx->imageCount);
    std::string pdf = finish();
    auto dicts = imageDictionaries(pdf);
    ASSERT_EQ(1u, dicts.size());
    EXPECT_NE(std::string::npos, dicts[0].find("/Name /OR1\n"));
    EXPECT_EQ(std::string::npos, pdf.find("/OR0"));
    if (toolAvailable("qpdf")) {
        EXPECT_EQ("", qpdfCheck(pdfPath()));
    }
}

TEST_F(ImagePlacement, RegistrationRefusesWhatHasNoColourSpace)
{
    open(false);
    std::vector<unsigned char> px(50, 1);
    EXPECT_EQ(-1, placeRaw(ctx, "five", px, 2, 2, 5, 8, 0));
    const unsigned char table[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    PDFImageAttributes attrs{table, 4, 2, 0};
    EXPECT_EQ(-1, placeRaw(ctx, "kind4", px, 2, 2, 1, 8, 0, -1, &attrs));
    EXPECT_EQ(0, ctx->imageCount);
    finish();
}

TEST_F(ImagePlacement, UnsupportedCompressionLeavesNoDrawnRow)
{
    open(true);
    std::vector<unsigned char> px(4, 1);
    EXPECT_EQ(-1, placeRaw(ctx, "c5", px, 2, 2, 1, 8, 0, 5));
    EXPECT_TRUE(hasReport(reports, "Unsupported compression(5) passed to qelPDFLib"));
    EXPECT_EQ(std::string::npos, currentContent(ctx).find("Do"));
    std::string pdf = finish();
    EXPECT_TRUE(imageDictionaries(pdf).empty());
}

TEST_F(ImagePlacement, MissingOrShortFileEndsTheDocumentWithItsName)
{
    for (bool shortFile : {false, true}) {
        const std::string path = dir.file(shortFile ? "short.raw" : "gone.raw");
        writeFile(path, std::string(64, 'x'));
        open(false);
        ASSERT_EQ(0, opdf_rawplaceImageFile(ctx, path.c_str(), 8, 8, 1, 8, 0, 0, 0, 8, 8, 0,
                                            nullptr, PDF_IMAGE_RAW, -1, nullptr, -1));
        if (shortFile)
            writeFile(path, std::string(10, 'x'));
        else
            std::remove(path.c_str());
        finish(-1);
        EXPECT_TRUE(hasReport(reports, "Cannot read image file: " + path));
        reports.clear();
    }
}

TEST_F(ImagePlacement, DrawingOperatorsAndRotationThreshold)
{
    open(false);
    std::vector<unsigned char> px(4, 1);
    ASSERT_EQ(0, opdf_rawplaceImageData(ctx, "a", px.data(), 4, 2, 2, 1, 8, 10, 20, 0.0005f, 30,
                                        40, 1, nullptr, PDF_IMAGE_RAW, -1, nullptr, nullptr, -1));
    const std::string first = currentContent(ctx);
    ASSERT_EQ(0, opdf_rawplaceImageData(ctx, "a", px.data(), 4, 2, 2, 1, 8, 10, 20, -0.002f, 30,
                                        40, 0, nullptr, PDF_IMAGE_RAW, -1, nullptr, nullptr, -1));
    const std::string all = currentContent(ctx);
    const std::string second = all.substr(first.size());
    auto count = [](const std::string& s, const std::string& what) {
        size_t n = 0;
        for (size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + 1))
            n++;
        return n;
    };
    EXPECT_EQ(0u, first.find("\nq\n"));
    EXPECT_NE(std::string::npos, first.find("/OR0 Do\nQ\n"));
    EXPECT_EQ(2u, count(first, " cm\n")) << first;
    EXPECT_EQ(3u, count(second, " cm\n")) << second;
    EXPECT_EQ(std::string::npos, second.find("q\n"));
    finish();
}

TEST_F(ImagePlacement, ImportSizeRule)
{
    if (!toolAvailable("cjpeg"))
        GTEST_SKIP() << "cjpeg missing";
    const std::string jpg = makeJPEG("size", 40, 20, "");
    struct Case {
        float w, h, sx, sy;
        float outW, outH, outSx, outSy;
        const char* matrix;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 40, 0, 1, 1, "40.0000 0.0000 0.0000 20.0000 0.0000 0.0000 cm"},
        {80, 0, 0, 0, 80, 0, 2, 2, "80.0000 0.0000 0.0000 40.0000 0.0000 0.0000 cm"},
        {0, 10, 0, 0, 0, 10, 0.5f, 0.5f, "20.0000 0.0000 0.0000 10.0000 0.0000 0.0000 cm"},
        {0, 0, 3, 0, 120, 0, 3, 3, "120.0000 0.0000 0.0000 60.0000 0.0000 0.0000 cm"},
        {0, 0, 0, 2, 80, 40, 2, 2, "80.0000 0.0000 0.0000 40.0000 0.0000 0.0000 cm"},
        {10, 30, 0, 0, 10, 30, 0.25f, 1.5f, "10.0000 0.0000 0.0000 30.0000 0.0000 0.0000 cm"},
    };
    for (const auto& c : cases) {
        open(false);
        float w = c.w, h = c.h, sx = c.sx, sy = c.sy;
        ASSERT_EQ(0, opdf_rawImportImage(ctx, jpg.c_str(), 0, 0, 0, 0, &w, &h, &sx, &sy, 0));
        EXPECT_FLOAT_EQ(c.outW, w);
        EXPECT_FLOAT_EQ(c.outH, h);
        EXPECT_FLOAT_EQ(c.outSx, sx);
        EXPECT_FLOAT_EQ(c.outSy, sy);
        EXPECT_NE(std::string::npos, currentContent(ctx).find(c.matrix)) << currentContent(ctx);
        finish();
    }
}

TEST_F(ImagePlacement, JPEGHeaderScanReportsAndCodes)
{
    open(false);
    struct Case {
        std::vector<unsigned char> bytes;
        int result;
        const char* report;
    };
    const std::vector<unsigned char> sof = {0xFF, 0xC0, 0x00, 0x0B, 8, 0, 4, 0, 6, 3, 1, 0x11, 0};
    auto join = [](std::vector<unsigned char> a, const std::vector<unsigned char>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const std::vector<Case> cases = {
        {{0xFF, 0x00, 0xFF, 0xD9}, -2, "Not a JPEG file"},
        {join(join({0x00, 0xD8}, {0xFF, 0xC0, 0x00, 0x11, 8, 0, 4, 0, 6, 1, 1, 0x11, 0}), {0xFF, 0xD9}), 0, "Not a JPEG file"},
        {join(join({0xFF, 0xD8}, sof), {0, 0, 0, 0, 0, 0, 0xFF, 0xDA}), 0, "Bogus SOF marker length"},
        {{0xFF, 0xD8, 0xFF, 0xE0, 0x00}, -3, "Premature EOF in JPEG file"},
        {{0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x01, 0xFF, 0xD9}, -4, "Erroneous JPEG marker length"},
        {{0xFF, 0xD8, 0x12, 0xFF, 0xD9}, 0, "Warning: garbage data found in JPEG file"},
    };
    int i = 0;
    for (const auto& c : cases) {
        global.clear();
        std::string name = "h" + std::to_string(i++);
        int r = opdf_rawplaceImageData(ctx, name.c_str(), c.bytes.data(), (long)c.bytes.size(), 1,
                                       1, 1, 8, 0, 0, 0, 1, 1, 0, nullptr, PDF_IMAGE_JPEG, -1,
                                       nullptr, nullptr, -1);
        EXPECT_EQ(c.result, r) << name;
        EXPECT_TRUE(hasReport(global, c.report)) << name;
    }
    // the bogus length still gave the frame's values
    PDFImageEntry* e = _opdf_imageRow(ctx, 2);
    ASSERT_NE(nullptr, e);
    EXPECT_EQ(6, e->width);
    EXPECT_EQ(4, e->height);
    EXPECT_EQ(3, e->components);
    finish();
}

TEST_F(ImagePlacement, CCITTEncoderModesAndArguments)
{
    open(false);
    const int w = 40, h = 20;
    auto bits = bilevelRows(w, h);
    unsigned char* g3 = nullptr;
    unsigned char* g4 = nullptr;
    long n3 = 0, n4 = 0;
    ASSERT_EQ(0, opdf_encodeCCITT(ctx, w, h, 300, 1, bits.data(), (long)bits.size(), &g3, &n3));
    ASSERT_EQ(0, opdf_encodeCCITT(ctx, w, h, 300, 2, bits.data(), (long)bits.size(), &g4, &n4));
    EXPECT_GT(n3, 0);
    EXPECT_GT(n4, 0);
    EXPECT_NE(std::string((char*)g3, (size_t)n3), std::string((char*)g4, (size_t)n4));
    opdf_free(g3);
    opdf_free(g4);
    unsigned char* none = nullptr;
    long nn = 0;
    EXPECT_EQ(-1, opdf_encodeCCITT(ctx, 0, h, 300, 2, bits.data(), (long)bits.size(), &none, &nn));
    EXPECT_EQ(-1, opdf_encodeCCITT(ctx, w, h, 300, 2, bits.data(), 10, &none, &nn));
    EXPECT_EQ(nullptr, none);
    finish();
}

} // namespace
