#include "qel/afp/AfpLine.h"

#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

Line::Line(uint16_t width, uint16_t length, int16_t x, int16_t y, bool xAbsolute, bool yAbsolute, bool xRelative,
           bool yRelative, int16_t iDegrees, int16_t bDegrees, int direction)
    : qel::Line(width, length, x, y, xAbsolute, yAbsolute, xRelative, yRelative)
{
    setIOrientationDegrees(iDegrees);
    setBOrientationDegrees(bDegrees);
    setDirection(direction);
}

Line::~Line() = default;

int Line::write(DataStream*, uint16_t, DNode<WritableContext>*)
{
    logDebugText("qel::afp::Line::write");
    return 0;
}

void Line::setIOrientationDegrees(int16_t degrees)
{
    logDebug("qel::afp::Line::setIOrientationDegrees( %d )", degrees);
    m_iDegrees = degrees;
}

void Line::setIOrientationMinutes(uint8_t minutes)
{
    logDebug("qel::afp::Line::setIOrientationMinutes( %d )", minutes);
    m_iMinutes = minutes;
}

void Line::setBOrientationDegrees(int16_t degrees)
{
    logDebug("qel::afp::Line::setBOrientationDegrees( %d )", degrees);
    m_bDegrees = degrees;
}

void Line::setBOrientationMinutes(uint8_t minutes)
{
    logDebug("qel::afp::Line::setBOrientationMinutes( %d )", minutes);
    m_bMinutes = minutes;
}

} // namespace afp
} // namespace qel
