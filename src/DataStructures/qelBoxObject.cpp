#include "qelBoxObject.h"

#include "qelVisitor.h"

qelBoxObject::qelBoxObject(qelPoint firstCorner, qelPoint diagonalCorner, uint8_t roundedCorners,
                           int32_t ellipseXAxis, int32_t ellipseYAxis, int32_t lineType, float lineWidth,
                           uint32_t colorValue, int32_t mix, int32_t backgroundMix, uint8_t drawControlFlags)
    : qelLineObject(lineType, lineWidth, colorValue, mix, backgroundMix),
      m_firstCorner(firstCorner),
      m_diagonalCorner(diagonalCorner),
      m_roundedCorners(roundedCorners),
      m_ellipseXAxis(ellipseXAxis),
      m_ellipseYAxis(ellipseYAxis),
      m_drawControlFlags(drawControlFlags)
{
}

void qelBoxObject::write(qelVisitor* visitor)
{
    if (visitor)
        visitor->writeBoxObject(this);
}
