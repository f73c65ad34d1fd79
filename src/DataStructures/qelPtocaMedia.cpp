#include "qelPtocaMedia.h"

qelPtocaMedia::qelPtocaMedia() = default;

qelPtocaMedia::~qelPtocaMedia()
{
    if (getSharedLists()) {
        dropResourceReferences();
        dropObjectList();
    }
    clearCurrentFontMapping();
}

void qelPtocaMedia::bind()
{
    if (isBinding())
        return;
    markBinding(true);
    try {
        if (!(getBindState() & BOUND_FONTS))
            resolveFonts();
        if (!(getBindState() & BOUND_TEXT))
            bindText();
        if (!(getBindState() & BOUND_REFERENCES))
            bindResourceReferences();
        if (!(getBindState() & BOUND_MEDIUM_OVERLAYS))
            bindMediumOverlays();
        if (!(getBindState() & BOUND_ADDED))
            bindAddedObjects();
    } catch (...) {
        markBinding(false);
        throw;
    }
    markBinding(false);
}
