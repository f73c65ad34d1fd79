#include "qel/afp/AfpPTXNOPControlSequence.h"

#include "qel/afp/DataPool.h"
#include "qel/afp/Log.h"
#include "qel/afp/TranslationTable.h"

#include <cstring>

namespace qel
{
namespace afp
{

PTXNOPControlSequence::PTXNOPControlSequence(const unsigned char* data, int length) : ControlSequence(2)
{
    setData(data, length);
}

PTXNOPControlSequence::~PTXNOPControlSequence() = default;

void PTXNOPControlSequence::setData(const unsigned char* data, int length)
{
    if (!data || length <= 0)
        return;
    m_dataLength = length > MAX_DATA ? MAX_DATA : length;
    std::memset(m_data, 0, sizeof m_data);
    std::memcpy(m_data, data, static_cast<size_t>(m_dataLength));
    setLength(static_cast<uint8_t>(2 + m_dataLength));
}

uint8_t PTXNOPControlSequence::evaluateLength()
{
    setLength(static_cast<uint8_t>(2 + m_dataLength));
    return getLength();
}

int PTXNOPControlSequence::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten)
{
    logDebug("qel::afp::PTXNOPControlSequence::write( DataStream=%p, ControlFlags=%d, LastWrittenContext=%p )",
             static_cast<void*>(dataStream), controlFlags, static_cast<void*>(lastWritten));
    if (!dataStream || getLength() == 0)
        return -1;
    std::vector<unsigned char> bytes = head(0xF9);
    bytes.insert(bytes.end(), m_data, m_data + m_dataLength);
    if (m_dataLength > 0)
        DataPool::getInstance()->getTranslationTable()->asciiToEBCDIC(bytes.data() + 2, m_dataLength);
    return send(dataStream, bytes);
}

} // namespace afp
} // namespace qel
