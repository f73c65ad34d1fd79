#ifndef QEL_AFP_RUA_TRIPLET_H
#define QEL_AFP_RUA_TRIPLET_H

#include "qel/afp/AfpTriplet.h"

namespace qel
{
namespace afp
{

// Resource Usage Attribute (X'47'): frequency of use (X'00' low, X'FF' high).
class RUATriplet : public Triplet
{
public:
    explicit RUATriplet(uint8_t frequency = 0);
    ~RUATriplet() override;

    uint8_t evaluateLength() override;
    uint8_t getId() override { return 0x47; }
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    void setFrequency(uint8_t frequency) { m_frequency = frequency; }
    uint8_t getFrequency() const { return m_frequency; }

private:
    uint8_t m_frequency;
};

} // namespace afp
} // namespace qel

#endif
