#ifndef QEL_AFP_SIA_CONTROL_SEQUENCE_H
#define QEL_AFP_SIA_CONTROL_SEQUENCE_H

#include "qel/afp/AfpControlSequence.h"

namespace qel
{
namespace afp
{

// Set Intercharacter Adjustment (X'C3'), 5 bytes: adjustment and
// direction.
class SIAControlSequence : public ControlSequence
{
public:
    SIAControlSequence() : ControlSequence(5) {}
    SIAControlSequence(uint16_t adjustment, uint8_t direction)
        : ControlSequence(5), m_adjustment(adjustment), m_direction(direction)
    {
    }
    ~SIAControlSequence() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
    int getType() override { return SIA; }

    void setAdjustment(uint16_t value) { m_adjustment = value; }
    void setDirection(uint8_t value) { m_direction = value; }
    uint16_t getAdjustment() const { return m_adjustment; }
    uint8_t getDirection() const { return m_direction; }

private:
    uint16_t m_adjustment = 0;
    uint8_t m_direction = 0;
};

} // namespace afp
} // namespace qel

#endif
