#include "qel/afp/AfpPageDefinitionNameField.h"

#include "qel/afp/AfpPageDefinitionWrite.h"

namespace qel
{
namespace afp
{

PageDefinitionNameField::PageDefinitionNameField(uint32_t id, const char* name, const char* entry,
                                                 const char* failText)
    : m_id(id), m_entry(entry), m_failText(failText)
{
    if (name)
        setName(name);
}

int PageDefinitionNameField::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    if (pagedef::streamMissing(dataStream, m_entry))
        return -1;
    int rc = 0;
    if (!pagedef::lead(dataStream, controlFlags, &rc))
        return rc;
    std::vector<unsigned char> bytes = header(m_id, m_failText);
    if (getName())
        putName(bytes.data() + 8, getName());
    else
        bytes.resize(8);
    pagedef::setLength(bytes, static_cast<unsigned int>(bytes.size()));
    return dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
}

} // namespace afp
} // namespace qel
