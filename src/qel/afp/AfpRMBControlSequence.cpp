#include "qel/afp/AfpRMBControlSequence.h"

#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

RMBControlSequence::~RMBControlSequence() = default;

int RMBControlSequence::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten)
{
    logDebug("qel::afp::RMBControlSequence::write( DataStream=%p, ControlFlags=%d, LastWrittenContext=%p )",
             static_cast<void*>(dataStream), controlFlags, static_cast<void*>(lastWritten));
    if (!dataStream)
        return -1;
    std::vector<unsigned char> bytes = head(0xD5);
    put16(bytes, static_cast<uint16_t>(m_increment));
    logInfo("Relative Move Baseline: %d", m_increment);
    return send(dataStream, bytes);
}

} // namespace afp
} // namespace qel
