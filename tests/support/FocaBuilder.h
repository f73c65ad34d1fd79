#ifndef FOCA_BUILDER_H
#define FOCA_BUILDER_H

// AFP font character sets (FOCA) made for tests, field by field from the
// layouts of the font fields: raster sets from given bitmaps or from glyphs
// that FreeType draws from a Type 1 font at 240 pels per inch, and outline
// sets that carry a PFB font program with relative metrics and the glyph
// names of the program. Fields can be split and damaged on purpose.
#include "FieldText.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace lrbtest {
namespace foca {

// Field identifiers (the two bytes after X'D3').
enum : int {
    BFN = 0xA889,
    FND = 0xA689,
    FNC = 0xA789,
    FNM = 0xA289,
    FNO = 0xAE89,
    FNP = 0xAC89,
    FNI = 0x8C89,
    EFN = 0xA989,
    FNN = 0xAB89,
    FNG = 0xEE89,
    NOP = 0xEEEE,
    BCP = 0xA887,
    CPD = 0xA687,
    CPC = 0xA787,
    CPI = 0x8C87,
    ECP = 0xA987,
    BCF = 0xA88A,
    CFC = 0xA78A,
    CFI = 0x8C8A,
    ECF = 0xA98A,
    BRG = 0xA8C6,
    ERG = 0xA9C6,
    BR = 0xA8CE,
    ER = 0xA9CE,
    BDT = 0xA8A8
};

// Rotation words of the orientation groups.
enum : unsigned { ROT0 = 0x0000, ROT90 = 0x2D00, ROT180 = 0x5A00, ROT270 = 0x8700 };

// Type 1 fonts of fonts-urw-base35.
inline const char* type1Dir() { return "/usr/share/fonts/X11/Type1"; }
inline std::string type1Font(const char* name) { return std::string(type1Dir()) + "/" + name + ".pfb"; }

inline void put8(Bytes& b, unsigned v) { b.push_back(static_cast<unsigned char>(v & 0xFF)); }
inline void put16(Bytes& b, unsigned v)
{
    put8(b, v >> 8);
    put8(b, v);
}
inline void put32(Bytes& b, uint32_t v)
{
    put16(b, v >> 16);
    put16(b, v & 0xFFFF);
}

// One character: its GCGID, metrics and, for raster sets, its pattern
// (rows of ceil(width / 8) bytes).
struct Character
{
    std::string gcgid;
    unsigned width = 1;
    unsigned height = 1;
    Bytes pattern;
    unsigned increment = 0;
    int ascender = 0;
    int descender = 0;
    int aSpace = 0;
    unsigned bSpace = 0;
    int cSpace = 0;
    int baseline = 0;
    // Glyph name in the font program (outline sets).
    std::string programName;
};

struct CharacterSet
{
    std::string name = "C0TEST10";
    std::string typeface = "Test Face";
    unsigned weightClass = 5;
    unsigned widthClass = 5;
    unsigned nominalVerticalSize = 100;
    unsigned fgid = 2308;
    unsigned designFlags = 0;
    unsigned technology = 0x05;
    // Units per unit base of X and Y (2400 = 240 pels; 1000 relative).
    unsigned xUnits = 2400;
    unsigned yUnits = 2400;
    bool relative = false;
    unsigned alignmentCode = 0;
    // -1: the sum of the patterns.
    int64_t rasterDataCount = -1;
    unsigned fniGroupLength = 28;
    unsigned fnmGroupLength = 8;
    unsigned fnnGroupLength = 12;
    // -1: the largest box of the characters.
    int maxBoxWidth = -1;
    int maxBoxHeight = -1;
    std::vector<unsigned> rotations = {ROT0};
    unsigned defaultBaselineIncrement = 0;
    std::vector<Character> characters;
    // Pattern offsets in alignment units; empty: the patterns one after the
    // other from 0.
    std::vector<uint32_t> patternOffsets;
    // The outline program (technology X'1F').
    Bytes program;
};

inline unsigned rowBytes(unsigned width) { return (width + 7) / 8; }

inline Bytes beginFont(const std::string& name) { return field(BFN, name8(name)); }
inline Bytes endFont(const std::string& name) { return field(EFN, name8(name)); }

inline Bytes descriptorData(const CharacterSet& cs, bool withFgid = true)
{
    Bytes d = ebcdic(cs.typeface.substr(0, 32), 32);
    put8(d, cs.weightClass);
    put8(d, cs.widthClass);
    put16(d, cs.nominalVerticalSize); // maximum vertical size
    put16(d, cs.nominalVerticalSize);
    put16(d, cs.nominalVerticalSize); // minimum
    put16(d, cs.nominalVerticalSize); // horizontal sizes
    put16(d, cs.nominalVerticalSize);
    put16(d, cs.nominalVerticalSize);
    put8(d, 1); // design general class, subclass, specific group
    put8(d, 1);
    put8(d, 1);
    d.resize(d.size() + 15, 0);
    put16(d, cs.designFlags);
    d.resize(d.size() + 10, 0);
    put16(d, 0xFFFF); // GCSGID
    if (withFgid)
        put16(d, cs.fgid);
    return d;
}

inline int boxWidth(const CharacterSet& cs)
{
    if (cs.maxBoxWidth >= 0)
        return cs.maxBoxWidth;
    unsigned w = 1;
    for (const Character& c : cs.characters)
        w = std::max(w, c.width);
    return static_cast<int>(w);
}

inline int boxHeight(const CharacterSet& cs)
{
    if (cs.maxBoxHeight >= 0)
        return cs.maxBoxHeight;
    unsigned h = 1;
    for (const Character& c : cs.characters)
        h = std::max(h, c.height);
    return static_cast<int>(h);
}

inline unsigned alignment(const CharacterSet& cs)
{
    return cs.alignmentCode == 2 ? 4 : cs.alignmentCode == 3 ? 8 : 1;
}

// The patterns laid out at their offsets, each padded to the alignment.
inline Bytes patternData(const CharacterSet& cs)
{
    Bytes data;
    const unsigned align = alignment(cs);
    for (size_t i = 0; i < cs.characters.size(); ++i) {
        const size_t at = cs.patternOffsets.empty() ? data.size() : size_t(cs.patternOffsets[i]) * align;
        if (data.size() < at)
            data.resize(at, 0);
        const Bytes& p = cs.characters[i].pattern;
        if (data.size() < at + p.size())
            data.resize(at + p.size(), 0);
        std::copy(p.begin(), p.end(), data.begin() + static_cast<long>(at));
        while (data.size() % align)
            data.push_back(0);
    }
    return data;
}

inline std::vector<uint32_t> offsets(const CharacterSet& cs)
{
    if (!cs.patternOffsets.empty())
        return cs.patternOffsets;
    std::vector<uint32_t> out;
    const unsigned align = alignment(cs);
    uint32_t at = 0;
    for (const Character& c : cs.characters) {
        out.push_back(at / align);
        at += static_cast<uint32_t>((c.pattern.size() + align - 1) / align * align);
    }
    return out;
}

inline Bytes controlData(const CharacterSet& cs)
{
    Bytes d;
    put8(d, 0); // retired
    put8(d, cs.technology);
    put8(d, 0);
    put8(d, 0); // use flags
    put8(d, cs.relative ? 2 : 0);
    put8(d, cs.relative ? 2 : 0);
    put16(d, cs.xUnits);
    put16(d, cs.yUnits);
    put16(d, static_cast<unsigned>(boxWidth(cs) - 1));
    put16(d, static_cast<unsigned>(boxHeight(cs) - 1));
    put8(d, 26); // FNO group length
    put8(d, cs.fniGroupLength);
    put8(d, cs.alignmentCode);
    const int64_t count =
        cs.rasterDataCount >= 0 ? cs.rasterDataCount : static_cast<int64_t>(patternData(cs).size());
    put8(d, static_cast<unsigned>(count >> 16));
    put16(d, static_cast<unsigned>(count & 0xFFFF));
    put8(d, 22); // FNP group length
    put8(d, cs.technology == 0x05 ? cs.fnmGroupLength : 0);
    put8(d, 0); // shape resolution unit bases
    put8(d, 0);
    put16(d, cs.relative ? 0 : cs.xUnits);
    put16(d, cs.relative ? 0 : cs.yUnits);
    put32(d, static_cast<uint32_t>(cs.program.size()));
    put8(d, 0);
    put16(d, 0);
    put8(d, cs.fnnGroupLength);
    put32(d, 0);
    put16(d, static_cast<unsigned>(cs.characters.size()));
    return d;
}

// One orientation group.
inline Bytes orientationGroup(unsigned rotation, unsigned maxIncrement, unsigned space, unsigned baselineIncrement)
{
    Bytes g;
    put16(g, 0);
    put16(g, rotation);
    put16(g, 0); // maximum baseline offset
    put16(g, maxIncrement);
    put16(g, space);
    put16(g, 0); // maximum baseline extent
    put8(g, 0);  // flags
    put8(g, 0);
    put16(g, maxIncrement); // em-space
    put16(g, 0);
    put16(g, space); // figure space
    put16(g, space); // nominal increment
    put16(g, baselineIncrement);
    put16(g, 0); // minimum A-space
    return g;
}

inline Bytes orientationData(const CharacterSet& cs)
{
    unsigned largest = 0;
    for (const Character& c : cs.characters)
        largest = std::max(largest, c.increment);
    Bytes d;
    for (unsigned r : cs.rotations)
        append(d, orientationGroup(r, largest, largest / 2, cs.defaultBaselineIncrement));
    return d;
}

inline Bytes positionGroup(int ascender, int descender)
{
    Bytes g;
    put16(g, 0);
    put16(g, static_cast<unsigned>(ascender * 2 / 3)); // lowercase height
    put16(g, static_cast<unsigned>(ascender));        // cap-M height
    put16(g, static_cast<unsigned>(ascender));
    put16(g, static_cast<unsigned>(descender));
    g.resize(g.size() + 5, 0);
    put8(g, 0); // retired
    put8(g, 0);
    put16(g, 2); // underscore width
    put8(g, 0);
    put16(g, static_cast<unsigned>(descender / 2));
    return g;
}

inline Bytes positionData(const CharacterSet& cs)
{
    int ascender = 0;
    int descender = 0;
    for (const Character& c : cs.characters) {
        ascender = std::max(ascender, c.ascender);
        descender = std::max(descender, c.descender);
    }
    Bytes d;
    for (size_t i = 0; i < cs.rotations.size(); ++i)
        append(d, positionGroup(ascender, descender));
    return d;
}

// One Font Index group of the full 28 bytes, cut to the group length.
inline Bytes indexGroup(const Character& c, unsigned fnmIndex, unsigned groupLength)
{
    Bytes g = name8(c.gcgid);
    put16(g, c.increment);
    put16(g, static_cast<unsigned>(c.ascender));
    put16(g, static_cast<unsigned>(c.descender));
    put16(g, 0);
    put16(g, fnmIndex);
    put16(g, static_cast<unsigned>(c.aSpace));
    put16(g, c.bSpace);
    put16(g, static_cast<unsigned>(c.cSpace));
    put16(g, 0);
    put16(g, static_cast<unsigned>(c.baseline));
    g.resize(groupLength, 0);
    return g;
}

// The index of one rotation; the increment of rotations other than the
// first is doubled, so that tests see which one was stored.
inline Bytes indexData(const CharacterSet& cs, bool firstRotation = true)
{
    Bytes d;
    for (size_t i = 0; i < cs.characters.size(); ++i) {
        Character c = cs.characters[i];
        if (!firstRotation)
            c.increment *= 2;
        append(d, indexGroup(c, static_cast<unsigned>(i), cs.fniGroupLength));
    }
    return d;
}

inline Bytes patternsMapData(const CharacterSet& cs)
{
    Bytes d;
    const std::vector<uint32_t> at = offsets(cs);
    for (size_t i = 0; i < cs.characters.size(); ++i) {
        put16(d, cs.characters[i].width - 1);
        put16(d, cs.characters[i].height - 1);
        put32(d, at[i]);
    }
    return d;
}

// Font Name Map block: ID types 2 (GCGID) and 3 (program names), one group
// per character, then the names.
inline Bytes nameMapData(const CharacterSet& cs)
{
    Bytes groups;
    Bytes names;
    const size_t start = 2 + cs.characters.size() * cs.fnnGroupLength;
    for (const Character& c : cs.characters) {
        Bytes g = name8(c.gcgid);
        put32(g, static_cast<uint32_t>(start + names.size()));
        g.resize(cs.fnnGroupLength, 0);
        append(groups, g);
        put8(names, static_cast<unsigned>(c.programName.size() + 1));
        names.insert(names.end(), c.programName.begin(), c.programName.end());
    }
    Bytes d = {0x02, 0x03};
    append(d, groups);
    append(d, names);
    return d;
}

// The header of an outline font object before the program.
inline Bytes outlineHeader(size_t programSize)
{
    const std::string id = "Type1 font program";
    Bytes d;
    put32(d, static_cast<uint32_t>(4 + 4 + 2 + id.size() + programSize));
    put32(d, 0); // checksum
    put16(d, static_cast<unsigned>(id.size() + 2));
    d.insert(d.end(), id.begin(), id.end());
    return d;
}

// The data cut into fields of at most `piece` bytes (all in one when 0).
inline Bytes splitFields(int id, const Bytes& data, size_t piece)
{
    if (piece == 0 || data.size() <= piece)
        return field(id, data);
    Bytes out;
    for (size_t at = 0; at < data.size(); at += piece)
        append(out, field(id, Bytes(data.begin() + static_cast<long>(at),
                                    data.begin() + static_cast<long>(std::min(data.size(), at + piece)))));
    return out;
}

struct Layout
{
    // Largest Font Patterns field data (0: one field; outline programs are
    // always split into fields of at most 32000 bytes).
    size_t patternPiece = 0;
    // Largest Font Name Map field data (0: one field).
    size_t namePiece = 0;
    // One Font Index per rotation (else only the first).
    bool indexPerRotation = true;
    bool withDescriptor = true;
};

inline Bytes build(const CharacterSet& cs, const Layout& layout = Layout())
{
    Bytes out = beginFont(cs.name);
    if (layout.withDescriptor)
        append(out, field(FND, descriptorData(cs)));
    append(out, field(FNC, controlData(cs)));
    if (cs.technology == 0x05)
        append(out, field(FNM, patternsMapData(cs)));
    append(out, field(FNO, orientationData(cs)));
    append(out, field(FNP, positionData(cs)));
    for (size_t r = 0; r < (layout.indexPerRotation ? cs.rotations.size() : 1); ++r)
        append(out, field(FNI, indexData(cs, r == 0)));
    if (cs.technology == 0x05) {
        append(out, splitFields(FNG, patternData(cs), layout.patternPiece));
    } else {
        append(out, splitFields(FNN, nameMapData(cs), layout.namePiece));
        Bytes object = outlineHeader(cs.program.size());
        append(object, cs.program);
        append(out, splitFields(FNG, object, layout.patternPiece ? layout.patternPiece : 32000));
    }
    append(out, endFont(cs.name));
    return out;
}

inline Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// FreeType over one Type 1 font.
class Type1Face
{
public:
    explicit Type1Face(const std::string& path)
    {
        if (FT_Init_FreeType(&m_library) != 0)
            throw std::runtime_error("FreeType");
        if (FT_New_Face(m_library, path.c_str(), 0, &m_face) != 0) {
            FT_Done_FreeType(m_library);
            throw std::runtime_error("cannot open " + path);
        }
    }
    ~Type1Face()
    {
        FT_Done_Face(m_face);
        FT_Done_FreeType(m_library);
    }
    Type1Face(const Type1Face&) = delete;
    Type1Face& operator=(const Type1Face&) = delete;

    // The character drawn at `points` points and 240 pels per inch, with
    // its raster metrics.
    Character raster(char32_t code, const std::string& gcgid, int points)
    {
        FT_Set_Char_Size(m_face, 0, points * 64, 240, 240);
        const FT_UInt index = FT_Get_Char_Index(m_face, code);
        if (FT_Load_Glyph(m_face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0)
            throw std::runtime_error("glyph");
        const FT_GlyphSlot slot = m_face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        Character c;
        c.gcgid = gcgid;
        c.width = bitmap.width ? bitmap.width : 1;
        c.height = bitmap.rows ? bitmap.rows : 1;
        c.pattern.assign(static_cast<size_t>(rowBytes(c.width)) * c.height, 0);
        for (unsigned y = 0; y < bitmap.rows; ++y)
            for (unsigned x = 0; x < rowBytes(bitmap.width); ++x)
                c.pattern[y * rowBytes(c.width) + x] = bitmap.buffer[static_cast<long>(y) * bitmap.pitch + x];
        c.increment = static_cast<unsigned>(slot->advance.x >> 6);
        c.aSpace = slot->bitmap_left;
        c.bSpace = c.width;
        c.cSpace = static_cast<int>(c.increment) - c.aSpace - static_cast<int>(c.bSpace);
        c.ascender = slot->bitmap_top;
        c.descender = static_cast<int>(c.height) - slot->bitmap_top;
        c.baseline = slot->bitmap_top;
        return c;
    }

    // The character in font units (1000 per em) with its glyph name.
    Character outline(char32_t code, const std::string& gcgid)
    {
        const FT_UInt index = FT_Get_Char_Index(m_face, code);
        if (FT_Load_Glyph(m_face, index, FT_LOAD_NO_SCALE) != 0)
            throw std::runtime_error("glyph");
        const FT_Glyph_Metrics& m = m_face->glyph->metrics;
        Character c;
        c.gcgid = gcgid;
        c.increment = static_cast<unsigned>(m.horiAdvance);
        c.aSpace = static_cast<int>(m.horiBearingX);
        c.bSpace = static_cast<unsigned>(m.width);
        c.cSpace = static_cast<int>(m.horiAdvance - m.horiBearingX - m.width);
        c.ascender = static_cast<int>(m.horiBearingY);
        c.descender = static_cast<int>(m.height - m.horiBearingY);
        c.baseline = c.ascender;
        char name[64] = {};
        FT_Get_Glyph_Name(m_face, index, name, sizeof name);
        c.programName = name;
        return c;
    }

private:
    FT_Library m_library = nullptr;
    FT_Face m_face = nullptr;
};

// GCGIDs of Latin letters, digits and the space.
inline std::string gcgidOf(char c)
{
    if (c >= 'A' && c <= 'Z')
        return std::string("L") + c + "020000";
    if (c >= 'a' && c <= 'z')
        return std::string("L") + static_cast<char>(c - 'a' + 'A') + "010000";
    if (c >= '0' && c <= '9')
        return std::string("ND0") + c + "0000";
    return "SP010000";
}

// A raster set of the given characters drawn from a Type 1 font.
inline CharacterSet rasterSet(const std::string& fontPath, const std::string& text, int points,
                              const std::string& name = "C0TEST10")
{
    Type1Face face(fontPath);
    CharacterSet cs;
    cs.name = name;
    cs.nominalVerticalSize = static_cast<unsigned>(points * 10);
    for (char c : text)
        cs.characters.push_back(face.raster(static_cast<unsigned char>(c), gcgidOf(c), points));
    return cs;
}

// An outline set (X'1F') carrying the Type 1 program of the font.
inline CharacterSet outlineSet(const std::string& fontPath, const std::string& text,
                               const std::string& name = "CZTEST10")
{
    Type1Face face(fontPath);
    CharacterSet cs;
    cs.name = name;
    cs.technology = 0x1F;
    cs.relative = true;
    cs.xUnits = 1000;
    cs.yUnits = 1000;
    cs.nominalVerticalSize = 0;
    for (char c : text)
        cs.characters.push_back(face.outline(static_cast<unsigned char>(c), gcgidOf(c)));
    cs.program = readFile(fontPath);
    return cs;
}

// ---------------------------------------------------------------- code pages

struct CodePoint
{
    std::string gcgid;
    unsigned codePoint = 0;
    unsigned flags = 0;
};

struct CodePage
{
    std::string name = "T1V10500";
    // Empty: no descriptor; else its CPGID (0 and X'FFFF' assign none).
    std::vector<unsigned> descriptorCpgid;
    // No control field when false.
    bool withControl = true;
    std::string defaultGcgid = "SP010000";
    unsigned spaceCodePoint = 0x40;
    unsigned useFlags = 0x08;
    std::vector<CodePoint> codePoints;
};

// The GCGIDs and code points of a shipped ".cp" file ("GCGID XX ...").
inline std::vector<CodePoint> codePointsOf(const std::string& path)
{
    std::ifstream in(path);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::vector<CodePoint> out;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == ';' || line[0] == '.')
            continue;
        const size_t blank = line.find(' ');
        if (blank == std::string::npos || blank > 8)
            continue;
        CodePoint cp;
        cp.gcgid = line.substr(0, blank);
        cp.codePoint = static_cast<unsigned>(std::stoul(line.substr(blank + 1, 2), nullptr, 16));
        out.push_back(cp);
    }
    return out;
}

inline Bytes codePageIndexData(const std::vector<CodePoint>& codePoints)
{
    Bytes d;
    for (const CodePoint& cp : codePoints) {
        append(d, name8(cp.gcgid));
        put8(d, cp.flags);
        put8(d, cp.codePoint);
    }
    return d;
}

inline Bytes descriptorData(unsigned cpgid)
{
    Bytes d = ebcdic("TEST CODE PAGE", 32);
    put16(d, 8);
    put32(d, 256);
    put16(d, 697);
    put16(d, cpgid);
    put16(d, 0x6100);
    return d;
}

inline Bytes controlData(const CodePage& cp)
{
    Bytes d = name8(cp.defaultGcgid);
    put8(d, 0x00);
    put8(d, 0x0A);
    put8(d, 0x00);
    put8(d, cp.spaceCodePoint);
    put8(d, cp.useFlags);
    return d;
}

// Index groups per field: all in one field when 0.
inline Bytes build(const CodePage& cp, size_t groupsPerIndex = 0)
{
    Bytes out = field(BCP, name8(cp.name));
    for (unsigned id : cp.descriptorCpgid)
        append(out, field(CPD, descriptorData(id)));
    if (cp.withControl)
        append(out, field(CPC, controlData(cp)));
    if (!cp.codePoints.empty()) {
        const size_t piece = groupsPerIndex ? groupsPerIndex : cp.codePoints.size();
        for (size_t at = 0; at < cp.codePoints.size(); at += piece) {
            const auto first = cp.codePoints.begin() + static_cast<long>(at);
            const auto last = cp.codePoints.begin() + static_cast<long>(std::min(cp.codePoints.size(), at + piece));
            append(out, field(CPI, codePageIndexData(std::vector<CodePoint>(first, last))));
        }
    }
    append(out, field(ECP, name8(cp.name)));
    return out;
}

// ---------------------------------------------------------------- coded fonts

struct CodedFontPart
{
    std::string characterSet;
    std::string codePage;
    unsigned verticalSize = 0;
    unsigned horizontalScale = 0;
    unsigned section = 0;
};

inline Bytes codedFontIndexGroup(const CodedFontPart& part)
{
    Bytes g = name8(part.characterSet);
    append(g, name8(part.codePage));
    put16(g, part.verticalSize);
    put16(g, part.horizontalScale);
    put8(g, 0);
    append(g, Bytes(3, 0));
    put8(g, part.section);
    append(g, Bytes(3, 0));
    return g;
}

inline Bytes buildCodedFont(const std::string& name, const std::vector<CodedFontPart>& parts)
{
    Bytes out = field(BCF, name8(name));
    append(out, field(CFC, {28, 0}));
    Bytes index;
    for (const CodedFontPart& part : parts)
        append(index, codedFontIndexGroup(part));
    append(out, field(CFI, index));
    append(out, field(ECF, name8(name)));
    return out;
}

// ---------------------------------------------------------------- groups

// Resource object types of Begin Resource.
enum : unsigned { RES_CHARSET = 0x40, RES_CODEPAGE = 0x41, RES_CODEDFONT = 0x42 };

// A resource wrapped in Begin and End Resource of the type.
inline Bytes wrapResource(const std::string& name, unsigned type, const Bytes& resource)
{
    Bytes begin = name8(name);
    put16(begin, 0);
    append(begin, {0x0A, 0x21, static_cast<unsigned char>(type), 0, 0, 0, 0, 0, 0, 0});
    Bytes out = field(BR, begin);
    append(out, resource);
    append(out, field(ER, name8(name)));
    return out;
}

struct GroupMember
{
    std::string name;
    unsigned type = 0;
    Bytes bytes;
};

// A resource group; each member in a Begin Resource when wrapped.
inline Bytes buildGroup(const std::vector<GroupMember>& members, bool wrapped, const std::string& name = "G1FONTS")
{
    Bytes out = field(BRG, name8(name));
    for (const GroupMember& m : members)
        append(out, wrapped ? wrapResource(m.name, m.type, m.bytes) : m.bytes);
    append(out, field(ERG, name8(name)));
    return out;
}

// The print file with the group in front of its first Begin Document.
inline Bytes spliceBeforeDocument(const Bytes& printFile, const Bytes& group)
{
    for (size_t at = 0; at + 6 <= printFile.size();) {
        if (printFile[at] != 0x5A)
            throw std::runtime_error("not a structured field at " + std::to_string(at));
        const size_t length = (static_cast<size_t>(printFile[at + 1]) << 8) | printFile[at + 2];
        if (printFile[at + 3] == 0xD3 && printFile[at + 4] == 0xA8 && printFile[at + 5] == 0xA8) {
            Bytes out(printFile.begin(), printFile.begin() + static_cast<long>(at));
            append(out, group);
            out.insert(out.end(), printFile.begin() + static_cast<long>(at), printFile.end());
            return out;
        }
        at += 1 + length;
    }
    throw std::runtime_error("no Begin Document");
}

} // namespace foca
} // namespace lrbtest

#endif
