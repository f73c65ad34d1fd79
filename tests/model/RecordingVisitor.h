#ifndef MODEL_TEST_RECORDING_VISITOR_H
#define MODEL_TEST_RECORDING_VISITOR_H

#include "qelVisitor.h"

#include <string>
#include <vector>

// A visitor that records the names of the operations called on it.
class RecordingVisitor : public qelVisitor
{
public:
    std::vector<std::string> calls;
    std::vector<qelPoint> points;

#define RECORD(name) calls.push_back(#name)
    void reservedNotify(int) override { RECORD(reservedNotify); }
    bool isDocumentOpen() override { RECORD(isDocumentOpen); return true; }
    qelPageCoordinateTransformer* getPresentationOrigin() override { RECORD(getPresentationOrigin); return nullptr; }
    void writeWatermark() override { RECORD(writeWatermark); }
    int writeResourceReference(qelResourceReference*, bool) override { RECORD(writeResourceReference); return 2; }
    int useFontResource(qelMappedRes*) override { RECORD(useFontResource); return 0; }
    int declareResource(qelResourceReference*) override { RECORD(declareResource); return 0; }
    void reservedHookA(void*) override { RECORD(reservedHookA); }
    void writeCurveObject(qelCurveObject*) override { RECORD(writeCurveObject); }
    void writeGraphicsLine(float x, float y, bool draw) override
    {
        calls.push_back(draw ? "draw" : "move");
        points.push_back(qelPoint{x, y});
    }
    void reservedHookB(void*) override { RECORD(reservedHookB); }
    void reservedHookC(void*) override { RECORD(reservedHookC); }
    void writeBeginAreaObject(qelAreaObject*) override { RECORD(writeBeginAreaObject); }
    void writeEndAreaObject(qelAreaObject*) override { RECORD(writeEndAreaObject); }
    void writeTextObject(qelTextObject*) override { RECORD(writeTextObject); }
    void writeLineObject(qelLineObject*) override { RECORD(writeLineObject); }
    void writeImageObject(qelImageObject*) override { RECORD(writeImageObject); }
    void writeCellObject(qelCell*) override { RECORD(writeCellObject); }
    void writeAFPObject(qelAFPObject*) override { RECORD(writeAFPObject); }
    void writeBarcodeObject(qelBarcodeObject*) override { RECORD(writeBarcodeObject); }
    void writeBoxObject(qelBoxObject*) override { RECORD(writeBoxObject); }
    void writeFilletObject(qelFilletObject*) override { RECORD(writeFilletObject); }
    void writeFullArcObject(qelFullArcObject*) override { RECORD(writeFullArcObject); }
    void writeMarkerObject(qelMarkerObject*) override { RECORD(writeMarkerObject); }
    void writePartialArcObject(qelPartialArcObject*) override { RECORD(writePartialArcObject); }
    void writeNOP(qelNOP*, bool) override { RECORD(writeNOP); }
    void writeTiffObject(qelTiffObject*) override { RECORD(writeTiffObject); }
    void writeObjectReference(qelContainerObject*) override { RECORD(writeObjectReference); }
    void writeContainerData(qelContainerObject*) override { RECORD(writeContainerData); }
    void writeAnnotationObject(qelAnnotationObject*) override { RECORD(writeAnnotationObject); }
    void finalizePage() override { RECORD(finalizePage); }
    void addDocumentIndex(qelDocument*) override { RECORD(addDocumentIndex); }
    void cleanup() override { RECORD(cleanup); }
    bool isImageTypeSupported(int) override { RECORD(isImageTypeSupported); return false; }
    void setDefaultFont(qelTextObject*, qelMappedRes*, qelAFPFont*, bool) override { RECORD(setDefaultFont); }
    void displayIOCAImage(qelImageObject*) override { RECORD(displayIOCAImage); }
    void displayRasterImage(qelImageObject*) override { RECORD(displayRasterImage); }
    void displayOtherImage(qelImageObject*) override { RECORD(displayOtherImage); }
#undef RECORD
};

#endif
