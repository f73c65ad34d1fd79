#ifndef QEL_AFP_STC_CONTROL_SEQUENCE_H
#define QEL_AFP_STC_CONTROL_SEQUENCE_H

#include "qel/afp/AfpControlSequence.h"

namespace qel
{
namespace afp
{

// Set Text Color (X'75'), 4 bytes: the foreground colour, no precision
// byte.
class STCControlSequence : public ControlSequence
{
public:
    STCControlSequence() : ControlSequence(4) {}
    explicit STCControlSequence(uint16_t color) : ControlSequence(4), m_color(color) {}
    ~STCControlSequence() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
    int getType() override { return STC; }

    void setForeGroundColor(uint16_t color) { m_color = color; }
    uint16_t getForeGroundColor() const { return m_color; }

private:
    uint16_t m_color = 0xFF07;
};

} // namespace afp
} // namespace qel

#endif
