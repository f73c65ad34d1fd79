#ifndef QEL_TTF_GLYPH_PARSER_H
#define QEL_TTF_GLYPH_PARSER_H

#include <cstddef>
#include <cstdint>
#include <vector>

class qelIOStream;
struct qelTTFHeadTable;
struct qelTTFHheaTable;
struct qelTTFMaxpTable;
struct qelTTFOS2Table;
struct qelTTFTableDirectory;
struct qelTTFVheaTable;

// The glyphs whose metrics the glyph pass reads, each once, in the order
// they were added, with their advance widths.
class qelTTFGlyphSet
{
public:
    static const int MAX_GLYPHS = 65533;

    qelTTFGlyphSet();
    // Adds a glyph not yet in the set; throws E120 "Too many glyphs." when
    // the set is full. Returns its position.
    int add(uint16_t glyph);
    bool contains(uint16_t glyph) const { return m_position[glyph] >= 0; }
    int size() const { return static_cast<int>(m_glyphs.size()); }
    uint16_t glyphAt(int i) const { return m_glyphs[static_cast<size_t>(i)]; }
    void setAdvance(int i, uint16_t advance) { m_advances[static_cast<size_t>(i)] = advance; }
    // Advance of a glyph of the set, 0 for one that is not in it.
    uint16_t advanceOf(uint16_t glyph) const;
    void setUnitsPerEm(uint16_t units) { m_unitsPerEm = units; }
    uint16_t getUnitsPerEm() const { return m_unitsPerEm; }

private:
    std::vector<uint16_t> m_glyphs;
    std::vector<uint16_t> m_advances;
    std::vector<int32_t> m_position;
    uint16_t m_unitsPerEm = 0;
};

// The glyph pass: horizontal (and vertical) metrics, glyph offsets and the
// glyph data of every glyph of the set, components of composite glyphs
// included.
class qelTTFGlyphParser
{
public:
    qelTTFGlyphParser(qelIOStream* stream, const qelTTFTableDirectory* directory);
    // 0, or throws E120.
    int readGlyphs(qelTTFGlyphSet* set, const qelTTFHeadTable* head, const qelTTFHheaTable* hhea,
                   const qelTTFMaxpTable* maxp, const qelTTFOS2Table* os2, const qelTTFVheaTable* vhea);

private:
    qelIOStream* m_stream;
    const qelTTFTableDirectory* m_directory;
};

#endif
