#ifndef QEL_FONT_GLYPH_H
#define QEL_FONT_GLYPH_H

#include <cstdint>

// One raster pattern: height rows of ceil(width / 8) bytes, top row first,
// most significant bit leftmost, a set bit is an inked pel.
class qelFontGlyph
{
public:
    qelFontGlyph() = default;
    virtual ~qelFontGlyph();
    qelFontGlyph(const qelFontGlyph&) = delete;
    qelFontGlyph& operator=(const qelFontGlyph&) = delete;

    uint16_t getWidth() const { return m_width; }
    void setWidth(uint16_t w) { m_width = w; }
    uint16_t getHeight() const { return m_height; }
    void setHeight(uint16_t h) { m_height = h; }
    int32_t getRasterLength() const { return m_rasterLength; }
    void setRasterLength(int32_t n) { m_rasterLength = n; }
    const uint8_t* getRaster() const { return m_raster; }
    // Frees the old bytes and keeps a copy of `length` bytes; a null source
    // or a length of 0 or less leaves no raster (length 0).
    void setRaster(const uint8_t* bytes, int32_t length);

private:
    uint16_t m_width = 0;
    uint16_t m_height = 0;
    int32_t m_rasterLength = 0;
    uint8_t* m_raster = nullptr;
};

#endif
