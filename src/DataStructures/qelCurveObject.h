#ifndef QEL_CURVE_OBJECT_H
#define QEL_CURVE_OBJECT_H

#include "qelPointsCollectionObject.h"

// A path segment; type 1 is a cubic Bezier segment whose points are start,
// two control points and end.
class qelCurveObject : public qelPointsCollectionObject
{
public:
    enum { CUBIC_BEZIER = 1 };
    // Points per GOCA order and bytes of a full order.
    static const int32_t POINTS_PER_ORDER = 63;

    qelCurveObject() = default;

    void write(qelVisitor* visitor) override;
    void fixAbsPosition() override {}
    int kind() const override { return KIND_CURVE; }

    int32_t getCurveType() const { return m_curveType; }
    // Marks the curve as a cubic Bezier segment.
    void setCurveType() { m_curveType = CUBIC_BEZIER; }

    // Adds the curve's share of an area's GOCA estimate when sampled into
    // samplingFactor points; returns the bytes added.
    int32_t countGOCAOrders(int32_t samplingFactor, int32_t* orders, int32_t* bytes) const;

private:
    int32_t m_curveType = 0;
};

#endif
