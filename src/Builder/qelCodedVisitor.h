#ifndef QEL_CODED_VISITOR_H
#define QEL_CODED_VISITOR_H

#include "qelCompositeVisitor.h"

// The visitor for output that keeps the page's objects as objects: every
// operation goes to the output engine. A raster engine, when set, draws the
// same page and hands what the output cannot carry over as page slices.
class qelCodedVisitor : public qelCompositeVisitor
{
public:
    qelCodedVisitor() = default;

    void reservedNotify(int value) override;
    void writeWatermark() override;
    int writeResourceReference(qelResourceReference* reference, bool mediumOverlay) override;
    int useFontResource(qelMappedRes* resource) override;
    int declareResource(qelResourceReference* reference) override;
    void writeBeginControlObject(qelBeginControlObject* object) override;
    void writeEndControlObject(qelEndControlObject* object) override;
    void reservedHookA(void* argument) override;
    void writeCurveObject(qelCurveObject* object) override;
    void writeGraphicsLine(float x, float y, bool draw) override;
    void reservedHookB(void* argument) override;
    void reservedHookC(void* argument) override;
    void writeBeginAreaObject(qelAreaObject* object) override;
    void writeEndAreaObject(qelAreaObject* object) override;
    void writeTextObject(qelTextObject* object) override;
    void writeLineObject(qelLineObject* object) override;
    void writeImageObject(qelImageObject* object) override;
    void writeCellObject(qelCell* object) override;
    void writeAFPObject(qelAFPObject* object) override;
    void writeBarcodeObject(qelBarcodeObject* object) override;
    void writeBoxObject(qelBoxObject* object) override;
    void writeFilletObject(qelFilletObject* object) override;
    void writeFullArcObject(qelFullArcObject* object) override;
    void writeMarkerObject(qelMarkerObject* object) override;
    void writePartialArcObject(qelPartialArcObject* object) override;
    void writeNOP(qelNOP* nop, bool flag) override;
    void writeTiffObject(qelTiffObject* object) override;
    void writeContainerObject(qelContainerObject* object) override;
    void writeObjectReference(qelContainerObject* object) override;
    void writeContainerData(qelContainerObject* object) override;
    void writeAnnotationObject(qelAnnotationObject* object) override;
    void finalizePage() override;
    void finalizeDoc() override;
};

#endif
