#include "qel/afp/AfpDBRControlSequence.h"

#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

DBRControlSequence::~DBRControlSequence() = default;

int DBRControlSequence::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten)
{
    logDebug("qel::afp::DBRControlSequence::write( DataStream=%p, ControlFlags=%d, LastWrittenContext=%p )",
             static_cast<void*>(dataStream), controlFlags, static_cast<void*>(lastWritten));
    if (!dataStream)
        return -1;
    std::vector<unsigned char> bytes = head(0xE7);
    put16(bytes, static_cast<uint16_t>(m_length));
    put16(bytes, static_cast<uint16_t>(m_width));
    bytes.push_back(0x00);
    logInfo("DRAW B AXIS RULE: Length=%d Width=%d", m_length, m_width);
    return send(dataStream, bytes);
}

} // namespace afp
} // namespace qel
