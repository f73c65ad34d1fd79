#include "qelPartialArcObject.h"

#include "qelVisitor.h"

qelPartialArcObject::qelPartialArcObject(qelPoint center, qelPoint arcPQ, qelPoint arcRS, qelPoint startPoint,
                                         float startAngle, float sweepAngle, float multiplier, int32_t lineType,
                                         float lineWidth, uint32_t colorValue, int32_t mix, int32_t backgroundMix)
    : qelCurvedLineObject(lineType, lineWidth, colorValue, mix, backgroundMix),
      m_center(center),
      m_arcPQ(arcPQ),
      m_arcRS(arcRS),
      m_startPoint(startPoint),
      m_multiplier(multiplier),
      m_startAngle(startAngle),
      m_sweepAngle(sweepAngle)
{
}

void qelPartialArcObject::write(qelVisitor* visitor)
{
    if (visitor)
        visitor->writePartialArcObject(this);
}
