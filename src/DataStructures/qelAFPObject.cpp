#include "qelAFPObject.h"

#include "qelList.h"
#include "qelVisitor.h"

void qelAFPObject::deleteBuffer(void* buffer)
{
    delete[] static_cast<unsigned char*>(buffer);
}

qelAFPObject::qelAFPObject(qelList* structuredFields, int32_t totalLength)
    : m_structuredFields(structuredFields), m_totalLength(totalLength)
{
}

qelAFPObject::~qelAFPObject()
{
    qelList::destroy(m_structuredFields);
}

void qelAFPObject::write(qelVisitor* visitor)
{
    if (visitor)
        visitor->writeAFPObject(this);
}

void qelAFPObject::setStructuredFields(qelList* list)
{
    if (list == m_structuredFields)
        return;
    qelList::destroy(m_structuredFields);
    m_structuredFields = list;
}
