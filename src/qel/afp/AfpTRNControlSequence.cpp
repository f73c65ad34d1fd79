#include "qel/afp/AfpTRNControlSequence.h"

#include "qel/afp/DataPool.h"
#include "qel/afp/Log.h"
#include "qel/afp/TranslationTable.h"

#include <cstring>
#include <string>

namespace qel
{
namespace afp
{

TRNControlSequence::TRNControlSequence(const unsigned char* data, int length) : ControlSequence(2)
{
    setData(data, length);
}

TRNControlSequence::~TRNControlSequence() = default;

void TRNControlSequence::setData(const unsigned char* data, int length)
{
    logDebugText("qel::afp::TRNControlSequence::setData");
    if (!data || length <= 0) {
        logDebugText("\tData = (null)");
        return;
    }
    m_dataLength = length > MAX_DATA ? MAX_DATA : length;
    std::memcpy(m_data, data, static_cast<size_t>(m_dataLength));
    setLength(static_cast<uint8_t>(2 + m_dataLength));
}

uint8_t TRNControlSequence::evaluateLength()
{
    setLength(static_cast<uint8_t>(2 + m_dataLength));
    return getLength();
}

int TRNControlSequence::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten)
{
    logDebug("qel::afp::TRNControlSequence::write( DataStream=%p, ControlFlags=%d, LastWrittenContext=%p )",
             static_cast<void*>(dataStream), controlFlags, static_cast<void*>(lastWritten));
    if (!dataStream || getLength() == 0) {
        logDebugText("Stream = (NULL)");
        return -1;
    }
    std::vector<unsigned char> bytes = head(0xDB);
    bytes.insert(bytes.end(), m_data, m_data + m_dataLength);
    if (m_translate && !m_dataEncoded && m_dataLength > 0)
        DataPool::getInstance()->getTranslationTable()->asciiToEBCDIC(bytes.data() + 2, m_dataLength);
    const int rc = send(dataStream, bytes);
    logInfo("Transparent Data: %s", std::string(reinterpret_cast<const char*>(m_data), m_dataLength).c_str());
    return rc;
}

} // namespace afp
} // namespace qel
