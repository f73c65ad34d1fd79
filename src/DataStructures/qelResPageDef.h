#ifndef QEL_RES_PAGE_DEF_H
#define QEL_RES_PAGE_DEF_H

#include "qelRes.h"

// Page definition resource. Keeps type 0; it has no listing line and is
// never drawn or positioned.
class qelResPageDef : public qelRes
{
public:
    qelResPageDef() = default;
    explicit qelResPageDef(const char* name) { setName(name); }

    char* describe() override { return nullptr; }
    int display(qelVisitor*, float, float) override { return 0; }
    int fixAbsPosition() override { return 0; }
    int writeObjectReference(qelVisitor*) override { return 0; }
};

#endif
