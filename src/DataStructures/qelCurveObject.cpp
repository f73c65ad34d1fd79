#include "qelCurveObject.h"

#include "qelVisitor.h"

void qelCurveObject::write(qelVisitor* visitor)
{
    if (visitor)
        visitor->writeCurveObject(this);
}

int32_t qelCurveObject::countGOCAOrders(int32_t samplingFactor, int32_t* orders, int32_t* bytes) const
{
    const int32_t f = samplingFactor > 0 ? samplingFactor : 0;
    int32_t o = (f + POINTS_PER_ORDER - 1) / POINTS_PER_ORDER;
    int32_t b = (f / POINTS_PER_ORDER) * 254;
    const int32_t rest = f % POINTS_PER_ORDER;
    if (rest > 0)
        b += 4 * rest + 2;
    if (!getContinued()) {
        o += 1;
        b += 6;
    }
    if (orders)
        *orders += o;
    if (bytes)
        *bytes += b;
    return b;
}
