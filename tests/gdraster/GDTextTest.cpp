#include "GDRasterFixture.h"

#include "qelGDFontCache.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <sstream>

namespace {

const char* const kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char* const kC059 = "/usr/share/fonts/X11/Type1/C059-Roman.pfb";
const char* const kC059Afm = "/usr/share/fonts/type1/urw-base35/C059-Roman.afm";
const char* const kSymbols = "/usr/share/fonts/X11/Type1/StandardSymbolsPS.pfb";
const char* const kOneCharmap = "/usr/share/fonts/truetype/noto/NotoMono-Regular.ttf";

void copyFile(const std::string& from, const std::string& to)
{
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
}

void writeFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// GDFONTPATH for one test.
class FontPathScope
{
public:
    explicit FontPathScope(const std::string& dirs)
    {
        const char* old = std::getenv("GDFONTPATH");
        m_had = old != nullptr;
        if (old)
            m_old = old;
        ::setenv("GDFONTPATH", dirs.c_str(), 1);
    }
    ~FontPathScope()
    {
        if (m_had)
            ::setenv("GDFONTPATH", m_old.c_str(), 1);
        else
            ::unsetenv("GDFONTPATH");
    }

private:
    bool m_had = false;
    std::string m_old;
};

// A call on another thread: finishes only when no lock is left taken.
bool callElsewhereFinishes()
{
    auto f = std::async(std::launch::async, [] {
        const uint16_t text[] = {'a'};
        return qelGDImageStringFTUnicode(nullptr, nullptr, 0, kDejaVu, 12, 0, 0, 0, text, 1, nullptr, 0);
    });
    if (f.wait_for(std::chrono::seconds(10)) != std::future_status::ready)
        return false;
    return f.get() == nullptr;
}

} // namespace

class GDTextTest : public GDRasterTest
{
protected:
    void TearDown() override
    {
        qelGDFontCacheShutdown();
        qelGDFontCacheShutdownEx();
        GDRasterTest::TearDown();
    }
};

TEST_F(GDTextTest, FontSearchOrderAndDirectPaths)
{
    const std::string dir = scratch + "fonts";
    std::filesystem::create_directory(dir);
    FontPathScope scope(scratch + "empty:" + dir);
    std::string path;
    // A path with a slash is taken as it is, whatever GDFONTPATH says.
    EXPECT_EQ(qel_font_path(&path, kDejaVu), nullptr);
    EXPECT_EQ(path, kDejaVu);
    // Names without a dot try .ttf, .pfa, .pfb and .dfont in turn.
    const struct {
        std::vector<const char*> present;
        const char* expect;
    } cases[] = {
        {{"arial.dfont", "arial.pfb", "arial.pfa", "arial.ttf"}, "arial.ttf"},
        {{"arial.dfont", "arial.pfb", "arial.pfa"}, "arial.pfa"},
        {{"arial.dfont", "arial.pfb"}, "arial.pfb"},
        {{"arial.dfont"}, "arial.dfont"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expect);
        for (const char* n : {"arial.ttf", "arial.pfa", "arial.pfb", "arial.dfont"})
            std::filesystem::remove(dir + "/" + n);
        for (const char* n : c.present)
            writeFile(dir + "/" + n, "x");
        EXPECT_EQ(qel_font_path(&path, "arial"), nullptr);
        EXPECT_EQ(path, dir + "/" + c.expect);
    }
    // A list: the first name found wins; a name with a dot is taken whole.
    EXPECT_EQ(qel_font_path(&path, "nosuch;arial.dfont"), nullptr);
    EXPECT_EQ(path, dir + "/arial.dfont");
    EXPECT_STREQ(qel_font_path(&path, "nosuch;other"), "Could not find/open font");
}

TEST_F(GDTextTest, Type1MetricsBesideTheFontAreAttached)
{
    const std::string withAfm = scratch + "afm";
    const std::string withPfm = scratch + "pfm";
    const std::string badPfm = scratch + "bad";
    for (const std::string& d : {withAfm, withPfm, badPfm}) {
        std::filesystem::create_directory(d);
        copyFile(kC059, d + "/C059-Roman.pfb");
    }
    copyFile(kC059Afm, withAfm + "/C059-Roman.afm");
    copyFile(std::string(LORBANE_TEST_DATA) + "/fonts/C059-Roman.pfm", withPfm + "/C059-Roman.pfm");
    writeFile(badPfm + "/C059-Roman.pfm", "not a metrics file");
    // The byte-string routine needs an Adobe custom charmap, which Type 1
    // faces lack: the glyph-index routine measures instead.
    const char* error = nullptr;
    // With the AFM the face gains its kerning pairs.
    {
        FontPathScope scope(withAfm);
        FT_Library lib;
        ASSERT_EQ(FT_Init_FreeType(&lib), 0);
        FT_Face face;
        ASSERT_EQ(FT_New_Face(lib, (withAfm + "/C059-Roman.pfb").c_str(), 0, &face), 0);
        const FT_UInt a = FT_Get_Char_Index(face, 'A'), v = FT_Get_Char_Index(face, 'V');
        FT_Done_Face(face);
        FT_Done_FreeType(lib);
        const uint16_t glyphs[] = {static_cast<uint16_t>(a), static_cast<uint16_t>(v)};
        double first[2] = {};
        for (int kerning = 0; kerning < 2; ++kerning) {
            qelGDStringExtra extra;
            extra.flags = QEL_GDFT_RESOLUTION | QEL_GDFT_XSHOW | (kerning ? 0 : QEL_GDFT_DISABLE_KERNING);
            extra.hdpi = extra.vdpi = 300;
            error = qelGDImageStringFTGlyphs(nullptr, nullptr, 0, "C059-Roman", 12, 0, 0, 0, glyphs, 2, &extra, 0);
            EXPECT_EQ(error, nullptr);
            ASSERT_NE(extra.xshow, nullptr);
            first[kerning] = std::atof(extra.xshow);
            delete[] extra.xshow;
        }
        EXPECT_LT(first[1], first[0] - 1.0) << "AFM kerning of A V";
    }
    // Only a PFM beside it: the PFM is read (a damaged one fails the font).
    // Faces are cached by font list: start afresh for each directory.
    qelGDFontCacheShutdown();
    {
        FontPathScope scope(withPfm);
        const uint16_t g[] = {36};
        EXPECT_EQ(qelGDImageStringFTGlyphs(nullptr, nullptr, 0, "C059-Roman", 12, 0, 0, 0, g, 1, nullptr, 0),
                  nullptr);
    }
    qelGDFontCacheShutdown();
    {
        FontPathScope scope(badPfm);
        const uint16_t g[] = {36};
        EXPECT_STREQ(qelGDImageStringFTGlyphs(nullptr, nullptr, 0, "C059-Roman", 12, 0, 0, 0, g, 1, nullptr, 0),
                     "Could not read font");
    }
}

TEST_F(GDTextTest, AdvanceListSumsToFreeTypeLinearAdvances)
{
    // FreeType's own linear advances of "abc" at 12 pt and 300 dpi.
    double expected = 0;
    {
        FT_Library lib;
        ASSERT_EQ(FT_Init_FreeType(&lib), 0);
        FT_Face face;
        ASSERT_EQ(FT_New_Face(lib, kDejaVu, 0, &face), 0);
        ASSERT_EQ(FT_Set_Char_Size(face, 12 * 64, 12 * 64, 300, 300), 0);
        for (char ch : std::string("abc")) {
            ASSERT_EQ(FT_Load_Char(face, static_cast<FT_ULong>(ch), FT_LOAD_DEFAULT), 0);
            expected += face->glyph->linearHoriAdvance / 65536.0;
        }
        FT_Done_Face(face);
        FT_Done_FreeType(lib);
    }
    gdImagePtr im = gdImageCreateTrueColor(400, 200);
    gdImageFilledRectangle(im, 0, 0, 399, 199, 0xFFFFFF);
    for (int routine = 0; routine < 2; ++routine) {
        SCOPED_TRACE(routine ? "extended" : "unicode");
        qelGDStringExtra extra;
        extra.flags = 28;
        extra.hdpi = extra.vdpi = 300;
        int box[8] = {};
        const uint16_t text[] = {'a', 'b', 'c'};
        const char* error = routine ? qelGDImageStringFTEx(im, box, 0, kDejaVu, 12, 0, 20, 100, "abc", &extra, 0)
                                    : qelGDImageStringFTUnicode(im, box, 0, kDejaVu, 12, 0, 20, 100, text, 3,
                                                                &extra, 0);
        ASSERT_EQ(error, nullptr);
        ASSERT_NE(extra.xshow, nullptr);
        std::istringstream in(extra.xshow);
        std::vector<double> values;
        for (double v; in >> v;)
            values.push_back(v);
        EXPECT_EQ(values.size(), 3u) << extra.xshow;
        EXPECT_EQ(std::string(extra.xshow).back() != ' ', true);
        double sum = 0;
        for (double v : values)
            sum += v;
        EXPECT_NEAR(sum, expected, 0.01) << extra.xshow;
        delete[] extra.xshow;
        // Every drawn pixel lies inside the box (lower-left, upper-right).
        int inked = 0;
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 400; ++x)
                if (gdImageGetTrueColorPixel(im, x, y) != 0xFFFFFF) {
                    ++inked;
                    EXPECT_GE(x, box[0]);
                    EXPECT_LE(x, box[2]);
                    EXPECT_LE(y, box[1]);
                    EXPECT_GE(y, box[5]);
                }
        EXPECT_GT(inked, 50);
    }
    gdImageDestroy(im);
}

TEST_F(GDTextTest, ErrorsComeBackExactlyAndLeaveNothingBehind)
{
    const std::string junk = scratch + "junk.ttf";
    writeFile(junk, "this is not a font");
    static const unsigned char bytes[] = {'a'};
    const struct {
        const char* name;
        std::function<const char*()> call;
        const char* text;
    } cases[] = {
        {"no such font",
         [] { return qelGDImageStringFTBytes(nullptr, nullptr, 0, "/no/such/font.ttf", 12, 0, 0, 0, bytes, 1,
                                             nullptr, 0); },
         "Could not find/open font"},
        {"not a font",
         [&] { return qelGDImageStringFTEx(nullptr, nullptr, 0, junk.c_str(), 12, 0, 0, 0, "a", nullptr, 0); },
         "Could not read font"},
        {"several charmaps, none Adobe custom",
         [] { return qelGDImageStringFTBytes(nullptr, nullptr, 0, kDejaVu, 12, 0, 0, 0, bytes, 1, nullptr, 0); },
         "No character set found"},
        {"bad size",
         [] { return qelGDImageStringFTBytes(nullptr, nullptr, 0, kSymbols, -3, 0, 0, 0, bytes, 1, nullptr, 0); },
         "Could not set character size"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_STREQ(c.call(), c.text);
        EXPECT_TRUE(callElsewhereFinishes());
    }
    // A hand-built bitmap in a pixel mode the drawing step does not take.
    gdImagePtr im = gdImageCreate(10, 10);
    gdImageColorAllocate(im, 255, 255, 255);
    unsigned char pixels[4] = {};
    FT_Bitmap bm = {};
    bm.rows = 1;
    bm.width = 1;
    bm.pitch = 4;
    bm.buffer = pixels;
    bm.pixel_mode = FT_PIXEL_MODE_BGRA;
    EXPECT_STREQ(qelGDDrawBitmap(im, &bm, 0, 0, 0), "Unsupported ft_pixel_mode");
    gdImageDestroy(im);
    EXPECT_TRUE(callElsewhereFinishes());
    // The byte-string routine takes an Adobe custom charmap when there is one.
    EXPECT_EQ(qelGDImageStringFTBytes(nullptr, nullptr, 0, kSymbols, 12, 0, 0, 0, bytes, 1, nullptr, 0), nullptr);
}

TEST_F(GDTextTest, ByteRoutineUsesASingleCharmapWhateverItIs)
{
    if (::access(kOneCharmap, R_OK) != 0)
        GTEST_SKIP() << "no face with a single charmap installed";
    const unsigned char bytes[] = {'A', 'B'};
    EXPECT_EQ(qelGDImageStringFTBytes(nullptr, nullptr, 0, kOneCharmap, 12, 0, 0, 0, bytes, 2, nullptr, 0), nullptr);
}

TEST_F(GDTextTest, NegativeForegroundOnPaletteSetsHalfCoverageAndAbove)
{
    gdImagePtr im = gdImageCreate(8, 1);
    gdImageColorAllocate(im, 255, 255, 255);
    const int black = gdImageColorAllocate(im, 0, 0, 0);
    unsigned char grey[8] = {0, 60, 100, 127, 128, 200, 255, 30};
    FT_Bitmap bm = {};
    bm.rows = 1;
    bm.width = 8;
    bm.pitch = 8;
    bm.buffer = grey;
    bm.num_grays = 256;
    bm.pixel_mode = FT_PIXEL_MODE_GRAY;
    ASSERT_EQ(qelGDDrawBitmap(im, &bm, -black, 0, 0), nullptr);
    const int expect[8] = {0, 0, 0, 1, 1, 1, 1, 0}; // level (128 + 8 g) / 255 >= 4
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(gdImagePalettePixel(im, x, 0), expect[x]) << x;
    // Anti-aliased: the middle levels get blended entries.
    gdImagePtr aa = gdImageCreate(8, 1);
    gdImageColorAllocate(aa, 255, 255, 255);
    gdImageColorAllocate(aa, 0, 0, 0);
    ASSERT_EQ(qelGDDrawBitmap(aa, &bm, 1, 0, 0), nullptr);
    EXPECT_EQ(gdImagePalettePixel(aa, 6, 0), 1);
    EXPECT_GT(gdImageRed(aa, gdImagePalettePixel(aa, 4, 0)), 0);
    EXPECT_LT(gdImageRed(aa, gdImagePalettePixel(aa, 4, 0)), 255);
    gdImageDestroy(aa);
    gdImageDestroy(im);
}

TEST_F(GDTextTest, AfterShutdownACallReopensItsFont)
{
    const uint16_t text[] = {'x'};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(qelGDImageStringFTUnicode(nullptr, nullptr, 0, kDejaVu, 10, 0, 0, 0, text, 1, nullptr, 0),
                  nullptr);
        EXPECT_EQ(qelGDImageStringFTEx(nullptr, nullptr, 0, kDejaVu, 10, 0, 0, 0, "&lt;", nullptr, 0), nullptr);
        // An implementor's destructor shuts both caches down.
        { qelGDImplementor gd(nullptr); }
    }
    EXPECT_EQ(qelGDFontCacheSetup(), 0);
    EXPECT_EQ(qelGDFontCacheSetup(), 0);
}
