#ifndef QEL_CODE_PAGE_REPRESENTATION_H
#define QEL_CODE_PAGE_REPRESENTATION_H

#include "qelRepresentation.h"

// Base of the forms a code page is built into.
class qelCodePageRepresentation : public qelRepresentation
{
public:
    qelCodePageRepresentation() = default;
    qelCodePageRepresentation(const qelCodePageRepresentation&) = delete;
    qelCodePageRepresentation& operator=(const qelCodePageRepresentation&) = delete;
};

#endif
