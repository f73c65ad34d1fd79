#include "qel/afp/AfpSCFLControlSequence.h"

#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

SCFLControlSequence::~SCFLControlSequence() = default;

int SCFLControlSequence::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten)
{
    logDebug("qel::afp::SCFLControlSequence::write( DataStream=%p, ControlFlags=%d, LastWrittenContext=%p )",
             static_cast<void*>(dataStream), controlFlags, static_cast<void*>(lastWritten));
    if (!dataStream)
        return -1;
    std::vector<unsigned char> bytes = head(0xF1);
    bytes.push_back(m_localId);
    logInfo("Set coded font Local: %d", m_localId);
    return send(dataStream, bytes);
}

} // namespace afp
} // namespace qel
