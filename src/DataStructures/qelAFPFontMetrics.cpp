#include "qelAFPFontMetrics.h"

void qelAFPFontMetrics::addOrientation(int rotation)
{
    if (m_orientationCount < 4)
        m_orientations[m_orientationCount++] = rotation;
}

bool qelAFPFontMetrics::hasOrientation(int rotation) const
{
    for (int32_t i = 0; i < m_orientationCount; ++i)
        if (m_orientations[i] == rotation)
            return true;
    return false;
}
