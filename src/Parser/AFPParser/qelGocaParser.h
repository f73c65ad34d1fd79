#ifndef QEL_GOCA_PARSER_H
#define QEL_GOCA_PARSER_H

#include "qelAFPParser.h"
#include "qelGocaDrawingState.h"
#include "qelGocaWindow.h"
#include "qelObjectDataCollector.h"
#include "qelPoint.h"
#include "qelResParser.h"

#include <cstdint>
#include <cstdio>
#include <string>

class qelAreaObject;
class qelGraphicObject;
class qelImageObject;
class qelLineObject;
class qelResGOCA;

// Reads one graphics object from Begin Graphics to End Graphics and turns
// its drawing orders into vector objects collected in a graphics resource.
// One instance per process; the drawing state is reset for every object.
class qelGocaParser : public qelAFPParser, public qelResParser
{
public:
    qelGocaParser();
    ~qelGocaParser() override;

    // The caller has read the Begin Graphics field (setCurrentSF or the
    // current input's record). Reads up to End Graphics and returns the new
    // resource (the caller owns it); null for mode 1, since a graphics object
    // is never read from a file of its own, and when no Begin Graphics is
    // current.
    qelRes* parse(const char* name, int mode, const char* fileName) override;
    qelResGOCA* parseGraphics(const char* name);
    char* findResourceFile() override { return nullptr; }

    bool isResourceBegin(int id) const override { return id == 0xA8BB; }
    void setCurrentSF(qelSFIBlock* field) { m_currentSF = field; }

    // Name of the last Begin Graphics ("" without one).
    const std::string& getObjectName() const { return m_objectName; }
    int32_t getOrderCount() const { return m_orderCount; }
    bool isSegmentOpen() const { return m_segmentOpen != 0; }
    bool isPrologOpen() const { return m_prologOpen != 0; }
    uint8_t getMappingOption() const { return m_mappingOption; }
    const qelGocaWindow& getWindow() const { return m_window; }
    const qelGocaDrawingState& getDrawingState() const { return m_state; }
    float getLineWidthFactor() const { return m_lineWidthFactor; }
    int32_t getImageResolution() const { return m_imageResolution; }
    void getCurrentPosition(int32_t& x, int32_t& y) const
    {
        x = m_currentX;
        y = m_currentY;
    }
    // Drawing order bytes of one Graphics Data field, as if read from it;
    // used by the object loop and by tests of single orders.
    void drawingOrder();
    void resetDrawingState();
    // Starts an empty resource for drawingOrder without a Begin Graphics.
    void beginResource(qelResGOCA* resource);

private:
    void beginGraphicObject();
    void endGraphicObject();
    void objectEnvironmentGroup();
    void objectAreaDescriptor();
    void objectAreaPosition();
    void mapGraphicsObject();
    void graphicsDataDescriptor();
    void windowSpecification();
    void drawingOrderSubset();
    void setCurrentDefaults();
    void setAttributeSet(int setId, unsigned int mask, bool standard);
    // The graphics resource being filled (the resource parser's resource).
    qelResGOCA* graphicsResource() const;

    // Order handlers; `given` is the at-given-position form, n the length.
    void dispatch(int code);
    void skipUnknown(int code);
    void unexpectedOrder(int code);
    void comment(int n);
    void setProcessColor(int n);
    float setLineWidth(float defaultWidth);
    uint8_t setLineType();
    uint8_t setPatternSymbol();
    uint8_t setMarkerSymbol();
    uint8_t setMarkerSet();
    uint8_t setMarkerPrecision();
    uint8_t setCharacterSet();
    uint8_t setCharacterPrecision();
    uint8_t setCharacterDirection();
    int32_t setCharacterAngle();
    void setCharacterCell(int n, float& width, float& height);
    void setArcParameters(float& p, float& q, float& r, float& s);
    void beginSegment();
    void endProlog();
    void line(bool given, int n);
    void relativeLine(bool given, int n);
    void box(bool given, int n);
    void fillet(bool given, int n);
    void fullArc(bool given);
    void partialArc(bool given);
    void marker(bool given, int n);
    void beginArea();
    void endArea();
    void characterString(bool given, int n);
    void beginImage(bool given);
    void imageData(int n);
    void endImage(int n);

    void readPoint(int32_t& x, int32_t& y);
    float readMultiplier();
    float scaledLineWidth() const;
    qelPoint map(int32_t x, int32_t y) const;
    void checkLinePoints(int32_t& x1, int32_t& y1, int32_t& x2, int32_t& y2);
    bool startsAtAreaPoint(bool given) const;
    void applyCommon(qelGraphicObject* object) const;
    void finish(qelGraphicObject* object);
    void moveTo(int32_t x, int32_t y, bool area);
    void dropImage();
    void dropArea();

    bool logOn(unsigned int bits) const;
    void log(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void warnOut(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void trace(unsigned short level, const char* text) const;

    std::string m_objectName;
    qelAreaObject* m_area = nullptr;
    uint8_t m_segmentOpen = 0;
    uint8_t m_prologOpen = 0;
    uint8_t m_areaOpen = 0;
    int32_t m_currentX = 0;
    int32_t m_currentY = 0;
    int32_t m_originX = 0;
    int32_t m_originY = 0;
    int32_t m_xRotation = 0;
    int32_t m_yRotation = 90;
    int32_t m_areaWidth = 0;
    int32_t m_areaHeight = 0;
    uint8_t m_mappingOption = 0;
    qelGocaDrawingState m_state;
    qelGocaWindow m_window;
    qelImageObject* m_image = nullptr;
    std::string m_imageName;
    int32_t m_imageRows = 0;
    int32_t m_imageHeight = 0;
    int32_t m_imageResolution = 0;
    qelPoint m_imagePosition;
    int32_t m_lastAreaX = -1;
    int32_t m_lastAreaY = -1;
    float m_lineWidthFactor = 0.01f;
    int32_t m_orderCount = 0;
    // Bytes of an unchained segment to pass over after its Begin Segment.
    int m_segmentSkip = 0;
    qelObjectDataCollector m_imageData;
};

#endif
