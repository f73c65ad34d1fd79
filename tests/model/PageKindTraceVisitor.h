#ifndef MODEL_TEST_PAGE_KIND_TRACE_VISITOR_H
#define MODEL_TEST_PAGE_KIND_TRACE_VISITOR_H

#include "RecordingVisitor.h"
#include "qelBarcodeObject.h"
#include "qelGraphicObject.h"
#include "qelImageObject.h"
#include "qelLineObject.h"

#include <functional>

// Records, beside the operation names, the page bookkeeping calls and where
// each line, bar code and image is written.
class PageKindTraceVisitor : public RecordingVisitor
{
public:
    int referenceAnswer = 2;
    std::vector<qelPoint> lineOrigins;
    std::vector<qelPoint> barcodePositions;
    std::vector<const unsigned char*> imageData;
    std::function<void(qelImageObject*)> onImage;

    void initializePage(qelPage*) override { calls.push_back("initializePage"); }
    void setWriteFlags(int value) override { calls.push_back(value == 256 ? "setWriteFlags" : "setWriteFlags?"); }
    qelPageOffset setPageOffset(qelPageOffset offset) override
    {
        calls.push_back("setPageOffset");
        return offset;
    }
    int resetPageOffset() override
    {
        calls.push_back("resetPageOffset");
        return 0;
    }
    int writeResourceReference(qelResourceReference*, bool medium) override
    {
        calls.push_back(medium ? "writeResourceReference(medium)" : "writeResourceReference");
        return referenceAnswer;
    }
    void writeLineObject(qelLineObject* line) override
    {
        calls.push_back("writeLineObject");
        lineOrigins.push_back(line->getAreaOrigin());
    }
    void writeBarcodeObject(qelBarcodeObject* barcode) override
    {
        calls.push_back("writeBarcodeObject");
        barcodePositions.push_back(barcode->getAbsolutePosition());
    }
    void writeImageObject(qelImageObject* image) override
    {
        calls.push_back("writeImageObject");
        imageData.push_back(image->getEncodedData());
        if (onImage)
            onImage(image);
    }
};

#endif
