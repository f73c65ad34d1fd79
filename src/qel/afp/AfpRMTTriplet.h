#ifndef QEL_AFP_RMT_TRIPLET_H
#define QEL_AFP_RMT_TRIPLET_H

#include "qel/afp/AfpTriplet.h"

namespace qel
{
namespace afp
{

// CRC Resource Management, format 1 (X'63', 6 bytes): the low byte of the
// class flags.
class RMTTriplet : public Triplet
{
public:
    explicit RMTTriplet(uint32_t classFlags = 0);
    ~RMTTriplet() override;

    uint8_t evaluateLength() override;
    uint8_t getId() override { return 0x94; }
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    void setClassFlags(uint32_t v) { m_classFlags = v; }
    uint32_t getClassFlags() const { return m_classFlags; }

private:
    uint32_t m_classFlags;
};

} // namespace afp
} // namespace qel

#endif
