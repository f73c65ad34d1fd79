#include "qelSDKLRBFile.h"

#include "qelException.h"
#include "qelIni.h"
#include "qelInputFileList.h"
#include "qelList.h"
#include "qelLorbane.h"
#include "qelMessageOutput.h"
#include "qelSDKUtils.h"

#include <cstring>
#include <string>

int qelSDK::convertFileList()
{
    qelIni* ini = qelIni::getCurrent();
    qelList* paths = qelInputFileList::createList();
    if (ini) {
        for (const std::string& name : ini->getInputFiles()) {
            char* copy = new char[name.size() + 1];
            std::memcpy(copy, name.c_str(), name.size() + 1);
            paths->append(copy);
        }
    }
    auto* files = new qelInputFileList(paths);
    setInputFileList(files);
    const char* first = files->first();
    if (!first)
        throw new qelException(__FILE__, __LINE__, qelMsg::E023, 0, true, "");
    int loop = 0;
    int count = 0;
    for (const char* name = first; name; name = files->next()) {
        const std::string current(name);
        runInput(current.c_str(), [&]() {
            setCurrentDocumentId(current.c_str());
            qelLorbane* kernel = qelLorbane::getInstance();
            kernel->openFileInput(current.c_str());
            kernel->processDocuments();
            if (loop == 0)
                loop = ignoredObjects();
            listGlobalResources(1, current.c_str());
            endInput();
        });
        ++count;
    }
    if (!isQuiet())
        qelMessageOutput::printf("\nTotal number of files processed: %d \n", count);
    return loop;
}

int qelSDK::convertStdin()
{
    int loop = 0;
    runInput("stdin", [&]() {
        qelLorbane* kernel = qelLorbane::getInstance();
        kernel->openStdinInput();
        kernel->processDocuments();
        loop = ignoredObjects();
        listGlobalResources(1, "stdin");
        endInput();
    });
    return loop;
}

int qelSDK::convertFiles()
{
    startRun();
    int loop = 0;
    try {
        qelIni* ini = qelIni::getCurrent();
        loop = ini && ini->isStdIn() ? convertStdin() : convertFileList();
    } catch (...) {
        try {
            endRunOnce();
        } catch (qelException* e) {
            delete e;
        } catch (...) {
        }
        throw;
    }
    endRunOnce();
    return loop;
}

extern "C" int lorbane_File(qelSDKNameList* files)
{
    qelSDK::Conversion c;
    c.family = qelSDK::FAMILY_FILE;
    c.apiMode = 16;
    c.servedCheckFirst = true;
    c.startLine = "\n\nLorbane Started at : %s \n";
    c.endLine = "\n\nLorbane Finished at : %s \n";
    c.checkArguments = [files](qelIni*) {
        if (!files)
            throw new qelException(__FILE__, __LINE__, qelMsg::E209, 0, true);
    };
    c.convert = [files]() {
        for (qelSDKNameList* node = files; node; node = node->next)
            if (node->name)
                qelIni::addInputFile(node->name);
        startKernel();
        return qelSDK::convertFiles();
    };
    return qelSDK::runConversion(c);
}
