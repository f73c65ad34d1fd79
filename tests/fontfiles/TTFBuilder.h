#ifndef TESTS_TTF_BUILDER_H
#define TESTS_TTF_BUILDER_H

// Small synthetic TrueType files for the parser tests.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace ttftest {

using Bytes = std::vector<uint8_t>;

inline void u8(Bytes& b, unsigned v) { b.push_back(static_cast<uint8_t>(v)); }
inline void u16(Bytes& b, unsigned v)
{
    b.push_back(static_cast<uint8_t>(v >> 8));
    b.push_back(static_cast<uint8_t>(v));
}
inline void u32(Bytes& b, uint32_t v)
{
    u16(b, v >> 16);
    u16(b, v & 0xFFFF);
}
inline void zeros(Bytes& b, size_t n) { b.insert(b.end(), n, 0); }

inline Bytes os2(unsigned version, unsigned weight, unsigned fsSelection, int xHeight = 0, int capHeight = 0)
{
    Bytes b;
    u16(b, version);
    u16(b, 500);
    u16(b, weight);
    u16(b, 5);
    zeros(b, 12 * 2 + 10 + 16 + 4);
    u16(b, fsSelection);
    u16(b, 32);
    u16(b, 255);
    u16(b, 800);
    u16(b, static_cast<uint16_t>(-200));
    u16(b, 90);
    u16(b, 900);
    u16(b, 300);
    u32(b, 1);
    u32(b, 0);
    if (version >= 2) {
        u16(b, static_cast<uint16_t>(xHeight));
        u16(b, static_cast<uint16_t>(capHeight));
        u16(b, 0);
        u16(b, 32);
        u16(b, 2);
    }
    return b;
}

inline Bytes head(unsigned unitsPerEm, int locFormat = 0)
{
    Bytes b;
    u32(b, 0x00010000);
    u32(b, 0x00010000);
    u32(b, 0);
    u32(b, 0x5F0F3CF5);
    u16(b, 0);
    u16(b, unitsPerEm);
    zeros(b, 16 + 5 * 2);
    zeros(b, 2 * 2); // lowestRecPPEM, fontDirectionHint
    u16(b, static_cast<uint16_t>(locFormat));
    u16(b, 0);
    return b;
}

inline Bytes post(uint32_t version, int32_t angle16_16, uint32_t fixedPitch = 0)
{
    Bytes b;
    u32(b, version);
    u32(b, static_cast<uint32_t>(angle16_16));
    u16(b, static_cast<uint16_t>(-100));
    u16(b, 50);
    u32(b, fixedPitch);
    zeros(b, 16);
    return b;
}

struct NameRecord
{
    unsigned platform, encoding, language, id;
    Bytes text;
};

inline Bytes ascii(const std::string& s) { return Bytes(s.begin(), s.end()); }
inline Bytes utf16(const std::u16string& s)
{
    Bytes b;
    for (char16_t c : s)
        u16(b, c);
    return b;
}

inline Bytes name(const std::vector<NameRecord>& records)
{
    Bytes b, strings;
    u16(b, 0);
    u16(b, static_cast<unsigned>(records.size()));
    u16(b, static_cast<unsigned>(6 + 12 * records.size()));
    for (const auto& r : records) {
        u16(b, r.platform);
        u16(b, r.encoding);
        u16(b, r.language);
        u16(b, r.id);
        u16(b, static_cast<unsigned>(r.text.size()));
        u16(b, static_cast<unsigned>(strings.size()));
        strings.insert(strings.end(), r.text.begin(), r.text.end());
    }
    b.insert(b.end(), strings.begin(), strings.end());
    return b;
}

inline Bytes macNames(const std::string& ps, const std::string& family)
{
    return name({{1, 0, 0, 6, ascii(ps)}, {1, 0, 0, 1, ascii(family)}});
}

inline Bytes hhea(unsigned longMetrics)
{
    Bytes b;
    u32(b, 0x00010000);
    zeros(b, 3 * 2);
    u16(b, 2000);
    zeros(b, 11 * 2);
    u16(b, longMetrics);
    return b;
}

inline Bytes maxp(unsigned glyphs)
{
    Bytes b;
    u32(b, 0x00010000);
    u16(b, glyphs);
    zeros(b, 13 * 2);
    return b;
}

// cmap with one (1, 0) subtable.
inline Bytes cmap(const Bytes& subtable, unsigned platform = 1, unsigned encoding = 0)
{
    Bytes b;
    u16(b, 0);
    u16(b, 1);
    u16(b, platform);
    u16(b, encoding);
    u32(b, 12);
    b.insert(b.end(), subtable.begin(), subtable.end());
    return b;
}

// Format 0 mapping of codes to glyphs.
inline Bytes format0(const std::map<unsigned, unsigned>& map)
{
    Bytes b;
    u16(b, 0);
    u16(b, 262);
    u16(b, 0);
    Bytes glyphs(256, 0);
    for (auto& kv : map)
        glyphs[kv.first] = static_cast<uint8_t>(kv.second);
    b.insert(b.end(), glyphs.begin(), glyphs.end());
    return b;
}

inline Bytes hmtx(const std::vector<unsigned>& advances)
{
    Bytes b;
    for (unsigned a : advances) {
        u16(b, a);
        u16(b, 0);
    }
    return b;
}

// Simple glyph data: a header of one contour and a few bytes.
inline Bytes simpleGlyph()
{
    Bytes b;
    u16(b, 1);
    zeros(b, 8);
    zeros(b, 4);
    return b;
}

// Composite glyph with one component (arguments as words).
inline Bytes compositeGlyph(unsigned component, unsigned flags = 0x0001)
{
    Bytes b;
    u16(b, 0xFFFF);
    zeros(b, 8);
    u16(b, flags);
    u16(b, component);
    zeros(b, (flags & 1) ? 4 : 2);
    return b;
}

// glyf and loca (short format) from glyph data.
inline void glyphs(const std::vector<Bytes>& data, Bytes& glyf, Bytes& loca)
{
    glyf.clear();
    loca.clear();
    for (const auto& g : data) {
        u16(loca, static_cast<unsigned>(glyf.size() / 2));
        glyf.insert(glyf.end(), g.begin(), g.end());
        if (glyf.size() % 2)
            glyf.push_back(0);
    }
    u16(loca, static_cast<unsigned>(glyf.size() / 2));
}

// A font file from its tables (tags sorted as a map sorts them).
inline Bytes font(const std::map<std::string, Bytes>& tables)
{
    Bytes b;
    u32(b, 0x00010000);
    u16(b, static_cast<unsigned>(tables.size()));
    zeros(b, 6);
    uint32_t offset = static_cast<uint32_t>(12 + 16 * tables.size());
    Bytes body;
    for (const auto& t : tables) {
        Bytes tag = ascii(t.first);
        tag.resize(4, ' ');
        b.insert(b.end(), tag.begin(), tag.end());
        u32(b, 0);
        u32(b, offset + static_cast<uint32_t>(body.size()));
        u32(b, static_cast<uint32_t>(t.second.size()));
        body.insert(body.end(), t.second.begin(), t.second.end());
        while (body.size() % 4)
            body.push_back(0);
    }
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

// A complete small font: glyph 0 (advance 500, empty), glyph 1 (1229),
// glyph 2 composite of glyph 3 (advance 700 / 800); 'A' maps to 1, 'B' to
// 2, 0xC4 to 1. units per em 2048.
inline std::map<std::string, Bytes> basicTables()
{
    std::map<std::string, Bytes> t;
    t["OS/2"] = os2(3, 400, 0, 1082, 1409);
    t["head"] = head(2048);
    t["post"] = post(0x00030000, 0);
    t["name"] = macNames("TestSans-Regular", "Test Sans");
    t["hhea"] = hhea(4);
    t["maxp"] = maxp(4);
    t["cmap"] = cmap(format0({{'A', 1}, {'B', 2}, {0xC4, 1}}));
    t["hmtx"] = hmtx({500, 1229, 700, 800});
    Bytes glyf, loca;
    glyphs({Bytes(), simpleGlyph(), compositeGlyph(3), simpleGlyph()}, glyf, loca);
    t["glyf"] = glyf;
    t["loca"] = loca;
    return t;
}

} // namespace ttftest

#endif
