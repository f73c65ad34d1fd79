#include "qel/afp/AfpStructuredField.h"

#include "qel/afp/AfpFieldTemplate.h"
#include "qel/afp/AfpTriplet.h"
#include "qel/afp/DataPool.h"
#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"
#include "qel/afp/TranslationTable.h"
#include "qel/afp/Utils.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace qel
{
namespace afp
{

StructuredField::~StructuredField()
{
    std::free(m_name);
    delete m_triplets;
}

void StructuredField::setName(const char* name)
{
    logDebugText("qel::afp::StructuredField::setName");
    if (!name)
        logDebugText("Name=(null)");
    else
        logDebug("Name=%s", name);
    m_name = Utils::setMutator(m_name, name, 0);
}

void StructuredField::setData(const unsigned char* bytes, int length)
{
    if (!bytes || length <= 0)
        return;
    try {
        m_data.assign(bytes, bytes + length);
    } catch (const std::bad_alloc&) {
        throw "Memory allocation for qel::afp::StructuredField::setData::pbyData failed";
    }
}

void StructuredField::addTriplet(Triplet* triplet)
{
    logDebugText("qel::afp::StructuredField::addTriplet");
    if (!triplet) {
        logDebugText("Triplet = (NULL)");
        return;
    }
    if (!m_triplets) {
        m_triplets = new (std::nothrow) DLinkedList<WritableContext>(true);
        if (!m_triplets)
            throw "Memory allocation for qel::afp::TagLogicalElement::addTriplet::pLstWritableContext failed";
    }
    m_fieldLength = static_cast<uint16_t>(m_fieldLength + triplet->evaluateLength());
    m_triplets->append(WritableContext::holding(triplet));
    triplet->addReference(1);
}

int StructuredField::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    if (!dataStream)
        return -1;
    write5A(dataStream, controlFlags);
    return dataStream->write(getData(), getDataLength());
}

void StructuredField::putName(unsigned char* at, const char* name)
{
    if (!name)
        return;
    const size_t n = strnlen(name, 8);
    std::memset(at, ' ', 8);
    std::memcpy(at, name, n);
    DataPool::getInstance()->getTranslationTable()->asciiToEBCDIC(at, 8);
}

std::vector<unsigned char> StructuredField::header(uint32_t id, const char* failText)
{
    try {
        return FieldTemplate::copy(id);
    } catch (const std::bad_alloc&) {
        throw failText;
    }
}

void StructuredField::putLength(std::vector<unsigned char>& bytes, uint16_t length)
{
    if (bytes.size() < 2)
        return;
    bytes[0] = static_cast<unsigned char>(length >> 8);
    bytes[1] = static_cast<unsigned char>(length & 0xFF);
}

void StructuredField::write5A(DataStream* dataStream, uint16_t controlFlags)
{
    if (controlFlags & kControlFlag5A) {
        static const unsigned char kIntroducer = 0x5A;
        dataStream->write(&kIntroducer, 1);
    }
}

int StructuredField::writeTriplets(DataStream* dataStream, uint16_t controlFlags, int rc)
{
    if (!m_triplets)
        return rc;
    for (DNode<WritableContext>* node = m_triplets->getFirst(); node; node = node->getNext()) {
        WritableContext* context = node->getData();
        if (context && context->getWritable() && !context->isSuppressed())
            rc = context->getWritable()->write(dataStream, controlFlags, context->getLastWritten());
    }
    return rc;
}

int StructuredField::writeTemplateField(DataStream* dataStream, uint16_t controlFlags, uint32_t id,
                                        const char* entry, const char* failText, const char* infoFormat)
{
    logDebugText(entry);
    if (!dataStream) {
        logDebugText("Stream or Data = (NULL)");
        return -1;
    }
    std::vector<unsigned char> bytes = header(id, failText);
    logDebugText(entry);
    write5A(dataStream, controlFlags);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    logInfo(infoFormat, m_name ? m_name : "");
#pragma GCC diagnostic pop
    if (bytes.size() >= 16)
        putName(bytes.data() + 8, m_name);
    if (m_fieldLength)
        putLength(bytes, m_fieldLength);
    const int rc = dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
    return writeTriplets(dataStream, controlFlags, rc);
}

} // namespace afp
} // namespace qel
