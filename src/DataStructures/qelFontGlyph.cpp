#include "qelFontGlyph.h"

#include <cstring>

qelFontGlyph::~qelFontGlyph()
{
    delete[] m_raster;
}

void qelFontGlyph::setRaster(const uint8_t* bytes, int32_t length)
{
    delete[] m_raster;
    m_raster = nullptr;
    m_rasterLength = 0;
    if (!bytes || length <= 0)
        return;
    m_raster = new uint8_t[length];
    std::memcpy(m_raster, bytes, static_cast<size_t>(length));
    m_rasterLength = length;
}
