#include "qel/afp/AfpSTOControlSequence.h"

#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

STOControlSequence::~STOControlSequence() = default;

STOControlSequence::STOControlSequence(int16_t iDegrees, uint8_t iMinutes, int16_t bDegrees, uint8_t bMinutes)
    : ControlSequence(6)
{
    m_iDegrees = static_cast<int16_t>(iDegrees % 360);
    m_iMinutes = static_cast<uint8_t>(iMinutes % 60);
    m_bDegrees = static_cast<int16_t>(bDegrees % 360);
    m_bMinutes = static_cast<uint8_t>(bMinutes % 60);
}

void STOControlSequence::setInlineDegrees(int16_t degrees)
{
    logDebug("qel::afp::STOControlSequence::setInlineDegrees( %d )", degrees);
    m_iDegrees = static_cast<int16_t>(degrees % 360);
}

void STOControlSequence::setInlineMinutes(uint8_t minutes)
{
    logDebug("qel::afp::STOControlSequence::setInlineMinutes( %d )", minutes);
    m_iMinutes = static_cast<uint8_t>(minutes % 60);
}

void STOControlSequence::setBaselineDegrees(int16_t degrees)
{
    logDebug("qel::afp::STOControlSequence::setBaselineDegrees( %d )", degrees);
    m_bDegrees = static_cast<int16_t>(degrees % 360);
}

void STOControlSequence::setBaselineMinutes(uint8_t minutes)
{
    logDebug("qel::afp::STOControlSequence::setBaselineMinutes( %d )", minutes);
    m_bMinutes = static_cast<uint8_t>(minutes % 60);
}

uint16_t STOControlSequence::angleWord(int16_t degrees, uint8_t minutes)
{
    const unsigned int value = (static_cast<unsigned int>(static_cast<uint16_t>(degrees)) << 6) | minutes;
    return static_cast<uint16_t>(value << 1);
}

int STOControlSequence::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten)
{
    logDebug("qel::afp::STOControlSequence::write( DataStream=%p, ControlFlags=%d, LastWrittenContext=%p )",
             static_cast<void*>(dataStream), controlFlags, static_cast<void*>(lastWritten));
    if (!dataStream)
        return -1;
    std::vector<unsigned char> bytes = head(0xF7);
    put16(bytes, angleWord(m_iDegrees, m_iMinutes));
    put16(bytes, angleWord(m_bDegrees, m_bMinutes));
    logInfoText("Set Text Orientation");
    logInfo("I-Axis Degrees: %d ", m_iDegrees);
    logInfo("I-Axis Minutes: %d ", m_iMinutes);
    logInfo("B-Axis Degrees: %d ", m_bDegrees);
    logInfo("B-Axis Minutes: %d ", m_bMinutes);
    return send(dataStream, bytes);
}

} // namespace afp
} // namespace qel
