#include "qelFullArcObject.h"

#include "qelVisitor.h"

qelFullArcObject::qelFullArcObject(qelPoint center, qelPoint arcPQ, qelPoint arcRS, float multiplier,
                                   int32_t lineType, float lineWidth, uint32_t colorValue, int32_t mix,
                                   int32_t backgroundMix)
    : qelCurvedLineObject(lineType, lineWidth, colorValue, mix, backgroundMix),
      m_center(center),
      m_arcPQ(arcPQ),
      m_arcRS(arcRS),
      m_multiplier(multiplier)
{
}

void qelFullArcObject::write(qelVisitor* visitor)
{
    if (visitor)
        visitor->writeFullArcObject(this);
}
