#include "qelSDKCheckIn.h"

#include "qelException.h"
#include "qelIni.h"
#include "qelLorbane.h"
#include "qelMessageOutput.h"
#include "qelSDKLRBFile.h"
#include "qelSDKUtils.h"
#include "qelUtils.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace
{
FILE* openOutput(const std::string& path, const char* mode, const char* what)
{
    FILE* file = std::fopen(path.c_str(), mode);
    if (!file) {
        const int code = errno;
        qelMessageOutput::printf("Error! Unable to open file %s (rc=%d, msg=%s) to write %s\n", path.c_str(), code,
                                 std::strerror(code), what);
    }
    return file;
}

// Name/value lines "%s=%s\n".
int writePairs(const std::string& path, qelSDKNameValue* list, const char* what)
{
    FILE* file = openOutput(path, "w", what);
    if (!file)
        return -3;
    for (qelSDKNameValue* n = list; n; n = n->next)
        std::fprintf(file, "%s=%s\n", n->name ? n->name : "", n->value ? n->value : "");
    qelUtils::closeFile(file);
    return 0;
}
} // namespace

int defaultDocumentWriter(qelSDKOutputRecord* record)
{
    if (!record)
        return -1;
    // Files are named after the kernel's current document name, which comes
    // from the input: only a relative name without '..' parts is used.
    const char* current = qelLorbane::getCurrentDocumentName();
    if (!qelSDK::isSafeOutputName(current)) {
        qelMessageOutput::printf("Error! Unable to use document name %s as a file name\n", current ? current : "");
        return -2;
    }
    const std::string name(current);
    const std::string base = qelSDK::cutExtension(name);
    if (record->data && record->length > 0) {
        FILE* file = openOutput(name, "wb", "document");
        if (!file)
            return -2;
        std::fwrite(record->data, 1, record->length, file);
        qelUtils::closeFile(file);
    }
    if (record->indexList && writePairs(base + ".idx", record->indexList, "document indexes") < 0)
        return -3;
    for (qelSDKUserData* entry = record->userDataList; entry; entry = entry->next) {
        if (!entry->data || entry->length == 0)
            continue;
        const std::string path = base + "_" + (entry->name ? entry->name : "") + ".dat";
        if (entry->name && !qelSDK::isSafeOutputName(path.c_str())) {
            qelMessageOutput::printf("Error! Unable to use document name %s as a file name\n", path.c_str());
            return -4;
        }
        FILE* file = openOutput(path, "wb", "document user data");
        if (!file)
            return -4;
        std::fwrite(entry->data, 1, entry->length, file);
        qelUtils::closeFile(file);
    }
    if (record->attributeList && writePairs(base + ".prop", record->attributeList, "document properties") < 0)
        return -3;
    return 0;
}

int qelSDK::convertWriterFile()
{
    return convertFileList();
}

extern "C" int lorbane_Mem_Writer(const char* inputFile)
{
    qelSDK::Conversion c;
    c.family = qelSDK::FAMILY_WRITER;
    c.apiMode = 1;
    c.startLine = "\n\nCheckIn started at : %s\n";
    c.endLine = "\n\nCheckIn finished at : %s\n";
    c.reportInput = inputFile;
    c.setOptions = [](qelIni* ini) { ini->setMemoryOutputStream(true); };
    c.checkArguments = [inputFile](qelIni*) {
        if (!inputFile || !*inputFile)
            throw new qelException(__FILE__, __LINE__, qelMsg::E108, 0, true);
    };
    c.convert = [inputFile]() {
        qelIni::addInputFile(inputFile);
        startKernel();
        startRun();
        return qelSDK::convertWriterFile();
    };
    c.finish = []() { qelSDK::endRunOnce(); };
    return qelSDK::runConversion(c);
}
