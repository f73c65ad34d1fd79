#include "qel/afp/AfpText.h"

#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

Text::Text(const char* text, int16_t x, int16_t y, bool xAbsolute, bool yAbsolute, bool xRelative, bool yRelative,
           int16_t iDegrees, int16_t bDegrees, uint8_t iMinutes, uint8_t bMinutes)
    : qel::Text(text, x, y, xAbsolute, yAbsolute, xRelative, yRelative), m_iDegrees(iDegrees), m_iMinutes(iMinutes),
      m_bDegrees(bDegrees), m_bMinutes(bMinutes)
{
}

Text::Text(const unsigned char* bytes, uint16_t length, int16_t x, int16_t y, bool xAbsolute, bool yAbsolute,
           bool xRelative, bool yRelative, int16_t iDegrees, int16_t bDegrees, uint8_t iMinutes, uint8_t bMinutes)
    : qel::Text(bytes, length, x, y, xAbsolute, yAbsolute, xRelative, yRelative), m_iDegrees(iDegrees),
      m_iMinutes(iMinutes), m_bDegrees(bDegrees), m_bMinutes(bMinutes)
{
}

Text::~Text() = default;

int Text::write(DataStream*, uint16_t, DNode<WritableContext>*)
{
    return 0;
}

void Text::setIOrientationDegrees(int16_t degrees)
{
    logDebug("qel::afp::Text::setIOrientationDegrees( %d )", degrees);
    m_iDegrees = degrees;
}

void Text::setIOrientationMinutes(uint8_t minutes)
{
    logDebug("qel::afp::Text::setIOrientationMinutes( %d )", minutes);
    m_iMinutes = minutes;
}

void Text::setBOrientationDegrees(int16_t degrees)
{
    logDebug("qel::afp::Text::setBOrientationDegrees( %d )", degrees);
    m_bDegrees = degrees;
}

void Text::setBOrientationMinutes(uint8_t minutes)
{
    logDebug("qel::afp::Text::setBOrientationMinutes( %d )", minutes);
    m_bMinutes = minutes;
}

void Text::setFontLocalId(uint8_t id)
{
    logDebug("qel::afp::Text::setFontLocalId( %d )", id);
    m_fontLocalId = id;
}

} // namespace afp
} // namespace qel
