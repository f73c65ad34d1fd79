// Frame of the C interface: state, callbacks, option passes, initialise and
// terminate, format check and version texts.
#include "qelSDKKernel.h"

#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelImgProcessor.h"
#include "qelIni.h"
#include "qelInputFileList.h"
#include "qelLRBIniParser.h"
#include "qelLogStream.h"
#include "qelLorbane.h"
#include "qelMessageOutput.h"
#include "qelPDFVisitor.h"
#include "qelPoolAccess.h"
#include "qelSDKUtils.h"
#include "qelString.h"
#include "qelUtils.h"
#include "opdf.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_MODULE_H
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <libxml/parser.h>
#include <clocale>
#include <memory>
#include <new>
#include <png.h>
#include <poppler-config.h>
#include <string>
#include <strings.h>
#include <tiffio.h>
#include <zlib.h>

namespace
{
qelSDKErrorHandler g_errorHandler = nullptr;
qelSDKDocumentReader g_documentReader = nullptr;
qelSDKDocumentWriter g_documentWriter = nullptr;
bool g_initialised[4] = {false, false, false, false};
std::unique_ptr<qelString> g_iniDirectory;
std::unique_ptr<qelString> g_currentDocumentId;
std::unique_ptr<qelInputFileList> g_inputFileList;
int64_t g_startTime = 0;
int64_t g_endTime = 0;
bool g_enginesRegistered = false;

bool isKey(const char* key, const char* name)
{
    return key && strcasecmp(key, name) == 0;
}

const char* const kNoOptions = "Unable to allocate INI";

qelVisitor* createPDFEngine(int, bool, bool)
{
    return new (std::nothrow) qelPDFVisitor();
}

// The three catch branches of the option passes and the initialise
// functions; release tears the pool down after a failure.
template <typename Body>
int guarded(Body body, bool release)
{
    int result = 0;
    try {
        result = body();
    } catch (qelException* e) {
        result = e->getKind() == QEL_MSG_ERROR ? -e->getId() : 0;
        if (e->getKind() == QEL_MSG_ERROR)
            reportError(e);
        delete e;
        if (release)
            qelSDK::releaseGlobals();
    } catch (const char* text) {
        qelSDK::reportAllocationFailure(text);
        if (release)
            qelSDK::releaseGlobals();
        result = -100;
    } catch (...) {
        qelSDK::reportUnknownFailure();
        if (release)
            qelSDK::releaseGlobals();
        result = -2;
    }
    return result;
}

void addLine(std::string& text, const char* name, const std::string& version)
{
    char line[128];
    std::snprintf(line, sizeof line, "%-36s: V%s\n", name, version.c_str());
    text += line;
}

std::string buildComponentListing()
{
    std::string text = qelUtils::getSDKBanner();
    text += "\n";
    addLine(text, "Orvo PDF Library", opdf_getLibraryVersion());
    addLine(text, "Zlib Library", zlibVersion());
    addLine(text, "Orvo Image Library", qelImgProcessor::getVersion());
    // The image library lists the libraries it is built on.
    char* libraries = qelImgProcessor::getLibraryVersions();
    text += libraries;
    delete[] libraries;
    addLine(text, "PNG Library", png_get_libpng_ver(nullptr));
    addLine(text, "Orvo AFP Library", "1.1");
    // A component of a module that cannot be loaded is left out.
    const std::string gd = qelLorbane::getComponentVersion("gd", "GD Library");
    if (!gd.empty())
        addLine(text, "GD Library", gd);
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) == 0) {
        FT_Int major = 0, minor = 0, patch = 0;
        FT_Library_Version(library, &major, &minor, &patch);
        const char* engine = "";
        switch (FT_Get_TrueType_Engine_Type(library)) {
        case FT_TRUETYPE_ENGINE_TYPE_NONE: engine = " (Truetype Engine: No Bytecode Interpreter)"; break;
        case FT_TRUETYPE_ENGINE_TYPE_UNPATENTED: engine = " (Truetype Engine: Unpatented Bytecode Interpreter)"; break;
        case FT_TRUETYPE_ENGINE_TYPE_PATENTED: engine = " (Truetype Engine: Patented Bytecode Interpreter)"; break;
        default: break;
        }
        char line[160];
        std::snprintf(line, sizeof line, "%-36s: V%d.%d.%d%s\n", "Freetype Library", major, minor, patch, engine);
        text += line;
        FT_Done_FreeType(library);
    }
    addLine(text, "XML Library", xmlParserVersion ? xmlParserVersion : LIBXML_DOTTED_VERSION);
    addLine(text, "Poppler Library", POPPLER_VERSION);
    return text;
}
} // namespace

// ================================================================== state

bool qelSDK::isInitialised(Family family)
{
    return g_initialised[family];
}

int qelSDK::initialise(Family family)
{
    switch (family) {
    case FAMILY_FILE: return lorbane_File_Init();
    case FAMILY_MEM: return lorbane_Mem_Init();
    case FAMILY_WRITER: return lorbane_Mem_Writer_Init();
    default: return lorbane_Reader_Init();
    }
}

void qelSDK::setCurrentDocumentId(const char* id)
{
    g_currentDocumentId.reset(id ? new qelString(id) : nullptr);
}

const char* qelSDK::getCurrentDocumentId()
{
    return g_currentDocumentId ? g_currentDocumentId->getBuffer() : nullptr;
}

void qelSDK::setInputFileList(qelInputFileList* list)
{
    g_inputFileList.reset(list);
}

const char* qelSDK::getIniDirectory()
{
    return g_iniDirectory ? g_iniDirectory->getBuffer() : nullptr;
}

void qelSDK::setStartTime(int64_t seconds) { g_startTime = seconds; }
int64_t qelSDK::getStartTime() { return g_startTime; }
void qelSDK::setEndTime(int64_t seconds) { g_endTime = seconds; }
int64_t qelSDK::getEndTime() { return g_endTime; }

void qelSDK::registerBuiltInEngines()
{
    if (g_enginesRegistered)
        return;
    g_enginesRegistered = true;
    qelLorbane::registerOutputEngine(QEL_OUT_PDF, &createPDFEngine);
}

void qelSDK::releaseGlobals()
{
    g_currentDocumentId.reset();
    g_iniDirectory.reset();
    g_inputFileList.reset();
    qelUtils::releaseGlobals();
    qelIni::setCurrent(nullptr);
    g_errorHandler = nullptr;
}

// ============================================================== callbacks

extern "C" qelSDKErrorHandler lorbane_SetErrorHandler(qelSDKErrorHandler handler)
{
    qelSDKErrorHandler previous = g_errorHandler;
    g_errorHandler = handler;
    return previous;
}

extern "C" qelSDKDocumentReader lorbane_SetReaderCallback(qelSDKDocumentReader reader)
{
    qelSDKDocumentReader previous = g_documentReader;
    g_documentReader = reader;
    return previous;
}

extern "C" qelSDKDocumentWriter lorbane_SetWriterCallback(qelSDKDocumentWriter writer)
{
    qelSDKDocumentWriter previous = g_documentWriter;
    g_documentWriter = writer;
    return previous;
}

qelSDKDocumentRecord* callDocumentReader(const char* documentId)
{
    if (!g_documentReader)
        g_documentReader = &defaultDocumentReader;
    return g_documentReader(documentId);
}

int callDocumentWriter(qelSDKOutputRecord* record)
{
    if (!g_documentWriter)
        g_documentWriter = &defaultDocumentWriter;
    return g_documentWriter(record);
}

int defaultErrorHandler(qelSDKError* error)
{
    if (!error)
        return -1;
    qelMessageOutput::printf("Error Number : %d\n", error->errorNumber);
    qelMessageOutput::printf("Error Message : %s\n", error->errorMessage ? error->errorMessage : "");
    return error->errorNumber;
}

int useDefaultErrorHandler(qelSDKError* error)
{
    g_errorHandler = &defaultErrorHandler;
    return defaultErrorHandler(error);
}

void reportErrorText(int id, const char* text)
{
    if (!text)
        return;
    // The handler gets its own copy, valid during the call.
    const size_t n = std::strlen(text) + 1;
    char* copy = static_cast<char*>(std::malloc(n));
    if (!copy)
        return;
    std::memcpy(copy, text, n);
    qelSDKError error = {-id, copy};
    if (!g_errorHandler)
        g_errorHandler = &defaultErrorHandler;
    g_errorHandler(&error);
    std::free(copy);
}

void reportError(qelException* exception)
{
    if (!exception)
        return;
    const char* message = exception->getMessage();
    reportErrorText(exception->getId(), message ? message : "");
}

// ========================================================= option passes

extern "C" void setIniPath(const char* directory)
{
    if (!directory) {
        qelMessageOutput::write("setIniPath called with NULL value, discarded\n");
        return;
    }
    guarded([&]() {
        qelIni* ini = qelPoolAccess::options(kNoOptions);
        // Bit 1: the [Settings] section (or a profile section) was read.
        if (ini->isLoadedSection(0x1)) {
            qelMessageOutput::printf("setIniPath( %s ) ignored, as it is called after loading ini\n", directory);
            return 0;
        }
        g_iniDirectory.reset(new qelString(directory));
        return 0;
    }, false);
}

extern "C" int lorbane_SetOptions(qelSDKNameValue* options)
{
    if (!options)
        return -1;
    return guarded([&]() {
        qelIni* ini = qelPoolAccess::options(kNoOptions);
        for (qelSDKNameValue* pair = options; pair; pair = pair->next) {
            if (!pair->name)
                continue;
            if (isKey(pair->name, "IniFilePath") || isKey(pair->name, "IniPath"))
                setIniPath(pair->value);
            else if (isKey(pair->name, "IniFilename"))
                ini->setIniFilename(pair->value);
            else if (isKey(pair->name, "TransformationProfile"))
                ini->setTransformationProfile(pair->value);
        }
        return 0;
    }, false);
}

extern "C" int lorbane_ApplyOptions(qelSDKNameValue* options)
{
    if (!options)
        return 1;
    return guarded([&]() {
        qelIni* ini = qelPoolAccess::options(kNoOptions);
        const char* profile = ini->getTransformationProfile();
        if (profile && *profile) {
            std::unique_ptr<qelLRBIniParser> parser(new (std::nothrow) qelLRBIniParser());
            if (!parser)
                return -1;
            parser->parseSection(profile);
        }
        for (qelSDKNameValue* pair = options; pair; pair = pair->next) {
            if (!pair->name || isKey(pair->name, "IniFilePath") || isKey(pair->name, "IniPath") ||
                isKey(pair->name, "IniFilename") || isKey(pair->name, "TransformationProfile"))
                continue;
            ini->setAttribute(pair->name, pair->value);
        }
        return 0;
    }, false);
}

int loadIniFile()
{
    qelIni* ini = qelPoolAccess::options(kNoOptions);
    if (const char* directory = qelSDK::getIniDirectory())
        ini->setIniFilePath(directory);
    std::unique_ptr<qelLRBIniParser> parser(new (std::nothrow) qelLRBIniParser());
    if (!parser)
        return -1;
    return parser->parse();
}

// ================================================= initialise, terminate

namespace
{
int initialiseFamily(qelSDK::Family family)
{
    std::setlocale(LC_NUMERIC, "C");
    const bool wasSet = g_initialised[family];
    g_initialised[family] = true;
    qelSDK::registerBuiltInEngines();
    if (family != qelSDK::FAMILY_READER && !g_errorHandler)
        g_errorHandler = &defaultErrorHandler;
    if (family == qelSDK::FAMILY_WRITER && !g_documentWriter)
        g_documentWriter = &defaultDocumentWriter;
    if (family == qelSDK::FAMILY_READER && !wasSet && !g_documentReader)
        g_documentReader = &defaultDocumentReader;
    return guarded([]() {
        int rc = loadIniFile();
        qelPoolAccess::options(kNoOptions);
        return rc;
    }, true);
}
} // namespace

extern "C" int lorbane_File_Init(void) { return initialiseFamily(qelSDK::FAMILY_FILE); }
extern "C" int lorbane_Mem_Init(void) { return initialiseFamily(qelSDK::FAMILY_MEM); }
extern "C" int lorbane_Mem_Writer_Init(void) { return initialiseFamily(qelSDK::FAMILY_WRITER); }
extern "C" int lorbane_Reader_Init(void) { return initialiseFamily(qelSDK::FAMILY_READER); }

extern "C" int lorbane_File_Term(void)
{
    g_initialised[qelSDK::FAMILY_FILE] = false;
    return 0;
}

extern "C" int lorbane_Mem_Term(void)
{
    g_initialised[qelSDK::FAMILY_MEM] = false;
    return 0;
}

extern "C" int lorbane_Mem_Writer_Term(void)
{
    g_initialised[qelSDK::FAMILY_WRITER] = false;
    return 0;
}

extern "C" int lorbane_Reader_Term(void)
{
    g_initialised[qelSDK::FAMILY_READER] = false;
    g_documentReader = nullptr;
    return 0;
}

// ============================================================ formats

int16_t checkFormats()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::exists() ? qelGlobalDSPool::getInstance() : nullptr;
    qelIni* ini = pool ? pool->getIni() : nullptr;
    if (!ini)
        return -3;
    switch (ini->getInputFormat()) {
    case 1: case 4: case 8: case 16: case 32: case 64: case 128: case 256: case 512: case 1024:
        break;
    default:
        return -1;
    }
    switch (ini->getOutputFormat()) {
    case 1: case 2: case 4: case 8: case 16: case 32: case 64: case 128: case 512:
        break;
    default:
        return -2;
    }
    return 0;
}

// ============================================================ versions

extern "C" const char* lorbane_GetVersion(void)
{
    return qelUtils::getSDKBanner();
}

extern "C" const char* getVersionAll(void)
{
    // Built on the first call, kept for the process.
    static std::string listing;
    if (listing.empty()) {
        try {
            listing = buildComponentListing();
        } catch (...) {
            return qelUtils::getSDKBanner();
        }
    }
    return listing.c_str();
}
