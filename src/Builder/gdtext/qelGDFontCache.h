#ifndef QEL_GD_FONT_CACHE_H
#define QEL_GD_FONT_CACHE_H

// FreeType text routines of the gd back end. Two independent font caches
// (ours, and the extended UTF-8 routine's), each with its own lock and
// FreeType library; faces stay open across calls, sizes never do.

#include <gd.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <string>

// Extra options of a text call.
struct qelGDStringExtra {
    int flags = 0;           // 1 line spacing, 4 resolutions, 8 no kerning, 16 advances, 128 font path
    double lineSpacing = 1.05;
    int charmap = 0;
    int hdpi = 96;
    int vdpi = 96;
    char* xshow = nullptr;   // advance list with flag 16; the caller frees it with delete[]
    char* fontpath = nullptr; // font path with flag 128; the caller frees it with delete[]
};

enum {
    QEL_GDFT_LINESPACE = 1,
    QEL_GDFT_RESOLUTION = 4,
    QEL_GDFT_DISABLE_KERNING = 8,
    QEL_GDFT_XSHOW = 16,
    QEL_GDFT_FONTPATHNAME = 32,
    QEL_GDFT_FONTCONFIG = 64,
    QEL_GDFT_RETURNFONTPATHNAME = 128
};

// 0, or -1 when FreeType cannot be started.
int qelGDFontCacheSetup();
void qelGDFontCacheShutdown();
// The extended routine's cache.
int qelGDFontCacheSetupEx();
void qelGDFontCacheShutdownEx();

// Font list ("a;b;c" or a path) to a readable file; null or an error text.
const char* qel_font_path(std::string* path, const char* fontlist);

// The routines return null or a constant error text. `image` null only
// measures; a negative colour draws without anti-aliasing; `antiAliasOff`
// asks for that as well, so that colour 0 can be drawn so too.
const char* qelGDImageStringFTBytes(gdImagePtr image, int* brect, int fg, const char* fontlist, double ptsize,
                                    double angle, int x, int y, const unsigned char* bytes, int count,
                                    qelGDStringExtra* extra, int hinting, bool antiAliasOff = false);
const char* qelGDImageStringFTUnicode(gdImagePtr image, int* brect, int fg, const char* fontlist, double ptsize,
                                      double angle, int x, int y, const uint16_t* codes, int count,
                                      qelGDStringExtra* extra, int hinting, bool antiAliasOff = false);
const char* qelGDImageStringFTGlyphs(gdImagePtr image, int* brect, int fg, const char* fontlist, double ptsize,
                                     double angle, int x, int y, const uint16_t* glyphs, int count,
                                     qelGDStringExtra* extra, int hinting, bool antiAliasOff = false);
const char* qelGDImageStringFTEx(gdImagePtr image, int* brect, int fg, const char* fontlist, double ptsize,
                                 double angle, int x, int y, const char* text, qelGDStringExtra* extra,
                                 int hinting, bool antiAliasOff = false);

// Draws one FreeType bitmap at (px, py) with a fresh blended-colour cache.
const char* qelGDDrawBitmap(gdImagePtr image, const FT_Bitmap* bitmap, int fg, int px, int py,
                            bool antiAliasOff = false);

#endif
