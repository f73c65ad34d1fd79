#ifndef QEL_BOX_OBJECT_H
#define QEL_BOX_OBJECT_H

#include "qelLineObject.h"

// A GOCA box between two corners, optionally with rounded corners.
class qelBoxObject : public qelLineObject
{
public:
    enum { DRAW_BOUNDARY = 0x20, FILL_INTERIOR = 0x40 };

    qelBoxObject(qelPoint firstCorner, qelPoint diagonalCorner, uint8_t roundedCorners, int32_t ellipseXAxis,
                 int32_t ellipseYAxis, int32_t lineType, float lineWidth, uint32_t colorValue, int32_t mix,
                 int32_t backgroundMix, uint8_t drawControlFlags);

    void write(qelVisitor* visitor) override;
    int kind() const override { return KIND_BOX; }

    qelPoint getFirstCorner() const { return m_firstCorner; }
    void setFirstCorner(qelPoint p) { m_firstCorner = p; }
    qelPoint getDiagonalCorner() const { return m_diagonalCorner; }
    void setDiagonalCorner(qelPoint p) { m_diagonalCorner = p; }
    uint8_t getRoundedCorners() const { return m_roundedCorners; }
    void setRoundedCorners(uint8_t v) { m_roundedCorners = v; }
    int32_t getEllipseXAxis() const { return m_ellipseXAxis; }
    void setEllipseXAxis(int32_t v) { m_ellipseXAxis = v; }
    int32_t getEllipseYAxis() const { return m_ellipseYAxis; }
    void setEllipseYAxis(int32_t v) { m_ellipseYAxis = v; }
    uint8_t getInArea() const { return m_inArea; }
    void setInArea(uint8_t v) { m_inArea = v; }
    uint8_t getDrawControlFlags() const { return m_drawControlFlags; }
    void setDrawControlFlags(uint8_t v) { m_drawControlFlags = v; }
    bool drawsBoundary() const { return (m_drawControlFlags & DRAW_BOUNDARY) != 0; }
    bool fills() const { return (m_drawControlFlags & FILL_INTERIOR) != 0; }

private:
    qelPoint m_firstCorner;
    qelPoint m_diagonalCorner;
    uint8_t m_roundedCorners = 0;
    int32_t m_ellipseXAxis = 0;
    int32_t m_ellipseYAxis = 0;
    uint8_t m_inArea = 0;
    uint8_t m_drawControlFlags = 0;
};

#endif
