#ifndef QEL_AFP_PCC_TRIPLET_H
#define QEL_AFP_PCC_TRIPLET_H

#include "qel/afp/AfpTriplet.h"

namespace qel
{
namespace afp
{

// Page Count Control (X'7C'): initial page number, a reserved byte, count
// control (0 stop, 1 resume, 2 continue, 3 reset) and count flags.
class PCCTriplet : public Triplet
{
public:
    PCCTriplet();
    ~PCCTriplet() override;

    uint8_t evaluateLength() override;
    uint8_t getId() override { return 0x7C; }
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    void setInitialPageNumber(uint16_t number) { m_pageNumber = number; }
    void setCountControl(uint8_t control) { m_countControl = control; }
    void setCountFlags(uint8_t flags) { m_countFlags = flags; }
    uint16_t getInitialPageNumber() const { return m_pageNumber; }
    uint8_t getCountControl() const { return m_countControl; }
    uint8_t getCountFlags() const { return m_countFlags; }

private:
    uint16_t m_pageNumber = 0;
    uint8_t m_countControl = 0xFF;
    uint8_t m_countFlags = 0;
};

} // namespace afp
} // namespace qel

#endif
