#include "qel/afp/AfpAMIControlSequence.h"

#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

AMIControlSequence::~AMIControlSequence() = default;

int AMIControlSequence::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten)
{
    logDebug("qel::afp::AMIControlSequence::write( DataStream=%p, ControlFlags=%d, LastWrittenContext=%p )",
             static_cast<void*>(dataStream), controlFlags, static_cast<void*>(lastWritten));
    if (!dataStream)
        return -1;
    std::vector<unsigned char> bytes = head(0xC7);
    put16(bytes, static_cast<uint16_t>(m_displacement));
    logInfo("Absolute Move Inline: %d", m_displacement);
    return send(dataStream, bytes);
}

} // namespace afp
} // namespace qel
