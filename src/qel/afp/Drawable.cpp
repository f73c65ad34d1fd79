#include "qel/afp/Drawable.h"

#include "qel/afp/Log.h"

namespace qel
{

Drawable::Drawable(int16_t x, int16_t y, bool xAbsolute, bool yAbsolute, bool xRelative, bool yRelative)
    : m_x(x), m_y(y)
{
    setXPositionIsAbsolute(xAbsolute);
    setYPositionIsAbsolute(yAbsolute);
    setXPositionIsRelative(xRelative);
    setYPositionIsRelative(yRelative);
}

Drawable::~Drawable() = default;

void Drawable::setColor(uint32_t color)
{
    logDebug("qel::Drawable::setColor( %u )", color);
    m_color = color;
}

void Drawable::setColorSpace(int32_t space)
{
    logDebug("qel::Drawable::setColorSpace( %d )", space);
    m_colorSpace = space;
}

void Drawable::setXPosition(int16_t x)
{
    logDebug("qel::Drawable::setXPosition( %d )", x);
    m_x = x;
}

void Drawable::setYPosition(int16_t y)
{
    logDebug("qel::Drawable::setYPosition( %d )", y);
    m_y = y;
}

void Drawable::setRelXPosition(int16_t x)
{
    logDebug("qel::Drawable::setRelXPosition( %d )", x);
    m_relX = x;
}

void Drawable::setRelYPosition(int16_t y)
{
    logDebug("qel::Drawable::setRelYPosition( %d )", y);
    m_relY = y;
}

} // namespace qel
