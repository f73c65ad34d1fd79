#include "qel/afp/Line.h"

#include "qel/afp/Log.h"
#include "qelString.h"

#include <cmath>

namespace qel
{

Line::Line(uint16_t width, uint16_t length, int16_t x, int16_t y, bool xAbsolute, bool yAbsolute, bool xRelative,
           bool yRelative)
    : Drawable(x, y, xAbsolute, yAbsolute, xRelative, yRelative), m_width(width), m_length(length)
{
}

Line::~Line()
{
    delete m_logText;
}

int Line::write(DataStream*, uint16_t, DNode<WritableContext>*)
{
    logDebugText("qel::Line::write()");
    return 0;
}

void Line::setAngle(float angle)
{
    m_angle = angle > 360.0f ? std::fmod(angle, 360.0f) : angle;
}

void Line::setLogText(const char* text)
{
    delete m_logText;
    m_logText = (text && *text) ? new qelString(text) : nullptr;
}

const char* Line::getLogText() const
{
    return m_logText ? m_logText->getBuffer() : nullptr;
}

} // namespace qel
