#ifndef QEL_TEXT_OBJECT_H
#define QEL_TEXT_OBJECT_H

#include "qelGraphicObject.h"

#include <cstdint>

class qelAFPFont;
class qelCodePage;
class qelMappedRes;
class qelString;

// One run of text in one font at one position and orientation.
class qelTextObject : public qelGraphicObject
{
public:
    // Text extents at the origin in output units (y grows downwards).
    struct Extents {
        float left = 0.0f;
        float top = 0.0f;
        float right = 0.0f;
        float bottom = 0.0f;
    };

    qelTextObject();
    qelTextObject(qelPoint position, qelMappedRes* fontMapping, const unsigned char* codePoints, const char* text,
                  uint16_t length, uint16_t iAxisOrientation, uint16_t bAxisOrientation, uint32_t colorValue);
    ~qelTextObject() override;

    void write(qelVisitor* visitor) override;
    void fixAbsPosition() override;
    void computeBoundingBox() override;
    int kind() const override { return KIND_TEXT; }

    // Whether the text shows nothing.
    bool isBlank() const;
    // Records the code points that the font must supply.
    void bindCodePoints();
    // Logs code points whose GCGID fell back to the code page's default.
    void warnUnassignedGCGIDs(qelAFPFont* font, qelCodePage* codePage);

    void setText(const char* text);
    const char* getText() const;
    // Copies textLength bytes; set the length first. Null clears.
    void setCodePointText(const unsigned char* bytes);
    const unsigned char* getCodePointText() const { return m_codePointText; }
    void setCodes(const int32_t* values, int count);
    const int32_t* getCodes() const { return m_unicodeText; }
    int32_t getUnicodeTextLength() const { return m_unicodeTextLength; }
    void setUnicodeValues(const uint32_t* values, int count);
    const uint32_t* getUnicodeValues() const { return m_unicodeValues; }
    void setFontName(const char* name);
    const char* getFontName() const;
    void setTextId(const char* id);
    const char* getTextId() const;

    qelAFPFont* getFont() const { return m_font; }
    void setFont(qelAFPFont* font) { m_font = font; }
    uint16_t getTextLength() const { return m_textLength; }
    void setTextLength(uint16_t n) { m_textLength = n; }
    uint8_t getTextFromScript() const { return m_textFromScript; }
    void setTextFromScript(uint8_t v) { m_textFromScript = v; }
    uint8_t getCodePointsFromScript() const { return m_codePointsFromScript; }
    void setCodePointsFromScript(uint8_t v) { m_codePointsFromScript = v; }
    uint8_t getInterCharacterDirection() const { return m_interCharacterDirection; }
    void setInterCharacterDirection(uint8_t v) { m_interCharacterDirection = v; }
    uint8_t getOverstrike() const { return m_overstrike; }
    void setOverstrike(uint8_t v) { m_overstrike = v; }
    uint16_t getOverstrikeCharacter() const { return m_overstrikeCharacter; }
    void setOverstrikeCharacter(uint16_t v) { m_overstrikeCharacter = v; }
    float getWordSpacing() const { return m_wordSpacing; }
    void setWordSpacing(float v) { m_wordSpacing = v; }
    float getCharacterSpacing() const { return m_characterSpacing; }
    void setCharacterSpacing(float v) { m_characterSpacing = v; }
    uint8_t getUnderline() const { return m_underline; }
    void setUnderline(uint8_t v) { m_underline = v; }
    int32_t getFontWidth() const { return m_fontWidth; }
    void setFontWidth(int32_t v) { m_fontWidth = v; }
    int32_t getFontHeight() const { return m_fontHeight; }
    void setFontHeight(int32_t v) { m_fontHeight = v; }
    uint16_t getCharacterRotation() const { return m_characterRotation; }
    void setCharacterRotation(uint16_t v) { m_characterRotation = v; }
    int32_t getTextIndex() const { return m_textIndex; }
    void setTextIndex(int32_t v) { m_textIndex = v; }
    qelMappedRes* getFontMapping() const { return m_fontMapping; }
    void setFontMapping(qelMappedRes* mapping) { m_fontMapping = mapping; }
    uint8_t getLocalFontId() const { return m_localFontId; }
    void setLocalFontId(uint8_t v) { m_localFontId = v; }
    uint8_t getCustomEncoding() const { return m_customEncoding; }
    void setCustomEncoding(uint8_t v) { m_customEncoding = v; }
    qelCodePage* getCodePage() const { return m_codePage; }
    void setCodePage(qelCodePage* cp) { m_codePage = cp; }
    float getHorizontalScaling() const { return m_horizontalScaling; }
    void setHorizontalScaling(float v) { m_horizontalScaling = v; }
    uint8_t getGlyphsMapped() const { return m_glyphsMapped; }
    void setGlyphsMapped(uint8_t v) { m_glyphsMapped = v; }
    double getFontSize() const { return m_fontSize; }
    void setFontSize(double v) { m_fontSize = v; }
    const double* getCtm() const { return m_ctm; }
    void setCtm(const double* m) { copyMatrix(m_ctm, m); }
    const double* getTextMatrix() const { return m_textMatrix; }
    void setTextMatrix(const double* m) { copyMatrix(m_textMatrix, m); }
    const double* getDeviceMatrix() const { return m_deviceMatrix; }
    void setDeviceMatrix(const double* m) { copyMatrix(m_deviceMatrix, m); }

    // Width of the text from the PDF font's width array; false when the
    // font has none.
    bool computePDFWidth(double& width) const;

private:
    static void copyMatrix(double* dst, const double* src);
    bool isSpaceCode(int index, unsigned int code, bool singleByte) const;

    bool blankExtents(Extents& e) const;
    bool glyphExtents(Extents& e) const;
    bool characterSetExtents(Extents& e) const;
    // useMappingDef: find the file through the font mapping definition.
    // mustSucceed: a missing font file throws instead of failing.
    bool fontFileExtents(Extents& e, bool useMappingDef, bool mustSucceed) const;
    bool metricsExtents(Extents& e, qelCodePage* codePage, class qelFontMetrics* metrics, int unitsPerEm,
                        bool relative, bool type3) const;
    void boxFromExtents(const Extents& e);
    void bindRaster(qelAFPFont* font, qelCodePage* codePage);

    qelAFPFont* m_font = nullptr;
    unsigned char* m_codePointText = nullptr;
    qelString* m_text = nullptr;
    uint16_t m_textLength = 0;
    int32_t* m_unicodeText = nullptr;
    int32_t m_unicodeTextLength = 0;
    uint32_t* m_unicodeValues = nullptr;
    uint8_t m_textFromScript = 0;
    uint8_t m_codePointsFromScript = 0;
    uint8_t m_interCharacterDirection = 0;
    uint8_t m_overstrike = 0;
    uint16_t m_overstrikeCharacter = 0;
    float m_wordSpacing = 0.0f;
    float m_characterSpacing = 0.0f;
    uint8_t m_underline = 0;
    int32_t m_fontWidth = 0;
    int32_t m_fontHeight = 0;
    uint16_t m_characterRotation = 0;
    int32_t m_textIndex = -1;
    qelString* m_fontName = nullptr;
    qelMappedRes* m_fontMapping = nullptr;
    uint8_t m_localFontId = 0;
    qelString* m_textId = nullptr;
    uint8_t m_customEncoding = 0;
    qelCodePage* m_codePage = nullptr;
    float m_horizontalScaling = 1.0f;
    uint8_t m_glyphsMapped = 1;
    double m_fontSize = 0.0;
    double m_ctm[6] = {-1.0, -1.0, -1.0, -1.0, -1.0, -1.0};
    double m_textMatrix[6] = {-1.0, -1.0, -1.0, -1.0, -1.0, -1.0};
    double m_deviceMatrix[6] = {-1.0, -1.0, -1.0, -1.0, -1.0, -1.0};
};

#endif
