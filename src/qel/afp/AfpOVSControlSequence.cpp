#include "qel/afp/AfpOVSControlSequence.h"

#include "qel/afp/Log.h"
#include "qel/afp/DataPool.h"
#include "qel/afp/OutputProfile.h"

namespace qel
{
namespace afp
{

OVSControlSequence::~OVSControlSequence() = default;

uint8_t OVSControlSequence::evaluateLength()
{
    if (DataPool::getInstance()->getOutputProfile()->getLevel() == OutputProfile::LEVEL_IS2)
        return 0;
    setLength(5);
    return 5;
}

int OVSControlSequence::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten)
{
    logDebug("qel::afp::OVSControlSequence::write( DataStream=%p, ControlFlags=%d, LastWrittenContext=%p )",
             static_cast<void*>(dataStream), controlFlags, static_cast<void*>(lastWritten));
    if (!dataStream)
        return -1;
    if (DataPool::getInstance()->getOutputProfile()->getLevel() == OutputProfile::LEVEL_IS2) {
        logWarningText(
            "PTOCA Oversrike control sequence not allowed for MODCA-IS2 AFP Compliance. Ignoring the sequence");
        return -1;
    }
    return writeModcaP(dataStream);
}

int OVSControlSequence::writeModcaP(DataStream* dataStream)
{
    std::vector<unsigned char> bytes = head(0x73);
    bytes.push_back(m_flags);
    put16(bytes, m_character);
    logInfo("OverStrike : value=%d ", m_flags);
    return send(dataStream, bytes);
}

} // namespace afp
} // namespace qel
