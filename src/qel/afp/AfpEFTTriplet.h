#ifndef QEL_AFP_EFT_TRIPLET_H
#define QEL_AFP_EFT_TRIPLET_H

#include "qel/afp/AfpTriplet.h"

namespace qel
{
namespace afp
{

// Extension Font (X'6D', 4 bytes): a graphic character set global id.
class EFTTriplet : public Triplet
{
public:
    explicit EFTTriplet(uint16_t gcsgid = 0);
    ~EFTTriplet() override;

    uint8_t evaluateLength() override;
    uint8_t getId() override { return 0x98; }
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    void setGCSGID(uint16_t v) { m_gcsgid = v; }
    uint16_t getGCSGID() const { return m_gcsgid; }

private:
    uint16_t m_gcsgid;
};

} // namespace afp
} // namespace qel

#endif
