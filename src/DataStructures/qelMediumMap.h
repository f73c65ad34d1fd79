#ifndef QEL_MEDIUM_MAP_H
#define QEL_MEDIUM_MAP_H

#include "qelRes.h"

// Medium map resource (type 5). Minimal form: the listing line and the
// name; its component fills in contents, drawing and positions.
class qelMediumMap : public qelRes
{
public:
    explicit qelMediumMap(const char* name)
    {
        setType(TYPE_MEDIUM_MAP);
        setName(name);
    }
    char* describe() override { return listingLine(256); }
    int display(qelVisitor*, float, float) override { return 0; }
    int fixAbsPosition() override { return 0; }
    int writeObjectReference(qelVisitor*) override { return 0; }
};

#endif
