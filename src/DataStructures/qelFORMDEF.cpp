#include "qelFORMDEF.h"

qelFORMDEF::qelFORMDEF(const char* name)
{
    setType(TYPE_FORM_MAP);
    setName(name);
}

qelFORMDEF::~qelFORMDEF() = default;

char* qelFORMDEF::describe()
{
    return listingLine(256);
}

int qelFORMDEF::display(qelVisitor*, float, float)
{
    return 0;
}

int qelFORMDEF::fixAbsPosition()
{
    return 0;
}

int qelFORMDEF::writeObjectReference(qelVisitor*)
{
    return 0;
}
