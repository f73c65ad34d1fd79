#ifndef QEL_RES_GOCA_H
#define QEL_RES_GOCA_H

#include "qelPtocaMedia.h"
#include "qelRes.h"

// Graphics object resource (type 7): a resource with its own presentation
// space whose objects are drawn at the include position.
class qelResGOCA : public qelRes, public qelPtocaMedia
{
public:
    // A named resource (placeholders of the global resource list).
    explicit qelResGOCA(const char* name);
    // Named later by the graphics reader.
    qelResGOCA();

    char* describe() override { return qelRes::describe(); }
    // Draws the objects for the output formats that can show graphics; a
    // logged warning for the others.
    int display(qelVisitor* visitor, float x, float y) override;
    int fixAbsPosition() override;
    int writeObjectReference(qelVisitor*) override { return 0; }
    const char* getName() const override { return qelRes::getName(); }
    // Appends the object, which takes the resource's include position as
    // its origin.
    void addParsedObject(qelGraphicObject* object) override;
    // Hands the objects over to the caller: the returned list (still the
    // resource's, null when empty) no longer owns them, so the caller takes
    // every one before the resource goes.
    qelList* takeObjects();

    // True for the output formats that draw graphics resources.
    static bool isDrawnFor(int outputFormat);
};

#endif
