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
    bindAFPSteps();
}
