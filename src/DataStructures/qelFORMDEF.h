#ifndef QEL_FORMDEF_H
#define QEL_FORMDEF_H

#include "qelRes.h"

// Form map resource (type 6). Minimal form: the listing line and the
// name; its component fills in contents, drawing and positions.
class qelFORMDEF : public qelRes
{
public:
    explicit qelFORMDEF(const char* name)
    {
        setType(TYPE_FORM_MAP);
        setName(name);
    }
    char* describe() override { return listingLine(256); }
    int display(qelVisitor*, float, float) override { return 0; }
    int fixAbsPosition() override { return 0; }
    int writeObjectReference(qelVisitor*) override { return 0; }
};

#endif
