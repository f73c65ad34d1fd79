#ifndef QEL_AREA_OBJECT_H
#define QEL_AREA_OBJECT_H

#include "qelGraphicObject.h"

class qelList;

// A GOCA area or a PDF path: its children are drawn between a begin and an
// end area call of the visitor.
class qelAreaObject : public qelGraphicObject
{
public:
    enum { PAINT_STROKE = 0, PAINT_EVEN_ODD = 1, PAINT_NON_ZERO = 2 };

    // PDF input.
    qelAreaObject();
    // GOCA Begin Area with the drawing attributes in force.
    qelAreaObject(uint8_t drawBoundary, int32_t lineType, float lineWidth, uint8_t patternSet, uint32_t colorValue,
                  int32_t patternSymbol, int32_t areaMix, int32_t areaBackgroundMix);
    ~qelAreaObject() override;

    void write(qelVisitor* visitor) override;
    void fixAbsPosition() override;
    void computeBoundingBox() override {}
    int kind() const override { return KIND_AREA; }

    // Appends to the owned children list, created on first use.
    void addChild(qelGraphicObject* object);
    qelList* getChildren() const { return m_children; }

    // GOCA orders the area needs, computed once and cached.
    int32_t countGOCAOrders();
    // Whether a vector object of a PDF page must be drawn as an image.
    bool hasToBeRasterized(int32_t ordersBefore);
    // Distinct colours of the area and its children, up to limit; -1 means
    // every 24-bit colour, another negative limit answers -1.
    int32_t getUniqueColorsCount(int32_t limit);

    uint8_t getDrawBoundary() const { return m_drawBoundary; }
    void setDrawBoundary(uint8_t v) { m_drawBoundary = v; }
    uint8_t getPatternSet() const { return m_patternSet; }
    void setPatternSet(uint8_t v) { m_patternSet = v; }
    int32_t getPatternSymbol() const { return m_patternSymbol; }
    void setPatternSymbol(int32_t v) { m_patternSymbol = v; }
    int32_t getAreaMix() const { return m_areaMix; }
    void setAreaMix(int32_t v) { m_areaMix = v; }
    int32_t getAreaBackgroundMix() const { return m_areaBackgroundMix; }
    void setAreaBackgroundMix(int32_t v) { m_areaBackgroundMix = v; }
    float getLineWidth() const { return m_lineWidth; }
    void setLineWidth(float v) { m_lineWidth = v; }
    int32_t getLineType() const { return m_lineType; }
    void setLineType(int32_t v) { m_lineType = v; }
    int32_t getPaintType() const { return m_paintType; }
    void setPaintType(int32_t v) { m_paintType = v; }
    qelPoint getBoundsMin() const { return m_boundsMin; }
    qelPoint getBoundsMax() const { return m_boundsMax; }
    void setBounds(qelPoint min, qelPoint max)
    {
        m_boundsMin = min;
        m_boundsMax = max;
    }
    int32_t getSubpathCount() const { return m_subpathCount; }
    void setSubpathCount(int32_t v) { m_subpathCount = v; }
    int32_t getSegmentCount() const { return m_segmentCount; }
    void setSegmentCount(int32_t v) { m_segmentCount = v; }
    uint8_t getAllRectangles() const { return m_allRectangles; }
    void setAllRectangles(uint8_t v) { m_allRectangles = v; }
    uint8_t getAllThinRectangles() const { return m_allThinRectangles; }
    void setAllThinRectangles(uint8_t v) { m_allThinRectangles = v; }
    uint8_t getAllHorizontal() const { return m_allHorizontal; }
    void setAllHorizontal(uint8_t v) { m_allHorizontal = v; }
    uint8_t getAllVertical() const { return m_allVertical; }
    void setAllVertical(uint8_t v) { m_allVertical = v; }
    int32_t getOrderCount() const { return m_orderCount; }

private:
    qelList* m_children = nullptr;
    uint8_t m_drawBoundary = 0;
    uint8_t m_patternSet = 0;
    int32_t m_patternSymbol = 0;
    int32_t m_areaMix = 2;
    int32_t m_areaBackgroundMix = 5;
    float m_lineWidth = 0.0f;
    int32_t m_lineType = 0;
    int32_t m_paintType = PAINT_EVEN_ODD;
    qelPoint m_boundsMin;
    qelPoint m_boundsMax;
    int32_t m_subpathCount = 0;
    int32_t m_segmentCount = 0;
    uint8_t m_allRectangles = 0;
    uint8_t m_allThinRectangles = 0;
    uint8_t m_allHorizontal = 0;
    uint8_t m_allVertical = 0;
    int32_t m_orderCount = -1;
};

#endif
