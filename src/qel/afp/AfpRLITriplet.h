#ifndef QEL_AFP_RLI_TRIPLET_H
#define QEL_AFP_RLI_TRIPLET_H

#include "qel/afp/AfpTriplet.h"

namespace qel
{
namespace afp
{

// Resource Local Identifier (X'24'): resource type and local id.
class RLITriplet : public Triplet
{
public:
    enum : uint8_t { USAGE_DEPENDENT = 0, PAGE_OVERLAY = 2, CODED_FONT = 5, COLOR_ATTRIBUTE_TABLE = 7 };

    RLITriplet(uint8_t resourceType, uint8_t localId);
    ~RLITriplet() override;

    uint8_t evaluateLength() override;
    uint8_t getId() override { return 0x24; }
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    void setResourceType(uint8_t type) { m_resourceType = type; }
    void setLocalId(uint8_t id) { m_localId = id; }
    uint8_t getResourceType() const { return m_resourceType; }
    uint8_t getLocalId() const { return m_localId; }

private:
    uint8_t m_resourceType;
    uint8_t m_localId;
};

} // namespace afp
} // namespace qel

#endif
