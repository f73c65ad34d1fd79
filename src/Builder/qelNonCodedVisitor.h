#ifndef QEL_NON_CODED_VISITOR_H
#define QEL_NON_CODED_VISITOR_H

#include "qelVisitor.h"

// The visitor for page-image output: drawing goes to the raster engine
// only; at the end of each page its page images are written into the output
// engine.
class qelNonCodedVisitor : public qelVisitor
{
public:
    qelNonCodedVisitor() = default;
    // Deletes the output engine, then the raster engine.
    ~qelNonCodedVisitor() override;

    // Each deletes the engine held before and takes the new one over.
    void setOutputEngine(qelVisitor* engine);
    void setRasterEngine(qelVisitor* engine);
    qelVisitor* getOutputEngine() const { return m_outputEngine; }
    qelVisitor* getRasterEngine() const { return m_rasterEngine; }

    void setOutputOption(int value) override;
    void setDocumentPageCount(int count) override;
    qelPageOffset setPageOffset(qelPageOffset offset) override;
    int resetPageOffset() override;
    void setOutputFileName(const char* name) override;
    void setOutputBuffer(const char* data) override;
    void setOutputBufferWithLength(const void* data, int length) override;
    void setOutputBufferSize(int size) override;
    void setWriteFlags(int value) override;
    void setPendingException(qelException* exception) override;
    void setErrorState(bool failed) override;
    int getOutputOption() override;
    int getDocumentPageCount() override;
    qelPageOffset getPageOffset() override;
    const char* getOutputType() override;
    const char* getOutputFileName() override;
    const void* getOutputBuffer() override;
    int getOutputBufferSize() override;
    void reservedNotify(int value) override;
    int getPageCount() override;
    void initVisitor() override;
    bool isDocumentOpen() override;
    int initializeDoc(qelDocument* document) override;
    void initializePage(qelPage* page) override;
    qelPageCoordinateTransformer* getPresentationOrigin() override;
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
    void addDocumentIndex(qelDocument* document) override;
    void finalizeDoc() override;
    void cleanup() override;
    bool isImageTypeSupported(int imageType) override;
    void setDefaultFont(qelTextObject*, qelMappedRes*, qelAFPFont*, bool) override {}
    void displayIOCAImage(qelImageObject*) override {}
    void displayRasterImage(qelImageObject*) override {}
    void displayOtherImage(qelImageObject*) override {}

private:
    qelVisitor* m_outputEngine = nullptr;
    qelVisitor* m_rasterEngine = nullptr;
    // initializePage remembers the page for finalizePage.
    qelPage* m_currentPage = nullptr;
};

#endif
