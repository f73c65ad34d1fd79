#ifndef QEL_RES_OVERLAY_H
#define QEL_RES_OVERLAY_H

#include "qelPtocaMedia.h"
#include "qelRes.h"

// Overlay resource (type 1): a resource with its own presentation space,
// environment and includes, drawn at the position of each include.
class qelResOverlay : public qelRes, public qelPtocaMedia
{
public:
    explicit qelResOverlay(const char* name);
    ~qelResOverlay() override;

    // The overlay's line of the resource listing (new[]).
    char* describe() override;
    // Draws the overlay's includes and objects at a position of the
    // including page.
    int display(qelVisitor* visitor, float x, float y) override;
    // Makes the contents' positions absolute, once.
    int fixAbsPosition() override;
    // Tells a visitor that refers to the overlay what the overlay uses.
    int writeObjectReference(qelVisitor* visitor) override;
    const char* getName() const override { return qelRes::getName(); }

    // Writes the overlay's own includes, before a reference list shows the
    // overlay's objects.
    void writeIncludedResources(qelVisitor* visitor);

private:
    // False, with a warning, when the overlay is already being written
    // further up (it includes itself).
    bool enter();
    void writeReferences(qelVisitor* visitor);

    bool m_inProgress = false;
};

#endif
