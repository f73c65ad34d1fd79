#include "qelImgProcessor.h"

#include "qelCxImageVersion.h"
#include "qelImgErrorHandler.h"
#include "qelImgLogger.h"
#include "qelImgTIFFIOStreamProcessor.h"
#include "qelImgTIFFProcessor.h"
#include "qelImgUtils.h"

#include <jpeglib.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace
{
// A document text; unset and empty answer the default.
struct DocumentText
{
    std::string text;
    const char* get(const char* fallback) const { return text.empty() ? fallback : text.c_str(); }
    void set(const char* value)
    {
        if (value)
            text = value;
    }
};

struct Settings
{
    bool initialized = false;
    qelImgLogger* logger = nullptr;
    bool hasTempDirectory = false;
    std::string tempDirectory;
    DocumentText copyright, softwareName, artist, keywords, title, subject, author;
    float defaultResolution = 300.0f;
    bool widthFromData = true;
    int tempFileMode = 0;
    int messageMode = 1;
};

Settings g_settings;

const char* const kCopyright = "Copyright (c) Orvo. All rights reserved.";
const char* const kCompany = "Orvo";

void trace(const char* operation)
{
    if (qelImgLogger* logger = g_settings.logger)
        logger->trace("\t%s::%s()", "qelImgProcessor", operation);
}

void takeDefaultTempDirectory()
{
    char* dir = qelImgUtils::getDefaultTempDirectory();
    g_settings.hasTempDirectory = dir != nullptr;
    g_settings.tempDirectory = dir ? dir : "";
    delete[] dir;
}
}

void qelImgProcessor::initializeLibrary()
{
    trace("initializeLibrary");
    if (g_settings.initialized)
        return;
    g_settings.initialized = true;
    qelImgErrorHandler::reset();
    takeDefaultTempDirectory();
}

void qelImgProcessor::finalizeLibrary()
{
    trace("finalizeLibrary");
    if (!g_settings.initialized)
        return;
    qelImgErrorHandler::restoreTIFFHandlers();
    // The switches and the message mode stay as set.
    Settings fresh;
    fresh.defaultResolution = g_settings.defaultResolution;
    fresh.widthFromData = g_settings.widthFromData;
    fresh.tempFileMode = g_settings.tempFileMode;
    fresh.messageMode = g_settings.messageMode;
    g_settings = fresh;
}

bool qelImgProcessor::isInitialized() { return g_settings.initialized; }

void qelImgProcessor::releaseLibraryResources()
{
    qelImgTIFFIOStreamProcessor::releaseContexts();
    qelImgTIFFProcessor::releaseContexts();
    qelImgErrorHandler::restoreTIFFHandlers();
    qelImgErrorHandler::clearPendingError();
}

void qelImgProcessor::setLogger(qelImgLogger* logger) { g_settings.logger = logger; }
qelImgLogger* qelImgProcessor::getLogger() { return g_settings.logger; }

const char* qelImgProcessor::getSoftwareName() { return g_settings.softwareName.get("Orvo Image Library V1.14"); }
void qelImgProcessor::setSoftwareName(const char* text) { g_settings.softwareName.set(text); }
const char* qelImgProcessor::getCopyright() { return g_settings.copyright.get(kCopyright); }
void qelImgProcessor::setCopyright(const char* text) { g_settings.copyright.set(text); }
const char* qelImgProcessor::getArtist() { return g_settings.artist.get(kCompany); }
void qelImgProcessor::setArtist(const char* text) { g_settings.artist.set(text); }
const char* qelImgProcessor::getTitle() { return g_settings.title.get(""); }
void qelImgProcessor::setTitle(const char* text) { g_settings.title.set(text); }
const char* qelImgProcessor::getSubject() { return g_settings.subject.get(""); }
void qelImgProcessor::setSubject(const char* text) { g_settings.subject.set(text); }
const char* qelImgProcessor::getKeywords() { return g_settings.keywords.get(""); }
void qelImgProcessor::setKeywords(const char* text) { g_settings.keywords.set(text); }
const char* qelImgProcessor::getAuthor() { return g_settings.author.get(""); }
void qelImgProcessor::setAuthor(const char* text) { g_settings.author.set(text); }

float qelImgProcessor::getDefaultResolution() { return g_settings.defaultResolution; }
void qelImgProcessor::setDefaultResolution(float dpi) { g_settings.defaultResolution = dpi; }
bool qelImgProcessor::isWidthFromData() { return g_settings.widthFromData; }
void qelImgProcessor::setWidthFromData(bool on) { g_settings.widthFromData = on; }
int qelImgProcessor::getTempFileMode() { return g_settings.tempFileMode; }
void qelImgProcessor::setTempFileMode(int mode) { g_settings.tempFileMode = mode; }
int qelImgProcessor::getMessageMode() { return g_settings.messageMode; }
void qelImgProcessor::setMessageMode(int mode) { g_settings.messageMode = mode; }

const char* qelImgProcessor::getTempDirectory()
{
    return g_settings.hasTempDirectory ? g_settings.tempDirectory.c_str() : nullptr;
}

void qelImgProcessor::setTempDirectory(const char* path)
{
    char* stripped = qelImgUtils::stripEnclosing(path, '"');
    std::string dir = stripped ? stripped : "";
    delete[] stripped;
    for (char& c : dir)
        if (c == '\\')
            c = '/';
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    if (dir.empty() || !qelImgUtils::isDirectory(dir.c_str()) || !qelImgUtils::isWritable(dir.c_str())) {
        takeDefaultTempDirectory();
        return;
    }
    g_settings.hasTempDirectory = true;
    g_settings.tempDirectory = dir;
}

const char* qelImgProcessor::getVersion() { return "1.14"; }

const char* qelImgProcessor::getLibraryBanner()
{
    return "Orvo Image Library Version 1.14 [Compiled on " __DATE__ " at " __TIME__ "]";
}

char* qelImgProcessor::getLibraryVersions()
{
    char* text = new char[1024];
    char jpeg[16];
    std::snprintf(jpeg, sizeof jpeg, "%d.%d", JPEG_LIB_VERSION / 10, JPEG_LIB_VERSION % 10);
    char cximage[32];
    std::snprintf(cximage, sizeof cximage, "%.5f", kCxImageVersion);
    std::snprintf(text, 1024, "%4s%-32s: V%s\n%4s%-32s: %s\n%4s%-32s: V%s\n%4s%-32s: V%s\n", "",
                  "Orvu IOCA Library", "1.8", "", "TIFF Library", qelImgUtils::getTIFFLibraryVersion(), "",
                  "JPEG Library", jpeg, "", "CxImage Library", cximage);
    return text;
}

const char* qelImgProcessor::getCompressionName(int compression)
{
    return qelImgUtils::getCompressionName(compression);
}

const char* qelImgProcessor::getImageTypeName(int type) { return qelImgUtils::getImageTypeName(type); }
