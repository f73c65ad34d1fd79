#ifndef QEL_AFP_LDTS_TRIPLET_H
#define QEL_AFP_LDTS_TRIPLET_H

#include "qel/afp/AfpTriplet.h"

#include <ctime>

namespace qel
{
namespace afp
{

// Local Date and Time Stamp (X'62', 17 bytes). Each component is written
// big-endian in its width as stored.
class LDTSTriplet : public Triplet
{
public:
    LDTSTriplet(uint8_t hundredsOfYears, uint16_t tenYears, uint32_t day, uint16_t hour, uint16_t minute,
                uint16_t second, uint16_t hundredths, uint8_t stampType);
    // From the UTC calendar time: X'40' hundreds of years before 2000, 0
    // from then on; day of year (from 0), hour, minute, second.
    explicit LDTSTriplet(time_t timeValue);
    ~LDTSTriplet() override;

    uint8_t evaluateLength() override;
    uint8_t getId() override { return 0x97; }
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    void setStampType(uint8_t v) { m_stampType = v; }
    void setHundredsOfYears(uint8_t v) { m_hundredsOfYears = v; }
    void setTenYears(uint16_t v) { m_tenYears = v; }
    void setDay(uint32_t v) { m_day = v & 0xFFFFFF; }
    void setHour(uint16_t v) { m_hour = v; }
    void setMinute(uint16_t v) { m_minute = v; }
    void setSecond(uint16_t v) { m_second = v; }
    void setHundredths(uint16_t v) { m_hundredths = v; }
    uint8_t getStampType() const { return m_stampType; }
    uint8_t getHundredsOfYears() const { return m_hundredsOfYears; }
    uint16_t getTenYears() const { return m_tenYears; }
    uint32_t getDay() const { return m_day; }
    uint16_t getHour() const { return m_hour; }
    uint16_t getMinute() const { return m_minute; }
    uint16_t getSecond() const { return m_second; }
    uint16_t getHundredths() const { return m_hundredths; }

private:
    uint8_t m_stampType = 0;
    uint8_t m_hundredsOfYears = 0;
    uint16_t m_tenYears = 0;
    uint32_t m_day = 0;
    uint16_t m_hour = 0;
    uint16_t m_minute = 0;
    uint16_t m_second = 0;
    uint16_t m_hundredths = 0;
};

} // namespace afp
} // namespace qel

#endif
