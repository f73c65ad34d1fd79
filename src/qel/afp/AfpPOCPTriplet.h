#ifndef QEL_AFP_POCP_TRIPLET_H
#define QEL_AFP_POCP_TRIPLET_H

#include "qel/afp/AfpTriplet.h"

namespace qel
{
namespace afp
{

// Page Overlay Conditional Processing (X'46'): overlay type and level.
class POCPTriplet : public Triplet
{
public:
    explicit POCPTriplet(uint8_t overlayType = 0);
    ~POCPTriplet() override;

    uint8_t evaluateLength() override;
    uint8_t getId() override { return 0x46; }
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    void setOverlayType(uint8_t type) { m_overlayType = type; }
    void setLevel(uint8_t level) { m_level = level; }
    uint8_t getOverlayType() const { return m_overlayType; }
    uint8_t getLevel() const { return m_level; }

private:
    uint8_t m_overlayType;
    uint8_t m_level = 0;
};

} // namespace afp
} // namespace qel

#endif
