#include "qelFilletObject.h"

#include "qelList.h"
#include "qelVisitor.h"

qelFilletObject::qelFilletObject(int32_t lineType, float lineWidth, uint32_t colorValue, int32_t mix,
                                 int32_t backgroundMix)
    : qelCurvedLineObject(lineType, lineWidth, colorValue, mix, backgroundMix)
{
}

qelFilletObject::~qelFilletObject()
{
    qelList::destroy(m_points);
}

void qelFilletObject::write(qelVisitor* visitor)
{
    if (visitor)
        visitor->writeFilletObject(this);
}

void qelFilletObject::addPoint(qelPoint point)
{
    if (!m_points)
        m_points = new qelList(&qelList::deleteAs<qelPoint>);
    m_points->append(new qelPoint(point));
}
