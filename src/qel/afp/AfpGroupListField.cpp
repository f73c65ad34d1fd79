#include "qel/afp/AfpGroupListField.h"

#include "qel/afp/AfpTripletRepeatingGroup.h"
#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"

#include <new>
#include <vector>

namespace qel
{
namespace afp
{

GroupListField::GroupListField(const char* className, uint8_t typeCode, const char* groupText,
                               const char* allocationText)
    : m_addText(std::string(className) + "::addRepeatingGroup"), m_writeText(std::string(className) + "::write"),
      m_typeCode(typeCode), m_groupText(groupText), m_allocationText(allocationText)
{
    setLength(8);
}

GroupListField::~GroupListField()
{
    delete m_groups;
}

void GroupListField::addRepeatingGroup(TripletRepeatingGroup* group)
{
    logDebugText(m_addText.c_str());
    if (!group) {
        logDebugText("\tRepeatingGroup = (NULL)");
        return;
    }
    if (!m_groups) {
        m_groups = new (std::nothrow) DLinkedList<WritableContext>(true);
        if (!m_groups)
            throw m_allocationText;
    }
    setLength(static_cast<uint16_t>(getLength() + group->evaluateLength()));
    m_groups->append(WritableContext::holding(group));
    group->addReference(1);
}

int GroupListField::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    logDebugText(m_writeText.c_str());
    if (!dataStream || !m_groups) {
        logDebugText("\tStream or pLstWritableContext = (NULL)");
        return -1;
    }
    std::vector<unsigned char> bytes = {0x00, 0x08, 0xD3, 0xAB, m_typeCode, 0x00, 0x00, 0x00};
    putLength(bytes, getLength());
    write5A(dataStream, controlFlags);
    int rc = dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
    for (DNode<WritableContext>* node = m_groups->getFirst(); node; node = node->getNext()) {
        WritableContext* context = node->getData();
        if (!context || !context->getWritable() || context->isSuppressed())
            continue;
        logInfoText(m_groupText);
        rc = context->getWritable()->write(dataStream, controlFlags, context->getLastWritten());
    }
    return rc;
}

} // namespace afp
} // namespace qel
