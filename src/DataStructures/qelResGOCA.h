#ifndef QEL_RES_GOCA_H
#define QEL_RES_GOCA_H

#include "qelPtocaMedia.h"
#include "qelRes.h"

// Graphics object resource (type 7): a resource with its own presentation
// space whose objects are drawn at the include position.
class qelResGOCA : public qelRes, public qelPtocaMedia
{
public:
    explicit qelResGOCA(const char* name)
    {
        qelRes::setType(TYPE_GOCA);
        qelRes::setName(name);
        setMediaKind(KIND_GOCA);
    }
    char* describe() override { return qelRes::describe(); }
    int display(qelVisitor* visitor, float x, float y) override;
    int fixAbsPosition() override;
    int writeObjectReference(qelVisitor*) override { return 0; }
    const char* getName() const override { return qelRes::getName(); }
};

#endif
