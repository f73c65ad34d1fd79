#ifndef QEL_COMPOSITE_VISITOR_H
#define QEL_COMPOSITE_VISITOR_H

#include "qelVisitor.h"

// What the coded and the non-coded visitor share: the output engine and the
// raster engine they own, and the bookkeeping operations both pass on alike.
class qelCompositeVisitor : public qelVisitor
{
public:
    qelCompositeVisitor() = default;
    // Deletes the output engine, then the raster engine.
    ~qelCompositeVisitor() override;

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
    int getPageCount() override;
    void initVisitor() override;
    bool isDocumentOpen() override;
    int initializeDoc(qelDocument* document) override;
    void initializePage(qelPage* page) override;
    qelPageCoordinateTransformer* getPresentationOrigin() override;
    void addDocumentIndex(qelDocument* document) override;
    void cleanup() override;
    bool isImageTypeSupported(int imageType) override;
    void setDefaultFont(qelTextObject*, qelMappedRes*, qelAFPFont*, bool) override {}
    void displayIOCAImage(qelImageObject*) override {}
    void displayRasterImage(qelImageObject*) override {}
    void displayOtherImage(qelImageObject*) override {}

protected:
    qelVisitor* m_outputEngine = nullptr;
    qelVisitor* m_rasterEngine = nullptr;
    // initializePage remembers the page for finalizePage.
    qelPage* m_currentPage = nullptr;
};

#endif
