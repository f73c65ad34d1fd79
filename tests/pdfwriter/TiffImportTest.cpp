// TIFF files imported into PDF pages render like libtiff's RGBA reading of
// them, with compression on and off. Fixtures are written at test time:
// base files with libtiff, variants with tiffcp and tiffset.
#include <gtest/gtest.h>

#include "ImageTestSupport.h"
#include "ObjectFieldData.h"

using namespace opdftest;

namespace {

const int W = 72;
const int H = 160;

enum Base { GREY8, RGB8, BILEVEL, PALETTE, RGBA8, GREYA8 };

struct TiffCase {
    const char* name;
    Base base;
    const char* tiffcp;  // options, or "" for the base file itself
    const char* tiffset; // options run on the result, or ""
    bool lossy;          // the data is JPEG in the file
    const char* filterOff; // expected filter with compression off ("" none)
};

// Expected filters with compression on follow the data: 8-bit grey and RGB
// become JPEG, 1 bit CCITT, taken-over strips keep theirs.
const TiffCase kCases[] = {
    {"g4", BILEVEL, "-c g4", "", false, "/CCITTFaxDecode"},
    {"g4-fill2", BILEVEL, "-c g4 -f lsb2msb", "", false, "/CCITTFaxDecode"},
    {"lzw-one-strip", RGB8, "-c lzw -r 160", "", false, "/LZWDecode"},
    {"lzw-strips", RGB8, "-c lzw -r 16", "", false, ""},
    {"lzw-predictor", GREY8, "-c lzw:2 -r 160", "", false, "/LZWDecode"},
    {"jpeg-3-strips", RGB8, "-c jpeg -r 64", "", true, "/DCTDecode"},
    {"jpeg-10-strips", RGB8, "-c jpeg -r 16", "", true, "/DCTDecode"},
    {"jpeg-rgb-10-strips", RGB8, "-c jpeg:r -r 16", "", true, "/DCTDecode"},
    {"jpeg-grey-one-strip", GREY8, "-c jpeg -r 160", "", true, "/DCTDecode"},
    {"palette", PALETTE, "", "", false, ""},
    {"palette-lzw", PALETTE, "-c lzw -r 160", "", false, ""},
    {"planar-rgb", RGB8, "-p separate", "", false, ""},
    {"rgb-alpha", RGBA8, "", "", false, ""},
    {"grey-alpha", GREYA8, "-c lzw", "", false, ""},
    {"grey-blackiszero", GREY8, "", "", false, ""},
    {"grey-whiteiszero", GREY8, "", "-s 262 0", false, ""},
    {"bilevel-whiteiszero", BILEVEL, "", "", false, ""},
    {"bilevel-blackiszero", BILEVEL, "", "-s 262 1", false, ""},
    {"g4-whiteiszero", BILEVEL, "-c g4", "", false, "/CCITTFaxDecode"},
    {"g4-blackiszero", BILEVEL, "-c g4", "-s 262 1", false, "/CCITTFaxDecode"},
};

class TiffImport : public ::testing::TestWithParam<TiffCase> {
protected:
    TempDir dir;
    std::vector<Reported> reports;

    std::string makeBase(Base base)
    {
        const std::string path = dir.file("base.tif");
        std::vector<unsigned char> rows;
        TiffLayout l{W, H, 1, 8, PHOTOMETRIC_MINISBLACK, 0, {}};
        switch (base) {
        case GREY8:
        case GREYA8:
            l.samples = base == GREYA8 ? 2 : 1;
            l.extraSamples = base == GREYA8 ? 1 : 0;
            for (int y = 0; y < H; y++)
                for (int x = 0; x < W; x++) {
                    rows.push_back(sampleAt(x, y, 0, W, H) / 2 + sampleAt(x, y, 1, W, H) / 2);
                    if (base == GREYA8)
                        rows.push_back(x < W / 2 ? 255 : 128);
                }
            break;
        case RGB8:
        case RGBA8:
            l.samples = base == RGBA8 ? 4 : 3;
            l.extraSamples = base == RGBA8 ? 1 : 0;
            l.photometric = PHOTOMETRIC_RGB;
            for (int y = 0; y < H; y++)
                for (int x = 0; x < W; x++) {
                    for (int c = 0; c < 3; c++)
                        rows.push_back(sampleAt(x, y, c, W, H));
                    if (base == RGBA8)
                        rows.push_back(y < H / 2 ? 255 : 90);
                }
            break;
        case BILEVEL:
            l.bits = 1;
            l.photometric = PHOTOMETRIC_MINISWHITE;
            rows = bilevelRows(W, H);
            break;
        case PALETTE:
            l.photometric = PHOTOMETRIC_PALETTE;
            l.colorMap.resize(3 * 256);
            for (int i = 0; i < 256; i++) {
                l.colorMap[i] = (uint16_t)(i * 257);
                l.colorMap[256 + i] = (uint16_t)((255 - i) * 257);
                l.colorMap[512 + i] = (uint16_t)(std::abs(128 - i) * 2 * 257 / 2);
            }
            for (int y = 0; y < H; y++)
                for (int x = 0; x < W; x++)
                    rows.push_back((unsigned char)((x + y) * 255 / (W + H)));
            break;
        }
        EXPECT_TRUE(writeTiff(path, l, rows));
        return path;
    }

    std::string makeCase(const TiffCase& c)
    {
        std::string path = makeBase(c.base);
        if (*c.tiffcp) {
            const std::string out = dir.file("case.tif");
            CommandResult r = run(std::string("tiffcp ") + c.tiffcp + " '" + path + "' '" + out + "'");
            EXPECT_EQ(0, r.status) << r.output;
            path = out;
        }
        if (*c.tiffset) {
            CommandResult r = run(std::string("tiffset ") + c.tiffset + " '" + path + "'");
            EXPECT_EQ(0, r.status) << r.output;
        }
        return path;
    }

    // Imports the file on a page of its pixel size and returns the PDF's bytes.
    std::string importInto(const std::string& tiff, bool compress, const std::string& pdfName,
                           unsigned flags = 1, int expected = 0)
    {
        PDFDocContext* ctx = opdf_open(0, nullptr);
        collectReports(ctx, &reports);
        opdf_setOmitVariableInfo(ctx, 1);
        if (compress)
            opdf_setCompression(ctx, 1);
        EXPECT_EQ(0, opdf_init(ctx));
        std::string box = "0 0 " + std::to_string(W) + " " + std::to_string(H);
        EXPECT_EQ(0, opdf_pageInit(ctx, 1, 0, box.c_str(), box.c_str()));
        float w = 0, h = 0, sx = 0, sy = 0;
        EXPECT_EQ(0, opdf_rawImportImage(ctx, tiff.c_str(), PDF_IMAGE_TIFF, 0, 0, 0, &w, &h, &sx,
                                         &sy, flags));
        EXPECT_EQ(expected, opdf_finalizeAll(ctx));
        unsigned len = 0;
        const unsigned char* b = opdf_getMemoryOutput(ctx, &len);
        std::string pdf(b ? (const char*)b : "", b ? len : 0);
        writeFile(dir.file(pdfName), pdf);
        opdf_close(ctx);
        return pdf;
    }
};

TEST_P(TiffImport, RendersLikeLibtiffWithCompressionOnAndOff)
{
    const TiffCase& c = GetParam();
    if (!imageToolsAvailable() || !toolAvailable("tiffcp") || !toolAvailable("tiffset"))
        GTEST_SKIP() << "checkers missing";
    const std::string tiff = makeCase(c);
    const Raster expected = tiffRGBA(tiff);
    ASSERT_EQ(W, expected.width);
    for (bool on : {false, true}) {
        SCOPED_TRACE(on ? "compression on" : "compression off");
        const std::string name = on ? "on.pdf" : "off.pdf";
        std::string pdf = importInto(tiff, on, name);
        EXPECT_EQ("", qpdfCheck(dir.file(name)));
        auto dicts = imageDictionaries(pdf);
        ASSERT_EQ(1u, dicts.size());
        const std::string& d = dicts[0];
        if (!on) {
            if (*c.filterOff)
                EXPECT_NE(std::string::npos, d.find(std::string("/Filter ") + c.filterOff)) << d;
            else
                EXPECT_EQ(std::string::npos, d.find("/Filter")) << d;
        }
        // no /Decode longer than the colour space allows
        EXPECT_EQ(std::string::npos, d.find("/Decode [1 0 1 0 1 0 1 0]")) << d;
        Raster got = renderPoints(dir.file(name), dir.file(on ? "on" : "off"));
        Difference diff = compareRGB(expected, got);
        const bool lossy = c.lossy || (on && (d.find("/DCTDecode") != std::string::npos));
        if (lossy) {
            EXPECT_LE(diff.mean, 4.0) << d;
            EXPECT_LE(diff.max, 90) << d;
        } else {
            EXPECT_LE(diff.max, 1) << d;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Files, TiffImport, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<TiffCase>& i) {
                             std::string n = i.param.name;
                             std::replace(n.begin(), n.end(), '-', '_');
                             return n;
                         });

class TiffImportDetails : public TiffImport {};

TEST_F(TiffImportDetails, TakenOverStripsKeepTheirBytes)
{
    if (!toolAvailable("tiffcp"))
        GTEST_SKIP() << "tiffcp missing";
    // G4 in FillOrder 1 and 2: one PDF stream, the same bits
    const std::string base = makeBase(BILEVEL);
    ASSERT_EQ(0, run("tiffcp -c g4 '" + base + "' '" + dir.file("g4.tif") + "'").status);
    ASSERT_EQ(0, run("tiffcp -c g4 -f lsb2msb '" + base + "' '" + dir.file("g4r.tif") + "'").status);
    const std::string strip = rawStrip(dir.file("g4.tif"));
    ASSERT_FALSE(strip.empty());
    for (const char* f : {"g4.tif", "g4r.tif"}) {
        std::string pdf = importInto(dir.file(f), true, "g4.pdf");
        EXPECT_NE(std::string::npos, pdf.find("stream\n" + strip + "\nendstream")) << f;
        EXPECT_NE(std::string::npos, pdf.find("/DecodeParms << /K -1 /Columns 72 >>"));
    }
    // LZW with Predictor 2: the strip and its predictor
    ASSERT_EQ(0, run("tiffcp -c lzw:2 -r 160 '" + makeBase(RGB8) + "' '" + dir.file("p.tif") + "'").status);
    std::string pdf = importInto(dir.file("p.tif"), true, "p.pdf");
    EXPECT_NE(std::string::npos, pdf.find("stream\n" + rawStrip(dir.file("p.tif")) + "\nendstream"));
    EXPECT_NE(std::string::npos, pdf.find("/DecodeParms<</Predictor 2\n/Columns 72\n/Colors 3>>\n"));
}

TEST_F(TiffImportDetails, JoinedJPEGStripsDecodeWithDjpeg)
{
    if (!imageToolsAvailable() || !toolAvailable("tiffcp") || !toolAvailable("djpeg"))
        GTEST_SKIP() << "checkers missing";
    for (const char* opts : {"-c jpeg -r 64", "-c jpeg -r 16", "-c jpeg:r -r 16"}) {
        SCOPED_TRACE(opts);
        ASSERT_EQ(0, run(std::string("tiffcp ") + opts + " '" + makeBase(RGB8) + "' '" +
                         dir.file("j.tif") + "'").status);
        std::string pdf = importInto(dir.file("j.tif"), false, "j.pdf");
        ASSERT_EQ(0, run("pdfimages -all '" + dir.file("j.pdf") + "' '" + dir.file("j") + "'").status);
        const std::string jpg = readFile(dir.file("j-000.jpg"));
        ASSERT_FALSE(jpg.empty());
        // restart markers D0, D1, ... in order, one fewer than the strips
        const int strips = std::string(opts).find("64") != std::string::npos ? 3 : 10;
        size_t at = 0;
        for (int i = 0; i < strips - 1; i++) {
            const std::string marker = std::string("\xFF") + (char)(0xD0 + i % 8);
            at = jpg.find(marker, at);
            ASSERT_NE(std::string::npos, at) << "marker " << i;
            at += 2;
        }
        EXPECT_EQ(0, jpg.compare(jpg.size() - 2, 2, "\xFF\xD9"));
        CommandResult d = run("djpeg -outfile '" + dir.file("j.ppm") + "' '" + dir.file("j-000.jpg") + "'");
        EXPECT_EQ(0, d.status) << d.output;
        Raster r = readPNM(dir.file("j.ppm"));
        EXPECT_EQ(W, r.width);
        EXPECT_EQ(H, r.height);
    }
}

TEST_F(TiffImportDetails, DirectoryIndexAndRefusedFiles)
{
    if (!toolAvailable("tiffcp"))
        GTEST_SKIP() << "tiffcp missing";
    const std::string base = makeBase(GREY8);
    ASSERT_EQ(0, run("tiffcp '" + base + "' '" + base + "' '" + dir.file("two.tif") + "'").status);
    ASSERT_EQ(0, run("tiffcp -t '" + base + "' '" + dir.file("tiled.tif") + "'").status);
    writeFile(dir.file("junk.tif"), "II*\0junk");
    ASSERT_EQ(0, run("cp '" + base + "' '" + dir.file("nospp.tif") + "' && tiffset -u 277 '" +
                     dir.file("nospp.tif") + "'").status);
    std::vector<Reported> global;
    static std::vector<Reported>* sink;
    sink = &global;
    opdf_setGlobalErrorHandler([](int level, const char* module, const char* format, va_list args) {
        char buf[2048];
        vsnprintf(buf, sizeof buf, format, args);
        sink->push_back({level, module ? module : "", buf});
        return 0;
    });
    PDFDocContext* ctx = opdf_open(0, nullptr);
    collectReports(ctx, &reports);
    ASSERT_EQ(0, opdf_init(ctx));
    ASSERT_EQ(0, opdf_pageInit(ctx, 1, 0, "0 0 100 100", "0 0 100 100"));
    float v[4] = {};
    opdf_setImportImageIndex(ctx, 1);
    EXPECT_EQ(0, opdf_rawImportImage(ctx, dir.file("two.tif").c_str(), 3, 0, 0, 0, &v[0], &v[1],
                                     &v[2], &v[3], 0));
    opdf_setImportImageIndex(ctx, 2);
    EXPECT_EQ(-1, opdf_rawImportImage(ctx, dir.file("two.tif").c_str(), 3, 0, 0, 0, &v[0], &v[1],
                                      &v[2], &v[3], 0));
    EXPECT_TRUE(hasReport(global, "Can't open TIFF directory for 3-th image for file: " + dir.file("two.tif")));
    opdf_setImportImageIndex(ctx, 0); // the index stays for TIFF imports
    EXPECT_EQ(-1, opdf_rawImportImage(ctx, dir.file("tiled.tif").c_str(), 3, 0, 0, 0, &v[0], &v[1],
                                      &v[2], &v[3], 0));
    EXPECT_TRUE(hasReport(global, "Tiled TIFF is not supported, file: " + dir.file("tiled.tif")));
    // libtiff's own reports go to the document's TIFF handler during the call only
    static std::vector<std::string> tiffErrors;
    tiffErrors.clear();
    opdf_setTIFFErrorHandler(ctx, [](const char*, const char* format, va_list args) {
        char buf[1024];
        vsnprintf(buf, sizeof buf, format, args);
        tiffErrors.push_back(buf);
    });
    TIFFErrorHandler before = TIFFSetErrorHandler(nullptr);
    TIFFSetErrorHandler(before);
    EXPECT_EQ(-1, opdf_rawImportImage(ctx, dir.file("junk.tif").c_str(), 3, 0, 0, 0, &v[0], &v[1],
                                      &v[2], &v[3], 0));
    EXPECT_FALSE(tiffErrors.empty());
    TIFFErrorHandler after = TIFFSetErrorHandler(before);
    EXPECT_EQ(before, after);
    EXPECT_EQ(-1, opdf_rawImportImage(ctx, dir.file("nospp.tif").c_str(), 3, 0, 0, 0, &v[0], &v[1],
                                      &v[2], &v[3], 0));
    EXPECT_TRUE(hasReport(global, "Missing tag TIFFTAG_SAMPLESPERPIXEL in TIFF " + dir.file("nospp.tif")));
    EXPECT_EQ(-4, opdf_rawImportImage(ctx, base.c_str(), 7, 0, 0, 0, &v[0], &v[1], &v[2], &v[3], 0));
    EXPECT_EQ(1, ctx->imageCount);
    EXPECT_EQ(0, opdf_finalizeAll(ctx));
    opdf_close(ctx);
    opdf_setGlobalErrorHandler(nullptr);
}

TEST_F(TiffImportDetails, CMYKSamplesStayCMYKAndAreNeverJPEG)
{
    if (!toolAvailable("qpdf"))
        GTEST_SKIP() << "qpdf missing";
    std::vector<unsigned char> rows;
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++)
            for (int c = 0; c < 4; c++)
                rows.push_back(sampleAt(x, y, c % 3, W, H));
    ASSERT_TRUE(writeTiff(dir.file("cmyk.tif"), {W, H, 4, 8, PHOTOMETRIC_SEPARATED, 0, {}}, rows));
    for (bool on : {false, true}) {
        std::string pdf = importInto(dir.file("cmyk.tif"), on, "cmyk.pdf");
        EXPECT_EQ("", qpdfCheck(dir.file("cmyk.pdf")));
        auto dicts = imageDictionaries(pdf);
        ASSERT_EQ(1u, dicts.size());
        EXPECT_NE(std::string::npos, dicts[0].find("/ColorSpace /DeviceCMYK"));
        EXPECT_EQ(std::string::npos, dicts[0].find("/DCTDecode"));
        EXPECT_EQ(on, dicts[0].find("/FlateDecode") != std::string::npos);
        if (!on) {
            EXPECT_NE(std::string::npos, dicts[0].find("/Length " + std::to_string(W * H * 4) + "\n"));
        }
    }
}

TEST_F(TiffImportDetails, FileChangedToJunkBeforeFinalizeEndsTheDocument)
{
    const std::string base = makeBase(GREY8);
    PDFDocContext* ctx = opdf_open(0, nullptr);
    collectReports(ctx, &reports);
    ASSERT_EQ(0, opdf_init(ctx));
    ASSERT_EQ(0, opdf_pageInit(ctx, 1, 0, "0 0 100 100", "0 0 100 100"));
    float v[4] = {};
    ASSERT_EQ(0, opdf_rawImportImage(ctx, base.c_str(), 3, 0, 0, 0, &v[0], &v[1], &v[2], &v[3], 0));
    writeFile(base, "not a tiff at all");
    EXPECT_EQ(-1, opdf_finalizeAll(ctx));
    unsigned len = 0;
    const unsigned char* b = opdf_getMemoryOutput(ctx, &len);
    EXPECT_EQ(std::string::npos, std::string((const char*)b, len).find("xref"));
    opdf_close(ctx);
}

// The object containers of an AFP file made by FOP: a JPEG, a G4 TIFF and an
// RGB TIFF, none of the TIFFs with resolution tags.
TEST_F(TiffImportDetails, FOPContainersPlaceAndImport)
{
    if (!imageToolsAvailable())
        GTEST_SKIP() << "checkers missing";
    const std::string afp = std::string(LORBANE_TEST_DATA) + "/fop/fop-images-native.afp";
    const std::string ref = std::string(LORBANE_TEST_DATA) + "/fop/fop-images-native.ref.pdf";
    std::string containers[3];
    for (int i = 0; i < 3; i++) {
        lrbtest::Bytes b = lrbtest::objectFieldData(afp, {0xA892, 0xEE92, 0xA992}, i + 1);
        containers[i].assign(b.begin(), b.end());
        ASSERT_FALSE(containers[i].empty()) << i;
    }
    ASSERT_EQ(0, containers[0].compare(0, 2, "\xFF\xD8"));
    writeFile(dir.file("g4.tif"), containers[1]);
    writeFile(dir.file("rgb.tif"), containers[2]);
    ASSERT_EQ(0, run("pdfimages -all '" + ref + "' '" + dir.file("ref") + "'").status);

    PDFDocContext* ctx = opdf_open(0, nullptr);
    collectReports(ctx, &reports);
    ASSERT_EQ(0, opdf_init(ctx));
    ASSERT_EQ(0, opdf_pageInit(ctx, 1, 0, "0 0 400 300", "0 0 400 300"));
    ASSERT_EQ(0, opdf_rawplaceImageData(ctx, "photo", (const unsigned char*)containers[0].data(),
                                        (long)containers[0].size(), 0, 0, 3, 8, 0, 0, 0, 320, 200,
                                        1, nullptr, PDF_IMAGE_JPEG, -1, nullptr, nullptr, -1));
    float v[4] = {};
    ASSERT_EQ(0, opdf_rawImportImage(ctx, dir.file("g4.tif").c_str(), 3, 0, 0, 0, &v[0], &v[1],
                                     &v[2], &v[3], 1));
    EXPECT_FLOAT_EQ(300, v[0]) << "sized by its pixels";
    EXPECT_FLOAT_EQ(1, v[2]);
    ASSERT_EQ(0, opdf_pageInit(ctx, 2, 0, "0 0 200 100", "0 0 200 100"));
    float u[4] = {};
    ASSERT_EQ(0, opdf_rawImportImage(ctx, dir.file("rgb.tif").c_str(), 3, 0, 0, 0, &u[0], &u[1],
                                     &u[2], &u[3], 1));
    ASSERT_EQ(0, opdf_finalizeAll(ctx));
    unsigned len = 0;
    const unsigned char* b = opdf_getMemoryOutput(ctx, &len);
    writeFile(dir.file("fop.pdf"), std::string((const char*)b, len));
    opdf_close(ctx);
    EXPECT_EQ("", qpdfCheck(dir.file("fop.pdf")));
    ASSERT_EQ(0, run("pdfimages -all '" + dir.file("fop.pdf") + "' '" + dir.file("our") + "'").status);
    EXPECT_EQ(readFile(dir.file("ref-000.jpg")), readFile(dir.file("our-000.jpg")));
    const std::string ccitt = readFile(dir.file("our-001.ccitt"));
    EXPECT_FALSE(ccitt.empty());
    EXPECT_EQ(readFile(dir.file("ref-001.ccitt")), ccitt);
    Raster expected = tiffRGBA(dir.file("rgb.tif"));
    Raster got = renderPoints(dir.file("fop.pdf"), dir.file("page2"), 2);
    EXPECT_LE(compareRGB(expected, got).max, 1);
}

// An old-style JPEG TIFF (compression 6) assembled here from a cjpeg file:
// its tables at offsets named by the JPEG table tags, its scan cut at the
// restart markers into strips of 16 rows.
std::string oldStyleJPEGTiff(const std::string& jpeg, int w, int h)
{
    std::string qtable, dc, ac, scan;
    size_t p = 2;
    while (p + 4 <= jpeg.size() && (unsigned char)jpeg[p] == 0xFF) {
        const int m = (unsigned char)jpeg[p + 1];
        const size_t len = ((unsigned char)jpeg[p + 2] << 8) | (unsigned char)jpeg[p + 3];
        const std::string body = jpeg.substr(p + 4, len - 2);
        if (m == 0xDB)
            qtable = body.substr(1, 64);
        if (m == 0xC4) {
            size_t q = 0;
            while (q < body.size()) {
                int n = 0;
                for (int i = 0; i < 16; i++)
                    n += (unsigned char)body[q + 1 + i];
                (body[q] & 0x10 ? ac : dc) = body.substr(q + 1, 16 + n);
                q += 17 + n;
            }
        }
        if (m == 0xDA) {
            scan = jpeg.substr(p + 2 + len, jpeg.size() - (p + 2 + len) - 2);
            break;
        }
        p += 2 + len;
    }
    std::vector<std::string> strips(1);
    for (size_t i = 0; i < scan.size(); i++) {
        if ((unsigned char)scan[i] == 0xFF && i + 1 < scan.size() &&
            ((unsigned char)scan[i + 1] & 0xF8) == 0xD0) {
            strips.emplace_back();
            i++;
            continue;
        }
        strips.back() += scan[i];
    }
    std::string out = std::string("II*\0\0\0\0\0", 8);
    auto put32 = [](std::string& s, uint32_t v) {
        for (int i = 0; i < 4; i++)
            s += (char)((v >> (8 * i)) & 255);
    };
    auto put16le = [](std::string& s, uint16_t v) {
        s += (char)(v & 255);
        s += (char)(v >> 8);
    };
    const uint32_t qAt = (uint32_t)out.size();
    out += qtable;
    const uint32_t dcAt = (uint32_t)out.size();
    out += dc;
    const uint32_t acAt = (uint32_t)out.size();
    out += ac;
    std::vector<uint32_t> offsets, counts;
    for (const auto& st : strips) {
        offsets.push_back((uint32_t)out.size());
        counts.push_back((uint32_t)st.size());
        out += st;
    }
    if (out.size() % 2)
        out += '\0';
    const uint32_t offAt = (uint32_t)out.size();
    for (uint32_t v : offsets)
        put32(out, v);
    const uint32_t cntAt = (uint32_t)out.size();
    for (uint32_t v : counts)
        put32(out, v);
    const uint32_t ifd = (uint32_t)out.size();
    for (int i = 0; i < 4; i++)
        out[4 + i] = (char)((ifd >> (8 * i)) & 255);
    struct Entry {
        uint16_t tag, type;
        uint32_t count, value;
    };
    const uint32_t n = (uint32_t)strips.size();
    const Entry entries[] = {{256, 3, 1, (uint32_t)w},   {257, 3, 1, (uint32_t)h},
                             {258, 3, 1, 8},             {259, 3, 1, 6},
                             {262, 3, 1, 1},             {273, 4, n, n > 1 ? offAt : offsets[0]},
                             {277, 3, 1, 1},             {278, 3, 1, 16},
                             {279, 4, n, n > 1 ? cntAt : counts[0]}, {512, 3, 1, 1},
                             {519, 4, 1, qAt},           {520, 4, 1, dcAt},
                             {521, 4, 1, acAt}};
    put16le(out, (uint16_t)(sizeof entries / sizeof entries[0]));
    for (const auto& e : entries) {
        put16le(out, e.tag);
        put16le(out, e.type);
        put32(out, e.count);
        put32(out, e.value);
    }
    put32(out, 0);
    return out;
}

TEST_F(TiffImportDetails, OldStyleJPEGStripsGetAHeaderFromTheirTags)
{
    if (!imageToolsAvailable() || !toolAvailable("cjpeg"))
        GTEST_SKIP() << "checkers missing";
    const int w = 64, h = 48;
    Raster grey{w, h, 1, {}};
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            grey.pixels.push_back((unsigned char)(x * 3 + y));
    writePNM(dir.file("g.pgm"), grey);
    ASSERT_EQ(0, run("cjpeg -grayscale -quality 90 -restart 2 -outfile '" + dir.file("g.jpg") + "' '" +
                     dir.file("g.pgm") + "'").status);
    writeFile(dir.file("ojpeg.tif"), oldStyleJPEGTiff(readFile(dir.file("g.jpg")), w, h));
    PDFDocContext* ctx = opdf_open(0, nullptr);
    collectReports(ctx, &reports);
    ASSERT_EQ(0, opdf_init(ctx));
    ASSERT_EQ(0, opdf_pageInit(ctx, 1, 0, "0 0 64 48", "0 0 64 48"));
    float v[4] = {};
    ASSERT_EQ(0, opdf_rawImportImage(ctx, dir.file("ojpeg.tif").c_str(), 3, 0, 0, 0, &v[0], &v[1],
                                     &v[2], &v[3], 1));
    ASSERT_EQ(0, opdf_finalizeAll(ctx));
    unsigned len = 0;
    const unsigned char* b = opdf_getMemoryOutput(ctx, &len);
    const std::string pdf((const char*)b, len);
    writeFile(dir.file("o.pdf"), pdf);
    opdf_close(ctx);
    EXPECT_EQ("", qpdfCheck(dir.file("o.pdf")));
    EXPECT_NE(std::string::npos, pdf.find("/Filter /DCTDecode"));
    ASSERT_EQ(0, run("pdfimages -all '" + dir.file("o.pdf") + "' '" + dir.file("o") + "'").status);
    const std::string jpg = readFile(dir.file("o-000.jpg"));
    EXPECT_NE(std::string::npos, jpg.find("\xFF\xDD\x00\x04\x00\x10", 0, 6)) << "8 x 2 MCUs a strip";
    EXPECT_NE(std::string::npos, jpg.find("\xFF\xD1"));
    Raster got = renderPoints(dir.file("o.pdf"), dir.file("o"));
    ASSERT_EQ(w, got.width);
    double sum = 0;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            sum += std::abs((int)got.at(x, y)[0] - (int)grey.at(x, y)[0]);
    EXPECT_LE(sum / (w * h), 3.0);
}

} // namespace
