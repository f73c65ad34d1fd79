#ifndef QEL_BARCODE_OBJECT_H
#define QEL_BARCODE_OBJECT_H

#include "qelGraphicObject.h"

#include <cstdint>

class qelBarcodeSymbol;
class qelList;
class qelMappedRes;
class qelMedia;
class qelRes;
class qelString;

// A bar code presentation object: the descriptor's parameters and one
// symbol per Bar Code Data field. The symbols render themselves once, at the
// object's first write.
class qelBarcodeObject : public qelGraphicObject
{
public:
    // Bar code types with an encoder.
    enum { TYPE_CODE39 = 1, TYPE_CODE128 = 17, TYPE_DATA_MATRIX = 28 };

    qelBarcodeObject();
    ~qelBarcodeObject() override;

    void write(qelVisitor* visitor) override;
    void fixAbsPosition() override {}
    void computeBoundingBox() override {}
    int kind() const override { return KIND_BARCODE; }

    // Descriptive name of a bar code type; "Invalid Barcode Type" for
    // undefined types.
    static const char* getTypeName(uint32_t type);
    const char* getTypeName() const { return getTypeName(m_barcodeType); }

    // Frees the current name and keeps a copy; null leaves no name.
    void setName(const char* name);
    // The name or null.
    const char* getName() const;

    // Appends the symbol to the owned list, created on first use; null only
    // creates the list.
    void addData(qelBarcodeSymbol* symbol);
    qelList* getSymbols() const { return m_symbols; }
    // Lets every symbol render itself, in order, and marks them prepared.
    void prepareSymbols();
    bool areSymbolsPrepared() const { return m_symbolsPrepared != 0; }

    uint16_t getPresentationWidth() const { return m_presentationWidth; }
    void setPresentationWidth(uint16_t v) { m_presentationWidth = v; }
    uint16_t getPresentationHeight() const { return m_presentationHeight; }
    void setPresentationHeight(uint16_t v) { m_presentationHeight = v; }
    uint32_t getBarcodeType() const { return m_barcodeType; }
    void setBarcodeType(uint32_t v) { m_barcodeType = v; }
    uint8_t getModifier() const { return m_modifier; }
    void setModifier(uint8_t v) { m_modifier = v; }
    int32_t getModuleWidth() const { return m_moduleWidth; }
    void setModuleWidth(int32_t v) { m_moduleWidth = v; }
    int32_t getElementHeight() const { return m_elementHeight; }
    void setElementHeight(int32_t v) { m_elementHeight = v; }
    float getWideToNarrowRatio() const { return m_wideToNarrowRatio; }
    void setWideToNarrowRatio(float v) { m_wideToNarrowRatio = v; }
    uint8_t getReferenceCoordinateSystem() const { return m_referenceCoordinateSystem; }
    void setReferenceCoordinateSystem(uint8_t v) { m_referenceCoordinateSystem = v; }
    uint8_t getMappingOption() const { return m_mappingOption; }
    void setMappingOption(uint8_t v) { m_mappingOption = v; }
    uint16_t getXAxisRotation() const { return m_xAxisRotation; }
    void setXAxisRotation(uint16_t v) { m_xAxisRotation = v; }
    uint16_t getYAxisRotation() const { return m_yAxisRotation; }
    void setYAxisRotation(uint16_t v) { m_yAxisRotation = v; }
    // Origin of the object content in the object area.
    int32_t getContentOriginX() const { return m_contentOriginX; }
    void setContentOriginX(int32_t v) { m_contentOriginX = v; }
    int32_t getContentOriginY() const { return m_contentOriginY; }
    void setContentOriginY(int32_t v) { m_contentOriginY = v; }

    // Font kind the human-readable text of the type needs: 255 the page's
    // fonts, 3 an OCR font, -1 no text.
    int getHRIFontType() const;

    // Appends to the owned mapped-font list, created on first use.
    void addMappedFont(qelMappedRes* mapped);
    qelList* getMappedFonts() const { return m_mappedFonts; }
    // First mapped font of the local id, else null.
    qelMappedRes* findMappedFont(uint8_t localId) const;
    // Resolves the unresolved font entries through the global resource list.
    void bindFonts();
    bool areFontsBound() const { return m_fontsBound != 0; }
    void setAbsolutePositionToPosition() { setAbsolutePosition(getX(), getY()); }

private:
    // Places the object through the resource it is being written with.
    void computeAbsolutePosition();
    // Position composed through one include of resource on a page media.
    qelPoint placeOnPage(qelMedia* media, qelRes* resource, qelPoint v) const;
    // Position composed through nested overlays up to the page.
    void placeThroughOverlay(qelRes* overlay, qelRes* inner);

    uint16_t m_presentationWidth = 0;
    uint16_t m_presentationHeight = 0;
    uint32_t m_barcodeType = 0;
    uint8_t m_modifier = 0;
    int32_t m_moduleWidth = 0;
    int32_t m_elementHeight = 0;
    float m_wideToNarrowRatio = 0.0f;
    qelList* m_symbols = nullptr;
    qelString* m_name = nullptr;
    uint8_t m_symbolsPrepared = 0;
    uint8_t m_referenceCoordinateSystem = 255;
    uint8_t m_mappingOption = 255;
    uint16_t m_xAxisRotation = 0;
    uint16_t m_yAxisRotation = 0;
    int32_t m_contentOriginX = 0;
    int32_t m_contentOriginY = 0;
    qelList* m_mappedFonts = nullptr;
    uint8_t m_fontsBound = 0;
};

#endif
