#ifndef QEL_FULL_ARC_OBJECT_H
#define QEL_FULL_ARC_OBJECT_H

#include "qelCurvedLineObject.h"

// A GOCA full arc around a centre with the arc parameters in force.
class qelFullArcObject : public qelCurvedLineObject
{
public:
    qelFullArcObject(qelPoint center, qelPoint arcPQ, qelPoint arcRS, float multiplier, int32_t lineType,
                     float lineWidth, uint32_t colorValue, int32_t mix, int32_t backgroundMix);

    void write(qelVisitor* visitor) override;
    int kind() const override { return KIND_FULL_ARC; }

    qelPoint getCenter() const { return m_center; }
    void setCenter(qelPoint p) { m_center = p; }
    qelPoint getArcPQ() const { return m_arcPQ; }
    void setArcPQ(qelPoint p) { m_arcPQ = p; }
    qelPoint getArcRS() const { return m_arcRS; }
    void setArcRS(qelPoint p) { m_arcRS = p; }
    float getMultiplier() const { return m_multiplier; }
    void setMultiplier(float v) { m_multiplier = v; }

private:
    qelPoint m_center;
    qelPoint m_arcPQ;
    qelPoint m_arcRS;
    float m_multiplier = 0.0f;
};

#endif
