#ifndef QEL_GRAPHIC_OBJECT_H
#define QEL_GRAPHIC_OBJECT_H

#include "qelBoundingBox.h"
#include "qelPoint.h"

#include <cstdint>

class qelVisitor;
class qelRes;
class qelPageCoordinateTransformer;

// Abstract base of every presentation object of a page, overlay or graphics
// resource. Positions are in the object's own units (`resolution` per inch).
class qelGraphicObject
{
public:
    // Kind codes returned by kind().
    enum Kind {
        KIND_TEXT = 0,
        KIND_LINE = 1,
        KIND_IMAGE = 2,
        KIND_CELL = 3,
        KIND_TIFF = 4,
        KIND_AFP = 6,
        KIND_CONTAINER = 7,
        KIND_AREA = 9,
        KIND_BOX = 10,
        KIND_CURVED_LINE = 11,
        KIND_FULL_ARC = 12,
        KIND_PARTIAL_ARC = 13,
        KIND_FILLET = 14,
        KIND_MARKER = 15,
        KIND_BARCODE = 16,
        KIND_ANNOTATION = 17,
        KIND_BEGIN_CONTROL = 18,
        KIND_END_CONTROL = 19,
        KIND_REFERENCE = 20,
        KIND_CURVE = 21,
        KIND_REFERENCE_LIST = 24
    };

    // Colour spaces of colorValue.
    enum ColorSpace {
        COLOR_NONE = 0,
        COLOR_RGB = 1,
        COLOR_CMYK = 2,
        COLOR_HIGHLIGHT = 3,
        COLOR_CIELAB = 4,
        COLOR_OCA = 5,
        COLOR_GRAY = 6
    };

    qelGraphicObject();
    qelGraphicObject(float x, float y, uint16_t iAxisOrientation, uint16_t bAxisOrientation);
    qelGraphicObject(const qelGraphicObject&) = delete;
    qelGraphicObject& operator=(const qelGraphicObject&) = delete;

    virtual ~qelGraphicObject();
    virtual void write(qelVisitor* visitor) = 0;
    // Writes the object as part of the resource included at the given
    // offset; the object's own area origin survives the write.
    void writeIncluded(qelVisitor* visitor, qelRes* include, qelPoint offset);
    virtual void fixAbsPosition() = 0;
    virtual void computeBoundingBox() = 0;
    virtual int kind() const = 0;
    // Saves nothing: 0 when both names are given, -1 otherwise.
    virtual int saveAs(const char* fileName, const char* format, int* params);

    // Colour as packed RGB 0x00BBGGRR.
    uint32_t getColor() const;

    // Bounding box; computed on first request. Null when none can be made.
    const qelBoundingBox* getBoundingBox();
    void setBoundingBox(qelPoint topLeft, qelPoint bottomRight);
    void setBoundingBoxRecord(const qelBoundingBox* box);
    bool hasBoundingBox() const { return m_boundingBox != nullptr; }

    // Stores the value when asIs is true, otherwise 360 - value.
    void setAngle(float value, bool asIs) { m_angle = asIs ? value : 360.0f - value; }
    float getAngle() const { return m_angle; }

    float getX() const { return m_x; }
    float getY() const { return m_y; }
    void setX(float x) { m_x = x; }
    void setY(float y) { m_y = y; }
    void setPosition(float x, float y) { m_x = x; m_y = y; }
    void setPosition(qelPoint p) { m_x = p.x; m_y = p.y; }
    qelPoint getPosition() const { return qelPoint{m_x, m_y}; }

    int32_t getRelativeInline() const { return m_relativeInline; }
    void setRelativeInline(int32_t v) { m_relativeInline = v; }
    int32_t getRelativeBaseline() const { return m_relativeBaseline; }
    void setRelativeBaseline(int32_t v) { m_relativeBaseline = v; }

    uint32_t getColorValue() const { return m_colorValue; }
    void setColorValue(uint32_t v) { m_colorValue = v; }
    uint16_t getResolution() const { return m_resolution; }
    void setResolution(uint16_t v) { m_resolution = v; }
    uint16_t getIAxisOrientation() const { return m_iAxisOrientation; }
    void setIAxisOrientation(uint16_t v) { m_iAxisOrientation = v; }
    uint16_t getBAxisOrientation() const { return m_bAxisOrientation; }
    void setBAxisOrientation(uint16_t v) { m_bAxisOrientation = v; }

    uint8_t getCoveragePercent() const { return m_coveragePercent; }
    void setCoveragePercent(uint8_t v) { m_coveragePercent = v; }
    uint8_t getShadingPercent() const { return m_shadingPercent; }
    void setShadingPercent(uint8_t v) { m_shadingPercent = v; }
    uint8_t getXUnitBase() const { return m_xUnitBase; }
    void setXUnitBase(uint8_t v) { m_xUnitBase = v; }
    uint8_t getYUnitBase() const { return m_yUnitBase; }
    void setYUnitBase(uint8_t v) { m_yUnitBase = v; }
    uint16_t getXUnitsPerBase() const { return m_xUnitsPerBase; }
    void setXUnitsPerBase(uint16_t v) { m_xUnitsPerBase = v; }
    uint16_t getYUnitsPerBase() const { return m_yUnitsPerBase; }
    void setYUnitsPerBase(uint16_t v) { m_yUnitsPerBase = v; }

    uint8_t getAbsoluteInlineFlag() const { return m_absoluteInlineFlag; }
    void setAbsoluteInlineFlag(uint8_t v) { m_absoluteInlineFlag = v; }
    uint8_t getAbsoluteBaselineFlag() const { return m_absoluteBaselineFlag; }
    void setAbsoluteBaselineFlag(uint8_t v) { m_absoluteBaselineFlag = v; }
    uint8_t getRelativeInlineFlag() const { return m_relativeInlineFlag; }
    void setRelativeInlineFlag(uint8_t v) { m_relativeInlineFlag = v; }
    uint8_t getRelativeBaselineFlag() const { return m_relativeBaselineFlag; }
    void setRelativeBaselineFlag(uint8_t v) { m_relativeBaselineFlag = v; }

    uint8_t getPositionFixed() const { return m_positionFixed; }
    void clearPositionFixed() { m_positionFixed = 0; }

    void setAbsolutePosition(float x, float y) { m_absolutePosition = qelPoint{x, y}; }
    qelPoint getAbsolutePosition() const { return m_absolutePosition; }
    float getAbsoluteX() const { return m_absolutePosition.x; }
    float getAbsoluteY() const { return m_absolutePosition.y; }

    void setAreaOrigin(float x, float y) { m_areaOrigin = qelPoint{x, y}; }
    void setAreaOrigin(qelPoint p) { m_areaOrigin = p; }
    qelPoint getAreaOrigin() const { return m_areaOrigin; }

    // Where the including resource is placed on the page; added to the
    // area origin, which stays the object's own.
    void setIncludeOffset(float x, float y) { m_includeOffset = qelPoint{x, y}; }
    void setIncludeOffset(qelPoint p) { m_includeOffset = p; }
    qelPoint getIncludeOffset() const { return m_includeOffset; }
    qelPoint getOriginOffset() const
    {
        return qelPoint{m_areaOrigin.x + m_includeOffset.x, m_areaOrigin.y + m_includeOffset.y};
    }

    int32_t getForegroundMix() const { return m_foregroundMix; }
    void setForegroundMix(int32_t v) { m_foregroundMix = v; }
    int32_t getBackgroundMix() const { return m_backgroundMix; }
    void setBackgroundMix(int32_t v) { m_backgroundMix = v; }
    int32_t getColorSpace() const { return m_colorSpace; }
    void setColorSpace(int32_t v) { m_colorSpace = v; }

    qelRes* getInclude() const { return m_include; }
    void setInclude(qelRes* res) { m_include = res; }

    uint8_t getCreatedByScript() const { return m_createdByScript; }
    void setCreatedByScript(uint8_t v) { m_createdByScript = v; }
    uint16_t getAreaResolution() const { return m_areaResolution; }
    void setAreaResolution(uint16_t v) { m_areaResolution = v; }
    uint8_t getSuppressed() const { return m_suppressed; }
    void setSuppressed(uint8_t v) { m_suppressed = v; }
    uint8_t getRemoved() const { return m_removed; }
    void setRemoved(uint8_t v) { m_removed = v; }
    uint8_t getRasterize() const { return m_rasterize; }
    void setRasterize(uint8_t v) { m_rasterize = v; }
    int32_t getPlacement() const { return m_placement; }
    void setPlacement(int32_t v) { m_placement = v; }

    // Turns (x, y) into page coordinates through the transformer, with the
    // object's orientations; the common part of fixAbsPosition of texts and
    // lines. Does nothing without an absolute flag.
    void transformToPage(qelPageCoordinateTransformer* transformer);

protected:
    void setPositionFixed() { m_positionFixed = 1; }
    void freeBoundingBox();

private:
    float m_x = 0.0f;
    float m_y = 0.0f;
    int32_t m_relativeInline = 0;
    int32_t m_relativeBaseline = 0;
    uint32_t m_colorValue = 8;
    uint16_t m_resolution = 0;
    uint16_t m_iAxisOrientation = 0;
    uint16_t m_bAxisOrientation = 90;
    float m_angle = 360.0f;
    uint8_t m_coveragePercent = 0;
    uint8_t m_shadingPercent = 0;
    uint8_t m_xUnitBase = 0;
    uint8_t m_yUnitBase = 0;
    uint16_t m_xUnitsPerBase = 0;
    uint16_t m_yUnitsPerBase = 0;
    uint8_t m_absoluteInlineFlag = 0;
    uint8_t m_absoluteBaselineFlag = 0;
    uint8_t m_relativeInlineFlag = 0;
    uint8_t m_relativeBaselineFlag = 0;
    uint8_t m_positionFixed = 0;
    qelPoint m_absolutePosition;
    qelPoint m_areaOrigin;
    qelPoint m_includeOffset;
    int32_t m_foregroundMix = 2;
    int32_t m_backgroundMix = 5;
    int32_t m_colorSpace = 5;
    qelRes* m_include = nullptr;
    uint8_t m_createdByScript = 0;
    uint16_t m_areaResolution = 0;
    uint8_t m_suppressed = 0;
    uint8_t m_removed = 0;
    qelBoundingBox* m_boundingBox = nullptr;
    uint8_t m_rasterize = 0;
    int32_t m_placement = 0;
};

#endif
