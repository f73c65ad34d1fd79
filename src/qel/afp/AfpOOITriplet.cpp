#include "qel/afp/AfpOOITriplet.h"

#include "qel/afp/DataPool.h"
#include "qel/afp/Log.h"
#include "qel/afp/TranslationTable.h"
#include "qel/afp/Utils.h"

#include <cstdlib>
#include <cstring>

namespace qel
{
namespace afp
{

namespace
{

void putText(std::vector<unsigned char>& bytes, const char* text, size_t width)
{
    const size_t at = bytes.size();
    bytes.resize(at + width, 0);
    if (!text)
        return;
    // A shorter text ends in EBCDIC blanks.
    std::memset(bytes.data() + at, ' ', width);
    std::memcpy(bytes.data() + at, text, strnlen(text, width));
    DataPool::getInstance()->getTranslationTable()->asciiToEBCDIC(bytes.data() + at, static_cast<int>(width));
}

} // namespace

OOITriplet::OOITriplet(const char* host, const char* media, const char* dataSet, uint8_t systemId)
    : m_systemId(systemId)
{
    setLength(61);
    setHostIdentifier(host);
    setMediaIdentifier(media);
    setDataSetIdentifier(dataSet);
}

OOITriplet::~OOITriplet()
{
    std::free(m_host);
    std::free(m_media);
    std::free(m_dataSet);
}

void OOITriplet::setHostIdentifier(const char* text)
{
    m_host = Utils::setMutator(m_host, text, 0);
}

void OOITriplet::setMediaIdentifier(const char* text)
{
    m_media = Utils::setMutator(m_media, text, 0);
}

void OOITriplet::setDataSetIdentifier(const char* text)
{
    m_dataSet = Utils::setMutator(m_dataSet, text, 0);
}

uint8_t OOITriplet::evaluateLength()
{
    setLength(61);
    return 61;
}

int OOITriplet::write(DataStream* dataStream, uint16_t, DNode<WritableContext>*)
{
    logDebugText("qel::afp::OOITriplet::write");
    if (!dataStream) {
        logDebugText("Stream is (null)");
        return -1;
    }
    std::vector<unsigned char> bytes = start();
    bytes[1] = 0x64;
    bytes.push_back(m_systemId);
    putText(bytes, m_host, 8);
    putText(bytes, m_media, 6);
    putText(bytes, m_dataSet, 44);
    if (m_host)
        logInfo("Host / System Identifier : %s", m_host);
    if (m_media)
        logInfo("Media Identifier : %s", m_media);
    if (m_dataSet)
        logInfo("Data Set Identifier: %s", m_dataSet);
    return writeBytes(dataStream, bytes, "Stream is (null)");
}

} // namespace afp
} // namespace qel
