#include "qel/afp/AfpResource.h"

#include "qel/afp/AfpStructuredField.h"

#include <new>

namespace qel
{
namespace afp
{

Resource::Resource(int localId) : m_localId(localId)
{
}

Resource::~Resource() = default;

void Resource::addStructuredField(StructuredField* field, int mode)
{
    if (!field)
        return;
    if (!m_list) {
        m_list = new (std::nothrow) DLinkedList<WritableContext>(true);
        if (!m_list)
            throw "Memory allocation for qel::afp::Resource::addStructuredField::pLstWritableContext failed";
    }
    WritableContext* context = WritableContext::holding(field);
    if (mode == ADD_AT_TAIL)
        m_list->append(context);
    else
        m_list->insertAt(context, 0);
    field->addReference(1);
}

} // namespace afp
} // namespace qel
