#ifndef QEL_AFP_OVS_CONTROL_SEQUENCE_H
#define QEL_AFP_OVS_CONTROL_SEQUENCE_H

#include "qel/afp/AfpControlSequence.h"

namespace qel
{
namespace afp
{

// Overstrike (X'73'), 5 bytes: bypass flags and the overstrike character.
// Not allowed at IS/2: counted as 0 bytes and not written there.
class OVSControlSequence : public ControlSequence
{
public:
    OVSControlSequence() : ControlSequence(5) {}
    OVSControlSequence(uint8_t flags, uint16_t character) : ControlSequence(5), m_flags(flags), m_character(character)
    {
    }
    ~OVSControlSequence() override;

    uint8_t evaluateLength() override;
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
    int getType() override { return OVS; }

    void setFlags(uint8_t value) { m_flags = value; }
    void setCharacter(uint16_t value) { m_character = value; }
    uint8_t getFlags() const { return m_flags; }
    uint16_t getCharacter() const { return m_character; }

private:
    int writeModcaP(DataStream* dataStream);

    uint8_t m_flags = 0;
    uint16_t m_character = 0;
};

} // namespace afp
} // namespace qel

#endif
