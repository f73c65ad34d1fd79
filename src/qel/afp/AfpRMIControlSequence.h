#ifndef QEL_AFP_RMI_CONTROL_SEQUENCE_H
#define QEL_AFP_RMI_CONTROL_SEQUENCE_H

#include "qel/afp/AfpControlSequence.h"

namespace qel
{
namespace afp
{

// RMI (X'C9'), 4 bytes: the relative inline move.
class RMIControlSequence : public ControlSequence
{
public:
    RMIControlSequence() : ControlSequence(4) {}
    explicit RMIControlSequence(int16_t value) : ControlSequence(4), m_increment(value) {}
    ~RMIControlSequence() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
    int getType() override { return RMI; }

    void setIncrement(int16_t value) { m_increment = value; }
    int16_t getIncrement() const { return m_increment; }

private:
    int16_t m_increment = 0;
};

} // namespace afp
} // namespace qel

#endif
