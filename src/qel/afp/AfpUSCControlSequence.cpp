#include "qel/afp/AfpUSCControlSequence.h"

#include "qel/afp/Log.h"
#include "qel/afp/DataPool.h"
#include "qel/afp/OutputProfile.h"

namespace qel
{
namespace afp
{

USCControlSequence::~USCControlSequence() = default;

uint8_t USCControlSequence::evaluateLength()
{
    if (DataPool::getInstance()->getOutputProfile()->getLevel() == OutputProfile::LEVEL_IS2)
        return 0;
    setLength(3);
    return 3;
}

int USCControlSequence::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten)
{
    logDebug("qel::afp::USCControlSequence::write( DataStream=%p, ControlFlags=%d, LastWrittenContext=%p )",
             static_cast<void*>(dataStream), controlFlags, static_cast<void*>(lastWritten));
    if (!dataStream)
        return -1;
    if (DataPool::getInstance()->getOutputProfile()->getLevel() == OutputProfile::LEVEL_IS2) {
        logWarningText(
            "PTOCA Underscore control sequence not allowed for MODCA-IS2 AFP Compliance. Ignoring the sequence");
        return -1;
    }
    return writeModcaP(dataStream);
}

int USCControlSequence::writeModcaP(DataStream* dataStream)
{
    std::vector<unsigned char> bytes = head(0x77);
    bytes.push_back(m_flags);
    logInfo("UnderScore: BYPSIDEN value=%d ", m_flags);
    return send(dataStream, bytes);
}

} // namespace afp
} // namespace qel
