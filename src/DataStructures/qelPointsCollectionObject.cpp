#include "qelPointsCollectionObject.h"

#include "qelList.h"

#include <new>

qelPointsCollectionObject::~qelPointsCollectionObject()
{
    qelList::destroy(m_points);
}

void qelPointsCollectionObject::addPoint(float x, float y)
{
    if (!m_points)
        m_points = new qelList(&qelList::deleteAs<qelPoint>);
    // A point that cannot be allocated is left out.
    m_points->append(new (std::nothrow) qelPoint{x, y});
}

int qelPointsCollectionObject::getPointCount() const
{
    return m_points ? m_points->getCount() : 0;
}
