#ifndef QEL_AFP_RMB_CONTROL_SEQUENCE_H
#define QEL_AFP_RMB_CONTROL_SEQUENCE_H

#include "qel/afp/AfpControlSequence.h"

namespace qel
{
namespace afp
{

// RMB (X'D5'), 4 bytes: the relative baseline move.
class RMBControlSequence : public ControlSequence
{
public:
    RMBControlSequence() : ControlSequence(4) {}
    explicit RMBControlSequence(int16_t value) : ControlSequence(4), m_increment(value) {}
    ~RMBControlSequence() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
    int getType() override { return RMB; }

    void setIncrement(int16_t value) { m_increment = value; }
    int16_t getIncrement() const { return m_increment; }

private:
    int16_t m_increment = 0;
};

} // namespace afp
} // namespace qel

#endif
