#ifndef QEL_BARCODE_SYMBOL_H
#define QEL_BARCODE_SYMBOL_H

#include <cstdint>

class qelBarcodeObject;
class qelTextObject;

// One symbol of a bar code object: the data and presentation flags of one
// Bar Code Data field and, once drawn, the generated pattern and its size.
// The base class draws nothing; symbologies with an encoder override draw.
class qelBarcodeSymbol
{
public:
    // HRI positions.
    enum { HRI_DEFAULT = 0, HRI_ABOVE = 1, HRI_BELOW = 2 };

    qelBarcodeSymbol();
    qelBarcodeSymbol(const qelBarcodeSymbol&) = delete;
    qelBarcodeSymbol& operator=(const qelBarcodeSymbol&) = delete;
    virtual ~qelBarcodeSymbol();

    // Generates the pattern and the size with the object's parameters.
    virtual void draw(qelBarcodeObject* object);

    // Frees the old data and keeps a zero-terminated copy of length bytes;
    // null bytes or a negative length leave the data empty.
    void setData(const unsigned char* bytes, int length);
    unsigned char* getData() const { return m_data; }
    int getDataLength() const { return m_dataLength; }
    // Shortens the recorded data length; values outside 0..length are ignored.
    void setDataLength(int length);

    // Like setData, for the generated pattern.
    void setPattern(const unsigned char* bytes, int length);
    const unsigned char* getPattern() const { return m_pattern; }
    int getPatternLength() const { return m_patternLength; }

    uint16_t getXOrigin() const { return m_xOrigin; }
    void setXOrigin(uint16_t v) { m_xOrigin = v; }
    uint16_t getYOrigin() const { return m_yOrigin; }
    void setYOrigin(uint16_t v) { m_yOrigin = v; }
    float getWidth() const { return m_width; }
    void setWidth(float v) { m_width = v; }
    float getHeight() const { return m_height; }
    void setHeight(float v) { m_height = v; }
    bool isSymbolPresented() const { return m_symbolPresented; }
    void setSymbolPresented(bool v) { m_symbolPresented = v; }
    bool isTrailingBlanksSuppressed() const { return m_trailingBlanksSuppressed; }
    void setTrailingBlanksSuppressed(bool v) { m_trailingBlanksSuppressed = v; }
    bool isHRIPresented() const { return m_hriPresented; }
    void setHRIPresented(bool v) { m_hriPresented = v; }
    bool isAsteriskPresented() const { return m_asteriskPresented; }
    void setAsteriskPresented(bool v) { m_asteriskPresented = v; }
    int getHRIPosition() const { return m_hriPosition; }
    void setHRIPosition(int v) { m_hriPosition = v; }
    int getCheckValue() const { return m_checkValue; }
    void setCheckValue(int v) { m_checkValue = v; }

    qelTextObject* getHRIText() const { return m_hriText; }
    // Takes the text over, deleting an earlier one.
    void setHRIText(qelTextObject* text);

private:
    uint16_t m_xOrigin = 0;
    uint16_t m_yOrigin = 0;
    unsigned char* m_data = nullptr;
    int m_dataLength = 0;
    unsigned char* m_pattern = nullptr;
    int m_patternLength = 0;
    float m_width = 0.0f;
    float m_height = 0.0f;
    bool m_symbolPresented = false;
    bool m_trailingBlanksSuppressed = false;
    bool m_hriPresented = false;
    bool m_asteriskPresented = false;
    int m_hriPosition = HRI_DEFAULT;
    int m_checkValue = -1;
    qelTextObject* m_hriText = nullptr;
};

#endif
