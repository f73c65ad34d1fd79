#ifndef QEL_POINTS_COLLECTION_OBJECT_H
#define QEL_POINTS_COLLECTION_OBJECT_H

#include "qelGraphicObject.h"

class qelList;

// Base of objects drawn through a list of points.
class qelPointsCollectionObject : public qelGraphicObject
{
public:
    qelPointsCollectionObject() = default;
    ~qelPointsCollectionObject() override;

    void computeBoundingBox() override {}

    // Appends a point to the owned list, created on first use.
    void addPoint(float x, float y);
    void addPoint(qelPoint point) { addPoint(point.x, point.y); }
    // The points (qelPoint items) or null.
    qelList* getPoints() const { return m_points; }
    int getPointCount() const;

    int32_t getContinued() const { return m_continued; }
    void setContinued(int32_t v) { m_continued = v; }

private:
    qelList* m_points = nullptr;
    int32_t m_continued = 0;
};

#endif
