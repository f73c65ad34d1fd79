#ifndef QEL_AFP_FRMT_TRIPLET_H
#define QEL_AFP_FRMT_TRIPLET_H

#include "qel/afp/AfpTriplet.h"

namespace qel
{
namespace afp
{

// Resource Management for fonts, format 2 (X'63', 21 bytes).
class FRMTTriplet : public Triplet
{
public:
    FRMTTriplet(uint32_t value = 0, uint8_t century = 0, uint16_t year = 0, uint32_t day = 0, uint16_t hour = 0,
                uint16_t minute = 0, uint16_t second = 0, uint16_t hundredths = 0);
    ~FRMTTriplet() override;

    uint8_t evaluateLength() override;
    uint8_t getId() override { return 0x84; }
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    void setValue(uint32_t v) { m_value = v; }
    void setCentury(uint8_t v) { m_century = v; }
    void setYear(uint16_t v) { m_year = v; }
    void setDay(uint32_t v) { m_day = v & 0xFFFFFF; }
    void setHour(uint16_t v) { m_hour = v; }
    void setMinute(uint16_t v) { m_minute = v; }
    void setSecond(uint16_t v) { m_second = v; }
    void setHundredths(uint16_t v) { m_hundredths = v; }
    uint32_t getValue() const { return m_value; }
    uint8_t getCentury() const { return m_century; }
    uint16_t getYear() const { return m_year; }
    uint32_t getDay() const { return m_day; }
    uint16_t getHour() const { return m_hour; }
    uint16_t getMinute() const { return m_minute; }
    uint16_t getSecond() const { return m_second; }
    uint16_t getHundredths() const { return m_hundredths; }

private:
    uint32_t m_value;
    uint8_t m_century;
    uint16_t m_year;
    uint32_t m_day;
    uint16_t m_hour;
    uint16_t m_minute;
    uint16_t m_second;
    uint16_t m_hundredths;
};

} // namespace afp
} // namespace qel

#endif
