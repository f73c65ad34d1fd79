#include "qel/afp/AfpPOCPTriplet.h"

#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

POCPTriplet::POCPTriplet(uint8_t overlayType) : m_overlayType(overlayType)
{
    setLength(4);
}

POCPTriplet::~POCPTriplet() = default;

uint8_t POCPTriplet::evaluateLength()
{
    setLength(4);
    return 4;
}

int POCPTriplet::write(DataStream* dataStream, uint16_t, DNode<WritableContext>*)
{
    logDebugText("qel::afp::POCPTriplet::write");
    std::vector<unsigned char> bytes = start();
    bytes.push_back(m_overlayType);
    bytes.push_back(m_level);
    return writeBytes(dataStream, bytes, "\tStream or Data = (NULL)");
}

} // namespace afp
} // namespace qel
