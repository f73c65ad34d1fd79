#ifndef QEL_AFP_SEC_CONTROL_SEQUENCE_H
#define QEL_AFP_SEC_CONTROL_SEQUENCE_H

#include "qel/afp/AfpControlSequence.h"

namespace qel
{
namespace afp
{

// Set Extended Text Color (X'81'): X'00', the colour space, four X'00',
// four component sizes and the colour bytes. RGB (1) and CMYK (4) take 16
// bytes, highlight (6) 14 and CIELab (8) 15; any other space, and every
// space at IS/2 unless extended text colour is allowed there, counts as 0
// bytes and writes nothing.
class SECControlSequence : public ControlSequence
{
public:
    enum { SPACE_RGB = 1, SPACE_CMYK = 4, SPACE_HIGHLIGHT = 6, SPACE_CIELAB = 8 };

    SECControlSequence() : ControlSequence(16) {}
    // value: RGB with red in the low byte; CMYK C, M, Y, K from the high
    // byte; highlight the colour number in the low 16 bits; CIELab L, a, b
    // in the low three bytes, L highest.
    SECControlSequence(int colorSpace, int value) : ControlSequence(16), m_colorSpace(colorSpace), m_value(value) {}
    ~SECControlSequence() override;

    uint8_t evaluateLength() override;
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
    int getType() override { return SEC; }

    void setColorSpace(int space) { m_colorSpace = space; }
    void setValue(int value) { m_value = value; }
    int getColorSpace() const { return m_colorSpace; }
    int getValue() const { return m_value; }

private:
    uint8_t lengthOfSpace() const;
    int writeModcaP(DataStream* dataStream);
    int writeModcaIS2(DataStream* dataStream);

    int m_colorSpace = 0;
    int m_value = 0;
};

} // namespace afp
} // namespace qel

#endif
