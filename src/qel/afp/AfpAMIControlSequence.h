#ifndef QEL_AFP_AMI_CONTROL_SEQUENCE_H
#define QEL_AFP_AMI_CONTROL_SEQUENCE_H

#include "qel/afp/AfpControlSequence.h"

namespace qel
{
namespace afp
{

// AMI (X'C7'), 4 bytes: the absolute inline position.
class AMIControlSequence : public ControlSequence
{
public:
    AMIControlSequence() : ControlSequence(4) {}
    explicit AMIControlSequence(int16_t value) : ControlSequence(4), m_displacement(value) {}
    ~AMIControlSequence() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
    int getType() override { return AMI; }

    void setDisplacement(int16_t value) { m_displacement = value; }
    int16_t getDisplacement() const { return m_displacement; }

private:
    int16_t m_displacement = 0;
};

} // namespace afp
} // namespace qel

#endif
