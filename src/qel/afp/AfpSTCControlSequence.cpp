#include "qel/afp/AfpSTCControlSequence.h"

#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

STCControlSequence::~STCControlSequence() = default;

int STCControlSequence::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten)
{
    logDebug("qel::afp::STCControlSequence::write( DataStream=%p, ControlFlags=%d, LastWrittenContext=%p )",
             static_cast<void*>(dataStream), controlFlags, static_cast<void*>(lastWritten));
    if (!dataStream)
        return -1;
    std::vector<unsigned char> bytes = head(0x75);
    put16(bytes, m_color);
    logInfoText("Set Text Color");
    logInfo("Fore Ground Color: 0x%x", m_color);
    return send(dataStream, bytes);
}

} // namespace afp
} // namespace qel
