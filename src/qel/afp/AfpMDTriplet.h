#ifndef QEL_AFP_MD_TRIPLET_H
#define QEL_AFP_MD_TRIPLET_H

#include "qel/afp/AfpTriplet.h"

namespace qel
{
namespace afp
{

// Margin Definition (X'7F'): text orientation and four margins.
class MDTriplet : public Triplet
{
public:
    MDTriplet();
    ~MDTriplet() override;

    uint8_t evaluateLength() override;
    uint8_t getId() override { return 0x7F; }
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    void setTextOrientation(uint32_t orientation) { m_textOrientation = orientation; }
    void setLeftMargin(uint16_t margin) { m_left = margin; }
    void setTopMargin(uint16_t margin) { m_top = margin; }
    void setRightMargin(uint16_t margin) { m_right = margin; }
    void setBottomMargin(uint16_t margin) { m_bottom = margin; }
    uint32_t getTextOrientation() const { return m_textOrientation; }
    uint16_t getLeftMargin() const { return m_left; }
    uint16_t getTopMargin() const { return m_top; }
    uint16_t getRightMargin() const { return m_right; }
    uint16_t getBottomMargin() const { return m_bottom; }

private:
    uint32_t m_textOrientation = 0;
    uint16_t m_left = 0;
    uint16_t m_top = 0;
    uint16_t m_right = 0;
    uint16_t m_bottom = 0;
};

} // namespace afp
} // namespace qel

#endif
