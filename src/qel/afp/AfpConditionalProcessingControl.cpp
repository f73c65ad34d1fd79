#include "qel/afp/AfpConditionalProcessingControl.h"

#include "qel/afp/AfpCCPRepeatingGroup.h"
#include "qel/afp/AfpPageDefinitionWrite.h"

#include <cstring>
#include <new>

namespace qel
{
namespace afp
{

ConditionalProcessingControl::ConditionalProcessingControl()
{
    setLength(20);
}

ConditionalProcessingControl::~ConditionalProcessingControl()
{
    delete[] m_previous;
    delete m_groups;
}

void ConditionalProcessingControl::addRepeatingGroup(CCPRepeatingGroup* group)
{
    logDebugText("qel::afp::ConditionalProcessingControl::addRepeatingGroup");
    if (!group) {
        logDebugText("\tRepeatingGroup = (null)");
        return;
    }
    // A group of another length is refused and changes nothing, the
    // comparison-string length included.
    const uint16_t length = group->getLength();
    if (m_groupLength != 0 && m_groupLength != length)
        return;
    m_groupLength = length;
    m_comparisonLength = group->getComparisonLength();
    if (!m_groups) {
        m_groups = new (std::nothrow) DLinkedList<WritableContext>(true);
        if (!m_groups)
            throw "Memory allocation for qel::afp::ConditionalProcessingControl::addRepeatingGroup::pLstWritableContext failed";
    }
    const uint16_t before = getLength();
    m_groups->append(WritableContext::holding(group));
    group->addReference(1);
    setLength(static_cast<uint16_t>(before + length));
    ++m_groupCount;
}

CCPRepeatingGroup* ConditionalProcessingControl::findMatchingRepeatingGroup(const char* data, int length,
                                                                           const char* previous,
                                                                           int previousLength)
{
    DLinkedList<WritableContext>* list = m_groups;
    if (!list || !data || length <= 0)
        return nullptr;
    for (DNode<WritableContext>* node = list->getFirst(); node; node = node->getNext()) {
        WritableContext* context = node->getData();
        auto* group = context ? dynamic_cast<CCPRepeatingGroup*>(context->getWritable()) : nullptr;
        if (group && group->matches(data, length, previous, previousLength))
            return group;
    }
    return nullptr;
}

CCPRepeatingGroup* ConditionalProcessingControl::evaluate(const char* data, int length)
{
    if (!data)
        return nullptr;
    CCPRepeatingGroup* result = findMatchingRepeatingGroup(data, length, m_previous, m_previousLength);
    storePrevious(data, length > 0 ? strnlen(data, static_cast<size_t>(length)) : 0);
    return result;
}

void ConditionalProcessingControl::storePrevious(const char* text, size_t length)
{
    delete[] m_previous;
    m_previous = nullptr;
    m_previousLength = 0;
    if (!text)
        return;
    m_previous = new char[length + 1];
    std::memcpy(m_previous, text, length);
    m_previous[length] = 0;
    m_previousLength = static_cast<int>(length);
}

void ConditionalProcessingControl::setPreviousText(const char* text)
{
    storePrevious(text, text ? std::strlen(text) : 0);
}

void ConditionalProcessingControl::resetPreviousText()
{
    storePrevious(nullptr, 0);
}

int ConditionalProcessingControl::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    if (pagedef::streamMissing(dataStream, "qel::afp::ConditionalProcessingControl::write"))
        return -1;
    int rc = 0;
    if (!pagedef::lead(dataStream, controlFlags, &rc))
        return rc;
    logDebugText("Conditional Processing Control");
    std::vector<unsigned char> bytes =
        header(0xD3A7CA, "Memory allocation for qel::afp::ConditionalProcessingControl::write failed");
    bytes.resize(20);
    pagedef::setLength(bytes, getLength());
    bytes[8] = static_cast<unsigned char>(m_id >> 8);
    bytes[9] = static_cast<unsigned char>(m_id & 0xFF);
    bytes[10] = static_cast<unsigned char>(m_nextId >> 8);
    bytes[11] = static_cast<unsigned char>(m_nextId & 0xFF);
    bytes[12] = m_flags;
    bytes[13] = 0x00;
    bytes[14] = static_cast<unsigned char>(m_groupCount >> 8);
    bytes[15] = static_cast<unsigned char>(m_groupCount & 0xFF);
    bytes[16] = static_cast<unsigned char>(m_groupLength >> 8);
    bytes[17] = static_cast<unsigned char>(m_groupLength & 0xFF);
    bytes[18] = static_cast<unsigned char>(m_comparisonLength >> 8);
    bytes[19] = static_cast<unsigned char>(m_comparisonLength & 0xFF);
    rc = dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
    if (rc != 0)
        return rc;
    return pagedef::writeChildren(m_groups, dataStream, controlFlags);
}

} // namespace afp
} // namespace qel
