#include "qel/afp/AfpFontGroupField.h"

#include "qel/afp/AfpRepeatingGroup.h"
#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"

#include <new>

namespace qel
{
namespace afp
{

FontGroupField::FontGroupField(const char* className, uint32_t id, const char* listFailText,
                               const char* headerFailText)
    : m_addText(std::string(className) + "::addRepeatingGroup"), m_writeText(std::string(className) + "::write"),
      m_listFailText(listFailText), m_headerFailText(headerFailText), m_id(id)
{
    setLength(8);
}

FontGroupField::~FontGroupField()
{
    delete m_groups;
}

void FontGroupField::addRepeatingGroup(RepeatingGroup* group)
{
    logDebugText(m_addText.c_str());
    if (!group) {
        logDebugText("\tRepeatingGroup = (NULL)");
        return;
    }
    if (!m_groups) {
        m_groups = new (std::nothrow) DLinkedList<WritableContext>(true);
        if (!m_groups)
            throw m_listFailText;
    }
    m_dataLength = static_cast<uint16_t>(m_dataLength + group->evaluateLength());
    m_groups->append(WritableContext::holding(group));
    group->addReference(1);
}

int FontGroupField::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    logDebugText(m_writeText.c_str());
    if (!dataStream) {
        logDebugText("Stream or pLstWritableContext = (null)");
        return -1;
    }
    std::vector<unsigned char> bytes = header(m_id, m_headerFailText);
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
