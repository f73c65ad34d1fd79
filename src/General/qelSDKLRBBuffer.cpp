#include "qelSDKLRBBuffer.h"

#include "qelException.h"
#include "qelIni.h"
#include "qelLorbane.h"
#include "qelSDKUtils.h"

int qelSDK::convertBuffer(void* buffer, int size, void** outBuffer, int* outSize)
{
    int loop = 0;
    runInput("Buffer Stream", [&]() {
        qelLorbane* kernel = qelLorbane::getInstance();
        kernel->openBufferInput(static_cast<const unsigned char*>(buffer), size, "lorbane");
        kernel->processDocuments();
        loop = ignoredObjects();
        listGlobalResources(1, "Buffer Stream");
        endInput();
        // The caller owns the buffer from here on.
        if (outBuffer)
            *outBuffer = kernel->getOutputBuffer();
        if (outSize)
            *outSize = static_cast<int>(kernel->getOutputLength());
        if (outBuffer)
            kernel->detachOutputBuffer();
    });
    return loop;
}

extern "C" int lorbane_Mem(void* buffer, int size, void** outBuffer, int* outSize)
{
    qelSDK::Conversion c;
    c.family = qelSDK::FAMILY_MEM;
    c.apiMode = 4;
    c.startLine = "\n\nLorbane started at : %s\n";
    c.endLine = "\n\nLorbane finished at : %s\n";
    c.setOptions = [](qelIni* ini) {
        ini->setMemoryOutputStream(true);
        if (ini->getFileCreationMode() != QEL_FCM_DOC_COLD)
            ini->setFileCreationMode("ALL");
        ini->setStartingDocument(0);
        ini->setEndingDocument(0);
    };
    c.checkArguments = [buffer, size](qelIni*) {
        if (!buffer || size < 1)
            throw new qelException(__FILE__, __LINE__, qelMsg::E200, 0, true);
    };
    c.convert = [buffer, size, outBuffer, outSize]() {
        startKernel();
        startRun();
        return qelSDK::convertBuffer(buffer, size, outBuffer, outSize);
    };
    c.finish = []() { qelSDK::endRunOnce(); };
    return qelSDK::runConversion(c);
}
