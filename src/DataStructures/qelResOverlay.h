#ifndef QEL_RES_OVERLAY_H
#define QEL_RES_OVERLAY_H

#include "qelPtocaMedia.h"
#include "qelRes.h"

// Overlay resource (type 1): a resource with its own presentation space.
// Minimal form: name, listing line and binding; the overlay component fills
// in drawing and positions.
class qelResOverlay : public qelRes, public qelPtocaMedia
{
public:
    explicit qelResOverlay(const char* name)
    {
        qelRes::setType(TYPE_OVERLAY);
        qelRes::setName(name);
        setMediaKind(KIND_OVERLAY);
    }
    char* describe() override { return listingLine(256); }
    int display(qelVisitor*, float, float) override { return 0; }
    int fixAbsPosition() override { return 0; }
    int writeObjectReference(qelVisitor*) override { return 0; }
    const char* getName() const override { return qelRes::getName(); }
};

#endif
