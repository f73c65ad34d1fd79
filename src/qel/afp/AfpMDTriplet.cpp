#include "qel/afp/AfpMDTriplet.h"

#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

MDTriplet::MDTriplet()
{
    setLength(14);
}

MDTriplet::~MDTriplet() = default;

uint8_t MDTriplet::evaluateLength()
{
    setLength(14);
    return 14;
}

int MDTriplet::write(DataStream* dataStream, uint16_t, DNode<WritableContext>*)
{
    logDebugText("qel::afp::MDTriplet::write");
    std::vector<unsigned char> bytes = start();
    put32(bytes, m_textOrientation);
    put16(bytes, m_left);
    put16(bytes, m_top);
    put16(bytes, m_right);
    put16(bytes, m_bottom);
    logInfoText("Margin Definition Triplet");
    return writeBytes(dataStream, bytes, "\tStream or valuelength = (null)");
}

} // namespace afp
} // namespace qel
