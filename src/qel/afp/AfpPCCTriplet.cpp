#include "qel/afp/AfpPCCTriplet.h"

#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

PCCTriplet::PCCTriplet()
{
    setLength(7);
}

PCCTriplet::~PCCTriplet() = default;

uint8_t PCCTriplet::evaluateLength()
{
    setLength(7);
    return 7;
}

int PCCTriplet::write(DataStream* dataStream, uint16_t, DNode<WritableContext>*)
{
    logDebugText("qel::afp::PCCTriplet::write");
    std::vector<unsigned char> bytes = start();
    put16(bytes, m_pageNumber);
    // The reserved byte comes before the two values, where readers look
    // for them.
    bytes.push_back(0x00);
    bytes.push_back(m_countControl);
    bytes.push_back(m_countFlags);
    logInfoText("Page Count Control Triplet");
    return writeBytes(dataStream, bytes, "\tStream or valuelength = (null)");
}

} // namespace afp
} // namespace qel
