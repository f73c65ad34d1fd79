#ifndef NULL_VISITOR_H
#define NULL_VISITOR_H

// An output visitor that draws nothing: test engines override only what
// they record.
#include "qelVisitor.h"

namespace lrbtest
{

class NullVisitor : public qelVisitor
{
public:
    bool isDocumentOpen() override { return false; }
    void cleanup() override {}
    void addDocumentIndex(qelDocument*) override {}
    void reservedNotify(int) override {}
    qelPageCoordinateTransformer* getPresentationOrigin() override { return nullptr; }
    void writeWatermark() override {}
    int writeResourceReference(qelResourceReference*, bool) override { return 0; }
    int useFontResource(qelMappedRes*) override { return 0; }
    int declareResource(qelResourceReference*) override { return 0; }
    void reservedHookA(void*) override {}
    void writeCurveObject(qelCurveObject*) override {}
    void writeGraphicsLine(float, float, bool) override {}
    void reservedHookB(void*) override {}
    void reservedHookC(void*) override {}
    void writeBeginAreaObject(qelAreaObject*) override {}
    void writeEndAreaObject(qelAreaObject*) override {}
    void writeTextObject(qelTextObject*) override {}
    void writeLineObject(qelLineObject*) override {}
    void writeImageObject(qelImageObject*) override {}
    void writeCellObject(qelCell*) override {}
    void writeAFPObject(qelAFPObject*) override {}
    void writeBarcodeObject(qelBarcodeObject*) override {}
    void writeBoxObject(qelBoxObject*) override {}
    void writeFilletObject(qelFilletObject*) override {}
    void writeFullArcObject(qelFullArcObject*) override {}
    void writeMarkerObject(qelMarkerObject*) override {}
    void writePartialArcObject(qelPartialArcObject*) override {}
    void writeNOP(qelNOP*, bool) override {}
    void writeTiffObject(qelTiffObject*) override {}
    void writeObjectReference(qelContainerObject*) override {}
    void writeContainerData(qelContainerObject*) override {}
    void writeAnnotationObject(qelAnnotationObject*) override {}
    void finalizePage() override {}
    bool isImageTypeSupported(int) override { return false; }
    void setDefaultFont(qelTextObject*, qelMappedRes*, qelAFPFont*, bool) override {}
    void displayIOCAImage(qelImageObject*) override {}
    void displayRasterImage(qelImageObject*) override {}
    void displayOtherImage(qelImageObject*) override {}
};

} // namespace lrbtest

#endif
