#ifndef QEL_FONT_REPRESENTATION_H
#define QEL_FONT_REPRESENTATION_H

#include "qelRepresentation.h"

#include <cstdint>
#include <string>

class qelFontMetrics;
class qelImageHandle;
class qelString;

// One font in one format: names, style flags, sizes, code range, width
// table, metrics, an optional font program and, for raster fonts, a strip
// of all glyphs. Owns its metrics, strings, width table, font program and
// raster image; the GCGID array is borrowed.
class qelFontRepresentation : public qelRepresentation
{
public:
    // Representation type codes.
    enum Type {
        TYPE_AFP = 0,
        TYPE_TYPE1 = 1,
        TYPE_PFM = 2,
        TYPE_PFB = 3,
        TYPE_TYPE3 = 4,
        TYPE_TRUETYPE = 5,
        TYPE_OPENTYPE = 6,
        TYPE_AFP_CHARSET = 7,
        TYPE_AFP_CODEPAGE = 8,
        TYPE_PDF = 9
    };

    qelFontRepresentation() = default;
    ~qelFontRepresentation() override;
    qelFontRepresentation(const qelFontRepresentation&) = delete;
    qelFontRepresentation& operator=(const qelFontRepresentation&) = delete;

    virtual const char* getName() const;
    // Style name such as "Times-New-Roman-BoldItalic" into a buffer of
    // `size` bytes, cut to fit and always terminated; returns the buffer.
    // Nothing is written for a null buffer or a size below 1.
    virtual char* getStyleName(char* buffer, int size) const;
    // New[] array of the widths of codes first..last, or null when the
    // range lies outside the width table.
    virtual uint16_t* getWidths(int first, int last) const;
    // Writes the font file; -1 here.
    virtual int writeFile(const char* path);

    // Deletes the previous metrics.
    void setMetrics(qelFontMetrics* metrics);
    qelFontMetrics* getMetrics() const { return m_metrics; }
    void setFileName(const char* name);
    const char* getFileName() const;
    void setName(const char* name);
    void setFirstChar(int32_t code) { m_firstChar = code; }
    int32_t getFirstChar() const { return m_firstChar; }
    void setLastChar(int32_t code) { m_lastChar = code; }
    int32_t getLastChar() const { return m_lastChar; }
    // Borrowed glyph names by code point (256 entries).
    void setGCGIDArray(char** names) { m_gcgidArray = names; }
    char** getGCGIDArray() const { return m_gcgidArray; }
    void setGCGIDCount(int32_t n) { m_gcgidCount = n; }
    int32_t getGCGIDCount() const { return m_gcgidCount; }
    // Takes over a new[] table of last - first + 1 widths (entry i is the
    // width of code first + i); frees the previous table.
    void setWidthTable(uint16_t* table);
    uint16_t* getWidthTable() const { return m_widthTable; }
    void setSpaceCodePoint(int32_t cp) { m_spaceCodePoint = cp; }
    int32_t getSpaceCodePoint() const { return m_spaceCodePoint; }
    void setDefaultCharName(const char* name);
    const char* getDefaultCharName() const;
    void setSpaceCharName(const char* name);
    const char* getSpaceCharName() const;
    void setUniformCharIncrement(bool on) { m_uniformCharIncrement = on; }
    bool isUniformCharIncrement() const { return m_uniformCharIncrement; }
    // Keeps the font's code page as it came when converted for AFP output.
    void setEncodingFlag(bool on) { m_encodingFlag = on; }
    bool hasEncodingFlag() const { return m_encodingFlag; }
    void setTypefaceName(const char* name);
    const char* getTypefaceName() const;
    void setItalic(bool on) { m_italic = on; }
    bool isItalic() const { return m_italic; }
    void setBold(bool on) { m_bold = on; }
    bool isBold() const { return m_bold; }
    void setLight(bool on) { m_light = on; }
    bool isLight() const { return m_light; }
    void setFixedPitch(bool on) { m_fixedPitch = on; }
    bool isFixedPitch() const { return m_fixedPitch; }
    void setUnderline(bool on) { m_underline = on; }
    bool isUnderline() const { return m_underline; }
    void setHollow(bool on) { m_hollow = on; }
    bool isHollow() const { return m_hollow; }
    void setStrikeover(bool on) { m_strikeover = on; }
    bool isStrikeover() const { return m_strikeover; }
    // Units per inch (240, 300 or 600 for AFP raster fonts, 0 when unknown).
    void setResolution(int32_t v) { m_resolution = v; }
    int32_t getResolution() const { return m_resolution; }
    // 1000 for relative metrics.
    void setUnitsPerUnitBase(int32_t v) { m_unitsPerUnitBase = v; }
    int32_t getUnitsPerUnitBase() const { return m_unitsPerUnitBase; }
    void setFontResolutionY(int32_t v) { m_fontResolutionY = v; }
    int32_t getFontResolutionY() const { return m_fontResolutionY; }
    // Nominal size in tenths of a point, -1 when unset.
    void setHeight(int32_t v) { m_height = v; }
    int32_t getHeight() const { return m_height; }
    void setWidth(int32_t v) { m_width = v; }
    int32_t getWidth() const { return m_width; }

    const uint8_t* getFontData() const { return m_fontData; }
    int32_t getFontDataLength() const { return m_fontDataLength; }
    // Appends bytes to the font program; null or a length below 1 changes
    // nothing.
    void appendFontData(const uint8_t* bytes, int32_t length);

    qelImageHandle* getRasterImage() const { return m_rasterImage; }
    // Renders every raster glyph into one 1-bit strip, one slot of the
    // maximum character box per character metrics entry; once.
    void buildGlyphBitmap();

    // Sniffs a font file: 0 with the type (2 PFM, 3 PFB, 5 TrueType, 8 not
    // a font file or unhandled), -2 for a missing or empty file, -1 when the
    // file ends too early, else the system error number.
    static int detectFontType(const char* path, int* type);
    static const char* fontTypeName(int code);
    static const char* fontTypeText(int code);
    static uint32_t swap32(uint32_t v);
    static uint16_t swap16(uint16_t v);
    static bool isBigEndianHost();
    // Turns every carriage return into a line feed in place.
    static char* convertLineEnds(char* buffer, int length);

protected:
    // Start text with blanks as '-', then '-' and the style words not yet
    // in the text; the start text is cut to 511 characters.
    std::string composeStyleName(const char* start) const;
    static char* writeStyleName(const std::string& name, char* buffer, int size);

private:
    qelFontMetrics* m_metrics = nullptr;
    qelString* m_fileName = nullptr;
    qelString* m_name = nullptr;
    int32_t m_firstChar = -1;
    int32_t m_lastChar = -1;
    char** m_gcgidArray = nullptr;
    int32_t m_gcgidCount = 0;
    uint16_t* m_widthTable = nullptr;
    int32_t m_spaceCodePoint = -1;
    qelString* m_defaultCharName = nullptr;
    qelString* m_spaceCharName = nullptr;
    bool m_uniformCharIncrement = false;
    bool m_encodingFlag = false;
    qelString* m_typefaceName = nullptr;
    bool m_italic = false;
    bool m_bold = false;
    bool m_light = false;
    bool m_fixedPitch = false;
    uint8_t* m_fontData = nullptr;
    int32_t m_fontDataLength = 0;
    bool m_underline = false;
    bool m_hollow = false;
    bool m_strikeover = false;
    int32_t m_resolution = 0;
    int32_t m_unitsPerUnitBase = 0;
    int32_t m_fontResolutionY = 0;
    int32_t m_height = -1;
    int32_t m_width = -1;
    qelImageHandle* m_rasterImage = nullptr;
};

#endif
