#include "qelSDKCheckOut.h"

#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelLorbane.h"
#include "qelMessageOutput.h"
#include "qelSDKUtils.h"
#include "qelUtils.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <sys/stat.h>

namespace
{
void printFailure(const char* format, const char* id, int code)
{
    qelMessageOutput::printf(format, id, code, std::strerror(code));
}
} // namespace

qelSDKDocumentRecord* defaultDocumentReader(const char* documentId)
{
    if (!documentId)
        return nullptr;
    struct stat status = {};
    errno = 0;
    if (::stat(documentId, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size <= 0) {
        printFailure("Error! Invalid file size for document %s (rc=%d, msg=%s)\n", documentId, errno);
        return nullptr;
    }
    FILE* file = std::fopen(documentId, "rb");
    if (!file) {
        printFailure("Error! Unable to open the document %s (rc=%d, msg=%s)\n", documentId, errno);
        return nullptr;
    }
    auto* record = static_cast<qelSDKDocumentRecord*>(std::calloc(1, sizeof(qelSDKDocumentRecord)));
    if (!record) {
        printFailure("Error! Unable to allocate memory for document %s object while reading (rc=%d, msg=%s)\n",
                     documentId, errno);
        std::fclose(file);
        return nullptr;
    }
    const size_t size = static_cast<size_t>(status.st_size);
    if (status.st_size > 0x7FFFFFFF || !(record->data = std::malloc(size))) {
        printFailure("Error! Unable to allocate memory for document %s buffer while reading (rc=%d, msg=%s)\n",
                     documentId, errno ? errno : ENOMEM);
        std::free(record);
        std::fclose(file);
        return nullptr;
    }
    if (std::fread(record->data, 1, size, file) != size) {
        printFailure("Error! Unable to read document %s data (rc=%d, msg=%s)\n", documentId, errno ? errno : EIO);
        std::free(record->data);
        std::free(record);
        std::fclose(file);
        return nullptr;
    }
    std::fclose(file);
    record->length = static_cast<uint32_t>(size);
    return record;
}

void qelSDK::releaseDocumentRecord(qelSDKDocumentRecord* record)
{
    if (!record)
        return;
    std::free(record->data);
    for (qelSDKNameValue* n = record->indexList; n;) {
        qelSDKNameValue* next = n->next;
        std::free(n);
        n = next;
    }
    for (qelSDKUserData* n = record->userDataList; n;) {
        qelSDKUserData* next = n->next;
        std::free(n);
        n = next;
    }
    std::free(record);
}

int qelSDK::convertCheckoutList(qelSDKNameList* documentIds)
{
    int ids = 0;
    for (qelSDKNameList* n = documentIds; n; n = n->next)
        ++ids;
    int loop = 0;
    runInput("checkout", [&]() {
        qelLorbane* kernel = qelLorbane::getInstance();
        kernel->openCheckoutInput(documentIds);
        kernel->processDocuments();
        loop = ignoredObjects();
        listGlobalResources(1, "checkout");
        endInput();
    });
    if (!isQuiet())
        qelMessageOutput::printf("\nTotal number of files processed: %d \n", ids);
    return loop;
}

int qelSDK::convertReaderDocuments(qelSDKNameList* documentIds)
{
    int loop = 0;
    int count = 0;
    for (qelSDKNameList* n = documentIds; n; n = n->next) {
        const char* id = n->name;
        std::unique_ptr<qelSDKDocumentRecord, void (*)(qelSDKDocumentRecord*)> record(callDocumentReader(id),
                                                                                       &releaseDocumentRecord);
        if (record) {
            const std::string name(id ? id : "");
            runInput(name.c_str(), [&]() {
                setCurrentDocumentId(name.c_str());
                qelLorbane* kernel = qelLorbane::getInstance();
                kernel->openBufferInput(static_cast<const unsigned char*>(record->data),
                                        static_cast<int>(record->length), name.c_str());
                kernel->processDocuments();
                if (loop == 0)
                    loop = ignoredObjects();
                listGlobalResources(1, name.c_str());
                endInput();
            });
        } else {
            if (!isQuiet())
                qelMessageOutput::printf("Warning! There is no document object corresponding to the Doc Id:%s\n",
                                         id ? id : "");
            qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
            qelLogStream* log = pool ? pool->getLogStream() : nullptr;
            if (log && log->anyOf(QEL_LOG_GENERAL))
                log->printLine("Warning! There is no document object corresponding to the Doc Id:%s", id ? id : "");
        }
        ++count;
    }
    if (!isQuiet())
        qelMessageOutput::printf("\nTotal number of files processed: %d \n", count);
    return loop;
}

extern "C" int lorbane_File_Reader(qelSDKNameList* documentIds, const char* outputFile)
{
    qelSDK::Conversion c;
    c.family = qelSDK::FAMILY_READER;
    c.apiMode = 2;
    c.startLine = "\n\nCheckOut started at : %s\n";
    c.endLine = "\n\nCheckOut finished at : %s\n";
    c.setOptions = [outputFile](qelIni* ini) {
        if (outputFile && *outputFile) {
            std::unique_ptr<char[]> directory(qelUtils::getDirectory(outputFile));
            if (directory && *directory.get())
                ini->setOutputFilePath(directory.get());
            std::unique_ptr<char[]> base(qelUtils::getBaseName(outputFile, false));
            if (base && *base.get()) {
                // The name pattern needs a field: the piece with the name
                // formats the spool name to nothing.
                std::string name;
                for (const char* c = base.get(); *c; ++c)
                    name += *c == '%' ? std::string("%%") : std::string(1, *c);
                ini->setFilenamePattern(("\"" + name + "%.0s\",SPOOLNAME").c_str());
            }
            const char* extension = qelUtils::getExtension(outputFile);
            if (extension && *extension)
                ini->setAttribute("CustomFileExtension", extension);
        }
        ini->setStartingDocument(0);
        ini->setEndingDocument(0);
    };
    c.checkArguments = [documentIds, outputFile](qelIni*) {
        if (!outputFile || !*outputFile)
            throw new qelException(__FILE__, __LINE__, qelMsg::E207, 0, true);
        if (!documentIds)
            throw new qelException(__FILE__, __LINE__, qelMsg::E208, 0, true);
    };
    c.convert = [documentIds]() {
        startKernel();
        startRun();
        return qelSDK::convertCheckoutList(documentIds);
    };
    c.finish = []() { qelSDK::endRunOnce(); };
    return qelSDK::runConversion(c);
}

extern "C" int lorbane_Mem_Reader(qelSDKNameList* documentIds, void** outBuffer, int* outSize)
{
    if (outBuffer)
        *outBuffer = nullptr;
    if (outSize)
        *outSize = 0;
    qelSDK::Conversion c;
    c.family = qelSDK::FAMILY_READER;
    c.apiMode = 2;
    c.startLine = "\n\nCheckOut started at : %s\n";
    c.endLine = "\n\nCheckOut finished at : %s\n";
    c.setOptions = [](qelIni* ini) {
        ini->setMemoryOutputStream(true);
        ini->setStartingDocument(0);
        ini->setEndingDocument(0);
    };
    c.checkArguments = [documentIds](qelIni*) {
        if (!documentIds)
            throw new qelException(__FILE__, __LINE__, qelMsg::E208, 0, true);
    };
    c.convert = [documentIds]() {
        startKernel();
        startRun();
        return qelSDK::convertReaderDocuments(documentIds);
    };
    c.finish = [outBuffer, outSize]() {
        qelSDK::endRunOnce();
        qelLorbane* kernel = qelLorbane::getInstance();
        if (!kernel || !outBuffer)
            return;
        *outBuffer = kernel->getOutputBuffer();
        if (outSize)
            *outSize = static_cast<int>(kernel->getOutputLength());
        kernel->detachOutputBuffer();
    };
    return qelSDK::runConversion(c);
}
