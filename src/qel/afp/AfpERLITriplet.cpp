#include "qel/afp/AfpERLITriplet.h"

#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

ERLITriplet::ERLITriplet()
{
    setLength(7);
}

ERLITriplet::~ERLITriplet() = default;

uint8_t ERLITriplet::evaluateLength()
{
    setLength(7);
    return 7;
}

int ERLITriplet::write(DataStream* dataStream, uint16_t, DNode<WritableContext>*)
{
    logDebugText("qel::afp::ERLITriplet::write");
    std::vector<unsigned char> bytes = start();
    bytes.push_back(0x30);
    put32(bytes, m_localId);
    logInfoText("Extended Resource Local Id Triplet");
    return writeBytes(dataStream, bytes, "\tStream or valuelength = (NULL");
}

} // namespace afp
} // namespace qel
