#include "qelImgProcessor.h"

#include <string>

namespace
{
struct Settings
{
    bool initialized = false;
    std::string softwareName = "Lorbane Image Library";
    bool hasCopyright = false;
    std::string copyright;
    std::string artist;
    std::string title;
    std::string subject;
    std::string keywords;
    std::string tempDirectory;
    float defaultResolution = 72.0f;
    bool widthFromData = false;
};

Settings g_settings;

void store(std::string& field, const char* text)
{
    field = text ? text : "";
}

const char* textOrNull(const std::string& field)
{
    return field.empty() ? nullptr : field.c_str();
}
}

void qelImgProcessor::initializeLibrary()
{
    g_settings.initialized = true;
}

void qelImgProcessor::finalizeLibrary()
{
    // Back to the state of a fresh process.
    g_settings = Settings();
}

bool qelImgProcessor::isInitialized() { return g_settings.initialized; }
void qelImgProcessor::releaseLibraryResources() {}

const char* qelImgProcessor::getSoftwareName() { return g_settings.softwareName.c_str(); }
void qelImgProcessor::setSoftwareName(const char* text) { store(g_settings.softwareName, text); }
const char* qelImgProcessor::getCopyright() { return g_settings.hasCopyright ? g_settings.copyright.c_str() : nullptr; }

void qelImgProcessor::setCopyright(const char* text)
{
    g_settings.hasCopyright = text != nullptr;
    store(g_settings.copyright, text);
}

const char* qelImgProcessor::getArtist() { return textOrNull(g_settings.artist); }
void qelImgProcessor::setArtist(const char* text) { store(g_settings.artist, text); }
const char* qelImgProcessor::getTitle() { return textOrNull(g_settings.title); }
void qelImgProcessor::setTitle(const char* text) { store(g_settings.title, text); }
const char* qelImgProcessor::getSubject() { return textOrNull(g_settings.subject); }
void qelImgProcessor::setSubject(const char* text) { store(g_settings.subject, text); }
const char* qelImgProcessor::getKeywords() { return textOrNull(g_settings.keywords); }
void qelImgProcessor::setKeywords(const char* text) { store(g_settings.keywords, text); }
float qelImgProcessor::getDefaultResolution() { return g_settings.defaultResolution; }
void qelImgProcessor::setDefaultResolution(float dpi) { g_settings.defaultResolution = dpi; }
bool qelImgProcessor::isWidthFromData() { return g_settings.widthFromData; }
void qelImgProcessor::setWidthFromData(bool on) { g_settings.widthFromData = on; }
const char* qelImgProcessor::getTempDirectory() { return textOrNull(g_settings.tempDirectory); }
void qelImgProcessor::setTempDirectory(const char* path) { store(g_settings.tempDirectory, path); }
