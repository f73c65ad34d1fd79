#ifndef QEL_FILLET_OBJECT_H
#define QEL_FILLET_OBJECT_H

#include "qelCurvedLineObject.h"

class qelList;

// A GOCA fillet: a curve drawn through a list of points.
class qelFilletObject : public qelCurvedLineObject
{
public:
    qelFilletObject(int32_t lineType, float lineWidth, uint32_t colorValue, int32_t mix, int32_t backgroundMix);
    ~qelFilletObject() override;

    void write(qelVisitor* visitor) override;
    int kind() const override { return KIND_FILLET; }

    // Appends a point to the owned list, created on first use.
    void addPoint(qelPoint point);
    // The points (qelPoint items) or null.
    qelList* getPoints() const { return m_points; }

private:
    qelList* m_points = nullptr;
};

#endif
