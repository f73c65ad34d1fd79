#ifndef QEL_TYPE3_FONT_METRICS_H
#define QEL_TYPE3_FONT_METRICS_H

#include "qelFontMetrics.h"

// Font metrics of a recorded Type 3 font: adds the increment of the space
// glyph and the code point of the space character.
class qelType3FontMetrics : public qelFontMetrics
{
public:
    float getSpaceIncrement() const { return m_spaceIncrement; }
    void setSpaceIncrement(float v) { m_spaceIncrement = v; }
    int32_t getSpaceCodePoint() const { return m_spaceCodePoint; }
    void setSpaceCodePoint(int32_t v) { m_spaceCodePoint = v; }

private:
    float m_spaceIncrement = 0.0f;
    int32_t m_spaceCodePoint = 0;
};

#endif
