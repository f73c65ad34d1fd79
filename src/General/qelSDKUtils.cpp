#include "qelSDKUtils.h"

#include "qelDocumentParser.h"
#include "qelError.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelImgException.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelLorbane.h"
#include "qelMessageOutput.h"
#include "qelPoolAccess.h"
#include "qelProcessInfo.h"
#include "qelUtils.h"

#include <cstring>
#include <ctime>
#include <memory>

namespace
{
const char* const kNotice = "Copyright (c) Lorbane developers. All rights reserved.";
bool g_runEnded = false;

int64_t now()
{
    return static_cast<int64_t>(std::time(nullptr));
}

// Runs a clean-up step of an error path; whatever it throws is dropped.
void quietly(const std::function<void()>& step)
{
    try {
        step();
    } catch (qelException* e) {
        delete e;
    } catch (...) {
    }
}

qelIni* existingOptions()
{
    if (!qelGlobalDSPool::exists())
        return nullptr;
    return qelGlobalDSPool::getInstance()->getIni();
}

qelLogStream* logIf(unsigned int bits)
{
    if (!qelGlobalDSPool::exists())
        return nullptr;
    qelLogStream* log = qelGlobalDSPool::getInstance()->getLogStream();
    return log && log->anyOf(bits) ? log : nullptr;
}

void writeErrorReport(const char* message, const char* inputFile)
{
    quietly([&]() {
        qelIni* ini = existingOptions();
        qelError report;
        report.setTimes(qelSDK::getStartTime(), qelSDK::getEndTime());
        report.setVersion(ini ? ini->getVersionText() : nullptr);
        report.setNotice(kNotice);
        report.setSupportLine();
        report.setErrorPath(ini ? ini->getLogPath() : nullptr);
        qelLorbane* kernel = qelLorbane::getInstance();
        report.setParameters(kernel ? kernel->getParameterList() : nullptr);
        report.setMessage(message);
        if (inputFile)
            report.setInputFile(inputFile);
        report.writeReport();
    });
}

// endRun when the call has not run it, then the kernel goes.
void endKernel()
{
    if (qelLorbane::getInstance() && !g_runEnded)
        quietly([]() { qelSDK::endRunOnce(); });
    quietly([]() { stopKernel(); });
}

[[noreturn]] void outputNotServed(qelIni* ini)
{
    throw new qelException(__FILE__, __LINE__, qelMsg::E012, 0, true, ini->getOutputFormatName(), "output format");
}
} // namespace

void qelSDK::endRunOnce()
{
    if (g_runEnded)
        return;
    g_runEnded = true;
    endRun();
}

bool qelSDK::isQuiet()
{
    qelIni* ini = existingOptions();
    return ini && ini->isQuietMode();
}

int qelSDK::ignoredObjects()
{
    qelLorbane* kernel = qelLorbane::getInstance();
    qelDocumentParser* parser = kernel ? kernel->getParser() : nullptr;
    return parser ? parser->getIgnoredObjectCount() : 0;
}

void qelSDK::runInput(const char* name, const std::function<void()>& body)
{
    auto fail = [name](int status, const char* text) {
        qelLorbane* kernel = qelLorbane::getInstance();
        if (!kernel || !kernel->isActive())
            return;
        kernel->setErrorState();
        kernel->setExitStatus(status);
        kernel->setLastError(text);
        quietly([name]() { listGlobalResources(1, name); });
        quietly([]() { endInput(); });
    };
    try {
        body();
    } catch (qelException* e) {
        fail(-e->getId(), e->getMessage());
        throw;
    } catch (const char* text) {
        fail(-100, text);
        throw;
    } catch (...) {
        // An image library error outside a document's writing is an unknown
        // one here; it is still freed.
        try {
            throw;
        } catch (qelImgException* e) {
            delete e;
        } catch (...) {
        }
        fail(-1, "Unknown error");
        throw new qelException(__FILE__, __LINE__, qelMsg::E001, 0, true);
    }
}

void qelSDK::reportAllocationFailure(const char* text)
{
    const char* format = qelException::getKindText(QEL_MSG_ERROR, 100);
    std::string line;
    if (format) {
        int n = std::snprintf(nullptr, 0, format, text ? text : "");
        if (n > 0) {
            line.resize(static_cast<size_t>(n) + 1);
            std::snprintf(&line[0], line.size(), format, text ? text : "");
            line.resize(static_cast<size_t>(n));
        }
    }
    qelMessageOutput::write(line.c_str());
    if (qelLogStream* log = logIf(QEL_LOG_LOGGING | QEL_LOG_LEVEL5))
        log->printLine("%s", line.c_str());
    if (text)
        reportErrorText(100, text);
}

void qelSDK::reportUnknownFailure()
{
    qelMessageOutput::write("E002: Unknown exception occurred, leaving...\n");
    reportErrorText(2, "Unknown exception occurred, leaving...");
}

int qelSDK::runConversion(const Conversion& c)
{
    setStartTime(now());
    g_runEnded = false;
    std::string startText;
    bool quiet = false;
    int result = 0;
    try {
        if (!isInitialised(c.family)) {
            const int rc = initialise(c.family);
            if (rc < 0)
                return rc;
        }
        qelIni* ini = qelPoolAccess::options("Unable to allocate INI");
        qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
        qelIni::setCurrent(ini);
        ini->setApiMode(c.apiMode);
        qelLorbane::setDocumentWriter(&callDocumentWriter);
        if (c.setOptions)
            c.setOptions(ini);
        // An output the settings cannot serve fails the call with E012.
        const bool served = ini->checkFileCreationMode();
        if (!served && c.servedCheckFirst)
            outputNotServed(ini);
        qelLogStream* log = pool->getLogStream();
        if (c.checkArguments)
            c.checkArguments(ini);
        switch (checkFormats()) {
        case -2:
            throw new qelException(__FILE__, __LINE__, qelMsg::E012, 0, true, ini->getOutputFormatName(),
                                   "output format");
        case -1:
            throw new qelException(__FILE__, __LINE__, qelMsg::E012, 0, true, ini->getInputFormatName(),
                                   "input format");
        default:
            break;
        }
        ini->checkPaths(-1);
        if (log)
            log->setLevel(ini->getLoggingLevel());
        if (!served)
            outputNotServed(ini);
        startText = formatClock(getStartTime());
        quiet = ini->isQuietMode();

        const int loop = c.convert ? c.convert() : 0;
        qelLorbane* kernel = qelLorbane::getInstance();
        if (loop >= 1) {
            if (kernel)
                kernel->setExitStatus(2);
            result = 2;
        }
        listGlobalResources(2, nullptr);
        if (c.finish)
            c.finish();
        stopKernel();

        auto* done = new qelException(__FILE__, __LINE__, QEL_MSG_INFO, result == 2 ? 2 : 0, 0, true);
        releaseGlobals();
        delete done;
        setEndTime(now());
        if (!quiet) {
            qelMessageOutput::printf(c.startLine, startText.c_str());
            qelMessageOutput::printf(c.endLine, formatClock(getEndTime()).c_str());
        }
        return result;
    } catch (qelException* e) {
        quietly([]() { listGlobalResources(2, nullptr); });
        setEndTime(now());
        const bool error = e->getKind() == QEL_MSG_ERROR;
        const int id = e->getId();
        if (error) {
            writeErrorReport(e->getText(), c.reportInput);
            reportError(e);
        }
        endKernel();
        delete e;
        releaseGlobals();
        return error ? -id : 0;
    } catch (const char* text) {
        quietly([]() { listGlobalResources(2, nullptr); });
        reportAllocationFailure(text);
        setEndTime(now());
        const char* format = qelException::getKindText(QEL_MSG_ERROR, 100);
        char line[512];
        std::snprintf(line, sizeof line, format ? format : "%s", text ? text : "");
        writeErrorReport(line, c.reportInput);
        endKernel();
        releaseGlobals();
        return -100;
    } catch (...) {
        // An image library error thrown outside a document's writing is an
        // unknown one here; it is still freed.
        try {
            throw;
        } catch (qelImgException* e) {
            delete e;
        } catch (...) {
        }
        quietly([]() { listGlobalResources(2, nullptr); });
        reportUnknownFailure();
        setEndTime(now());
        writeErrorReport("Unknown exception occurred", c.reportInput);
        endKernel();
        releaseGlobals();
        return -2;
    }
}

std::string qelSDK::formatClock(long long seconds)
{
    return qelProcessInfo::formatTime(qelProcessInfo::toLocalTime(seconds), "%H:%M:%S");
}

bool qelSDK::isSafeOutputName(const char* name)
{
    if (!name || !*name || qelUtils::isAbsolutePath(name))
        return false;
    // The name helper keeps a plain relative name as it is; anything it
    // would change (a '..' part, a backslash, a doubled '/') is refused.
    std::unique_ptr<char[]> safe(qelUtils::toSafeFileName(name, true));
    if (!safe || std::strcmp(safe.get(), name) != 0)
        return false;
    return true;
}

std::string qelSDK::cutExtension(const std::string& name)
{
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return name;
    return name.substr(0, dot);
}
