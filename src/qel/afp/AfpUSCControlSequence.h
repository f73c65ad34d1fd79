#ifndef QEL_AFP_USC_CONTROL_SEQUENCE_H
#define QEL_AFP_USC_CONTROL_SEQUENCE_H

#include "qel/afp/AfpControlSequence.h"

namespace qel
{
namespace afp
{

// Underscore (X'77'), 3 bytes: the bypass flags; X'00' ends underscoring.
// Not allowed at IS/2: counted as 0 bytes and not written there.
class USCControlSequence : public ControlSequence
{
public:
    USCControlSequence() : ControlSequence(3) {}
    explicit USCControlSequence(uint8_t flags) : ControlSequence(3), m_flags(flags) {}
    ~USCControlSequence() override;

    uint8_t evaluateLength() override;
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
    int getType() override { return USC; }

    void setFlags(uint8_t value) { m_flags = value; }
    uint8_t getFlags() const { return m_flags; }

private:
    int writeModcaP(DataStream* dataStream);

    uint8_t m_flags = 0;
};

} // namespace afp
} // namespace qel

#endif
