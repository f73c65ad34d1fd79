#include "qel/afp/AfpEFTTriplet.h"

#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

EFTTriplet::EFTTriplet(uint16_t gcsgid) : m_gcsgid(gcsgid)
{
    setLength(4);
}

EFTTriplet::~EFTTriplet() = default;

uint8_t EFTTriplet::evaluateLength()
{
    setLength(4);
    return 4;
}

int EFTTriplet::write(DataStream* dataStream, uint16_t, DNode<WritableContext>*)
{
    logDebugText("qel::afp::EFTTriplet::write");
    std::vector<unsigned char> bytes = start();
    bytes[1] = 0x6D;
    put16(bytes, m_gcsgid);
    return writeBytes(dataStream, bytes, "\tStream or Data = (NULL)");
}

} // namespace afp
} // namespace qel
