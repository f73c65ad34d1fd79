#include "qel/afp/AfpRMTTriplet.h"

#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

RMTTriplet::RMTTriplet(uint32_t classFlags) : m_classFlags(classFlags)
{
    setLength(6);
}

RMTTriplet::~RMTTriplet() = default;

uint8_t RMTTriplet::evaluateLength()
{
    setLength(6);
    return 6;
}

int RMTTriplet::write(DataStream* dataStream, uint16_t, DNode<WritableContext>*)
{
    logDebugText("qel::afp::RMTTriplet::write");
    std::vector<unsigned char> bytes = start();
    bytes[1] = 0x63;
    bytes.push_back(0x01);
    put16(bytes, 0);
    bytes.push_back(static_cast<unsigned char>(m_classFlags & 0xFF));
    return writeBytes(dataStream, bytes, "\tStream or Data = (NULL)");
}

} // namespace afp
} // namespace qel
