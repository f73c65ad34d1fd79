#ifndef QEL_FONT_METRICS_H
#define QEL_FONT_METRICS_H

#include "qelMetrics.h"

#include <cstdint>
#include <type_traits>

class qelAFPCharMetrics;
class qelCharMetrics;
class qelFontGlyph;

// Font-wide measures of a font with its character metrics and raster
// glyphs. Values that vary with the character rotation are kept per
// orientation index (0, 90, 180, 270 degrees); the first orientation set
// also stands for 0 degrees until 0 degrees itself is set.
class qelFontMetrics : public qelMetrics
{
public:
    enum { UNSET16 = -32768, UNSET_INCREMENT = -1 };

    qelFontMetrics() = default;
    ~qelFontMetrics() override;
    qelFontMetrics(const qelFontMetrics&) = delete;
    qelFontMetrics& operator=(const qelFontMetrics&) = delete;

    int32_t getMaxCharBoxWidth() const { return m_maxCharBoxWidth; }
    void setMaxCharBoxWidth(int32_t v) { m_maxCharBoxWidth = v; }
    int32_t getMaxCharBoxHeight() const { return m_maxCharBoxHeight; }
    void setMaxCharBoxHeight(int32_t v) { m_maxCharBoxHeight = v; }
    int32_t getMinX() const { return m_minX; }
    void setMinX(int32_t v) { m_minX = v; }
    int32_t getMinY() const { return m_minY; }
    void setMinY(int32_t v) { m_minY = v; }

    void setCapMHeight(int orientation, int16_t v) { setOriented(m_capMHeight, UNSET16, orientation, v); }
    int16_t getCapMHeight(int orientation) const { return m_capMHeight[index(orientation)]; }
    void setLowercaseHeight(int orientation, int16_t v) { setOriented(m_lowercaseHeight, UNSET16, orientation, v); }
    int16_t getLowercaseHeight(int orientation) const { return m_lowercaseHeight[index(orientation)]; }
    void setUnderscoreWidth(int orientation, int16_t v) { setOriented(m_underscoreWidth, UNSET16, orientation, v); }
    int16_t getUnderscoreWidth(int orientation) const { return m_underscoreWidth[index(orientation)]; }
    void setUnderscorePosition(int orientation, int16_t v)
    {
        setOriented(m_underscorePosition, UNSET16, orientation, v);
    }
    int16_t getUnderscorePosition(int orientation) const { return m_underscorePosition[index(orientation)]; }
    void setMaxCharIncrement(int orientation, int16_t v)
    {
        setOriented(m_maxCharIncrement, UNSET_INCREMENT, orientation, v);
    }
    int16_t getMaxCharIncrement(int orientation) const { return m_maxCharIncrement[index(orientation)]; }

    // Flags: stored for orientations 0 to 3 only.
    void setUniformCharIncrement(int orientation, bool on);
    bool isUniformCharIncrement(int orientation) const { return m_uniformCharIncrement[index(orientation)]; }
    void setKerning(int orientation, bool on);
    bool hasKerning(int orientation) const { return m_kerning[index(orientation)]; }

    // The list takes over an array made with new[] of entries made with new
    // (entries may be null); the previous list is deleted with its entries.
    void setCharMetricsList(qelCharMetrics** list, int32_t count);
    qelCharMetrics** getCharMetricsList() const { return m_charMetrics; }
    void setCharMetricsCount(int32_t count) { m_charMetricsCount = count; }
    int32_t getCharMetricsCount() const { return m_charMetricsCount; }
    // Same for the raster glyphs, indexed by pattern index.
    void setGlyphList(qelFontGlyph** list, int32_t count);
    qelFontGlyph** getGlyphList() const { return m_glyphs; }
    void setGlyphCount(int32_t count) { m_glyphCount = count; }
    int32_t getGlyphCount() const { return m_glyphCount; }
    // Glyph of a pattern index, or null.
    qelFontGlyph* getGlyph(int32_t index) const;

    // First AFP character metrics entry whose glyph name equals the name
    // exactly, or null.
    virtual qelAFPCharMetrics* findCharMetrics(const char* glyphName) const;
    // First entry with the code point, or null.
    qelCharMetrics* findCharMetricsByCode(int32_t code) const;

protected:
    // Orientation 0 to 3 itself, any other value orientation 0.
    static int index(int orientation) { return orientation >= 0 && orientation < 4 ? orientation : 0; }
    template <class T>
    static void setOriented(T (&values)[4], typename std::common_type<T>::type unset, int orientation,
                            typename std::common_type<T>::type v)
    {
        if (orientation != 0 && values[0] == static_cast<T>(unset))
            values[0] = static_cast<T>(v);
        if (orientation >= 0 && orientation < 4)
            values[orientation] = static_cast<T>(v);
    }

private:
    void deleteCharMetrics();
    void deleteGlyphs();

    int32_t m_maxCharBoxWidth = 0;
    int32_t m_maxCharBoxHeight = 0;
    int32_t m_minX = 0;
    int32_t m_minY = 0;
    int16_t m_capMHeight[4] = {UNSET16, UNSET16, UNSET16, UNSET16};
    int16_t m_lowercaseHeight[4] = {UNSET16, UNSET16, UNSET16, UNSET16};
    int16_t m_underscoreWidth[4] = {UNSET16, UNSET16, UNSET16, UNSET16};
    int16_t m_underscorePosition[4] = {UNSET16, UNSET16, UNSET16, UNSET16};
    qelCharMetrics** m_charMetrics = nullptr;
    int32_t m_charMetricsCount = 0;
    qelFontGlyph** m_glyphs = nullptr;
    int32_t m_glyphCount = 0;
    int16_t m_maxCharIncrement[4] = {-1, -1, -1, -1};
    bool m_uniformCharIncrement[4] = {false, false, false, false};
    bool m_kerning[4] = {false, false, false, false};
};

#endif
