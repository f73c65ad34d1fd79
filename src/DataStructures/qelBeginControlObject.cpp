#include "qelBeginControlObject.h"

#include "qelVisitor.h"

qelBeginControlObject::~qelBeginControlObject()
{
    delete m_content;
}

void qelBeginControlObject::write(qelVisitor* visitor)
{
    if (visitor)
        visitor->writeBeginControlObject(this);
}

void qelBeginControlObject::setContent(qelGraphicObject* object)
{
    if (object == m_content)
        return;
    delete m_content;
    m_content = object;
}
