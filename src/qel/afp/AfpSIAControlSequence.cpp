#include "qel/afp/AfpSIAControlSequence.h"

#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

SIAControlSequence::~SIAControlSequence() = default;

int SIAControlSequence::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten)
{
    logDebug("qel::afp::SIAControlSequence::write( DataStream=%p, ControlFlags=%d, LastWrittenContext=%p )",
             static_cast<void*>(dataStream), controlFlags, static_cast<void*>(lastWritten));
    if (!dataStream)
        return -1;
    std::vector<unsigned char> bytes = head(0xC3);
    put16(bytes, m_adjustment);
    bytes.push_back(m_direction);
    logInfo("Set Inter Character Adjustment: Adjustment value=%d ", m_adjustment);
    logInfo("Set Inter Character Adjustment Direction : Direction value=%d ", m_direction);
    return send(dataStream, bytes);
}

} // namespace afp
} // namespace qel
