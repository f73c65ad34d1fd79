#include "RasterGlyphDefinition.h"

#include <cstring>

namespace de { namespace orvo { namespace ips {

RasterGlyphDefinition::RasterGlyphDefinition(uint16_t first, uint16_t second, const uint8_t* raster, int32_t length)
    : GlyphDefinition(first, second)
{
    if (raster && length > 0) {
        m_raster = new uint8_t[length];
        std::memcpy(m_raster, raster, static_cast<size_t>(length));
        m_length = length;
    }
}

RasterGlyphDefinition::~RasterGlyphDefinition()
{
    delete[] m_raster;
}

}}}
