#include "qel/afp/AfpCodePageDescriptor.h"

#include "qel/afp/AfpTriplet.h"
#include "qel/afp/DataPool.h"
#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"
#include "qel/afp/TranslationTable.h"
#include "qel/afp/Utils.h"

#include <cstdlib>
#include <cstring>

namespace qel
{
namespace afp
{

CodePageDescriptor::CodePageDescriptor()
{
    setLength(50);
}

CodePageDescriptor::CodePageDescriptor(const char* description, uint16_t gcsgid, uint16_t cpgid,
                                       uint32_t encodingScheme)
    : m_gcsgid(gcsgid), m_cpgid(cpgid), m_encodingScheme(encodingScheme)
{
    setLength(50);
    setCodePageDescription(description);
}

CodePageDescriptor::~CodePageDescriptor()
{
    std::free(m_description);
}

void CodePageDescriptor::setCodePageDescription(const char* text)
{
    m_description = Utils::setMutator(m_description, text, 32);
}

int CodePageDescriptor::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    logDebugText("qel::afp::CodePageDescriptor::write");
    if (!dataStream) {
        logDebugText("Stream or pLstWritableContext = (null)");
        return -1;
    }
    std::vector<unsigned char> bytes =
        header(0xD3A687, "Memory allocation for qel::afp::CodePageDescriptor::write::pbyHeaderTmp failed");
    if (bytes.size() < 50)
        return -1;
    write5A(dataStream, controlFlags);
    logInfo("CodePageDescriptor : %s", m_description ? m_description : "");
    bytes.resize(50);
    unsigned char* data = bytes.data() + 8;
    if (m_description) {
        // A shorter text ends in EBCDIC blanks.
        std::memset(data, ' ', 32);
        std::memcpy(data, m_description, strnlen(m_description, 32));
        DataPool::getInstance()->getTranslationTable()->asciiToEBCDIC(data, 32);
    }
    data[32] = 0x00;
    data[33] = 0x08;
    data[34] = static_cast<unsigned char>(m_count >> 24);
    data[35] = static_cast<unsigned char>(m_count >> 16);
    data[36] = static_cast<unsigned char>(m_count >> 8);
    data[37] = static_cast<unsigned char>(m_count);
    data[38] = static_cast<unsigned char>(m_gcsgid >> 8);
    data[39] = static_cast<unsigned char>(m_gcsgid);
    data[40] = static_cast<unsigned char>(m_cpgid >> 8);
    data[41] = static_cast<unsigned char>(m_cpgid);
    if (m_encodingScheme != 0)
        put16(bytes, m_encodingScheme & 0xFFFF);
    putLength(bytes, static_cast<uint16_t>(bytes.size()));
    return dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
}

} // namespace afp
} // namespace qel
