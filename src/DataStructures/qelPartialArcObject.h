#ifndef QEL_PARTIAL_ARC_OBJECT_H
#define QEL_PARTIAL_ARC_OBJECT_H

#include "qelCurvedLineObject.h"

// A GOCA partial arc: a line from startPoint to the arc, then the arc from
// startAngle over sweepAngle (whole degrees).
class qelPartialArcObject : public qelCurvedLineObject
{
public:
    qelPartialArcObject(qelPoint center, qelPoint arcPQ, qelPoint arcRS, qelPoint startPoint, float startAngle,
                        float sweepAngle, float multiplier, int32_t lineType, float lineWidth, uint32_t colorValue,
                        int32_t mix, int32_t backgroundMix);

    void write(qelVisitor* visitor) override;
    int kind() const override { return KIND_PARTIAL_ARC; }

    qelPoint getCenter() const { return m_center; }
    void setCenter(qelPoint p) { m_center = p; }
    qelPoint getArcPQ() const { return m_arcPQ; }
    void setArcPQ(qelPoint p) { m_arcPQ = p; }
    qelPoint getArcRS() const { return m_arcRS; }
    void setArcRS(qelPoint p) { m_arcRS = p; }
    qelPoint getStartPoint() const { return m_startPoint; }
    void setStartPoint(qelPoint p) { m_startPoint = p; }
    float getMultiplier() const { return m_multiplier; }
    void setMultiplier(float v) { m_multiplier = v; }
    float getStartAngle() const { return m_startAngle; }
    void setStartAngle(float v) { m_startAngle = v; }
    float getSweepAngle() const { return m_sweepAngle; }
    void setSweepAngle(float v) { m_sweepAngle = v; }

private:
    qelPoint m_center;
    qelPoint m_arcPQ;
    qelPoint m_arcRS;
    qelPoint m_startPoint;
    float m_multiplier = 0.0f;
    float m_startAngle = 0.0f;
    float m_sweepAngle = 0.0f;
};

#endif
