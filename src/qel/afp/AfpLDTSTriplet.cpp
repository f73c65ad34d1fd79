#include "qel/afp/AfpLDTSTriplet.h"

#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

LDTSTriplet::LDTSTriplet(uint8_t hundredsOfYears, uint16_t tenYears, uint32_t day, uint16_t hour, uint16_t minute,
                         uint16_t second, uint16_t hundredths, uint8_t stampType)
    : m_stampType(stampType), m_hundredsOfYears(hundredsOfYears), m_tenYears(tenYears), m_day(day & 0xFFFFFF),
      m_hour(hour), m_minute(minute), m_second(second), m_hundredths(hundredths)
{
    setLength(17);
}

LDTSTriplet::LDTSTriplet(time_t timeValue)
{
    setLength(17);
    struct tm utc = {};
    if (gmtime_r(&timeValue, &utc)) {
        m_hundredsOfYears = utc.tm_year < 100 ? 0x40 : 0x00;
        m_day = static_cast<uint32_t>(utc.tm_yday);
        m_hour = static_cast<uint16_t>(utc.tm_hour);
        m_minute = static_cast<uint16_t>(utc.tm_min);
        m_second = static_cast<uint16_t>(utc.tm_sec);
    }
}

LDTSTriplet::~LDTSTriplet() = default;

uint8_t LDTSTriplet::evaluateLength()
{
    setLength(17);
    return 17;
}

int LDTSTriplet::write(DataStream* dataStream, uint16_t, DNode<WritableContext>*)
{
    logDebugText("qel::afp::LDTSTriplet::write");
    std::vector<unsigned char> bytes = start();
    bytes[1] = 0x62;
    bytes.push_back(m_stampType);
    bytes.push_back(m_hundredsOfYears);
    put16(bytes, m_tenYears);
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
