// Identifiers and version banners of qelUtils.
#include "qelUtils.h"

#include "qelSystemServices.h"

#include <cstdio>
#include <cstring>
#include <string>

#ifndef LORBANE_VERSION_TEXT
#define LORBANE_VERSION_TEXT "0.0.0.0"
#endif

namespace
{
unsigned int g_resourceNameCounter = 0;
char g_productBanner[160];
char g_sdkBanner[160];
bool g_bannersBuilt = false;

// Built before main, like the rest of the process-wide values.
struct BannerBuilder
{
    BannerBuilder() { qelUtils::buildVersionStrings(); }
} g_bannerBuilder;
}

char* qelUtils::createUUID()
{
    std::string text;
    if (!qelSystemServices::createUUID(text) || text.empty())
        return nullptr;
    char* result = new char[text.size() + 1];
    std::memcpy(result, text.c_str(), text.size() + 1);
    return result;
}

char* qelUtils::generateResourceName(bool font)
{
    ++g_resourceNameCounter;
    char* name = new char[9];
    std::snprintf(name, 9, "M%c%u", font ? 'F' : 'C', g_resourceNameCounter);
    return name;
}

void qelUtils::resetResourceNameCounter()
{
    g_resourceNameCounter = 0;
}

void qelUtils::buildVersionStrings()
{
    if (g_bannersBuilt)
        return;
    g_bannersBuilt = true;
    std::snprintf(g_productBanner, sizeof g_productBanner, "Lorbane v%s [Built for %s %s on %s at %s]",
                  LORBANE_VERSION_TEXT, "Linux", "64-bit", __DATE__, __TIME__);
    std::snprintf(g_sdkBanner, sizeof g_sdkBanner, "Lorbane SDK v%s [Built for %s %s on %s at %s]",
                  LORBANE_VERSION_TEXT, "Linux", "64-bit", __DATE__, __TIME__);
}

const char* qelUtils::getProductBanner()
{
    buildVersionStrings();
    return g_productBanner;
}

const char* qelUtils::getSDKBanner()
{
    buildVersionStrings();
    return g_sdkBanner;
}
