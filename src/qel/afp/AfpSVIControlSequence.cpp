#include "qel/afp/AfpSVIControlSequence.h"

#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

SVIControlSequence::~SVIControlSequence() = default;

int SVIControlSequence::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten)
{
    logDebug("qel::afp::SVIControlSequence::write( DataStream=%p, ControlFlags=%d, LastWrittenContext=%p )",
             static_cast<void*>(dataStream), controlFlags, static_cast<void*>(lastWritten));
    if (!dataStream)
        return -1;
    std::vector<unsigned char> bytes = head(0xC5);
    put16(bytes, static_cast<uint16_t>(m_increment));
    logInfo("Set Varibale Space Character Increment: Increment value=%d ", m_increment);
    return send(dataStream, bytes);
}

} // namespace afp
} // namespace qel
