#ifndef QEL_HTML_VISITOR_H
#define QEL_HTML_VISITOR_H

#include "qelVisitor.h"

// The output visitor of HTML output. Pages and their objects go to the
// functions of the output script, which writes the HTML; pages are always
// laid out from the top-left corner. Until the script visitor exists this
// class holds only its own part: the output type and the page origin.
// Without a script nothing is written and no output document opens.
class qelHTMLVisitor : public qelVisitor
{
public:
    qelHTMLVisitor();

    // Top-left origin with y growing downwards, whatever a script says.
    qelPageCoordinateTransformer* getPresentationOrigin() override;

    void reservedNotify(int) override {}
    bool isDocumentOpen() override { return false; }
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
    void addDocumentIndex(qelDocument*) override {}
    void cleanup() override {}
    bool isImageTypeSupported(int) override { return false; }
    void setDefaultFont(qelTextObject*, qelMappedRes*, qelAFPFont*, bool) override {}
    void displayIOCAImage(qelImageObject*) override {}
    void displayRasterImage(qelImageObject*) override {}
    void displayOtherImage(qelImageObject*) override {}
};

#endif
