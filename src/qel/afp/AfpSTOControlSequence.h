#ifndef QEL_AFP_STO_CONTROL_SEQUENCE_H
#define QEL_AFP_STO_CONTROL_SEQUENCE_H

#include "qel/afp/AfpControlSequence.h"

namespace qel
{
namespace afp
{

// Set Text Orientation (X'F7'), 6 bytes: the I-axis and B-axis angles,
// each written as degrees x 128 + minutes x 2. Degrees are kept modulo
// 360 (with the sign of the value), minutes modulo 60.
class STOControlSequence : public ControlSequence
{
public:
    STOControlSequence(int16_t iDegrees, uint8_t iMinutes, int16_t bDegrees, uint8_t bMinutes);
    ~STOControlSequence() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
    int getType() override { return STO; }

    void setInlineDegrees(int16_t degrees);
    void setInlineMinutes(uint8_t minutes);
    void setBaselineDegrees(int16_t degrees);
    void setBaselineMinutes(uint8_t minutes);
    int16_t getInlineDegrees() const { return m_iDegrees; }
    uint8_t getInlineMinutes() const { return m_iMinutes; }
    int16_t getBaselineDegrees() const { return m_bDegrees; }
    uint8_t getBaselineMinutes() const { return m_bMinutes; }
    // The 16-bit word of an angle.
    static uint16_t angleWord(int16_t degrees, uint8_t minutes);

private:
    int16_t m_iDegrees = 0;
    uint8_t m_iMinutes = 0;
    int16_t m_bDegrees = 0;
    uint8_t m_bMinutes = 0;
};

} // namespace afp
} // namespace qel

#endif
