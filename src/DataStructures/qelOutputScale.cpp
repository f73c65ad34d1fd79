#include "qelOutputScale.h"

#include <cstring>

void qelOutputScale::setSizeName(const char* name)
{
    std::memset(m_sizeName, 0, sizeof m_sizeName);
    if (name)
        std::strncpy(m_sizeName, name, NAME_SIZE - 1);
}

const char* qelOutputScale::getConditionName() const
{
    switch (m_condition) {
    case COND_LT:
        return "lt";
    case COND_NE:
        return "ne";
    default:
        return "gt";
    }
}

bool qelOutputScale::appliesTo(float width, float height, int resolution) const
{
    if ((width <= 0 && height <= 0) || (m_width <= 0 && m_height <= 0))
        return false;
    if (resolution > 0 && resolution != m_resolution) {
        width = width / resolution * m_resolution;
        height = height / resolution * m_resolution;
    }
    return appliesToSize(width, height);
}

bool qelOutputScale::appliesToSize(float width, float height) const
{
    if ((width <= 0 && height <= 0) || (m_width <= 0 && m_height <= 0))
        return false;
    double w = m_width + m_widthTolerance;
    double h = m_height + m_heightTolerance;
    switch (m_condition) {
    case COND_GT:
        return width > w || height > h;
    case COND_LT:
        return width < w || height < h;
    case COND_NE:
        return width != w || height != h;
    default:
        return false;
    }
}
