#include "qelGDFontCache.h"

#include FT_GLYPH_H
#include FT_SIZES_H

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

const size_t kCacheEntries = 6;

struct FaceEntry {
    std::string fontlist;
    int flags = 0;
    std::string path;
    FT_Face face = nullptr;
};

// One cache of open faces, most recently used first.
struct FontCache {
    std::recursive_mutex lock;
    FT_Library library = nullptr;
    std::list<FaceEntry> entries;
    bool present = false;
};

FontCache& ownCache()
{
    static FontCache cache;
    return cache;
}

FontCache& extendedCache()
{
    static FontCache cache;
    return cache;
}

int setupCache(FontCache& c)
{
    std::lock_guard<std::recursive_mutex> guard(c.lock);
    if (c.present)
        return 0;
    if (FT_Init_FreeType(&c.library) != 0) {
        c.library = nullptr;
        return -1;
    }
    c.present = true;
    return 0;
}

void shutdownCache(FontCache& c)
{
    std::lock_guard<std::recursive_mutex> guard(c.lock);
    if (!c.present)
        return;
    for (FaceEntry& e : c.entries)
        if (e.face)
            FT_Done_Face(e.face);
    c.entries.clear();
    FT_Done_FreeType(c.library);
    c.library = nullptr;
    c.present = false;
}

bool readable(const std::string& path)
{
    return !path.empty() && ::access(path.c_str(), R_OK) == 0;
}

// The cached face of a font list, most recently used first; null and an
// error text on failure. The caller holds the cache's lock.
FT_Face fetchFace(FontCache& c, const char* fontlist, int flags, const char** error)
{
    const std::string key = fontlist ? fontlist : "";
    for (auto it = c.entries.begin(); it != c.entries.end(); ++it) {
        if (it->fontlist == key && it->flags == flags) {
            c.entries.splice(c.entries.begin(), c.entries, it);
            return c.entries.front().face;
        }
    }
    std::string path;
    if (const char* e = qel_font_path(&path, key.c_str())) {
        *error = e;
        return nullptr;
    }
    if (path.empty()) {
        *error = "qel_font_path() returned an empty font pathname";
        return nullptr;
    }
    FT_Face face = nullptr;
    if (FT_New_Face(c.library, path.c_str(), 0, &face) != 0) {
        *error = "Could not read font";
        return nullptr;
    }
    // Type 1 metrics beside the font: .afm first, then .pfm.
    size_t dot = path.find(".pfa");
    if (dot == std::string::npos)
        dot = path.find(".pfb");
    if (dot != std::string::npos) {
        std::string metrics = path;
        metrics.replace(dot, 4, ".afm");
        if (!readable(metrics))
            metrics.replace(dot, 4, ".pfm");
        if (readable(metrics) && FT_Attach_File(face, metrics.c_str()) != 0) {
            FT_Done_Face(face);
            *error = "Could not read font";
            return nullptr;
        }
    }
    FaceEntry entry;
    entry.fontlist = key;
    entry.flags = flags;
    entry.path = path;
    entry.face = face;
    c.entries.push_front(entry);
    while (c.entries.size() > kCacheEntries) {
        if (c.entries.back().face)
            FT_Done_Face(c.entries.back().face);
        c.entries.pop_back();
    }
    return face;
}

// Blended colours of one call.
struct BlendEntry {
    int level, bg, fg;
    gdImagePtr image;
    int colour;
};

struct BlendCache {
    std::vector<BlendEntry> entries;
    size_t next = 0;

    int get(gdImagePtr im, int level, int bg, int fg, bool mono)
    {
        for (const BlendEntry& e : entries)
            if (e.level == level && e.bg == bg && e.fg == fg && e.image == im)
                return e.colour;
        int colour;
        if (mono) {
            colour = level >= 4 ? fg : bg;
        } else if (gdImageTrueColor(im)) {
            colour = gdTrueColorAlpha(gdTrueColorGetRed(fg), gdTrueColorGetGreen(fg), gdTrueColorGetBlue(fg),
                                      gdAlphaMax - gdTrueColorGetAlpha(fg) * level / 8);
        } else {
            colour = gdImageColorResolve(im, (level * gdImageRed(im, fg) + (8 - level) * gdImageRed(im, bg)) / 8,
                                         (level * gdImageGreen(im, fg) + (8 - level) * gdImageGreen(im, bg)) / 8,
                                         (level * gdImageBlue(im, fg) + (8 - level) * gdImageBlue(im, bg)) / 8);
        }
        const BlendEntry e{level, bg, fg, im, colour};
        if (entries.size() < 32) {
            entries.push_back(e);
        } else {
            entries[next] = e;
            next = (next + 1) % 32;
        }
        return colour;
    }
};

const char* drawBitmap(BlendCache& cache, gdImagePtr im, const FT_Bitmap* bm, int fg, int px, int py, bool aaOff)
{
    if (!im || !bm)
        return nullptr;
    const bool mono = bm->pixel_mode == FT_PIXEL_MODE_MONO;
    if (!mono && bm->pixel_mode != FT_PIXEL_MODE_GRAY)
        return "Unsupported ft_pixel_mode";
    const int grays = mono ? 2 : bm->num_grays;
    const int colour = fg < 0 ? -fg : fg;
    const int pitch = bm->pitch < 0 ? -bm->pitch : bm->pitch;
    const bool tc = gdImageTrueColor(im) != 0;
    for (unsigned row = 0; row < bm->rows; ++row) {
        const int y = py + static_cast<int>(row);
        if (y < im->cy1 || y > im->cy2)
            continue;
        const unsigned char* line = bm->buffer + static_cast<size_t>(row) * static_cast<size_t>(pitch);
        for (unsigned col = 0; col < bm->width; ++col) {
            const int x = px + static_cast<int>(col);
            if (x < im->cx1 || x > im->cx2)
                continue;
            int grey;
            if (mono)
                grey = (line[col >> 3] & (0x80 >> (col & 7))) ? grays - 1 : 0;
            else
                grey = line[col];
            if (tc) {
                int cover = grays > 1 ? grey * gdAlphaMax / (grays - 1) : (grey ? gdAlphaMax : 0);
                if (cover <= 0)
                    continue;
                if (aaOff) {
                    if (gdAlphaMax - cover < 63)
                        im->tpixels[y][x] = colour;
                    continue;
                }
                cover = cover * (gdAlphaMax - gdTrueColorGetAlpha(colour)) / gdAlphaMax;
                const int c = gdTrueColorAlpha(gdTrueColorGetRed(colour), gdTrueColorGetGreen(colour),
                                               gdTrueColorGetBlue(colour), gdAlphaMax - cover);
                const int old = im->tpixels[y][x];
                if (im->alphaBlendingFlag && gdTrueColorGetAlpha(old) != gdAlphaTransparent)
                    im->tpixels[y][x] = gdAlphaBlend(old, c);
                else
                    im->tpixels[y][x] = c;
            } else {
                int level = grays > 1 ? (grays / 2 + grey * 8) / (grays - 1) : (grey ? 8 : 0);
                if (mono)
                    level = grey ? 8 : 0;
                if (level > 8)
                    level = 8;
                if (level <= 0)
                    continue;
                if (level == 8) {
                    im->pixels[y][x] = static_cast<unsigned char>(colour);
                    continue;
                }
                const int bg = im->pixels[y][x];
                im->pixels[y][x] = static_cast<unsigned char>(cache.get(im, level, bg, colour, aaOff));
            }
        }
    }
    return nullptr;
}

enum class Routine { Bytes, Unicode, Glyphs, Extended };

// Character codes of the extended routine's text: UTF-8 with character
// references and named entities decoded.
std::vector<uint32_t> decodeText(const char* text)
{
    static const struct {
        const char* name;
        uint32_t code;
    } entities[] = {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", 0xA0},
                    {"copy", 0xA9}, {"reg", 0xAE}, {"deg", 0xB0}, {"laquo", 0xAB}, {"raquo", 0xBB},
                    {"euro", 0x20AC}, {"trade", 0x2122}, {"ndash", 0x2013}, {"mdash", 0x2014},
                    {"hellip", 0x2026}, {"bull", 0x2022}, {"middot", 0xB7}, {"times", 0xD7}, {"divide", 0xF7}};
    std::vector<uint32_t> out;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text ? text : "");
    while (*p) {
        if (*p == '&') {
            const char* semi = std::strchr(reinterpret_cast<const char*>(p), ';');
            const size_t len = semi ? static_cast<size_t>(semi - reinterpret_cast<const char*>(p)) : 0;
            if (semi && len >= 3 && len < 12 && p[1] == '#') {
                char* end = nullptr;
                const bool hex = p[2] == 'x' || p[2] == 'X';
                const unsigned long v = std::strtoul(reinterpret_cast<const char*>(p) + (hex ? 3 : 2), &end,
                                                     hex ? 16 : 10);
                if (end == semi && v <= 0x10FFFF) {
                    out.push_back(static_cast<uint32_t>(v));
                    p = reinterpret_cast<const unsigned char*>(semi) + 1;
                    continue;
                }
            } else if (semi && len >= 2 && len < 10) {
                bool found = false;
                for (const auto& e : entities) {
                    if (std::strlen(e.name) == len - 1
                        && std::strncmp(e.name, reinterpret_cast<const char*>(p) + 1, len - 1) == 0) {
                        out.push_back(e.code);
                        p = reinterpret_cast<const unsigned char*>(semi) + 1;
                        found = true;
                        break;
                    }
                }
                if (found)
                    continue;
            }
            out.push_back(*p++);
        } else if (*p < 0x80) {
            out.push_back(*p++);
        } else if ((*p & 0xE0) == 0xC0 && (p[1] & 0xC0) == 0x80) {
            out.push_back(static_cast<uint32_t>((p[0] & 0x1F) << 6 | (p[1] & 0x3F)));
            p += 2;
        } else if ((*p & 0xF0) == 0xE0 && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80) {
            out.push_back(static_cast<uint32_t>((p[0] & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F)));
            p += 3;
        } else {
            out.push_back(*p++);
        }
    }
    return out;
}

bool selectCharmap(FT_Face face, Routine routine, bool* symbol)
{
    *symbol = false;
    if (routine == Routine::Glyphs)
        return true;
    if (routine == Routine::Bytes && face->num_charmaps == 1)
        return FT_Set_Charmap(face, face->charmaps[0]) == 0;
    for (int i = 0; i < face->num_charmaps; ++i) {
        const FT_Encoding e = face->charmaps[i]->encoding;
        bool ok = false;
        switch (routine) {
        case Routine::Bytes: ok = e == FT_ENCODING_ADOBE_CUSTOM; break;
        case Routine::Unicode:
            ok = e == FT_ENCODING_ADOBE_CUSTOM || e == FT_ENCODING_ADOBE_STANDARD || e == FT_ENCODING_MS_SYMBOL
                || e == FT_ENCODING_UNICODE;
            break;
        default:
            ok = e == FT_ENCODING_ADOBE_CUSTOM || e == FT_ENCODING_APPLE_ROMAN || e == FT_ENCODING_MS_SYMBOL
                || e == FT_ENCODING_UNICODE || e == FT_ENCODING_ADOBE_STANDARD;
            break;
        }
        if (ok) {
            *symbol = e == FT_ENCODING_MS_SYMBOL;
            return FT_Set_Charmap(face, face->charmaps[i]) == 0;
        }
    }
    return false;
}

struct SizeGuard {
    FT_Size size = nullptr;
    ~SizeGuard()
    {
        if (size)
            FT_Done_Size(size);
    }
};

const char* renderString(Routine routine, gdImagePtr im, int* brect, int fg, const char* fontlist, double ptsize,
                         double angle, int x, int y, const std::vector<uint32_t>& codes, qelGDStringExtra* extra,
                         int hinting, bool antiAliasOff)
{
    FontCache& c = routine == Routine::Extended ? extendedCache() : ownCache();
    const bool draw = im && (gdImageTrueColor(im) || (fg >= -255 && fg <= 255));
    BlendCache blend;
    if (setupCache(c) != 0)
        return "Failure to initialize font library";
    std::lock_guard<std::recursive_mutex> guard(c.lock);
    if (!c.present && setupCache(c) != 0)
        return "Failure to initialize font library";
    const int flags = extra ? extra->flags : 0;
    const char* error = nullptr;
    FT_Face face = fetchFace(c, fontlist, flags & 0x60, &error);
    if (!face)
        return error;
    int hdpi = 96, vdpi = 96;
    if (extra && (flags & QEL_GDFT_RESOLUTION)) {
        hdpi = extra->hdpi > 0 ? extra->hdpi : 96;
        vdpi = extra->vdpi > 0 ? extra->vdpi : 96;
    }
    std::string advances;
    if (extra && (flags & QEL_GDFT_RETURNFONTPATHNAME)) {
        delete[] extra->fontpath;
        const std::string& path = c.entries.front().path;
        extra->fontpath = new char[path.size() + 1];
        std::memcpy(extra->fontpath, path.c_str(), path.size() + 1);
    }
    const double cosA = std::cos(angle), sinA = std::sin(angle);
    FT_Matrix matrix;
    matrix.xx = static_cast<FT_Fixed>(cosA * 65536.0);
    matrix.xy = -static_cast<FT_Fixed>(sinA * 65536.0);
    matrix.yx = static_cast<FT_Fixed>(sinA * 65536.0);
    matrix.yy = static_cast<FT_Fixed>(cosA * 65536.0);
    if (!std::isfinite(ptsize) || ptsize <= 0 || ptsize > 10000 || !std::isfinite(angle)) {
        FT_Set_Transform(face, nullptr, nullptr);
        return "Could not set character size";
    }
    FT_Set_Transform(face, &matrix, nullptr);
    SizeGuard measure, drawing;
    const FT_F26Dot6 charSize = static_cast<FT_F26Dot6>(ptsize * 64);
    if (FT_New_Size(face, &measure.size) != 0 || FT_Activate_Size(measure.size) != 0
        || FT_Set_Char_Size(face, charSize, charSize, 300, 300) != 0)
        return "Could not set character size";
    if (draw
        && (FT_New_Size(face, &drawing.size) != 0 || FT_Activate_Size(drawing.size) != 0
            || FT_Set_Char_Size(face, charSize, charSize, static_cast<FT_UInt>(hdpi), static_cast<FT_UInt>(vdpi))
                != 0))
        return "Could not set character size";
    const bool aaOff = fg < 0 || antiAliasOff;
    FT_Int32 loadFlags = hinting == 2 ? FT_LOAD_FORCE_AUTOHINT : 0;
    if (aaOff)
        loadFlags |= FT_LOAD_MONOCHROME;
    bool symbol = false;
    if (!selectCharmap(face, routine, &symbol))
        return routine == Routine::Unicode ? "LibGD Error: Unicode encoding not found in font file."
                                           : "No character set found";
    const bool linear = routine != Routine::Bytes;
    const double divisor = linear ? 19660800.0 : 19200.0;
    const double spacing = extra && (flags & QEL_GDFT_LINESPACE) ? extra->lineSpacing : 1.05;
    long long pen = 0, penPrev = 0;
    long long lineOffset = 0;
    long long lastAdvance = 0;
    FT_UInt previous = 0;
    bool first = true, any = false;
    long long minX = 0, minY = 0, maxX = 0, maxY = 0;
    for (uint32_t code : codes) {
        if (routine != Routine::Bytes && routine != Routine::Glyphs && (code == 13 || code == 10)) {
            pen = 0;
            if (code == 10) {
                const long long step = static_cast<long long>(spacing * ptsize * 64 * 300 / 72);
                lineOffset += step & ~63LL;
            }
            previous = 0;
            continue;
        }
        FT_Activate_Size(measure.size);
        if (symbol)
            code |= 0xF000;
        const FT_UInt index = routine == Routine::Glyphs ? code : FT_Get_Char_Index(face, code);
        if (!(flags & QEL_GDFT_DISABLE_KERNING) && !FT_IS_FIXED_WIDTH(face) && FT_HAS_KERNING(face) && !first
            && previous && index) {
            FT_Vector delta;
            if (FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &delta) == 0)
                pen += linear ? static_cast<long long>(delta.x) * 1024 : delta.x;
        }
        if (!first && (flags & QEL_GDFT_XSHOW)) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%g ", static_cast<double>(pen - penPrev) / divisor * hdpi);
            advances += buf;
        }
        if (FT_Load_Glyph(face, index, loadFlags) != 0)
            return "Problem loading glyph";
        const FT_GlyphSlot slot = face->glyph;
        const long long advance = linear ? static_cast<long long>(slot->linearHoriAdvance) : slot->metrics.horiAdvance;
        if (brect) {
            // Extent along a hinted pen, 26.6 at 300 dpi.
            const long long base = linear ? pen / 1024 : pen;
            const long long x0 = base + slot->metrics.horiBearingX;
            const long long x1 = x0 + slot->metrics.width;
            const long long y1 = slot->metrics.horiBearingY - lineOffset;
            const long long y0 = y1 - slot->metrics.height;
            if (!any) {
                minX = x0, maxX = x1, minY = y0, maxY = y1;
                any = true;
            } else {
                minX = std::min(minX, x0), maxX = std::max(maxX, x1);
                minY = std::min(minY, y0), maxY = std::max(maxY, y1);
            }
        }
        if (draw) {
            FT_Activate_Size(drawing.size);
            if (FT_Load_Glyph(face, index, loadFlags) != 0)
                return "Problem loading glyph";
            FT_Glyph glyph = nullptr;
            if (FT_Get_Glyph(face->glyph, &glyph) != 0)
                return "Problem rendering glyph";
            if (glyph->format != FT_GLYPH_FORMAT_BITMAP
                && FT_Glyph_To_Bitmap(&glyph, aaOff ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL, nullptr, 1) != 0) {
                FT_Done_Glyph(glyph);
                return "Problem rendering glyph";
            }
            auto* bg = reinterpret_cast<FT_BitmapGlyph>(glyph);
            const double P = static_cast<double>(pen) / divisor;
            const double L = static_cast<double>(lineOffset) / 19200.0;
            const int gx = static_cast<int>(x + (P * cosA + L * sinA) * hdpi + bg->left);
            const int gy = static_cast<int>(y - (P * sinA - L * cosA) * vdpi - bg->top);
            const char* e = drawBitmap(blend, im, &bg->bitmap, fg, gx, gy, aaOff);
            FT_Done_Glyph(glyph);
            if (e)
                return e;
        }
        penPrev = pen;
        pen += advance;
        lastAdvance = advance;
        previous = index;
        first = false;
    }
    if (extra && (flags & QEL_GDFT_XSHOW)) {
        if (!first) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%g", static_cast<double>(lastAdvance) / divisor * hdpi);
            advances += buf;
        }
        delete[] extra->xshow;
        extra->xshow = new char[advances.size() + 1];
        std::memcpy(extra->xshow, advances.c_str(), advances.size() + 1);
    }
    if (brect) {
        const double s = static_cast<double>(hdpi) / 19200.0;
        const double sy = static_cast<double>(vdpi) / 19200.0;
        const double bx0 = static_cast<double>(minX - 300), bx1 = static_cast<double>(maxX + 300);
        const double by0 = static_cast<double>(minY - 300), by1 = static_cast<double>(maxY + 300);
        const double corners[4][2] = {{bx0, by0}, {bx1, by0}, {bx1, by1}, {bx0, by1}};
        for (int i = 0; i < 4; ++i) {
            const double cx = corners[i][0] * s, cy = corners[i][1] * sy;
            brect[2 * i] = static_cast<int>(x + cx * cosA - cy * sinA);
            brect[2 * i + 1] = static_cast<int>(y - (cx * sinA + cy * cosA));
        }
    }
    FT_Set_Transform(face, nullptr, nullptr);
    return nullptr;
}

} // namespace

const char* qel_font_path(std::string* path, const char* fontlist)
{
    path->clear();
    const char* env = std::getenv("GDFONTPATH");
    const std::string dirs = env ? env
                                 : "/usr/X11R6/lib/X11/fonts/TrueType:/usr/X11R6/lib/X11/fonts/truetype:"
                                   "/usr/X11R6/lib/X11/fonts/TTF:/usr/share/fonts/TrueType:/usr/share/fonts/truetype:"
                                   "/usr/openwin/lib/X11/fonts/TrueType:/usr/X11R6/lib/X11/fonts/Type1:"
                                   "/usr/lib/X11/fonts/Type1:/usr/openwin/lib/X11/fonts/Type1";
    std::vector<std::string> dirList;
    for (size_t start = 0;;) {
        const size_t colon = dirs.find(':', start);
        dirList.push_back(dirs.substr(start, colon == std::string::npos ? std::string::npos : colon - start));
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    const std::string list = fontlist ? fontlist : "";
    for (size_t start = 0;;) {
        const size_t semi = list.find(';', start);
        const std::string name = list.substr(start, semi == std::string::npos ? std::string::npos : semi - start);
        const bool absolute = name.find('/') != std::string::npos
            || (name.size() > 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':'
                && (name[2] == '/' || name[2] == '\\'));
        if (absolute && readable(name)) {
            *path = name;
            return nullptr;
        }
        if (!name.empty()) {
            for (const std::string& d : dirList) {
                if (name.find('.') != std::string::npos) {
                    if (readable(d + "/" + name)) {
                        *path = d + "/" + name;
                        return nullptr;
                    }
                    continue;
                }
                for (const char* ext : {".ttf", ".pfa", ".pfb", ".dfont"}) {
                    const std::string candidate = d + "/" + name + ext;
                    if (readable(candidate)) {
                        *path = candidate;
                        return nullptr;
                    }
                }
            }
        }
        if (semi == std::string::npos)
            break;
        start = semi + 1;
    }
    return "Could not find/open font";
}

const char* qelGDImageStringFTBytes(gdImagePtr image, int* brect, int fg, const char* fontlist, double ptsize,
                                    double angle, int x, int y, const unsigned char* bytes, int count,
                                    qelGDStringExtra* extra, int hinting, bool antiAliasOff)
{
    std::vector<uint32_t> codes;
    for (int i = 0; bytes && i < count; ++i)
        codes.push_back(bytes[i]);
    return renderString(Routine::Bytes, image, brect, fg, fontlist, ptsize, angle, x, y, codes, extra, hinting,
                        antiAliasOff);
}

const char* qelGDImageStringFTUnicode(gdImagePtr image, int* brect, int fg, const char* fontlist, double ptsize,
                                      double angle, int x, int y, const uint16_t* values, int count,
                                      qelGDStringExtra* extra, int hinting, bool antiAliasOff)
{
    std::vector<uint32_t> codes;
    for (int i = 0; values && i < count; ++i)
        codes.push_back(values[i]);
    return renderString(Routine::Unicode, image, brect, fg, fontlist, ptsize, angle, x, y, codes, extra, hinting,
                        antiAliasOff);
}

const char* qelGDImageStringFTGlyphs(gdImagePtr image, int* brect, int fg, const char* fontlist, double ptsize,
                                     double angle, int x, int y, const uint16_t* glyphs, int count,
                                     qelGDStringExtra* extra, int hinting, bool antiAliasOff)
{
    std::vector<uint32_t> codes;
    for (int i = 0; glyphs && i < count; ++i)
        codes.push_back(glyphs[i]);
    return renderString(Routine::Glyphs, image, brect, fg, fontlist, ptsize, angle, x, y, codes, extra, hinting,
                        antiAliasOff);
}

const char* qelGDImageStringFTEx(gdImagePtr image, int* brect, int fg, const char* fontlist, double ptsize,
                                 double angle, int x, int y, const char* text, qelGDStringExtra* extra, int hinting,
                                 bool antiAliasOff)
{
    return renderString(Routine::Extended, image, brect, fg, fontlist, ptsize, angle, x, y, decodeText(text), extra,
                        hinting, antiAliasOff);
}

const char* qelGDDrawBitmap(gdImagePtr image, const FT_Bitmap* bitmap, int fg, int px, int py, bool antiAliasOff)
{
    BlendCache cache;
    return drawBitmap(cache, image, bitmap, fg, px, py, fg < 0 || antiAliasOff);
}

int qelGDFontCacheSetup()
{
    return setupCache(ownCache());
}

void qelGDFontCacheShutdown()
{
    shutdownCache(ownCache());
}

int qelGDFontCacheSetupEx()
{
    return setupCache(extendedCache());
}

void qelGDFontCacheShutdownEx()
{
    shutdownCache(extendedCache());
}
