#ifndef QEL_AFP_ERLI_TRIPLET_H
#define QEL_AFP_ERLI_TRIPLET_H

#include "qel/afp/AfpTriplet.h"

namespace qel
{
namespace afp
{

// Extended Resource Local Identifier (X'22'): type X'30' and a 4-byte id.
class ERLITriplet : public Triplet
{
public:
    ERLITriplet();
    ~ERLITriplet() override;

    uint8_t evaluateLength() override;
    uint8_t getId() override { return 0x22; }
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    void setLocalId(uint32_t id) { m_localId = id; }
    uint32_t getLocalId() const { return m_localId; }

private:
    uint32_t m_localId = 0;
};

} // namespace afp
} // namespace qel

#endif
