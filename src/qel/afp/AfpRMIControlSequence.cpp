#include "qel/afp/AfpRMIControlSequence.h"

#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

RMIControlSequence::~RMIControlSequence() = default;

int RMIControlSequence::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten)
{
    logDebug("qel::afp::RMIControlSequence::write( DataStream=%p, ControlFlags=%d, LastWrittenContext=%p )",
             static_cast<void*>(dataStream), controlFlags, static_cast<void*>(lastWritten));
    if (!dataStream)
        return -1;
    std::vector<unsigned char> bytes = head(0xC9);
    put16(bytes, static_cast<uint16_t>(m_increment));
    logInfo("Relative Move Inline: %d", m_increment);
    return send(dataStream, bytes);
}

} // namespace afp
} // namespace qel
