#include "qel/afp/Image.h"

#include "qel/afp/Log.h"
#include "qel/afp/Utils.h"

#include <cstdlib>
#include <cstring>

namespace qel
{

Image::Image(const char* name, const unsigned char* data, uint32_t length, uint16_t x, uint16_t y,
             uint8_t xUnitBase, uint8_t yUnitBase, uint16_t xUnits, uint16_t yUnits, uint16_t xOrientation,
             uint16_t yOrientation)
    : m_x(x), m_y(y), m_xUnitBase(xUnitBase), m_yUnitBase(yUnitBase), m_xUnits(xUnits), m_yUnits(yUnits),
      m_xOrientation(xOrientation), m_yOrientation(yOrientation)
{
    setName(name);
    setData(data, length);
}

Image::~Image()
{
    std::free(m_name);
    delete[] m_data;
}

int Image::write(DataStream*, uint16_t, DNode<WritableContext>*)
{
    logDebugText("qel::Image::write()");
    return 0;
}

void Image::setName(const char* name)
{
    m_name = Utils::setMutator(m_name, name, 0);
}

void Image::setData(const unsigned char* data, uint32_t length)
{
    if (!data || length == 0)
        return;
    unsigned char* copy = new unsigned char[length];
    std::memcpy(copy, data, length);
    delete[] m_data;
    m_data = copy;
    m_length = length;
}

void Image::setColor(uint32_t color)
{
    logDebug("qel::Image::setColor( %u )", color);
    m_color = color;
}

void Image::setXPosition(uint16_t x)
{
    logDebug("qel::Image::setXPosition( %u )", x);
    m_x = x;
}

void Image::setYPosition(uint16_t y)
{
    logDebug("qel::Image::setYPosition( %u )", y);
    m_y = y;
}

} // namespace qel
