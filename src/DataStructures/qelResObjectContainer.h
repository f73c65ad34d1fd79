#ifndef QEL_RES_OBJECT_CONTAINER_H
#define QEL_RES_OBJECT_CONTAINER_H

#include "qelRes.h"

// Object container resource (type 8). Minimal form: the listing line and the
// name; its component fills in contents, drawing and positions.
class qelResObjectContainer : public qelRes
{
public:
    explicit qelResObjectContainer(const char* name)
    {
        setType(TYPE_OBJECT_CONTAINER);
        setName(name);
    }
    char* describe() override { return listingLine(256); }
    int display(qelVisitor*, float, float) override { return 0; }
    int fixAbsPosition() override { return 0; }
    int writeObjectReference(qelVisitor*) override { return 0; }
};

#endif
