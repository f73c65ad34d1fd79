#ifndef QEL_FORMDEF_H
#define QEL_FORMDEF_H

#include "qelRes.h"

// Form definition resource (type 6). It keeps no list of its medium maps:
// each medium map refers to its form definition instead.
class qelFORMDEF : public qelRes
{
public:
    explicit qelFORMDEF(const char* name);
    ~qelFORMDEF() override;

    char* describe() override;
    int display(qelVisitor* visitor, float x, float y) override;
    int fixAbsPosition() override;
    int writeObjectReference(qelVisitor* visitor) override;
};

#endif
