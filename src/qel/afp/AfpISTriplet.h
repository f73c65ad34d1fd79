#ifndef QEL_AFP_IS_TRIPLET_H
#define QEL_AFP_IS_TRIPLET_H

#include "qel/afp/AfpTriplet.h"

namespace qel
{
namespace afp
{

// MO:DCA Interchange Set (X'18'): type byte (1 or 3, else 0) and the
// identifier (X'0900' for 0, X'0C00' for 1 and 2, else 0).
class ISTriplet : public Triplet
{
public:
    ISTriplet(int type = 153, int identifier = 153);
    ~ISTriplet() override;

    uint8_t evaluateLength() override;
    uint8_t getId() override { return 0x18; }
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    int getType() const { return m_type; }
    int getIdentifier() const { return m_identifier; }

private:
    int m_type;
    int m_identifier;
};

} // namespace afp
} // namespace qel

#endif
