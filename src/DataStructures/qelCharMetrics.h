#ifndef QEL_CHAR_METRICS_H
#define QEL_CHAR_METRICS_H

#include "qelMetrics.h"

#include <cstdint>

class qelFontGlyph;
class qelString;

// Metrics of one character of a font.
class qelCharMetrics : public qelMetrics
{
public:
    qelCharMetrics() = default;
    ~qelCharMetrics() override;
    qelCharMetrics(const qelCharMetrics&) = delete;
    qelCharMetrics& operator=(const qelCharMetrics&) = delete;

    // GCGID of AFP fonts, the glyph name of Type 3 fonts. Setters keep a
    // copy; null clears.
    const char* getGlyphName() const;
    void setGlyphName(const char* name);
    // Second name given when an AFP code page is generated for the font.
    const char* getCharId() const;
    void setCharId(const char* id);
    int32_t getCodePoint() const { return m_codePoint; }
    void setCodePoint(int32_t cp) { m_codePoint = cp; }
    // Borrowed from the font metrics' glyph list.
    qelFontGlyph* getGlyph() const { return m_glyph; }
    void setGlyph(qelFontGlyph* glyph) { m_glyph = glyph; }
    // Slot in the raster glyph strip, -1 when unset.
    int32_t getPatternIndex() const { return m_patternIndex; }
    void setPatternIndex(int32_t index) { m_patternIndex = index; }

private:
    qelString* m_glyphName = nullptr;
    qelString* m_charId = nullptr;
    int32_t m_codePoint = -1;
    qelFontGlyph* m_glyph = nullptr;
    int32_t m_patternIndex = -1;
};

#endif
