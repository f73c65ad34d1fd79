#include "qel/afp/AfpAMBControlSequence.h"

#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

AMBControlSequence::~AMBControlSequence() = default;

int AMBControlSequence::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten)
{
    logDebug("qel::afp::AMBControlSequence::write( DataStream=%p, ControlFlags=%d, LastWrittenContext=%p )",
             static_cast<void*>(dataStream), controlFlags, static_cast<void*>(lastWritten));
    if (!dataStream)
        return -1;
    std::vector<unsigned char> bytes = head(0xD3);
    put16(bytes, static_cast<uint16_t>(m_displacement));
    logInfo("Absolute Move Baseline: %d", m_displacement);
    return send(dataStream, bytes);
}

} // namespace afp
} // namespace qel
