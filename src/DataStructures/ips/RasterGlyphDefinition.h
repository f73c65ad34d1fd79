#ifndef DE_ORVO_IPS_RASTER_GLYPH_DEFINITION_H
#define DE_ORVO_IPS_RASTER_GLYPH_DEFINITION_H

#include "GlyphDefinition.h"

#include <cstdint>

namespace de { namespace orvo { namespace ips {

// Glyph definition with a copy of its raster bytes.
class RasterGlyphDefinition : public GlyphDefinition
{
public:
    RasterGlyphDefinition(uint16_t first, uint16_t second, const uint8_t* raster, int32_t length);
    ~RasterGlyphDefinition() override;
    RasterGlyphDefinition(const RasterGlyphDefinition&) = delete;
    RasterGlyphDefinition& operator=(const RasterGlyphDefinition&) = delete;

    int32_t getRasterLength() const { return m_length; }
    const uint8_t* getRaster() const { return m_raster; }

private:
    int32_t m_length = 0;
    uint8_t* m_raster = nullptr;
};

}}}

#endif
