#include "qel/afp/AfpRLITriplet.h"

#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

RLITriplet::RLITriplet(uint8_t resourceType, uint8_t localId) : m_resourceType(resourceType), m_localId(localId)
{
    setLength(4);
}

RLITriplet::~RLITriplet() = default;

uint8_t RLITriplet::evaluateLength()
{
    setLength(4);
    return 4;
}

int RLITriplet::write(DataStream* dataStream, uint16_t, DNode<WritableContext>*)
{
    logDebugText("qel::afp::RLITriplet::write");
    std::vector<unsigned char> bytes = start();
    bytes.push_back(m_resourceType);
    bytes.push_back(m_localId);
    logInfoText("Resource Local Identifier Triplet");
    switch (m_resourceType) {
    case USAGE_DEPENDENT: logInfoText("Resource Type: Usage-dependent"); break;
    case PAGE_OVERLAY: logInfoText("Resource Type: Page Overlay"); break;
    case CODED_FONT: logInfoText("Resource Type: Coded Font"); break;
    case COLOR_ATTRIBUTE_TABLE: logInfoText("Resource Type: Color Attribute Table"); break;
    default: break;
    }
    logInfo("Local Id: %d", m_localId);
    return writeBytes(dataStream, bytes, "Stream = (NULL)");
}

} // namespace afp
} // namespace qel
