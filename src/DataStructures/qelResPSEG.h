#ifndef QEL_RES_PSEG_H
#define QEL_RES_PSEG_H

#include "qelRes.h"

// Page segment resource (type 2). Minimal form: the listing line and the
// name; its component fills in contents, drawing and positions.
class qelResPSEG : public qelRes
{
public:
    explicit qelResPSEG(const char* name)
    {
        setType(TYPE_PAGE_SEGMENT);
        setName(name);
    }
    char* describe() override { return listingLine(256); }
    int display(qelVisitor*, float, float) override { return 0; }
    int fixAbsPosition() override { return 0; }
    int writeObjectReference(qelVisitor*) override { return 0; }
};

#endif
