#ifndef DE_ORVO_IPS_GLYPH_DEFINITION_H
#define DE_ORVO_IPS_GLYPH_DEFINITION_H

#include <cstdint>

namespace de { namespace orvo { namespace ips {

// Two 16-bit values of a glyph, kept in the order given.
class GlyphDefinition
{
public:
    GlyphDefinition() = default;
    GlyphDefinition(uint16_t first, uint16_t second) : m_first(first), m_second(second) {}
    virtual ~GlyphDefinition() = default;

    uint16_t getFirstValue() const { return m_first; }
    uint16_t getSecondValue() const { return m_second; }

private:
    uint16_t m_first = 0;
    uint16_t m_second = 0;
};

}}}

#endif
