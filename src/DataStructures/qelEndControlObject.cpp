#include "qelEndControlObject.h"

#include "qelVisitor.h"

void qelEndControlObject::write(qelVisitor* visitor)
{
    if (visitor)
        visitor->writeEndControlObject(this);
}
