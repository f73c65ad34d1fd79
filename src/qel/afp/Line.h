#ifndef QEL_LIB_LINE_H
#define QEL_LIB_LINE_H

#include "qel/afp/Drawable.h"

#include <cstdint>

class qelString;

namespace qel
{

// A rule: width, length, direction (1 inline, 2 baseline) and angle.
class Line : public Drawable
{
public:
    enum { DIRECTION_INLINE = 1, DIRECTION_BASELINE = 2 };

    Line() = default;
    Line(uint16_t width, uint16_t length, int16_t x, int16_t y, bool xAbsolute, bool yAbsolute, bool xRelative,
         bool yRelative);
    ~Line() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    void setWidth(uint16_t width) { m_width = width; }
    void setLength(uint16_t length) { m_length = length; }
    void setDirection(int direction) { m_direction = direction; }
    // Angles above 360 are kept modulo 360.
    void setAngle(float angle);
    uint16_t getWidth() const { return m_width; }
    uint16_t getLength() const { return m_length; }
    int getDirection() const { return m_direction; }
    float getAngle() const { return m_angle; }
    void setLogText(const char* text);
    const char* getLogText() const;

private:
    uint16_t m_width = 0;
    uint16_t m_length = 0;
    int32_t m_direction = 0;
    float m_angle = 0;
    qelString* m_logText = nullptr;
};

} // namespace qel

#endif
