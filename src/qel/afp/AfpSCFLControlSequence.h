#ifndef QEL_AFP_SCFL_CONTROL_SEQUENCE_H
#define QEL_AFP_SCFL_CONTROL_SEQUENCE_H

#include "qel/afp/AfpControlSequence.h"

namespace qel
{
namespace afp
{

// SCFL (X'F1'), 3 bytes: the coded font local id.
class SCFLControlSequence : public ControlSequence
{
public:
    SCFLControlSequence() : ControlSequence(3) {}
    explicit SCFLControlSequence(uint8_t value) : ControlSequence(3), m_localId(value) {}
    ~SCFLControlSequence() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
    int getType() override { return SCFL; }

    void setLocalId(uint8_t value) { m_localId = value; }
    uint8_t getLocalId() const { return m_localId; }

private:
    uint8_t m_localId = 0;
};

} // namespace afp
} // namespace qel

#endif
