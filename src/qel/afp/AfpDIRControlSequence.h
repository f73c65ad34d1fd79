#ifndef QEL_AFP_DIR_CONTROL_SEQUENCE_H
#define QEL_AFP_DIR_CONTROL_SEQUENCE_H

#include "qel/afp/AfpControlSequence.h"

namespace qel
{
namespace afp
{

// Draw I-axis Rule (X'E5'), 7 bytes: length, width and a zero width
// fraction.
class DIRControlSequence : public ControlSequence
{
public:
    DIRControlSequence(int16_t width, int16_t length) : ControlSequence(7), m_width(width), m_length(length) {}
    ~DIRControlSequence() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
    int getType() override { return DIR; }

    void setWidth(int16_t value) { m_width = value; }
    void setRuleLength(int16_t value) { m_length = value; }
    int16_t getWidth() const { return m_width; }
    int16_t getRuleLength() const { return m_length; }

private:
    int16_t m_width;
    int16_t m_length;
};

} // namespace afp
} // namespace qel

#endif
