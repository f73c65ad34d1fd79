#include "qel/afp/AfpFRMTTriplet.h"

#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

FRMTTriplet::FRMTTriplet(uint32_t value, uint8_t century, uint16_t year, uint32_t day, uint16_t hour,
                         uint16_t minute, uint16_t second, uint16_t hundredths)
    : m_value(value), m_century(century), m_year(year), m_day(day & 0xFFFFFF), m_hour(hour), m_minute(minute),
      m_second(second), m_hundredths(hundredths)
{
    setLength(21);
}

FRMTTriplet::~FRMTTriplet() = default;

uint8_t FRMTTriplet::evaluateLength()
{
    setLength(21);
    return 21;
}

int FRMTTriplet::write(DataStream* dataStream, uint16_t, DNode<WritableContext>*)
{
    logDebugText("qel::afp::FRMTTriplet::write");
    std::vector<unsigned char> bytes = start();
    bytes[1] = 0x63;
    bytes.push_back(0x02);
    put32(bytes, m_value);
    bytes.push_back(m_century);
    put16(bytes, m_year);
    bytes.push_back(static_cast<unsigned char>(m_day >> 16));
    put16(bytes, m_day & 0xFFFF);
    put16(bytes, m_hour);
    put16(bytes, m_minute);
    put16(bytes, m_second);
    put16(bytes, m_hundredths);
    return writeBytes(dataStream, bytes, "\tStream or Data = (NULL)");
}

} // namespace afp
} // namespace qel
