#ifndef QEL_AFP_ROT_TRIPLET_H
#define QEL_AFP_ROT_TRIPLET_H

#include "qel/afp/AfpTriplet.h"

namespace qel
{
namespace afp
{

// Resource Object Type (X'21'): the object type and seven zero bytes.
class ROTTriplet : public Triplet
{
public:
    explicit ROTTriplet(uint8_t objectType = 0);
    ~ROTTriplet() override;

    uint8_t evaluateLength() override;
    uint8_t getId() override { return 0x21; }
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    uint8_t getObjectType() const { return m_objectType; }

private:
    uint8_t m_objectType;
};

} // namespace afp
} // namespace qel

#endif
