#include "qel/afp/AfpFontPatternsMap.h"

#include "qel/afp/AfpRepeatingGroup.h"
#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"

#include <new>

namespace qel
{
namespace afp
{

FontPatternsMap::FontPatternsMap()
{
    setLength(8);
}

FontPatternsMap::~FontPatternsMap()
{
    delete m_groups;
}

void FontPatternsMap::addRepeatingGroup(RepeatingGroup* group)
{
    logDebugText("qel::afp::FontPatternsMap::addRepeatingGroup");
    if (!group) {
        logDebugText("\tRepeatingGroup = (NULL)");
        return;
    }
    if (!m_groups) {
        m_groups = new (std::nothrow) DLinkedList<WritableContext>(true);
        if (!m_groups)
            throw "Memory allocation for qel::afp::FontPatternsMap::addRepeatingGroup::pLstWritableContext failed";
    }
    m_dataLength = static_cast<uint16_t>(m_dataLength + group->evaluateLength());
    m_groups->append(WritableContext::holding(group));
    group->addReference(1);
}

int FontPatternsMap::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    logDebugText("qel::afp::FontPatternsMap::write");
    if (!dataStream) {
        logDebugText("Stream or pLstWritableContext = (null)");
        return -1;
    }
    std::vector<unsigned char> bytes =
        header(0xD3A289, "Memory allocation for qel::afp::FontPatternsMap::write::pbyHeaderTmp failed");
    write5A(dataStream, controlFlags);
    putLength(bytes, static_cast<uint16_t>(getFieldLength()));
    int rc = dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
    if (rc < 0)
        return rc;
    rc = -1;
    for (DNode<WritableContext>* node = m_groups ? m_groups->getFirst() : nullptr; node; node = node->getNext()) {
        WritableContext* context = node->getData();
        if (context && context->getWritable())
            rc = context->getWritable()->write(dataStream, controlFlags, context->getLastWritten());
    }
    return rc;
}

} // namespace afp
} // namespace qel
