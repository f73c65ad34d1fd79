#include "qel/afp/AfpCodePageIndex.h"

#include "qel/afp/AfpCPIRepeatingGroup.h"
#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"

#include <new>

namespace qel
{
namespace afp
{

CodePageIndex::CodePageIndex()
{
    setLength(8);
}

CodePageIndex::~CodePageIndex()
{
    delete m_groups;
}

int CodePageIndex::addEntry(const char* name, uint8_t flags, uint8_t codePoint)
{
    if (m_count >= kMaxGroups) {
        logError("Code page entry refused: the Code Page Index holds at most %d entries", kMaxGroups);
        return -1;
    }
    CPIRepeatingGroup* group = new CPIRepeatingGroup(name, flags, codePoint);
    ++m_count;
    m_table[codePoint] = group;
    addRepeatingGroup(group);
    return 0;
}

void CodePageIndex::addRepeatingGroup(CPIRepeatingGroup* group)
{
    logDebugText("qel::afp::CodePageIndex::addRepeatingGroup");
    if (!group) {
        logDebugText("\tRepeatingGroup = (NULL)");
        return;
    }
    if (!m_groups) {
        m_groups = new (std::nothrow) DLinkedList<WritableContext>(true);
        if (!m_groups)
            throw "Memory allocation for qel::afp::CodePageIndex::addRepeatingGroup::pLstWritableContext failed";
    }
    m_dataLength = static_cast<uint16_t>(m_dataLength + group->evaluateLength());
    m_groups->append(WritableContext::holding(group));
    group->addReference(1);
}

int CodePageIndex::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    logDebugText("qel::afp::CodePageIndex::write");
    if (!dataStream) {
        logDebugText("Stream or pLstWritableContext = (null)");
        return -1;
    }
    std::vector<unsigned char> bytes =
        header(0xD38C87, "Memory allocation for qel::afp::CodePageIndex::write::pbyHeaderTmp failed");
    write5A(dataStream, controlFlags);
    putLength(bytes, static_cast<uint16_t>(8 + m_dataLength));
    const int rc = dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
    if (rc < 0)
        return rc;
    for (DNode<WritableContext>* node = m_groups ? m_groups->getFirst() : nullptr; node; node = node->getNext()) {
        WritableContext* context = node->getData();
        if (context && context->getWritable())
            context->getWritable()->write(dataStream, controlFlags, context->getLastWritten());
    }
    return 0;
}

} // namespace afp
} // namespace qel
