#ifndef QEL_AFP_AMB_CONTROL_SEQUENCE_H
#define QEL_AFP_AMB_CONTROL_SEQUENCE_H

#include "qel/afp/AfpControlSequence.h"

namespace qel
{
namespace afp
{

// AMB (X'D3'), 4 bytes: the absolute baseline position.
class AMBControlSequence : public ControlSequence
{
public:
    AMBControlSequence() : ControlSequence(4) {}
    explicit AMBControlSequence(int16_t value) : ControlSequence(4), m_displacement(value) {}
    ~AMBControlSequence() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
    int getType() override { return AMB; }

    void setDisplacement(int16_t value) { m_displacement = value; }
    int16_t getDisplacement() const { return m_displacement; }

private:
    int16_t m_displacement = 0;
};

} // namespace afp
} // namespace qel

#endif
