#ifndef QEL_AFP_PAGE_DEFINITION_NAME_FIELD_H
#define QEL_AFP_PAGE_DEFINITION_NAME_FIELD_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

// A page-definition field that holds only its name: the 8-byte name after
// the header, or the bare header without one.
class PageDefinitionNameField : public StructuredField
{
public:
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

protected:
    // entry and failText are the debug text of write and the text thrown
    // when the header cannot be made.
    PageDefinitionNameField(uint32_t id, const char* name, const char* entry, const char* failText);

private:
    const uint32_t m_id;
    const char* const m_entry;
    const char* const m_failText;
};

} // namespace afp
} // namespace qel

#endif
