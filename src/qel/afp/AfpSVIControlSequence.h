#ifndef QEL_AFP_SVI_CONTROL_SEQUENCE_H
#define QEL_AFP_SVI_CONTROL_SEQUENCE_H

#include "qel/afp/AfpControlSequence.h"

namespace qel
{
namespace afp
{

// SVI (X'C5'), 4 bytes: the variable space character increment; X'FFFF' selects the font's default.
class SVIControlSequence : public ControlSequence
{
public:
    SVIControlSequence() : ControlSequence(4) {}
    explicit SVIControlSequence(uint16_t value) : ControlSequence(4), m_increment(value) {}
    ~SVIControlSequence() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
    int getType() override { return SVI; }

    void setIncrement(uint16_t value) { m_increment = value; }
    uint16_t getIncrement() const { return m_increment; }

private:
    uint16_t m_increment = 0;
};

} // namespace afp
} // namespace qel

#endif
