#include "qelIni.h"

#include "qelColorEntry.h"
#include "qelColorTable.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelImgUtils.h"
#include "qelLogStream.h"
#include "qelLogicalLocation.h"
#include "qelMessageOutput.h"
#include "qelOutputScale.h"
#include "qelScriptLibrary.h"
#include "qelSpoolFileType.h"
#include "qelUtils.h"

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <new>
#include <strings.h>
#include <sys/types.h>
#include <utility>

namespace {

const char* const kVersion = "4.3.0.32";
const char* const kPlatform = "Linux";
const char* const kWidth = "64-bit";
const char* const kDefaultSubject = "Conversion of print data streams";
const char* const kDefaultCreator = "Lorbane";

qelIni* g_current = nullptr;

// Keys in the order they are compared.
enum Key {
    K_InputFormat, K_IOMode, K_SpoolFileType, K_PageParse, K_StartingDocument, K_EndingDocument,
    K_StartingPage, K_EndingPage, K_SkipPage, K_SkipObjectSize, K_Strict, K_AutoSplit, K_QELNOP,
    K_ResourceGroup, K_IPSPageResolution,
    K_OutputFormat, K_FormatType, K_OutputFilePath, K_CustomFileExtension, K_CodedOutput, K_Color,
    K_CMYKTORGB, K_PageOutput, K_MemoryOutputStream, K_LaunchPreview, K_Resolution, K_PageRotation,
    K_OutputSize, K_OutputScale, K_ScaleToSize, K_AutoRotateImage, K_FontMetric,
    K_FileCreationMode, K_FilenamePattern, K_GenerateUniqueFile, K_DocumentCount,
    K_IniFilePath, K_IniFilename, K_LogPath, K_ResPath, K_CpPath, K_TempPath, K_ExtFontPath,
    K_MFMFontPath, K_AFPFontPath, K_FormDefPath, K_PageDefPath, K_OverlayPath, K_PageSegmentPath,
    K_FormdefExt, K_PagedefExt, K_OverlayExt, K_PageSegExt, K_CharSetExt, K_CodePageExt,
    K_CodedFontExt, K_FormdefFilename, K_PagedefFilename, K_ResourceGroupFilename,
    K_DocumentIndexFilename, K_MappingDefFilename, K_PDFParserConfFile, K_TransformationProfile,
    K_CodePage, K_CodePageDefaultChar, K_Alias, K_FontResolution, K_TTFontInterpreter,
    K_FontAliasing, K_SpaceGlyphNames, K_PDFFontHeightFactor, K_TextPresentationFidelity,
    K_MaxValueForSOCAResolve,
    K_ColorTableEntry, K_ColorTolerance, K_LightColorLimit, K_ColorMapPercentage,
    K_CurveSamplingFactor, K_PrintableLineWidth, K_GOCALineWidth, K_GOCALineWidthFactor,
    K_MaxGraphicPrimitives, K_MaxVectorObjects, K_ROGTolerance, K_ClipTolerance,
    K_RectangleThickness, K_MarkerWidth, K_MarkerHeight, K_BarcodeWidth, K_BarcodeHeight,
    K_Colorspace, K_IOCAColorSpace,
    K_Title, K_Subject, K_Keywords, K_Creator, K_PDFCompression, K_FlateParameters, K_JPEGQuality,
    K_PDFSecurity, K_PDFDocLimits, K_PDFUIOptions, K_PDFWinOptions, K_PDFBookMark, K_PDFALevel,
    K_PDFAIdentifier, K_PDFAExtSchemaDefFile, K_Watermark, K_Flush, K_PDFCustomFilterStream,
    K_ImageMaxCacheSize, K_SaveOCDataOnDisk, K_ImageProcessFlags, K_ImageProcessValues,
    K_ImageResizeFilter, K_ImageRotationFilter, K_BWSampler, K_SkipImageSize,
    K_AFPComplianceLevel, K_AFPIS2ComplianceFlags, K_ZUZOvoputFlags,
    K_IndexPath, K_IndexFormat, K_IndexRecord,
    K_ScriptProcedure, K_ScriptArgument, K_ScriptUnitBase, K_ScriptWriter, K_ScriptWriterArgument,
    K_ColdFormat,
    K_LoggingLevel, K_Logging, K_LoggingFont, K_ExceptionLoggingLevel, K_Protocol, K_Statistic,
    K_QuietMode, K_Quiet2Mode,
    K_MaxCols, K_MaxRows, K_PageLength,
    K_SDK, K_PKEY, K_PKEYParam, K_DevTest, K_DevTestLevel,
    K_Count
};

const char* const kKeyNames[K_Count] = {
    "InputFormat", "IOMode", "SpoolFileType", "PageParse", "StartingDocument", "EndingDocument",
    "StartingPage", "EndingPage", "SkipPage", "SkipObjectSize", "Strict", "AutoSplit", "QELNOP",
    "ResourceGroup", "IPSPageResolution",
    "OutputFormat", "FormatType", "OutputFilePath", "CustomFileExtension", "CodedOutput", "Color",
    "CMYKTORGB", "PageOutput", "MemoryOutputStream", "LaunchPreview", "Resolution", "PageRotation",
    "OutputSize", "OutputScale", "ScaleToSize", "AutoRotateImage", "FontMetric",
    "FileCreationMode", "FilenamePattern", "GenerateUniqueFile", "DocumentCount",
    "IniFilePath", "IniFilename", "LogPath", "ResPath", "CpPath", "TempPath", "ExtFontPath",
    "MFMFontPath", "AFPFontPath", "FormDefPath", "PageDefPath", "OverlayPath", "PageSegmentPath",
    "FormdefExt", "PagedefExt", "OverlayExt", "PageSegExt", "CharSetExt", "CodePageExt",
    "CodedFontExt", "FormdefFilename", "PagedefFilename", "ResourceGroupFilename",
    "DocumentIndexFilename", "MappingDefFilename", "PDFParserConfFile", "TransformationProfile",
    "CodePage", "CodePageDefaultChar", "Alias", "FontResolution", "TTFontInterpreter",
    "FontAliasing", "SpaceGlyphNames", "PDFFontHeightFactor", "TextPresentationFidelity",
    "MaxValueForSOCAResolve",
    "ColorTableEntry", "ColorTolerance", "LightColorLimit", "ColorMapPercentage",
    "CurveSamplingFactor", "PrintableLineWidth", "GOCALineWidth", "GOCALineWidthFactor",
    "MaxGraphicPrimitives", "MaxVectorObjects", "ROGTolerance", "ClipTolerance",
    "RectangleThickness", "MarkerWidth", "MarkerHeight", "BarcodeWidth", "BarcodeHeight",
    "Colorspace", "IOCAColorSpace",
    "Title", "Subject", "Keywords", "Creator", "PDFCompression", "FlateParameters", "JPEGQuality",
    "PDFSecurity", "PDFDocLimits", "PDFUIOptions", "PDFWinOptions", "PDFBookMark", "PDFALevel",
    "PDFAIdentifier", "PDFAExtSchemaDefFile", "Watermark", "Flush", "PDFCustomFilterStream",
    "ImageMaxCacheSize", "SaveOCDataOnDisk", "ImageProcessFlags", "ImageProcessValues",
    "ImageResizeFilter", "ImageRotationFilter", "BWSampler", "SkipImageSize",
    "AFPComplianceLevel", "AFPIS2ComplianceFlags", "ZUZOvoputFlags",
    "IndexPath", "IndexFormat", "IndexRecord",
    "ScriptProcedure", "ScriptArgument", "ScriptUnitBase", "ScriptWriter", "ScriptWriterArgument",
    "ColdFormat",
    "LoggingLevel", "Logging", "LoggingFont", "ExceptionLoggingLevel", "Protocol", "Statistic",
    "QuietMode", "Quiet2Mode",
    "MaxCols", "MaxRows", "PageLength",
    "SDK", "PKEY", "PKEYParam", "DevTest", "DevTestLevel",
};

int findKey(const char* key)
{
    for (int i = 0; i < K_Count; ++i) {
        if (strcasecmp(kKeyNames[i], key) == 0)
            return i;
    }
    return -1;
}

// Warnings of the numeric keys: the API form, the INI form (whose second
// placeholder is the INI file name) and, where the text has one, the
// default for its %d.
struct NumberWarning
{
    int key;
    const char* api;
    const char* ini;
    int defaultValue;
};

const NumberWarning kNumberWarnings[] = {
    {K_ExceptionLoggingLevel, "Warning! Exception Log Level Value (%s) to setAttribute function, Using default(1)\n",
     "Warning! [Settings] Section: Invalid Exception Log Level Value (%s) in (%s), Using default(1)", 0},
    {K_PageParse, "Warning! Invalid page parse count (%s) to setAttribute function, Using default",
     "Warning! [Settings] Section: Invalid Page Parse Count (%s) in (%s), Using default", 0},
    {K_Resolution, "Warning! Invalid page resolution (%s) to setAttribute function, Using default",
     "Warning! [Settings] Section: Invalid Page Resolution (%s) in (%s), Using default", 0},
    {K_ColorTolerance, "Warning! [Settings] Section: Invalid Color Tolerance (%s), Using default (0)",
     "Warning! [Settings] Section: Invalid Color Tolerance (%s) in (%s), Using default (0)", 0},
    {K_MaxValueForSOCAResolve, "Warning! [Settings] Section: Invalid SOCA Color value (%s), Using default (%d)",
     "Warning! [Settings] Section: Invalid SOCA Color value (%s) in (%s), Using default (%d)", 145},
    {K_PageLength, "Warning! Invalid page length (%s) to setAttribute function, Using default",
     "Warning! [Settings] Section: Invalid Page Length (%s) in (%s), Using default", 0},
    {K_PDFDocLimits, "Warning! Invalid PDF document limits (%s) to setAttribute function, Using default",
     "Warning! [Settings] Section: Invalid PDF Document Limits (%s) in (%s), Using default", 0},
    {K_MaxCols, "Warning! Invalid Ascii page maximum column limit (%s) to setAttribute function, Using default",
     "Warning! [Settings] Section: Invalid ASCII Page Maximum Column Limit (%s) in (%s), Using default", 0},
    {K_MaxRows, "Warning! Invalid Ascii page maximum row limit (%s) to setAttribute function, Using default",
     "Warning! [Settings] Section: Invalid ASCII Page Maximum Row Limit (%s) in (%s), Using default", 0},
    {K_DocumentCount, "Warning! Invalid document count value (%s) to setAttribute function, Using default",
     "Warning! [Settings] Section: Invalid Document Count Value (%s) in (%s), Using default", 0},
    {K_StartingDocument, "Warning! Invalid starting document ID (%s) to setAttribute function",
     "Warning! [Settings] Section: Invalid Starting Document ID (%s) in (%s), Using default", 0},
    {K_EndingDocument, "Warning! Invalid ending document ID (%s) to setAttribute function",
     "Warning! [Settings] Section: Invalid Ending Document ID (%s) in (%s), Using default", 0},
    {K_StartingPage, "Warning! Invalid starting page id (%s) to setAttribute function",
     "Warning! [Settings] Section: Invalid Starting Page Id (%s) in (%s), Using default", 0},
    {K_EndingPage, "Warning! Invalid ending page id (%s) to setAttribute function",
     "Warning! [Settings] Section: Invalid Ending Page Id (%s) in (%s), Using default", 0},
    {K_JPEGQuality, "Warning! Invalid JPEG quality (%s) to setAttribute function",
     "Warning! [Settings] Section: Invalid JPEG Quality (%s) in (%s), Using default", 0},
    {K_MarkerHeight, "Warning! Invalid marker cell height (%s) to setAttribute function",
     "Warning! [Settings] Section: Invalid Marker Cell Height (%s) in (%s), Using default", 0},
    {K_MarkerWidth, "Warning! Invalid marker cell width (%s) to setAttribute function",
     "Warning! [Settings] Section: Invalid Marker Cell Width (%s) in (%s), Using default", 0},
    // One form only.
    {K_PDFFontHeightFactor, "Warning! Invalid PDF Font Height Factor (%s) to setAttribute function, Using default(1.0)\n",
     nullptr, 0},
    {K_SkipObjectSize, "Warning! Invalid skip object size value (%s) to setAttribute function, Using default", nullptr, 0},
    {K_CurveSamplingFactor,
     "Warning! Invalid curve sampling factor value (%s) to setAttribute function, Using default (%d)", nullptr, 64},
    {K_PrintableLineWidth,
     "Warning! Invalid printable line width value (%s) to setAttribute function, Using default (%d)", nullptr, 1},
    {K_GOCALineWidth, "Warning! Invalid GOCA line width value (%s) to setAttribute function, Using default (%d)",
     nullptr, 1},
    {K_MaxGraphicPrimitives,
     "Warning! Invalid Max Graphic Primitives value (%s) to setAttribute function, Using default (%d)", nullptr, 100},
    {K_MaxVectorObjects,
     "Warning! Invalid Max Vector Objects value (%s) to setAttribute function, Using default (%d)", nullptr, -1},
    {K_ROGTolerance, "Warning! Invalid ROG Tolerance value (%s) to setAttribute function, Using default (%d)",
     nullptr, 20},
    {K_ClipTolerance, "Warning! Invalid CLIP Tolerance value (%s) to setAttribute function, Using default (%d)",
     nullptr, 5},
    {K_FontResolution,
     "Warning! Invalid raster font resolution value (%s) to setAttribute function, Using default (%d)", nullptr, 300},
    {K_RectangleThickness,
     "Warning! Invalid Rectangle Thickness value (%s) to setAttribute function, Using default (%d)", nullptr, 5},
    {K_DevTestLevel, "Warning! Invalid DevTest Level (%s) to setAttribute function, Using default (%d)", nullptr, 0},
    {K_GOCALineWidthFactor,
     "Warning! Invalid GOCA line width factor value (%s) to setAttribute function, Using default (0.01 inches)",
     nullptr, 0},
};

// Image filter names, matched ignoring case, and the keywords answered.
const char* const kFilterNames[] = {
    "None", "Nearest Neighbour", "Bilinear", "Bspline", "Bicubic", "Bicubic2", "Lanczos", "Box", "Hermite",
    "Hamming", "Sinc", "Blackman", "Bessel", "Gaussian", "Quadratic", "Mitchell", "Catrom", "NearestPixel",
};
const char* const kFilterKeywords[] = {
    "NONE", "NEAREST_NEIGHBOUR", "BILINEAR", "BSPLINE", "BICUBIC", "BICUBIC2", "LANCZOS", "BOX", "HERMITE",
    "HAMMING", "SINC", "BLACKMAN", "BESSEL", "GAUSSIAN", "QUADRATIC", "MITCHELL", "CATROM", "NEARESTPIXEL",
};
const int kFilterCount = sizeof kFilterNames / sizeof kFilterNames[0];

const char* filterKeyword(int index)
{
    return (index >= 0 && index < kFilterCount) ? kFilterKeywords[index] : "";
}

struct WordCode
{
    const char* word;
    int code;
};

const WordCode kOutputFormats[] = {
    {"AFP", 1}, {"ASCII", 2}, {"GIF", 4}, {"HTML", 8}, {"JPEG", 16}, {"JPG", 16}, {"PDF", 32},
    {"PNG", 64}, {"TIFF", 128}, {"TIF", 128}, {"XML", 256}, {"PDFA", 512}, {"PCX", 2048},
};

const WordCode kInputFormats[] = {
    {"AFP", 1}, {"AFPIN", 1}, {"ASCII", 2}, {"ASCIIIN", 2}, {"LPD", 4}, {"LPDIN", 4}, {"TIFF", 8},
    {"TIFFIN", 8}, {"PDF", 16}, {"PDFIN", 16}, {"JPEG", 32}, {"JPEGIN", 32}, {"GIF", 64}, {"GIFIN", 64},
    {"BMP", 128}, {"BMPIN", 128}, {"PCX", 256}, {"PCXIN", 256}, {"MMD", 512}, {"MMDIN", 512},
    {"PNGIN", 1024},
};

const WordCode kFileCreationModes[] = {
    {"ALL", 0}, {"DOC", 1}, {"PAGE", 2}, {"DOC_INDEX", 3}, {"DOC_COLD", 4}, {"DOC_MERGE", 5},
};

const WordCode kIOCAColorSpaces[] = {{"RGB", 1}, {"CMYK", 2}, {"YCRCB", 7}, {"CIELAB", 4}};

template <size_t N>
bool lookupWord(const WordCode (&table)[N], const char* word, int* code)
{
    if (!word)
        return false;
    for (const WordCode& entry : table) {
        if (strcasecmp(entry.word, word) == 0) {
            *code = entry.code;
            return true;
        }
    }
    return false;
}

bool equalsIgnoreCase(const char* a, const char* b)
{
    return a && b && strcasecmp(a, b) == 0;
}

char* copyText(const char* text)
{
    if (!text)
        return nullptr;
    size_t n = std::strlen(text);
    char* copy = new char[n + 1];
    std::memcpy(copy, text, n + 1);
    return copy;
}

bool isBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

void trimInPlace(char* text)
{
    size_t begin = 0;
    while (text[begin] && isBlank(text[begin]))
        ++begin;
    if (begin)
        std::memmove(text, text + begin, std::strlen(text + begin) + 1);
    size_t n = std::strlen(text);
    while (n > 0 && isBlank(text[n - 1]))
        text[--n] = '\0';
}

std::string trimmed(const char* text)
{
    std::string s(text ? text : "");
    size_t begin = 0;
    while (begin < s.size() && isBlank(s[begin]))
        ++begin;
    size_t end = s.size();
    while (end > begin && isBlank(s[end - 1]))
        --end;
    return s.substr(begin, end - begin);
}

// Split at commas; runs of commas count as one, so no item is empty.
std::vector<std::string> splitItems(const char* text)
{
    std::vector<std::string> items;
    if (!text)
        return items;
    const char* p = text;
    while (*p) {
        while (*p == ',')
            ++p;
        if (!*p)
            break;
        const char* end = std::strchr(p, ',');
        if (!end)
            end = p + std::strlen(p);
        items.emplace_back(p, end);
        p = end;
    }
    return items;
}

// Field n (from 1) of a comma-separated text, as getField gives it.
std::unique_ptr<char[]> field(const char* text, int n)
{
    return std::unique_ptr<char[]>(qelUtils::getField(text, n, ','));
}

// The text after the first '=', or the whole text without one.
const char* afterEquals(const char* value)
{
    const char* eq = std::strchr(value, '=');
    return eq ? eq + 1 : value;
}

void toForwardSlashes(char* text)
{
    for (char* p = text; p && *p; ++p)
        if (*p == '\\')
            *p = '/';
}

const char* shown(const char* value)
{
    return value ? value : "(null)";
}

qelLogStream* logFor(unsigned int bits)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    return (log && log->anyOf(bits)) ? log : nullptr;
}

} // namespace

// ------------------------------------------------------------------ creation

qelIni::qelIni()
{
    m_resourceGroup = copyText("n");
    m_outputFilePath = copyText("pdf/");
    m_filenamePattern = copyText("\"%s\",SPOOLNAME");
    m_iniFilePath = copyText("./");
    m_iniFilename = copyText("lorbane.ini");
    m_logPath = copyText("log/");
    m_resPath = copyText("samples/resource/");
    m_cpPath = copyText("afpcp/");
    m_tempPath = qelUtils::getTempDirectory();
    m_extFontPath = copyText("extfont/");
    m_mfmFontPath = copyText("afpcp/mfm/");
    setPathOption(m_afpFontPath, "samples/resource/", 0);
    m_formdefExt = copyText("*");
    m_pagedefExt = copyText("*");
    m_overlayExt = copyText("*");
    m_pageSegExt = copyText("*");
    m_charSetExt = copyText("*");
    m_codePageExt = copyText("*");
    m_codedFontExt = copyText("*");
    m_mappingDefFilename = copyText("mapping.def");
    m_pdfParserConfFile = copyText("pdfparser.conf");
    m_pdfAExtSchemaDefFile = copyText("lrbschema.xmp");
    m_gcgidUnicodeFile = copyText("gcgid2unicode.def");
    m_codePage = copyText("T1GIG500");
    m_alias = copyText("None");
    m_spaceGlyphNames = copyText("space,nbspace,qelspace,sp010000");
    setVersionTexts();
    m_title = copyText(m_versionText);
    m_subject = copyText(kDefaultSubject);
    m_keywords = copyText("AFP LPD PDF TIFF");
    m_creator = copyText(kDefaultCreator);
    m_flateParameters = copyText("6");
    parseImageProcessValues("72.0");
    m_afpComplianceLevel = copyText("modcap");
    m_indexPath = copyText("pdf/");
    m_indexFormat = copyText("xml");
    m_indexRecord = copyText("PAGE_GROUP_NAME,PAGE_NAME,PAGE_COUNT,FILE_NAME,FILE_TYPE,INDEX,FILE_SIZE");
    m_scriptProcedure = copyText("lorbane.pm");
    m_scriptUnitBase = copyText("Pixel");
    qelScriptLibrary::setUnit(qelScriptLibrary::UNIT_PIXEL);
    m_scriptWriter = copyText("scriptwriter.pm");
    m_loggingLevel = copyText("0");
    setDefaultPDFAExtSchema();

    // These defaults are resolved against the INI directory later.
    m_pathGivenMask = 0x4000 | 0x20000 | 0x8000;
    m_givenMask = 0;
}

qelIni::~qelIni()
{
    char** texts[] = {
        &m_spoolFileType, &m_resourceGroup, &m_outputFilePath, &m_customFileExtension, &m_filenamePattern,
        &m_iniFilePath, &m_iniFilename, &m_logPath, &m_resPath, &m_cpPath, &m_tempPath, &m_extFontPath,
        &m_mfmFontPath, &m_afpFontPath.text, &m_formDefPath.text, &m_pageDefPath.text, &m_overlayPath.text,
        &m_pageSegmentPath.text, &m_formdefExt, &m_pagedefExt, &m_overlayExt, &m_pageSegExt, &m_charSetExt,
        &m_codePageExt, &m_codedFontExt, &m_formdefFilename, &m_pagedefFilename, &m_resourceGroupFilename,
        &m_documentIndexFilename, &m_mappingDefFilename, &m_pdfParserConfFile, &m_transformationProfile,
        &m_gcgidUnicodeFile, &m_codePage, &m_alias, &m_spaceGlyphNames, &m_title, &m_subject, &m_keywords,
        &m_creator, &m_producer, &m_versionText, &m_flateParameters, &m_pdfSecurityText, &m_pdfDocLimitsText,
        &m_pdfAExtSchemaDefFile, &m_pdfAExtSchema, &m_watermarkText, &m_watermarkFont, &m_afpComplianceLevel,
        &m_indexPath, &m_indexFormat, &m_indexRecord, &m_scriptProcedure, &m_scriptArgument, &m_scriptUnitBase,
        &m_scriptWriter, &m_scriptWriterArgument, &m_loggingLevel, &m_pkey, &m_pkeyParam,
    };
    for (char** text : texts) {
        delete[] *text;
        *text = nullptr;
    }
    if (m_spoolFileTypeRecord) {
        m_spoolFileTypeRecord->clear();
        delete m_spoolFileTypeRecord;
    }
    if (g_current == this)
        g_current = nullptr;
}

void qelIni::addDefaultColorTable()
{
    // Part of creation: nothing here counts as given.
    setText(m_iniFilePath, "./");
    setText(m_outputFilePath, "pdf/");
    setText(m_indexPath, "pdf/");

    static const struct
    {
        const char* name;
        unsigned char r, g, b;
    } defaults[] = {
        {"Blue", 0, 0, 255},      {"Red", 255, 0, 0},        {"Magenta", 255, 0, 255},
        {"Green", 0, 255, 0},     {"Cyan", 0, 255, 255},     {"Yellow", 255, 255, 0},
        {"White", 255, 255, 255}, {"Black", 0, 0, 0},        {"DarkBlue", 0, 0, 170},
        {"Orange", 255, 128, 0},  {"Purple", 170, 0, 170},   {"DarkGreen", 0, 146, 0},
        {"DarkCyan", 0, 146, 170}, {"Mustard", 196, 160, 32}, {"Gray", 131, 131, 131},
        {"Brown", 144, 48, 0},    {"Medium", 255, 255, 255}, {"Default", 0, 0, 0},
    };
    for (const auto& entry : defaults)
        addColorTableEntry(entry.name, entry.r, entry.g, entry.b);

    // The raw texts go; the parsed lists stay.
    delete[] m_pdfSecurityText;
    m_pdfSecurityText = nullptr;
    for (PathOption* option : {&m_formDefPath, &m_overlayPath, &m_pageSegmentPath, &m_afpFontPath, &m_pageDefPath}) {
        delete[] option->text;
        option->text = nullptr;
    }
    setLightColorLimit(175, 175, 175);
}

void qelIni::setVersionTexts()
{
    char banner[256];
    std::snprintf(banner, sizeof banner, "Lorbane SDK v%s [Built for %s %s on %s at %s]", kVersion, kPlatform, kWidth,
                  __DATE__, __TIME__);
    setText(m_producer, banner);
    setText(m_versionText, banner);
}

// ------------------------------------------------------------------ helpers

void qelIni::setText(char*& field, const char* value)
{
    field = qelUtils::replaceValue(field, value, 0);
}

void qelIni::setFileNameOption(char*& field, const char* value)
{
    setText(field, value);
    toForwardSlashes(field);
}

const char* qelIni::formatAnswer(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vsnprintf(m_answer, sizeof m_answer, format, args);
    va_end(args);
    return m_answer;
}

void qelIni::warnNumber(int key, const char* value, bool fromIni)
{
    for (const NumberWarning& warning : kNumberWarnings) {
        if (warning.key != key)
            continue;
        if (fromIni && warning.ini)
            qelMessageOutput::printf(warning.ini, shown(value), shown(m_iniFilename), warning.defaultValue);
        else
            qelMessageOutput::printf(warning.api, shown(value), warning.defaultValue);
        return;
    }
}

void qelIni::setOnSwitch(unsigned char& field, const char* value, const char* alias)
{
    field = (equalsIgnoreCase(value, "on") || (alias && equalsIgnoreCase(value, alias))) ? 1 : 0;
}

void qelIni::setOffSwitch(unsigned char& field, const char* value)
{
    if (value)
        field = equalsIgnoreCase(value, "off") ? 0 : 1;
}

bool qelIni::setIntKey(int key, int& target, const char* value, bool fromIni)
{
    if (!value)
        return false;
    if (!qelUtils::isNumber(value)) {
        warnNumber(key, value, fromIni);
        return false;
    }
    target = std::atoi(value);
    return true;
}

bool qelIni::setFloatKey(int key, float& target, const char* value, bool fromIni)
{
    if (!value)
        return false;
    if (!qelUtils::isNumber(value)) {
        warnNumber(key, value, fromIni);
        return false;
    }
    target = static_cast<float>(std::atof(value));
    return true;
}

void qelIni::setPathOption(PathOption& option, const char* text, unsigned int pathBit)
{
    delete[] option.text;
    option.text = nullptr;
    option.list.clear();
    if (!text)
        return;
    option.text = qelUtils::replaceValue(nullptr, text, 0);
    for (const std::string& item : splitItems(option.text)) {
        std::string dir = trimmed(item.c_str());
        if (dir.empty())
            continue;
        for (char& c : dir)
            if (c == '\\')
                c = '/';
        // A logical location name stays as it is.
        if (dir[0] != '@' && dir.back() != '/')
            dir += '/';
        option.list.push_back(dir);
    }
    m_pathGivenMask |= pathBit;
}

// ------------------------------------------------------------------ setters

void qelIni::setInputFormat(const char* word)
{
    std::unique_ptr<char[]> unquoted(qelUtils::stripQuotes(word));
    int code = QEL_IN_AFP;
    if (unquoted && lookupWord(kInputFormats, unquoted.get(), &code))
        m_givenMask |= 0x1;
    else
        code = QEL_IN_AFP;
    m_inputFormat = code;
}

const char* qelIni::getInputFormatName() const
{
    switch (m_inputFormat) {
    case 2: return "ASCII";
    case 4: return "LPD";
    case 8: return "TIFF";
    case 16: return "PDF";
    case 32: return "JPEG";
    case 64: return "GIF";
    case 128: return "BMP";
    case 256: return "PCX";
    case 512: return "MMD";
    case 1024: return "PNG";
    default: return "AFP";
    }
}

void qelIni::setIOMode(const char* word)
{
    if (equalsIgnoreCase(word, "std")) {
        m_stdIn = 1;
        m_stdOut = 1;
    } else if (equalsIgnoreCase(word, "si")) {
        m_stdIn = 1;
    } else if (equalsIgnoreCase(word, "so")) {
        m_stdOut = 1;
    } else {
        m_stdIn = 0;
        m_stdOut = 0;
    }
}

void qelIni::setResourceGroup(const char* value)
{
    const char* stored = "n";
    if (value && value[0] == '0')
        stored = "0";
    else if (value && value[0] == '1')
        stored = "1";
    setText(m_resourceGroup, stored);
}

void qelIni::setOutputFormat(const char* word)
{
    if (!word) {
        m_outputFormat = QEL_OUT_AFP;
        return;
    }
    m_givenMask |= 0x2;
    std::unique_ptr<char[]> unquoted(qelUtils::stripQuotes(word));
    int code = QEL_OUT_AFP;
    if (!unquoted || !lookupWord(kOutputFormats, unquoted.get(), &code))
        code = QEL_OUT_AFP;
    m_outputFormat = code;
    switch (code) {
    case QEL_OUT_GIF:
        setFormatType("GIF");
        break;
    case QEL_OUT_PCX:
        setFormatType("PCX");
        break;
    case QEL_OUT_JPEG:
        setFormatType("JPEG");
        break;
    case QEL_OUT_PNG:
        setFormatType("PNG");
        break;
    default:
        break;
    }
}

const char* qelIni::getOutputFormatName() const
{
    switch (m_outputFormat) {
    case 1: return "AFP";
    case 2: return "ASCII";
    case 4: return "GIF";
    case 8: return "HTML";
    case 16: return "JPEG";
    case 32: return "PDF";
    case 64: return "PNG";
    case 128: return "TIFF";
    case 256: return "XML";
    case 512: return "PDF/A";
    case 2048: return "PCX";
    default: return "";
    }
}

const char* qelIni::getOutputExtension() const
{
    switch (m_outputFormat) {
    case 1: return "afp";
    case 2: return "txt";
    case 4: return "gif";
    case 8: return "html";
    case 16: return "jpg";
    case 32: return "pdf";
    case 64: return "png";
    case 128: return "tif";
    case 256: return "xml";
    case 512: return "pdf";
    case 2048: return "pcx";
    default: return "";
    }
}

void qelIni::setFormatType(const char* word)
{
    static const struct
    {
        const char* word;
        int code;
        int dithered; // -1 leaves the switch as it is
    } types[] = {
        {"HUFFMAN", 1, -1}, {"G3_FAX", 2, -1}, {"G3", 2, -1}, {"G4_FAX", 4, -1}, {"G4", 4, -1},
        {"G4_FAX_FO", 4, -1}, {"G3D", 2, 1}, {"G4D", 4, 1}, {"PACK", 7, -1}, {"UNCOMPRESSED", 0, -1},
        {"LZW", 6, -1}, {"JPG", 5, -1}, {"JPEG", 8, -1}, {"BW", 33, -1}, {"PNG", 27, -1},
        {"GIF", 28, -1}, {"PCX", 29, -1},
    };
    m_givenMask |= 0x80;
    if (word) {
        for (const auto& type : types) {
            if (strcasecmp(type.word, word) == 0) {
                m_formatType = type.code;
                if (type.dithered >= 0)
                    m_dithered = static_cast<unsigned char>(type.dithered);
                return;
            }
        }
    }
    m_formatType = 4;
    const char* text = (m_outputFormat == QEL_OUT_TIFF)
                           ? "Warning! Invalid Format Type (%s), Using default Format G4_FAX\n"
                           : "Warning! Invalid Format Type (%s), Ignoring Format Type\n";
    if (!isQuietMode())
        qelMessageOutput::printf(text, shown(word));
    if (qelLogStream* log = logFor(QEL_LOG_LEVEL2))
        log->printLine(text, shown(word));
}

void qelIni::setOutputFilePath(const char* path)
{
    setText(m_outputFilePath, path);
    m_pathGivenMask |= 0x8;
}

void qelIni::setResolution(int value)
{
    if (value > 0)
        m_resolution = value;
}

void qelIni::getOutputSize(float* width, float* height) const
{
    if (width)
        *width = m_outputWidth;
    if (height)
        *height = m_outputHeight;
}

void qelIni::setOutputSize(float width, float height)
{
    m_outputWidth = width;
    m_outputHeight = height;
}

void qelIni::setFileCreationMode(const char* word)
{
    int code;
    if (!lookupWord(kFileCreationModes, word, &code))
        return;
    m_fileCreationMode = code;
    if (code == QEL_FCM_DOC_COLD)
        m_coldFormat = 1;
}

void qelIni::setFilenamePattern(const char* pattern)
{
    clearPattern();
    if (!pattern)
        return;
    delete[] m_filenamePattern;
    m_filenamePattern = copyText(pattern);
    m_givenMask |= 0x8;
}

void qelIni::setIniFilePath(const char* path)
{
    // Once the paths are checked, a new INI directory must exist; the old
    // one stays when it does not.
    if (m_pathsChecked && path) {
        std::unique_ptr<char[]> candidate(qelUtils::replaceValue(nullptr, path, 0));
        toForwardSlashes(candidate.get());
        if (!candidate || !qelUtils::isDirectory(candidate.get()))
            throw new qelException(__FILE__, __LINE__, qelMsg::E101, 0, true, candidate ? candidate.get() : "");
    }
    m_iniFilePath = qelUtils::replaceValue(m_iniFilePath, path, 1);
    if (!m_iniFilePath)
        return;
    toForwardSlashes(m_iniFilePath);
    size_t n = std::strlen(m_iniFilePath);
    if (n == 0 || m_iniFilePath[n - 1] != '/') {
        m_iniFilePath[n] = '/';
        m_iniFilePath[n + 1] = '\0';
    }
    m_givenMask |= 0x20;
}

void qelIni::setIniFilename(const char* name)
{
    if (!name)
        return;
    if (equalsIgnoreCase(name, "lorbane.ini")) {
        setText(m_iniFilename, name);
        return;
    }
    std::string text(name);
    for (char& c : text)
        if (c == '\\')
            c = '/';
    size_t slash = text.rfind('/');
    if (slash == std::string::npos) {
        setText(m_iniFilename, text.c_str());
        return;
    }
    setText(m_iniFilename, text.substr(slash + 1).c_str());
    setIniFilePath(text.substr(0, slash + 1).c_str());
}

void qelIni::setLogPath(const char* path)
{
    setText(m_logPath, path);
    m_pathGivenMask |= 0x400;
}

void qelIni::setResPath(const char* path)
{
    setText(m_resPath, path);
    m_pathGivenMask |= 0x2;
}

void qelIni::setCpPath(const char* path)
{
    setText(m_cpPath, path);
    m_pathGivenMask |= 0x4;
}

void qelIni::setTempPath(const char* path)
{
    setText(m_tempPath, path);
    m_pathGivenMask |= 0x2000;
}

void qelIni::setSystemTempPath()
{
    delete[] m_tempPath;
    m_tempPath = qelUtils::getTempDirectory();
}

void qelIni::setExtFontPath(const char* path)
{
    setText(m_extFontPath, path);
    m_pathGivenMask |= 0x1000;
}

void qelIni::setMFMFontPath(const char* path)
{
    setText(m_mfmFontPath, path);
    m_pathGivenMask |= 0x800;
}

void qelIni::setIndexPath(const char* path)
{
    setText(m_indexPath, path);
    m_pathGivenMask |= 0x10;
    m_givenMask |= 0x40;
}

void qelIni::setAFPFontPath(const char* text) { setPathOption(m_afpFontPath, text, 0x100); }
void qelIni::setFormDefPath(const char* text) { setPathOption(m_formDefPath, text, 0x20); }
void qelIni::setPageDefPath(const char* text) { setPathOption(m_pageDefPath, text, 0x200); }
void qelIni::setOverlayPath(const char* text) { setPathOption(m_overlayPath, text, 0x40); }
void qelIni::setPageSegmentPath(const char* text) { setPathOption(m_pageSegmentPath, text, 0x80); }

void qelIni::setTransformationProfile(const char* name)
{
    setText(m_transformationProfile, name);
}

qelColorEntry* qelIni::getColorTableEntry(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_colorTable.size()))
        return nullptr;
    return m_colorTable[static_cast<size_t>(index)].get();
}

qelColorEntry* qelIni::findColorTableEntry(const char* name) const
{
    if (!name)
        return nullptr;
    for (const auto& entry : m_colorTable) {
        if (equalsIgnoreCase(entry->getName(), name))
            return entry.get();
    }
    return nullptr;
}

qelColorEntry* qelIni::addColorTableEntry(const char* name, unsigned char r, unsigned char g, unsigned char b,
                                          int grayLower, int grayUpper)
{
    qelColorEntry* entry = findColorTableEntry(name);
    if (!entry) {
        std::unique_ptr<qelColorEntry> created(new (std::nothrow) qelColorEntry);
        if (!created)
            throw "Unable to allocate color table entry";
        created->setName(name);
        entry = created.get();
        m_colorTable.push_back(std::move(created));
    }
    entry->setTypeRGB();
    entry->setRGB(r, g, b);
    entry->setGrayLower(grayLower ? grayLower : qelColorEntry::DEFAULT_GRAY_LOWER);
    entry->setGrayUpper(grayUpper ? grayUpper : qelColorEntry::DEFAULT_GRAY_UPPER);
    return entry;
}

void qelIni::setLightColorLimit(unsigned char r, unsigned char g, unsigned char b)
{
    if (!m_lightColorLimit) {
        m_lightColorLimit.reset(new (std::nothrow) qelColorEntry);
        if (!m_lightColorLimit)
            throw "Unable to allocate Lightcolorlimit";
        m_lightColorLimit->setTypeRGB();
    }
    m_lightColorLimit->setRGB(r, g, b);
}

void qelIni::setBarcodeWidth(const char* text)
{
    if (text)
        m_barcodeWidth = static_cast<float>(std::atof(text));
}

void qelIni::setBarcodeHeight(const char* text)
{
    if (text)
        m_barcodeHeight = static_cast<float>(std::atof(text));
}

void qelIni::setJPEGQuality(int quality)
{
    m_jpegQuality = quality;
    m_givenMask |= 0x10;
}

void qelIni::setOwnerPassword(const char* password)
{
    std::memset(m_ownerPassword, 0, sizeof m_ownerPassword);
    if (password)
        std::strncpy(m_ownerPassword, password, sizeof m_ownerPassword - 1);
}

void qelIni::setUserPassword(const char* password)
{
    std::memset(m_userPassword, 0, sizeof m_userPassword);
    if (password)
        std::strncpy(m_userPassword, password, sizeof m_userPassword - 1);
}

void qelIni::resetPDFSecurity()
{
    delete[] m_pdfSecurityText;
    m_pdfSecurityText = nullptr;
    m_keyLength = 40;
    m_permissions = 0xC0;
    setOwnerPassword("");
    setUserPassword("");
}

void qelIni::setPDFDocLimits(int single)
{
    m_pdfDocLimitsSingleValue = single;
    m_pdfDocLimits[0] = single;
    for (int i = 1; i < 6; ++i)
        m_pdfDocLimits[i] = 0;
    m_pdfDocLimitsSingle = 1;
}

void qelIni::setPDFALevel(char level)
{
    m_pdfALevel = (level == 'A' || level == 'B') ? level : 'B';
}

void qelIni::setDefaultPDFAExtSchema()
{
    static const char* const schema =
        "<rdf:Description rdf:about=\"\"\n"
        "    xmlns:pdfaExtension=\"http://www.aiim.org/pdfa/ns/extension/\"\n"
        "    xmlns:pdfaSchema=\"http://www.aiim.org/pdfa/ns/schema#\"\n"
        "    xmlns:pdfaProperty=\"http://www.aiim.org/pdfa/ns/property#\"\n"
        "    xmlns:pdfaType=\"http://www.aiim.org/pdfa/ns/type#\"\n"
        "    xmlns:pdfaField=\"http://www.aiim.org/pdfa/ns/field#\">\n"
        "  <pdfaExtension:schemas>\n"
        "    <rdf:Bag>\n"
        "      <rdf:li rdf:parseType=\"Resource\">\n"
        "        <pdfaSchema:schema>Lorbane Schema</pdfaSchema:schema>\n"
        "        <pdfaSchema:namespaceURI>http://ns.lorbane.example/xmp/1.0/</pdfaSchema:namespaceURI>\n"
        "        <pdfaSchema:prefix>lrb</pdfaSchema:prefix>\n"
        "        <pdfaSchema:property>\n"
        "          <rdf:Seq>\n"
        "            <rdf:li rdf:parseType=\"Resource\">\n"
        "              <pdfaProperty:name>IndexList</pdfaProperty:name>\n"
        "              <pdfaProperty:valueType>seq Index</pdfaProperty:valueType>\n"
        "              <pdfaProperty:category>internal</pdfaProperty:category>\n"
        "              <pdfaProperty:description>Document indexes list</pdfaProperty:description>\n"
        "            </rdf:li>\n"
        "          </rdf:Seq>\n"
        "        </pdfaSchema:property>\n"
        "        <pdfaSchema:valueType>\n"
        "          <rdf:Seq>\n"
        "            <rdf:li rdf:parseType=\"Resource\">\n"
        "              <pdfaType:type>Index</pdfaType:type>\n"
        "              <pdfaType:namespaceURI>http://ns.lorbane.example/xmp/1.0/</pdfaType:namespaceURI>\n"
        "              <pdfaType:prefix>lrb</pdfaType:prefix>\n"
        "              <pdfaType:description>Document index</pdfaType:description>\n"
        "              <pdfaType:field>\n"
        "                <rdf:Seq>\n"
        "                  <rdf:li rdf:parseType=\"Resource\">\n"
        "                    <pdfaField:name>Name</pdfaField:name>\n"
        "                    <pdfaField:valueType>Text</pdfaField:valueType>\n"
        "                    <pdfaField:description>Name of attribute, index etc</pdfaField:description>\n"
        "                  </rdf:li>\n"
        "                  <rdf:li rdf:parseType=\"Resource\">\n"
        "                    <pdfaField:name>Value</pdfaField:name>\n"
        "                    <pdfaField:valueType>Text</pdfaField:valueType>\n"
        "                    <pdfaField:description>Value of attribute, index etc</pdfaField:description>\n"
        "                  </rdf:li>\n"
        "                </rdf:Seq>\n"
        "              </pdfaType:field>\n"
        "            </rdf:li>\n"
        "          </rdf:Seq>\n"
        "        </pdfaSchema:valueType>\n"
        "      </rdf:li>\n"
        "    </rdf:Bag>\n"
        "  </pdfaExtension:schemas>\n"
        "</rdf:Description>\n";
    delete[] m_pdfAExtSchema;
    m_pdfAExtSchema = copyText(schema);
}

void qelIni::setPDFAExtSchema(char* text)
{
    delete[] m_pdfAExtSchema;
    m_pdfAExtSchema = text;
}

void qelIni::setImageMaxCacheSize(float megabytes)
{
    double bytes = static_cast<double>(megabytes) * 1024.0 * 1024.0;
    // A size that does not fit the byte count is ignored.
    if (!(bytes >= 0.0) || bytes > static_cast<double>(UINT_MAX))
        return;
    m_imageMaxCacheSize = static_cast<unsigned int>(bytes);
}

float qelIni::getImageProcessValues() const
{
    return m_imageProcessValue != 0.0f ? m_imageProcessValue : 72.0f;
}

void qelIni::getSkipImageSize(float* width, float* height) const
{
    if (width)
        *width = m_skipImageWidth;
    if (height)
        *height = m_skipImageHeight;
}

void qelIni::setLoggingLevel(const char* value)
{
    setText(m_loggingLevel, value);
}

bool qelIni::isLogging() const
{
    return equalsIgnoreCase(m_loggingLevel, "Logging");
}

bool qelIni::isLoggingFont() const
{
    return equalsIgnoreCase(m_loggingLevel, "Font");
}

void qelIni::setPKEY(const char* value)
{
    delete[] m_pkey;
    m_pkey = nullptr;
    if (!value)
        return;
    // Kept whole, with the closing ','; no length limit.
    std::unique_ptr<char[]> unquoted(qelUtils::stripQuotes(value));
    std::string list = unquoted ? unquoted.get() : "";
    list += ',';
    m_pkey = copyText(list.c_str());
}

bool qelIni::hasSwitch(const char* name) const
{
    if (!name || !*name || !m_pkey)
        return false;
    std::string wanted(name);
    wanted += ',';
    size_t n = wanted.size();
    for (const char* p = m_pkey; *p; ++p) {
        if (strncasecmp(p, wanted.c_str(), n) == 0)
            return true;
    }
    return false;
}

void qelIni::setSpoolFileType(qelSpoolFileType* record)
{
    if (m_spoolFileTypeRecord && m_spoolFileTypeRecord != record) {
        m_spoolFileTypeRecord->clear();
        delete m_spoolFileTypeRecord;
    }
    m_spoolFileTypeRecord = record;
}

qelLogicalLocation* qelIni::findLogicalLocation(const char* name) const
{
    if (!name)
        return nullptr;
    for (const auto& location : m_locations) {
        if (equalsIgnoreCase(location->getName(), name))
            return location.get();
    }
    return nullptr;
}

void qelIni::addLogicalLocation(qelLogicalLocation* location)
{
    if (location)
        m_locations.emplace_back(location);
}

const char* qelIni::resolveLogicalLocation(const char* name) const
{
    qelLogicalLocation* location = findLogicalLocation(name);
    return location ? location->getDescription() : nullptr;
}

void qelIni::addFormdefEntry(const char* entry)
{
    if (entry)
        m_formdefEntries.emplace_back(entry);
}

char* qelIni::findFormdefEntry(const char* text) const
{
    if (!text)
        return nullptr;
    for (const std::string& entry : m_formdefEntries) {
        if (entry.find(text) != std::string::npos)
            return copyText(entry.c_str());
    }
    return nullptr;
}

void qelIni::addInputFile(const char* name)
{
    if (g_current && name)
        g_current->m_inputFiles.emplace_back(name);
}

void qelIni::setCurrent(qelIni* ini)
{
    g_current = ini;
}

qelIni* qelIni::getCurrent()
{
    return g_current;
}

void qelIni::setCurrentFileListMode()
{
    if (g_current)
        g_current->m_sdk = 16;
}

// ------------------------------------------------------------------ value parsers

void qelIni::parseCodePageDefaultChar(const char* value)
{
    if (!value)
        return;
    std::unique_ptr<char[]> text(qelUtils::stripQuotes(value));
    const char* t = text ? text.get() : "";
    size_t n = std::strlen(t);
    if (n >= 3 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        // Only the low byte counts: the last two digits.
        unsigned int result = 0;
        for (const char* p = t + 2; *p; ++p) {
            int digit = 0;
            if (*p >= '0' && *p <= '9')
                digit = *p - '0';
            else if (*p >= 'a' && *p <= 'f')
                digit = *p - 'a' + 10;
            else if (*p >= 'A' && *p <= 'F')
                digit = *p - 'A' + 10;
            result = ((result << 4) | static_cast<unsigned int>(digit)) & 0xFFFF;
        }
        m_codePageDefaultChar = static_cast<unsigned char>(result & 0xFF);
    } else {
        m_codePageDefaultChar = static_cast<unsigned char>(t[0]);
    }
}

void qelIni::parseBWSampler(const char* value)
{
    if (equalsIgnoreCase(value, "dither")) {
        m_bwSampler = 102;
        return;
    }
    if (equalsIgnoreCase(value, "threshold:adaptive")) {
        m_bwSampler = 101;
        return;
    }
    static const char prefix[] = "threshold:";
    if (value && strncasecmp(value, prefix, sizeof prefix - 1) == 0) {
        const char* number = value + sizeof prefix - 1;
        if (qelUtils::isNumber(number)) {
            int level = std::atoi(number);
            if (level >= 1 && level <= 100) {
                m_bwSampler = static_cast<unsigned char>(level);
                return;
            }
        }
    }
    qelMessageOutput::printf("Warning! Invalid BWSampler value (%s) to setAttribute API, BWSampler ignored.",
                             shown(value));
}

void qelIni::parseColorMapPercentage(const char* value)
{
    if (!qelUtils::isNumber(value))
        return;
    int percent = std::atoi(value);
    if (percent >= 0 && percent <= 100) {
        m_colorMapPercentage = static_cast<float>(percent) / 100.0f;
        return;
    }
    qelMessageOutput::printf("Warning! Invalid Color map percentage. Color map percentage should be with in the "
                             "range 0-100. Usingthe default value %d\n ",
                             40);
    m_colorMapPercentage = 0.4f;
}

void qelIni::parseDevTestLevel(const char* value, bool fromIni)
{
    if (!value)
        return;
    if (!qelUtils::isNumber(value)) {
        warnNumber(K_DevTestLevel, value, fromIni);
        return;
    }
    static const struct
    {
        const char* item;
        unsigned short bit;
    } items[] = {
        {"1,", 0x1}, {"2,", 0x2}, {"10,", 0x4}, {"20,", 0x8}, {"40,", 0x10},
        {"32,", 0x20}, {"64,", 0x40}, {"128,", 0x80}, {"256,", 0x100},
    };
    std::string text(value);
    text += ',';
    unsigned short bits = 0;
    for (const auto& item : items) {
        if (text.find(item.item) == std::string::npos)
            continue;
        bits |= item.bit;
        if (item.bit == 0x20)
            m_devTest = 0;
    }
    m_devTestLevel = bits;
}

void qelIni::parseImageFilter(int which, const char* name)
{
    static const char* const labels[] = {"Rotation", "Stretch", "Shrink"};
    static const int defaults[] = {0, 15, 6};
    int* target = which == 0 ? &m_rotationFilter : (which == 1 ? &m_stretchFilter : &m_shrinkFilter);
    const char* label = labels[which];
    const char* defaultName = kFilterNames[defaults[which]];
    qelLogStream* log = logFor(QEL_LOG_LEVEL2);
    if (!name || !*name) {
        if (!isQuietMode())
            qelMessageOutput::printf("Warning! %s Filter is null. Using default filter \"%s\"\n", label, defaultName);
        if (log)
            log->printLine("Warning! %s Filter is null. Using default filter \"%s\"\n", label, defaultName);
        return;
    }
    for (int i = 0; i < kFilterCount; ++i) {
        if (strcasecmp(kFilterNames[i], name) == 0) {
            *target = i;
            return;
        }
    }
    *target = defaults[which];
    if (!isQuietMode())
        qelMessageOutput::printf("Invalid %s Filter name=%s. Using default filter \"%s\".\n", label, name, defaultName);
    if (log)
        log->printLine("Invalid %s Filter name=%s. Using default filter \"%s\".\n", label, name, defaultName);
}

void qelIni::parseImageResizeFilter(const char* value)
{
    if (!value)
        return;
    const char* comma = std::strchr(value, ',');
    if (!comma)
        return;
    std::string stretch = trimmed(std::string(value, comma).c_str());
    std::string shrink = trimmed(comma + 1);
    parseImageFilter(1, stretch.empty() ? nullptr : stretch.c_str());
    parseImageFilter(2, shrink.empty() ? nullptr : shrink.c_str());
}

void qelIni::parseImageProcessFlags(const char* value)
{
    m_imageProcessFlags = 7;
    std::vector<std::string> items = splitItems(value);
    for (size_t i = 0; i < items.size() && i < 3; ++i) {
        if (equalsIgnoreCase(items[i].c_str(), "off"))
            m_imageProcessFlags &= ~(1 << i);
    }
}

void qelIni::parsePDFCustomFilterStream(const char* value)
{
    m_pdfCustomFilterStream = 3;
    std::vector<std::string> items = splitItems(value);
    if (items.empty() || items.size() > 2)
        return;
    if (equalsIgnoreCase(items[0].c_str(), "off"))
        m_pdfCustomFilterStream &= static_cast<unsigned short>(~0x1);
    if (items.size() == 2 && equalsIgnoreCase(items[1].c_str(), "off"))
        m_pdfCustomFilterStream &= static_cast<unsigned short>(~0x2);
}

void qelIni::parseFieldBits(unsigned short& target, const char* value, int fields)
{
    target = 0;
    for (int i = 0; i < fields; ++i) {
        std::unique_ptr<char[]> item = field(value, i + 1);
        if (item && equalsIgnoreCase(item.get(), "on"))
            target = static_cast<unsigned short>(target | (1u << i));
    }
}

void qelIni::parseZUZOvoputFlags(const char* value)
{
    m_zuzOvoputFlags = 1;
    static const char* const warnings[] = {
        "Warning! Invalid token \"%s\" given for AFP output flags to write 5A, Using default value (on)\n",
        "Warning! Invalid token \"%s\" given for AFP output flags to transform page segment images, Using default "
        "value (off)\n",
    };
    std::vector<std::string> items = splitItems(value);
    for (size_t i = 0; i < items.size() && i < 2; ++i) {
        const char* item = items[i].c_str();
        if (equalsIgnoreCase(item, "on")) {
            m_zuzOvoputFlags |= 1 << i;
        } else if (equalsIgnoreCase(item, "off")) {
            m_zuzOvoputFlags &= ~(1 << i);
        } else {
            if (!isQuietMode())
                qelMessageOutput::printf(warnings[i], item);
            if (qelLogStream* log = logFor(QEL_LOG_GENERAL))
                log->printLine(warnings[i], item);
        }
    }
}

void qelIni::parseAFPIS2ComplianceFlags(const char* value)
{
    m_afpIS2ComplianceFlags = 1;
    std::vector<std::string> items = splitItems(value);
    for (size_t i = 0; i < items.size() && i < 4; ++i) {
        const char* item = items[i].c_str();
        if (equalsIgnoreCase(item, "on")) {
            m_afpIS2ComplianceFlags |= 1 << i;
        } else if (equalsIgnoreCase(item, "off")) {
            m_afpIS2ComplianceFlags &= ~(1 << i);
        } else {
            const char* text = "Warning! Invalid token \" %s \"given for AFP IS2 compliance flag, Using default value (%s)\n";
            const char* fallback = i == 0 ? "on" : "off";
            if (!isQuietMode())
                qelMessageOutput::printf(text, item, fallback);
            if (qelLogStream* log = logFor(QEL_LOG_GENERAL))
                log->printLine(text, item, fallback);
        }
    }
}

void qelIni::parseColorTableEntry(const char* value)
{
    std::vector<std::string> items = splitItems(value);
    if (items.size() < 4 || items.size() > 6)
        return;
    int numbers[5] = {0, 0, 0, 0, 0};
    for (size_t i = 1; i < items.size(); ++i) {
        if (qelUtils::isNumber(items[i].c_str()))
            numbers[i - 1] = std::atoi(items[i].c_str()) & 0xFF;
    }
    addColorTableEntry(items[0].c_str(), static_cast<unsigned char>(numbers[0]),
                       static_cast<unsigned char>(numbers[1]), static_cast<unsigned char>(numbers[2]), numbers[3],
                       numbers[4]);
}

void qelIni::parseLightColorLimit(const char* value)
{
    if (!value)
        return;
    int rgb[3] = {0, 0, 0};
    const char* p = value;
    for (int i = 0; i < 3 && *p; ++i) {
        char* end = nullptr;
        long number = std::strtol(p, &end, 10);
        if (end != p) {
            rgb[i] = static_cast<int>(number & 0xFF);
            p = end;
        }
        if (i < 2) {
            if (!*p)
                break;
            ++p; // one separator character
        }
    }
    setLightColorLimit(static_cast<unsigned char>(rgb[0]), static_cast<unsigned char>(rgb[1]),
                       static_cast<unsigned char>(rgb[2]));
}

void qelIni::parsePDFSecurity(const char* value)
{
    if (!value || !*value)
        return;
    const char* setting = afterEquals(value);
    if (!*setting)
        return;
    delete[] m_pdfSecurityText;
    m_pdfSecurityText = copyText(setting);

    std::unique_ptr<char[]> owner = field(setting, 1);
    std::unique_ptr<char[]> user = field(setting, 2);
    setOwnerPassword(trimmed(owner.get()).c_str());
    setUserPassword(trimmed(user.get()).c_str());
    if (std::unique_ptr<char[]> keyLength = field(setting, 3))
        m_keyLength = std::atoi(keyLength.get());

    std::unique_ptr<char[]> permissions = field(setting, 4);
    if (!permissions)
        return;
    static const int bits[] = {0xC0, 0x4, 0x8, 0x10, 0x20, 0x100, 0x200, 0x400, 0x800};
    int result = 0;
    const char* p = permissions.get();
    while (*p) {
        const char* end = std::strchr(p, '|');
        if (!end)
            end = p + std::strlen(p);
        if (end != p) {
            int flag = std::atoi(std::string(p, end).c_str());
            if (flag == 0)
                result = 0xC0;
            else if (flag >= 1 && flag <= 8)
                result += bits[flag];
            else if (!isQuietMode())
                qelMessageOutput::printf(
                    "Warning! Invalid Permission Flag %d in PDFSecurity Option. Option Ignored.\n", flag);
        }
        p = *end ? end + 1 : end;
    }
    if (result > 0)
        m_permissions = result;
}

void qelIni::parsePDFDocLimits(const char* value, bool fromIni)
{
    if (!value)
        return;
    if (std::strchr(value, ',')) {
        for (int i = 0; i < 6; ++i) {
            std::unique_ptr<char[]> item = field(value, i + 1);
            m_pdfDocLimits[i] = (item && qelUtils::isNumber(item.get())) ? std::atoi(item.get()) : 0;
        }
        delete[] m_pdfDocLimitsText;
        m_pdfDocLimitsText = copyText(value);
        m_pdfDocLimitsSingle = 0;
        return;
    }
    if (qelUtils::isNumber(value)) {
        setPDFDocLimits(std::atoi(value));
        return;
    }
    warnNumber(K_PDFDocLimits, value, fromIni);
}

void qelIni::parsePDFAIdentifier(const char* value)
{
    if (!value)
        return;
    m_pdfAIdentifier[0] = 1;
    m_pdfAIdentifier[1] = 0;
    m_pdfAIdentifier[2] = 0;
    for (int i = 0; i < 3; ++i) {
        std::unique_ptr<char[]> item = field(value, i + 1);
        if (item && qelUtils::isNumber(item.get()))
            m_pdfAIdentifier[i] = std::atoi(item.get());
    }
}

void qelIni::parseWatermark(const char* value)
{
    if (!value) {
        setText(m_watermarkText, "Confidential");
        setText(m_watermarkFont, "Helvetica");
        m_watermarkSize = 600;
        m_watermarkAngle = 60;
        m_watermarkColor[0] = 189;
        m_watermarkColor[1] = 219;
        m_watermarkColor[2] = 231;
        return;
    }
    if (!*value)
        return;
    const char* setting = afterEquals(value);
    if (!*setting)
        return;
    for (int i = 0; i < 7; ++i) {
        std::unique_ptr<char[]> item = field(setting, i + 1);
        if (!item)
            continue;
        std::string text = trimmed(item.get());
        switch (i) {
        case 0:
            setText(m_watermarkText, text.c_str());
            break;
        case 1:
            setText(m_watermarkFont, text.c_str());
            break;
        case 2:
            m_watermarkSize = std::atoi(text.c_str());
            break;
        case 3:
            m_watermarkAngle = std::atoi(text.c_str());
            break;
        default:
            m_watermarkColor[i - 4] = std::atoi(text.c_str());
            break;
        }
    }
}

void qelIni::parseImageProcessValues(const char* value)
{
    if (!value || !*value)
        return;
    const char* setting = afterEquals(value);
    if (!*setting)
        return;
    std::unique_ptr<char[]> first = field(setting, 1);
    if (!first)
        return;
    m_imageProcessValue = static_cast<float>(std::atof(trimmed(first.get()).c_str()));
}

void qelIni::parseFlateParameters(const char* value)
{
    setText(m_flateParameters, value);
    std::unique_ptr<char[]> first = field(value, 1);
    if (first && qelUtils::isNumber(first.get()))
        m_flateLevel = std::atoi(first.get());
}

void qelIni::parseSkipImageSize(const char* value)
{
    if (!value)
        return;
    const char* comma = std::strchr(value, ',');
    if (!comma)
        return;
    std::string width(value, comma);
    if (qelUtils::isNumber(width.c_str()))
        m_skipImageWidth = static_cast<float>(std::atof(width.c_str()));
    if (qelUtils::isNumber(comma + 1))
        m_skipImageHeight = static_cast<float>(std::atof(comma + 1));
}

void qelIni::parseOutputSize(const char* value)
{
    if (!value)
        return;
    qelLogStream* log = logFor(QEL_LOG_LEVEL2);
    const char* comma = std::strchr(value, ',');
    if (comma) {
        std::string width(value, comma);
        if (qelUtils::isNumber(width.c_str()))
            m_outputWidth = static_cast<float>(std::atof(width.c_str()));
        if (qelUtils::isNumber(comma + 1))
            m_outputHeight = static_cast<float>(std::atof(comma + 1));
        m_outputSizeName[0] = '\0';
        if (m_outputWidth <= 0 || m_outputHeight <= 0) {
            if (!isQuietMode())
                qelMessageOutput::printf("Warning! Invalid Output Size: %s\n", value);
            if (log)
                log->printLine("Warning! Invalid Output Size: %s\n", value);
        }
        return;
    }
    if (qelUtils::getPaperSize(value, nullptr, nullptr)) {
        std::memset(m_outputSizeName, 0, sizeof m_outputSizeName);
        std::strncpy(m_outputSizeName, value, sizeof m_outputSizeName - 1);
        return;
    }
    const char* text = "Warning! Unknown Output Paper Size: %s. Output Paper Size value ignored.\n";
    if (!isQuietMode())
        qelMessageOutput::printf(text, value);
    if (log)
        log->printLine(text, value);
}

namespace {
int conditionOf(const char* word)
{
    if (equalsIgnoreCase(word, "gt"))
        return qelOutputScale::COND_GT;
    if (equalsIgnoreCase(word, "lt"))
        return qelOutputScale::COND_LT;
    if (equalsIgnoreCase(word, "ne"))
        return qelOutputScale::COND_NE;
    return qelOutputScale::COND_NONE;
}

std::unique_ptr<qelOutputScale> newScale(const char* failure)
{
    std::unique_ptr<qelOutputScale> scale(new (std::nothrow) qelOutputScale);
    if (!scale)
        throw failure;
    return scale;
}
}

void qelIni::parseOutputScale(const char* value)
{
    m_outputScale.reset();
    std::vector<std::string> items = splitItems(value);
    if (items.empty() || items.size() > 3)
        return;
    std::unique_ptr<qelOutputScale> scale = newScale("Unable to allocate memory for output scale\n");
    if (items.size() == 3) {
        if (qelUtils::isNumber(items[0].c_str()))
            scale->setWidth(static_cast<float>(std::atof(items[0].c_str())));
        if (qelUtils::isNumber(items[1].c_str()))
            scale->setHeight(static_cast<float>(std::atof(items[1].c_str())));
        scale->setCondition(conditionOf(items[2].c_str()));
    } else {
        scale->setSizeName(items[0].c_str());
        if (items.size() == 2)
            scale->setCondition(conditionOf(items[1].c_str()));
    }
    m_outputScale = std::move(scale);
}

void qelIni::parseScaleToSize(const char* value)
{
    m_scaleToSize.reset();
    std::vector<std::string> items = splitItems(value);
    qelLogStream* log = logFor(QEL_LOG_LEVEL2);
    auto warn = [&](const char* text, const char* shownValue) {
        if (!isQuietMode())
            qelMessageOutput::printf(text, shownValue);
        if (log)
            log->printLine(text, shownValue);
    };
    if (items.empty()) {
        warn("Warning! Invalid scale to size value (%s) ignored.\n", shown(value));
        return;
    }
    if (items.size() >= 6) {
        warn("Warning! Ignored additional (>5) values of scale to size (%s).\n", value);
        items.resize(5);
    }
    std::unique_ptr<qelOutputScale> scale = newScale("Unable to allocate scale to size configuration object");
    size_t next;
    if (items.size() == 5) {
        if (qelUtils::isNumber(items[0].c_str()))
            scale->setWidth(static_cast<float>(std::atof(items[0].c_str())));
        if (qelUtils::isNumber(items[1].c_str()))
            scale->setHeight(static_cast<float>(std::atof(items[1].c_str())));
        next = 2;
    } else {
        scale->setSizeName(items[0].c_str());
        next = 1;
    }
    if (next < items.size()) {
        int condition = conditionOf(items[next].c_str());
        scale->setCondition(condition == qelOutputScale::COND_NONE ? qelOutputScale::COND_GT : condition);
    }
    if (next + 1 < items.size()) {
        const char* tolerance = items[next + 1].c_str();
        if (qelUtils::isNumber(tolerance)) {
            double percent = std::atof(tolerance);
            if (percent > 0 && percent <= 100)
                scale->setToleranceFraction(percent / 100.0);
            else
                warn("Warning! Ignored invalid tolerance (%s), using default 0.\n", tolerance);
        }
    }
    if (next + 2 < items.size() && equalsIgnoreCase(items[next + 2].c_str(), "off"))
        scale->setSwitch(0);
    m_scaleToSize = std::move(scale);
}

void qelIni::parsePageRotation(const char* value)
{
    if (!value)
        return;
    static const WordCode rotations[] = {
        {"0", 0}, {"360", 0}, {"90", 90}, {"180", 180}, {"270", 270}, {"portrait", 362}, {"landscape", 363},
    };
    int code;
    if (lookupWord(rotations, value, &code)) {
        m_pageRotation = code;
        return;
    }
    if (!isQuietMode())
        qelMessageOutput::printf("Warning! Invalid PageRotation (%s). Using default value (0)\n", value);
}

void qelIni::parseExceptionLoggingLevel(const char* value, bool fromIni)
{
    if (!qelUtils::isNumber(value)) {
        warnNumber(K_ExceptionLoggingLevel, value, fromIni);
        return;
    }
    int level = std::atoi(value);
    if (level == 1 || level == 2) {
        m_exceptionLoggingLevel = static_cast<unsigned short>(level);
        return;
    }
    if (!isQuietMode())
        qelMessageOutput::printf("Warning! Invalid Exception Log Level Value:%d. Using default(1).\n", level);
    m_exceptionLoggingLevel = 1;
}

void qelIni::parseIndexFormat(char* value)
{
    if (!value)
        return;
    for (char* p = value; *p; ++p)
        *p = static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
    if (std::strcmp(value, "xml") == 0 || std::strcmp(value, "csv") == 0) {
        setText(m_indexFormat, value);
        m_givenMask |= 0x4;
        return;
    }
    qelMessageOutput::printf("Warning! Invalid Index Format %s - Using Default Format xml \n", value);
    setText(m_indexFormat, "xml");
}

void qelIni::parseScriptUnitBase(const char* value)
{
    setText(m_scriptUnitBase, value);
    int unit = qelScriptLibrary::UNIT_PIXEL;
    if (equalsIgnoreCase(m_scriptUnitBase, "mm"))
        unit = qelScriptLibrary::UNIT_MM;
    else if (equalsIgnoreCase(m_scriptUnitBase, "inch"))
        unit = qelScriptLibrary::UNIT_INCH;
    qelScriptLibrary::setUnit(unit);
}

// ------------------------------------------------------------------ keyed access

int qelIni::setAttribute(const char* key, const char* value, bool fromIni)
{
    if (!key)
        return -1;
    int id = findKey(key);
    if (id < 0)
        return -1;

    std::unique_ptr<char[]> copy(copyText(value));
    char* v = copy.get();
    if (v)
        trimInPlace(v);

    int number = 0;
    switch (id) {
    // Input and document selection
    case K_InputFormat: setInputFormat(v); break;
    case K_IOMode: setIOMode(v); break;
    case K_SpoolFileType: setText(m_spoolFileType, v); break;
    case K_PageParse: setIntKey(id, m_pageParse, v, fromIni); break;
    case K_StartingDocument: setIntKey(id, m_startingDocument, v, fromIni); break;
    case K_EndingDocument: setIntKey(id, m_endingDocument, v, fromIni); break;
    case K_StartingPage: setIntKey(id, m_startingPage, v, fromIni); break;
    case K_EndingPage: setIntKey(id, m_endingPage, v, fromIni); break;
    case K_SkipPage: setOnSwitch(m_skipPage, v); break;
    case K_SkipObjectSize:
        if (setIntKey(id, number, v, fromIni))
            m_skipObjectSize = static_cast<unsigned int>(number);
        break;
    case K_Strict:
        if (v)
            setOnSwitch(m_strict, v);
        break;
    case K_AutoSplit: setOnSwitch(m_autoSplit, v); break;
    case K_QELNOP: setOnSwitch(m_qelNop, v); break;
    case K_ResourceGroup: setResourceGroup(v); break;
    case K_IPSPageResolution:
        if (qelUtils::isNumber(v))
            m_ipsPageResolution = std::atoi(v);
        break;

    // Output
    case K_OutputFormat: setOutputFormat(v); break;
    case K_FormatType:
        setFormatType(equalsIgnoreCase(v, "JPEG") ? "JPG" : v);
        break;
    case K_OutputFilePath: setOutputFilePath(v); break;
    case K_CustomFileExtension: setText(m_customFileExtension, v); break;
    case K_CodedOutput: setOffSwitch(m_codedOutput, v); break;
    case K_Color: setOffSwitch(m_color, v); break;
    case K_CMYKTORGB: setOffSwitch(m_cmykToRgb, v); break;
    case K_PageOutput:
        if (v)
            setOnSwitch(m_pageOutput, v);
        break;
    case K_MemoryOutputStream: setOnSwitch(m_memoryOutputStream, v); break;
    case K_LaunchPreview: setOnSwitch(m_launchPreview, v, "-pv"); break;
    case K_Resolution:
        if (setIntKey(id, number, v, fromIni))
            setResolution(number);
        break;
    case K_PageRotation: parsePageRotation(v); break;
    case K_OutputSize: parseOutputSize(v); break;
    case K_OutputScale: parseOutputScale(v); break;
    case K_ScaleToSize: parseScaleToSize(v); break;
    case K_AutoRotateImage:
        if (v)
            setOnSwitch(m_autoRotateImage, v);
        break;
    case K_FontMetric: break;

    // File creation and naming
    case K_FileCreationMode: setFileCreationMode(v); break;
    case K_FilenamePattern: setFilenamePattern(v); break;
    case K_GenerateUniqueFile:
        if (v)
            setOnSwitch(m_generateUniqueFile, v, "-u");
        break;
    case K_DocumentCount: setIntKey(id, m_documentCount, v, fromIni); break;

    // Paths, files and resources
    case K_IniFilePath: setIniFilePath(v); break;
    case K_IniFilename: setIniFilename(v); break;
    case K_LogPath: setLogPath(v); break;
    case K_ResPath: setResPath(v); break;
    case K_CpPath: setCpPath(v); break;
    case K_TempPath: setTempPath(v); break;
    case K_ExtFontPath: setExtFontPath(v); break;
    case K_MFMFontPath: setMFMFontPath(v); break;
    case K_AFPFontPath: setAFPFontPath(v); break;
    case K_FormDefPath: setFormDefPath(v); break;
    case K_PageDefPath: setPageDefPath(v); break;
    case K_OverlayPath: setOverlayPath(v); break;
    case K_PageSegmentPath: setPageSegmentPath(v); break;
    case K_FormdefExt: setText(m_formdefExt, v); break;
    case K_PagedefExt: setText(m_pagedefExt, v); break;
    case K_OverlayExt: setText(m_overlayExt, v); break;
    case K_PageSegExt: setText(m_pageSegExt, v); break;
    case K_CharSetExt: setText(m_charSetExt, v); break;
    case K_CodePageExt: setText(m_codePageExt, v); break;
    case K_CodedFontExt: setText(m_codedFontExt, v); break;
    case K_FormdefFilename: setText(m_formdefFilename, v); break;
    case K_PagedefFilename: setText(m_pagedefFilename, v); break;
    case K_ResourceGroupFilename: setText(m_resourceGroupFilename, v); break;
    case K_DocumentIndexFilename: setText(m_documentIndexFilename, v); break;
    case K_MappingDefFilename: setFileNameOption(m_mappingDefFilename, v); break;
    case K_PDFParserConfFile:
        setFileNameOption(m_pdfParserConfFile, v);
        m_pathGivenMask |= 0x8000;
        break;
    case K_TransformationProfile: setTransformationProfile(v); break;

    // Fonts and text
    case K_CodePage: setText(m_codePage, v); break;
    case K_CodePageDefaultChar: parseCodePageDefaultChar(v); break;
    case K_Alias: setText(m_alias, v); break;
    case K_FontResolution: setIntKey(id, m_fontResolution, v, fromIni); break;
    case K_TTFontInterpreter:
        m_ttFontInterpreter = equalsIgnoreCase(v, "autohint") ? 2 : (equalsIgnoreCase(v, "bytecode") ? 1 : 0);
        break;
    case K_FontAliasing: setOnSwitch(m_fontAliasing, v); break;
    case K_SpaceGlyphNames: setText(m_spaceGlyphNames, v); break;
    case K_PDFFontHeightFactor: setFloatKey(id, m_pdfFontHeightFactor, v, fromIni); break;
    case K_TextPresentationFidelity:
        if (equalsIgnoreCase(v, "Text"))
            m_textPresentationFidelity = 0;
        else if (equalsIgnoreCase(v, "Char"))
            m_textPresentationFidelity = 1;
        else if (equalsIgnoreCase(v, "OChar"))
            m_textPresentationFidelity = 2;
        break;
    case K_MaxValueForSOCAResolve:
        if (setIntKey(id, number, v, fromIni))
            m_maxValueForSOCAResolve = static_cast<unsigned char>(number);
        break;

    // Colours, vectors and PDF input
    case K_ColorTableEntry: parseColorTableEntry(v); break;
    case K_ColorTolerance:
        if (setIntKey(id, number, v, fromIni))
            m_colorTolerance = static_cast<unsigned char>(number);
        break;
    case K_LightColorLimit: parseLightColorLimit(v); break;
    case K_ColorMapPercentage: parseColorMapPercentage(v); break;
    case K_CurveSamplingFactor: setIntKey(id, m_curveSamplingFactor, v, fromIni); break;
    case K_PrintableLineWidth: setIntKey(id, m_printableLineWidth, v, fromIni); break;
    case K_GOCALineWidth: setIntKey(id, m_gocaLineWidth, v, fromIni); break;
    case K_GOCALineWidthFactor: setFloatKey(id, m_gocaLineWidthFactor, v, fromIni); break;
    case K_MaxGraphicPrimitives: setIntKey(id, m_maxGraphicPrimitives, v, fromIni); break;
    case K_MaxVectorObjects: setIntKey(id, m_maxVectorObjects, v, fromIni); break;
    case K_ROGTolerance: setIntKey(id, m_rogTolerance, v, fromIni); break;
    case K_ClipTolerance: setIntKey(id, m_clipTolerance, v, fromIni); break;
    case K_RectangleThickness: setFloatKey(id, m_rectangleThickness, v, fromIni); break;
    case K_MarkerWidth: setFloatKey(id, m_markerWidth, v, fromIni); break;
    case K_MarkerHeight: setFloatKey(id, m_markerHeight, v, fromIni); break;
    case K_BarcodeWidth: setBarcodeWidth(v); break;
    case K_BarcodeHeight: setBarcodeHeight(v); break;
    case K_Colorspace: m_colorspace = equalsIgnoreCase(v, "YCbCr") ? 3 : 1; break;
    case K_IOCAColorSpace:
        if (!lookupWord(kIOCAColorSpaces, v, &m_iocaColorSpace))
            m_iocaColorSpace = 6;
        break;

    // PDF and PDF/A output
    case K_Title: setText(m_title, v); break;
    case K_Subject: setText(m_subject, v); break;
    case K_Keywords: setText(m_keywords, v); break;
    case K_Creator: setText(m_creator, v); break;
    case K_PDFCompression: setOffSwitch(m_pdfCompression, v); break;
    case K_FlateParameters: parseFlateParameters(v); break;
    case K_JPEGQuality:
        if (setIntKey(id, number, v, fromIni)) {
            if (number >= 0 && number <= 100)
                setJPEGQuality(number);
            else
                warnNumber(id, v, fromIni);
        }
        break;
    case K_PDFSecurity: parsePDFSecurity(v); break;
    case K_PDFDocLimits: parsePDFDocLimits(v, fromIni); break;
    case K_PDFUIOptions: parseFieldBits(m_pdfUIOptions, v, 3); break;
    case K_PDFWinOptions: parseFieldBits(m_pdfWinOptions, v, 4); break;
    case K_PDFBookMark: setOnSwitch(m_pdfBookMark, v); break;
    case K_PDFALevel: setPDFALevel(v ? v[0] : 'B'); break;
    case K_PDFAIdentifier: parsePDFAIdentifier(v); break;
    case K_PDFAExtSchemaDefFile: setText(m_pdfAExtSchemaDefFile, v); break;
    case K_Watermark: parseWatermark(v); break;
    case K_Flush: setOnSwitch(m_flush, v); break;
    case K_PDFCustomFilterStream: parsePDFCustomFilterStream(v); break;

    // Images and raster output
    case K_ImageMaxCacheSize:
        if (qelUtils::isNumber(v))
            setImageMaxCacheSize(static_cast<float>(std::atof(v)));
        break;
    case K_SaveOCDataOnDisk: setOnSwitch(m_saveOCDataOnDisk, v); break;
    case K_ImageProcessFlags: parseImageProcessFlags(v); break;
    case K_ImageProcessValues: parseImageProcessValues(v); break;
    case K_ImageResizeFilter: parseImageResizeFilter(v); break;
    case K_ImageRotationFilter: parseImageFilter(0, v); break;
    case K_BWSampler: parseBWSampler(v); break;
    case K_SkipImageSize: parseSkipImageSize(v); break;

    // AFP output
    case K_AFPComplianceLevel: setText(m_afpComplianceLevel, v); break;
    case K_AFPIS2ComplianceFlags: parseAFPIS2ComplianceFlags(v); break;
    case K_ZUZOvoputFlags: parseZUZOvoputFlags(v); break;

    // Index files
    case K_IndexPath: setIndexPath(v); break;
    case K_IndexFormat: parseIndexFormat(v); break;
    case K_IndexRecord: setText(m_indexRecord, v); break;

    // Scripting
    case K_ScriptProcedure:
        if (v) {
            setFileNameOption(m_scriptProcedure, v);
            m_pathGivenMask |= 0x4000;
        }
        break;
    case K_ScriptArgument: setText(m_scriptArgument, v); break;
    case K_ScriptUnitBase: parseScriptUnitBase(v); break;
    case K_ScriptWriter:
        if (v) {
            setFileNameOption(m_scriptWriter, v);
            m_pathGivenMask |= 0x20000;
            m_givenMask |= 0x100;
        }
        break;
    case K_ScriptWriterArgument: setText(m_scriptWriterArgument, v); break;
    case K_ColdFormat: m_coldFormat = equalsIgnoreCase(v, "PHP") ? 2 : 1; break;

    // Logging and reports
    case K_LoggingLevel: setLoggingLevel(v); break;
    case K_Logging:
        if (v)
            setLoggingLevel((equalsIgnoreCase(v, "on") || equalsIgnoreCase(v, "-l")) ? "LOGGING" : "0");
        break;
    case K_LoggingFont:
        if (equalsIgnoreCase(v, "on") || equalsIgnoreCase(v, "-lf"))
            setLoggingLevel("FONT");
        break;
    case K_ExceptionLoggingLevel: parseExceptionLoggingLevel(v, fromIni); break;
    case K_Protocol: setOnSwitch(m_protocol, v, "-p"); break;
    case K_Statistic: setOnSwitch(m_statistic, v); break;
    case K_QuietMode: setOnSwitch(m_quietMode, v); break;
    case K_Quiet2Mode:
        setOnSwitch(m_quiet2Mode, v);
        if (v)
            m_quietMode = 1;
        break;

    // Text output
    case K_MaxCols: setIntKey(id, m_maxCols, v, fromIni); break;
    case K_MaxRows: setIntKey(id, m_maxRows, v, fromIni); break;
    case K_PageLength: setIntKey(id, m_pageLength, v, fromIni); break;

    // Interface, switches and diagnostics
    case K_SDK:
        if (equalsIgnoreCase(v, "checkin"))
            m_sdk = 1;
        else if (equalsIgnoreCase(v, "checkout"))
            m_sdk = 2;
        else if (equalsIgnoreCase(v, "lrb"))
            m_sdk = 4;
        else if (equalsIgnoreCase(v, "kvx"))
            m_sdk = 8;
        break;
    case K_PKEY: setPKEY(v); break;
    case K_PKEYParam: setText(m_pkeyParam, v); break;
    case K_DevTest: setOnSwitch(m_devTest, v); break;
    case K_DevTestLevel: parseDevTestLevel(v, fromIni); break;
    default: break;
    }
    return 0;
}

const char* qelIni::getAttribute(const char* key)
{
    if (!key)
        return nullptr;
    int id = findKey(key);
    return id < 0 ? nullptr : answerOf(id);
}

const char* qelIni::answerOf(int id)
{
    auto onOff = [](unsigned char on) { return on ? "on" : "off"; };
    switch (id) {
    // Input and document selection
    case K_InputFormat: return getInputFormatName();
    case K_IOMode:
        if (m_stdIn && m_stdOut)
            return "std";
        if (m_stdIn)
            return "si";
        return m_stdOut ? "so" : nullptr;
    case K_SpoolFileType: return m_spoolFileType;
    case K_PageParse: return formatAnswer("%d", m_pageParse);
    case K_StartingDocument: return formatAnswer("%d", m_startingDocument);
    case K_EndingDocument: return formatAnswer("%d", m_endingDocument);
    case K_StartingPage: return formatAnswer("%d", m_startingPage);
    case K_EndingPage: return formatAnswer("%d", m_endingPage);
    case K_SkipPage: return onOff(m_skipPage);
    case K_SkipObjectSize: return formatAnswer("%u", m_skipObjectSize);
    case K_Strict: return onOff(m_strict);
    case K_AutoSplit: return onOff(m_autoSplit);
    case K_QELNOP: return onOff(m_qelNop);
    case K_ResourceGroup: return m_resourceGroup;
    case K_IPSPageResolution: return nullptr;

    // Output
    case K_OutputFormat: return getOutputFormatName();
    case K_FormatType:
        switch (m_formatType) {
        case 0: return "UNCOMPRESSED";
        case 1: return "HUFFMAN";
        case 2: return m_dithered ? "G3_FAX(Dithered Output)" : "G3_FAX";
        case 4: return m_dithered ? "G4_FAX(Dithered Output)" : "G4_FAX";
        case 5: return "JPG";
        case 6: return "LZW";
        case 7: return "PACK";
        case 8: return "JPEG";
        case 27: return "PNG";
        case 33: return "BW";
        default: return nullptr;
        }
    case K_OutputFilePath: return m_outputFilePath;
    case K_CustomFileExtension: return m_customFileExtension;
    case K_CodedOutput: return onOff(m_codedOutput);
    case K_Color: return onOff(m_color);
    case K_CMYKTORGB: return onOff(m_cmykToRgb);
    case K_PageOutput: return onOff(m_pageOutput);
    case K_MemoryOutputStream: return onOff(m_memoryOutputStream);
    case K_LaunchPreview: return onOff(m_launchPreview);
    case K_Resolution: return formatAnswer("%d", m_resolution);
    case K_PageRotation: return formatAnswer("%d", m_pageRotation);
    case K_OutputSize: return formatAnswer("%f,%f", m_outputWidth, m_outputHeight);
    case K_OutputScale: {
        const qelOutputScale* scale = m_outputScale.get();
        if (!scale)
            return "";
        if (scale->getSizeName()[0])
            return formatAnswer("%s,%s", scale->getSizeName(), scale->getConditionName());
        return formatAnswer("%ld,%ld,%s", static_cast<long>(scale->getWidth()), static_cast<long>(scale->getHeight()),
                            scale->getConditionName());
    }
    case K_ScaleToSize: {
        const qelOutputScale* scale = m_scaleToSize.get();
        if (!scale)
            return "";
        int percent = static_cast<int>(std::lround(scale->getToleranceFraction() * 100.0));
        const char* state = scale->isOn() ? "on" : "off";
        if (scale->getSizeName()[0])
            return formatAnswer("%s,%s,%d,%s", scale->getSizeName(), scale->getConditionName(), percent, state);
        return formatAnswer("%ld,%ld,%s,%d,%s", static_cast<long>(scale->getWidth()),
                            static_cast<long>(scale->getHeight()), scale->getConditionName(), percent, state);
    }
    case K_AutoRotateImage: return onOff(m_autoRotateImage);
    case K_FontMetric: return onOff(m_fontMetric);

    // File creation and naming
    case K_FileCreationMode:
        for (const WordCode& mode : kFileCreationModes)
            if (mode.code == m_fileCreationMode)
                return mode.word;
        return nullptr;
    case K_FilenamePattern: return m_filenamePattern;
    case K_GenerateUniqueFile: return onOff(m_generateUniqueFile);
    case K_DocumentCount: return formatAnswer("%d", m_documentCount);

    // Paths, files and resources
    case K_IniFilePath: return m_iniFilePath;
    case K_IniFilename: return m_iniFilename;
    case K_LogPath: return m_logPath;
    case K_ResPath: return getResPath();
    case K_CpPath: return m_cpPath;
    case K_TempPath: return m_tempPath;
    case K_ExtFontPath: return getExtFontPath();
    case K_MFMFontPath: return getMFMFontPath();
    case K_AFPFontPath: return m_afpFontPath.text;
    case K_FormDefPath: return m_formDefPath.text;
    case K_PageDefPath: return m_pageDefPath.text;
    case K_OverlayPath: return m_overlayPath.text;
    case K_PageSegmentPath: return m_pageSegmentPath.text;
    case K_FormdefExt: return m_formdefExt;
    case K_PagedefExt: return m_pagedefExt;
    case K_OverlayExt: return m_overlayExt;
    case K_PageSegExt: return m_pageSegExt;
    case K_CharSetExt: return m_charSetExt;
    case K_CodePageExt: return m_codePageExt;
    case K_CodedFontExt: return m_codedFontExt;
    case K_FormdefFilename: return m_formdefFilename;
    case K_PagedefFilename: return m_pagedefFilename;
    case K_ResourceGroupFilename: return m_resourceGroupFilename;
    case K_DocumentIndexFilename: return m_documentIndexFilename;
    case K_MappingDefFilename: return m_mappingDefFilename;
    case K_PDFParserConfFile: return m_pdfParserConfFile ? formatAnswer("%s", m_pdfParserConfFile) : nullptr;
    case K_TransformationProfile:
        return m_transformationProfile ? formatAnswer("%s", m_transformationProfile) : nullptr;

    // Fonts and text
    case K_CodePage: return m_codePage;
    case K_CodePageDefaultChar: return formatAnswer("%c", m_codePageDefaultChar);
    case K_Alias: return m_alias;
    case K_FontResolution: return formatAnswer("%d", m_fontResolution);
    case K_TTFontInterpreter:
        return m_ttFontInterpreter == 2 ? "AutoHint" : (m_ttFontInterpreter == 1 ? "ByteCode" : "");
    case K_FontAliasing: return onOff(m_fontAliasing);
    case K_SpaceGlyphNames: return m_spaceGlyphNames;
    case K_PDFFontHeightFactor: return formatAnswer("%f", m_pdfFontHeightFactor);
    case K_TextPresentationFidelity:
        return m_textPresentationFidelity == 0 ? "Text" : (m_textPresentationFidelity == 1 ? "Char" : nullptr);
    case K_MaxValueForSOCAResolve: return formatAnswer("%d", m_maxValueForSOCAResolve);

    // Colours, vectors and PDF input
    case K_ColorTableEntry: return "";
    case K_ColorTolerance: return nullptr;
    case K_LightColorLimit:
        if (!m_lightColorLimit)
            return nullptr;
        return formatAnswer("%d,%d,%d", m_lightColorLimit->getRed(), m_lightColorLimit->getGreen(),
                            m_lightColorLimit->getBlue());
    case K_ColorMapPercentage: return nullptr;
    case K_CurveSamplingFactor: return formatAnswer("%d", m_curveSamplingFactor);
    case K_PrintableLineWidth: return formatAnswer("%d", m_printableLineWidth);
    case K_GOCALineWidth: return formatAnswer("%d", m_gocaLineWidth);
    case K_GOCALineWidthFactor: return formatAnswer("%f", m_gocaLineWidthFactor);
    case K_MaxGraphicPrimitives: return formatAnswer("%d", m_maxGraphicPrimitives);
    case K_MaxVectorObjects: return formatAnswer("%d", m_maxVectorObjects);
    case K_ROGTolerance: return formatAnswer("%d", m_rogTolerance);
    case K_ClipTolerance: return formatAnswer("%d", m_clipTolerance);
    case K_RectangleThickness: return formatAnswer("%.2f", m_rectangleThickness);
    case K_MarkerWidth: return formatAnswer("%f", m_markerWidth);
    case K_MarkerHeight: return formatAnswer("%f", m_markerHeight);
    case K_BarcodeWidth: return formatAnswer("%f", m_barcodeWidth);
    case K_BarcodeHeight: return formatAnswer("%f", m_barcodeHeight);
    case K_Colorspace: return m_colorspace == 3 ? "YCbCr" : "RGB";
    case K_IOCAColorSpace:
        switch (m_iocaColorSpace) {
        case 1: return "RGB";
        case 2: return "CMYK";
        case 4: return "CIELAB";
        case 6: return "YCbCr";
        case 7: return "YCrCb";
        default: return "";
        }

    // PDF and PDF/A output
    case K_Title: return m_title;
    case K_Subject: return m_subject;
    case K_Keywords: return m_keywords;
    case K_Creator: return m_creator;
    case K_PDFCompression: return onOff(m_pdfCompression);
    case K_FlateParameters: return m_flateParameters;
    case K_JPEGQuality: return formatAnswer("%d", m_jpegQuality);
    case K_PDFSecurity: return m_pdfSecurityText;
    case K_PDFDocLimits:
        return m_pdfDocLimitsSingle ? formatAnswer("%d", m_pdfDocLimitsSingleValue) : m_pdfDocLimitsText;
    case K_PDFUIOptions: return formatAnswer("%u", static_cast<unsigned int>(m_pdfUIOptions));
    case K_PDFWinOptions: return formatAnswer("%u", static_cast<unsigned int>(m_pdfWinOptions));
    case K_PDFBookMark: return onOff(m_pdfBookMark);
    case K_PDFALevel: return nullptr;
    case K_PDFAIdentifier:
        return formatAnswer("%d,%d,%d", m_pdfAIdentifier[0], m_pdfAIdentifier[1], m_pdfAIdentifier[2]);
    case K_PDFAExtSchemaDefFile: return nullptr;
    case K_Watermark:
        if (!m_watermarkText)
            return nullptr;
        return formatAnswer("%s,%s,%d,%d,%d,%d,%d", m_watermarkText, m_watermarkFont ? m_watermarkFont : "",
                            m_watermarkSize, m_watermarkAngle, m_watermarkColor[0], m_watermarkColor[1],
                            m_watermarkColor[2]);
    case K_Flush: return onOff(m_flush);
    case K_PDFCustomFilterStream:
        return formatAnswer("%s,%s", (m_pdfCustomFilterStream & 0x1) ? "on" : "off",
                            (m_pdfCustomFilterStream & 0x2) ? "on" : "off");

    // Images and raster output
    case K_ImageMaxCacheSize: return formatAnswer("%u", m_imageMaxCacheSize);
    case K_SaveOCDataOnDisk: return onOff(m_saveOCDataOnDisk);
    case K_ImageProcessFlags: return (m_imageProcessFlags & 0x1) ? "on" : "off";
    case K_ImageProcessValues: return formatAnswer("%0.2f", m_imageProcessValue);
    case K_ImageResizeFilter:
        return formatAnswer("%s,%s", filterKeyword(m_stretchFilter), filterKeyword(m_shrinkFilter));
    case K_ImageRotationFilter: return filterKeyword(m_rotationFilter);
    case K_BWSampler:
        if (m_bwSampler == 102)
            return "Dither";
        if (m_bwSampler == 101)
            return "Threshold:Adaptive";
        if (m_bwSampler >= 1 && m_bwSampler <= 100)
            return formatAnswer("Threshold:%d", m_bwSampler);
        return "";
    case K_SkipImageSize: return formatAnswer("%f,%f", m_skipImageWidth, m_skipImageHeight);

    // AFP output
    case K_AFPComplianceLevel: return m_afpComplianceLevel;
    case K_AFPIS2ComplianceFlags:
        return formatAnswer("%s,%s", (m_afpIS2ComplianceFlags & 0x1) ? "On" : "Off",
                            (m_afpIS2ComplianceFlags & 0x2) ? "On" : "Off");
    case K_ZUZOvoputFlags:
        return formatAnswer("%s,%s", (m_zuzOvoputFlags & 0x1) ? "On" : "Off",
                            (m_zuzOvoputFlags & 0x2) ? "On" : "Off");

    // Index files
    case K_IndexPath: return m_indexPath;
    case K_IndexFormat: return m_indexFormat;
    case K_IndexRecord: return m_indexRecord;

    // Scripting
    case K_ScriptProcedure: return m_scriptProcedure;
    case K_ScriptArgument: return m_scriptArgument;
    case K_ScriptUnitBase: return m_scriptUnitBase;
    case K_ScriptWriter: return m_scriptWriter;
    case K_ScriptWriterArgument: return m_scriptWriterArgument;
    case K_ColdFormat: return m_coldFormat == 1 ? "PERL" : (m_coldFormat == 2 ? "PHP" : nullptr);

    // Logging and reports
    case K_LoggingLevel: return isLogging() ? "1,2,3,4,font" : m_loggingLevel;
    case K_Logging: return isLogging() ? "on" : "off";
    case K_LoggingFont: return isLoggingFont() ? "on" : "off";
    case K_ExceptionLoggingLevel:
        return m_exceptionLoggingLevel == 1 ? "1" : (m_exceptionLoggingLevel == 2 ? "2" : nullptr);
    case K_Protocol: return onOff(m_protocol);
    case K_Statistic: return onOff(m_statistic);
    case K_QuietMode: return onOff(m_quietMode);
    case K_Quiet2Mode: return onOff(m_quiet2Mode);

    // Text output
    case K_MaxCols: return formatAnswer("%d", m_maxCols);
    case K_MaxRows: return formatAnswer("%d", m_maxRows);
    case K_PageLength: return formatAnswer("%d", m_pageLength);

    // Interface, switches and diagnostics
    case K_SDK:
        if (m_sdk & 0x1)
            return "CheckIn";
        if (m_sdk & 0x2)
            return "CheckOut";
        if (m_sdk & 0x4)
            return "lorbane";
        if (m_sdk & 0x8)
            return "kevox";
        return nullptr;
    case K_PKEY: return m_pkey;
    case K_PKEYParam: return m_pkeyParam;
    case K_DevTest: return onOff(m_devTest);
    case K_DevTestLevel: return formatAnswer("%d", m_devTestLevel);
    default: return nullptr;
    }
}

// ------------------------------------------------------------------ paths and consistency

namespace {

bool isDir(const char* path)
{
    return path && *path && qelUtils::isDirectory(path);
}

std::string withSlash(std::string text)
{
    if (text.empty() || text.back() != '/')
        text += '/';
    return text;
}

bool isAbsolute(const std::string& path)
{
    return !path.empty() && (path[0] == '/' || qelUtils::isAbsolutePath(path.c_str()));
}

std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string formatText(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int n = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text;
    if (n > 0) {
        std::vector<char> buffer(static_cast<size_t>(n) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, again);
        text.assign(buffer.data(), static_cast<size_t>(n));
    }
    va_end(again);
    return text;
}

// Printed unless QuietMode is on; logged when the mask meets logBits.
void warnUser(const qelIni& ini, unsigned int logBits, const std::string& text)
{
    if (!ini.isQuietMode())
        qelMessageOutput::write(text.c_str());
    if (qelLogStream* log = logFor(logBits))
        log->printLine("%s", text.c_str());
}

void replaceText(char*& field, const char* value)
{
    char* copy = copyText(value);
    delete[] field;
    field = copy;
}

const char* modeName(int mode)
{
    for (const WordCode& entry : kFileCreationModes)
        if (entry.code == mode)
            return entry.word;
    return "";
}

} // namespace

char* qelIni::resolvePath(char* old, const char* path, const char* label, bool check)
{
    if (!path) {
        delete[] old;
        return nullptr;
    }
    // The path may live in old: copy before anything is freed.
    std::string given(path);
    std::string result;
    if (!given.empty() && given[0] == '@') {
        result = given;
    } else {
        for (char& c : given)
            if (c == '\\')
                c = '/';
        const std::string base = m_iniFilePath ? m_iniFilePath : "";
        if (isAbsolute(given) || base.empty())
            result = given;
        else
            result = withSlash(base) + given;
        if (result.empty())
            result = "./";
        if (m_pathsChecked && check && !qelUtils::isDirectory(result.c_str())) {
            qelMessageOutput::printf("Warning! Invalid %s file path %s\n", shown(label), result.c_str());
            qelMessageOutput::printf("Writing the %s file in the ini path (%s)", shown(label), base.c_str());
            result = base.empty() ? "./" : base;
        }
        result = withSlash(result);
    }
    char* resolved = copyText(result.c_str());
    delete[] old;
    return resolved;
}

char* qelIni::resolveFile(char* old, const char* path, const char* label, const char* failure)
{
    if (!path) {
        delete[] old;
        return nullptr;
    }
    std::string given(path);
    for (char& c : given)
        if (c == '\\')
            c = '/';
    size_t slash = given.rfind('/');
    std::string directory = slash == std::string::npos ? std::string() : given.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? given : given.substr(slash + 1);
    std::string full;
    {
        std::unique_ptr<char[]> resolved(resolvePath(nullptr, directory.c_str(), label, false));
        full = std::string(resolved.get()) + name;
    }
    char* result = new (std::nothrow) char[full.size() + 1];
    if (!result)
        throw failure;
    std::memcpy(result, full.c_str(), full.size() + 1);
    delete[] old;
    return result;
}

void qelIni::resolvePathList(PathOption& option, const char* label)
{
    const std::vector<std::string>& source = option.iniList.empty() ? option.list : option.iniList;
    if (source.empty())
        return;
    std::vector<std::string> resolved;
    for (const std::string& entry : source) {
        std::unique_ptr<char[]> path(resolvePath(nullptr, entry.c_str(), label, true));
        resolved.emplace_back(path.get());
    }
    option.list = std::move(resolved);
    option.iniList.clear();
}

void qelIni::checkPaths(int mask)
{
    const unsigned int bits = static_cast<unsigned int>(mask);
    const struct
    {
        unsigned int bit;
        char** field;
        const char* label;
    } directories[] = {
        {0x400, &m_logPath, "Log"},           {0x2, &m_resPath, "Resource"},
        {0x4, &m_cpPath, "CodePage"},         {0x8, &m_outputFilePath, "Output"},
        {0x10, &m_indexPath, "Index"},        {0x800, &m_mfmFontPath, "MFM Font"},
        {0x1000, &m_extFontPath, "Ext Font"}, {0x2000, &m_tempPath, "Temp Path"},
    };
    for (const auto& directory : directories) {
        if ((bits & directory.bit) && *directory.field)
            *directory.field = resolvePath(*directory.field, *directory.field, directory.label, false);
    }

    if ((bits & 0x4000) && m_scriptProcedure)
        m_scriptProcedure = resolveFile(m_scriptProcedure, m_scriptProcedure, "ScriptFilePath",
                                        "Insufficient memory to allocate script filename ini attribute");
    if ((bits & 0x20000) && m_scriptWriter)
        m_scriptWriter = resolveFile(m_scriptWriter, m_scriptWriter, "Perl output file path",
                                     "Insufficient memory to allocate perl output filename ini attribute");
    if ((bits & 0x8000) && m_pdfParserConfFile)
        m_pdfParserConfFile = resolveFile(m_pdfParserConfFile, m_pdfParserConfFile, "PDFParseConfFile",
                                          "Insufficient memory to allocate PDF Parser Conf ini attribute");

    const struct
    {
        unsigned int bit;
        PathOption* option;
        const char* label;
    } lists[] = {
        {0x20, &m_formDefPath, "Formdef Path List"},         {0x200, &m_pageDefPath, "Pagedef Path List"},
        {0x40, &m_overlayPath, "Overlay Path List"},         {0x80, &m_pageSegmentPath, "PageSegment Path List"},
        {0x100, &m_afpFontPath, "Font Path List"},
    };
    for (const auto& list : lists) {
        if (bits & list.bit)
            resolvePathList(*list.option, list.label);
    }

    if (m_devTestLevel & 0x1)
        listPaths();
}

void qelIni::listPaths()
{
    auto joined = [](const std::vector<std::string>& list) {
        std::string text;
        for (const std::string& entry : list) {
            if (!text.empty())
                text += ", ";
            text += entry;
        }
        return text;
    };
    qelMessageOutput::printf("IniPath          : %s\n", shown(m_iniFilePath));
    qelMessageOutput::printf("LogPath          : %s\n", shown(m_logPath));
    qelMessageOutput::printf("ResPath          : %s\n", shown(m_resPath));
    qelMessageOutput::printf("Codepage         : %s\n", shown(m_cpPath));
    qelMessageOutput::printf("OutputPath       : %s\n", shown(m_outputFilePath));
    qelMessageOutput::printf("ExtFontPath      : %s\n", shown(m_extFontPath));
    qelMessageOutput::printf("IndexPath        : %s\n", shown(m_indexPath));
    qelMessageOutput::printf("TempPath         : %s\n", shown(m_tempPath));
    qelMessageOutput::printf("ScriptFilename   : %s\n", shown(m_scriptProcedure));
    qelMessageOutput::printf("ScriptArgs       : %s\n", shown(m_scriptArgument));
    qelMessageOutput::printf("ScriptWriter     : %s\n", shown(m_scriptWriter));
    qelMessageOutput::printf("ScriptWriterArgs : %s\n", shown(m_scriptWriterArgument));
    qelMessageOutput::printf("PDFParseConfFile : %s\n", shown(m_pdfParserConfFile));
    qelMessageOutput::printf("OverlayPathList  : %s\n", joined(m_overlayPath.list).c_str());
    qelMessageOutput::printf("FormDefPathList  : %s\n", joined(m_formDefPath.list).c_str());
    qelMessageOutput::printf("PageSegPathList  : %s\n", joined(m_pageSegmentPath.list).c_str());
    qelMessageOutput::printf("FontPathList     : %s\n", joined(m_afpFontPath.list).c_str());
    qelMessageOutput::printf("PageDefPathList  : %s\n", joined(m_pageDefPath.list).c_str());
}

void qelIni::checkLogPath()
{
    // These warnings are printed whatever QuietMode says.
    m_pathsChecked = 1;
    if (!isDir(m_iniFilePath))
        throw new qelException(__FILE__, __LINE__, qelMsg::E101, 0, true, shown(m_iniFilePath));
    if (!isDir(m_outputFilePath))
        throw new qelException(__FILE__, __LINE__, qelMsg::E103, 0, true, shown(m_outputFilePath));

    if (m_loggingLevel && std::strcmp(m_loggingLevel, "0") != 0 && !isDir(m_logPath)) {
        qelMessageOutput::printf("Warning! Invalid Log File Path %s \n", shown(m_logPath));
        qelMessageOutput::printf("Writing the Log File in the output directory (%s)\n", m_outputFilePath);
        replaceText(m_logPath, m_outputFilePath);
    }

    if (!isDir(m_cpPath)) {
        qelMessageOutput::printf("Warning! Invalid Codepage Path %s, Using default (%s)\n", shown(m_cpPath), "afpcp");
        replaceText(m_cpPath, "afpcp/");
        m_pathGivenMask |= 0x4;
        if (!isDir(m_cpPath)) {
            qelMessageOutput::printf("Warning! Invalid Codepage Path %s, Using current directory (./)\n", m_cpPath);
            replaceText(m_cpPath, "./");
        }
    }

    if (m_tempPath && !(isDir(m_tempPath) && qelUtils::isWritable(m_tempPath))) {
        setSystemTempPath();
        qelMessageOutput::printf("Warning! Invalid Temporary Path, using System Temporary Path %s", shown(m_tempPath));
    }
    if (!m_tempPath) {
        qelMessageOutput::printf("Warning! System/Given Temporary Path is invalid, using output path %s",
                                 m_outputFilePath);
        replaceText(m_tempPath, m_outputFilePath);
        m_pathGivenMask |= 0x2000;
    }

    if (m_fileCreationMode == QEL_FCM_DOC_INDEX || m_fileCreationMode == QEL_FCM_DOC_COLD) {
        if (isNotGiven(0x40)) {
            replaceText(m_indexPath, m_outputFilePath);
        } else if (!isDir(m_indexPath)) {
            qelMessageOutput::printf("Warning! Invalid Index Path %s", shown(m_indexPath));
            replaceText(m_indexPath, m_outputFilePath);
        }
    }
}

const char* qelIni::getResPath()
{
    if (m_checkedOnceMask & 0x1)
        return m_resPath;
    m_checkedOnceMask |= 0x1;
    bool valid;
    if (m_resPath && m_resPath[0] == '@') {
        std::string name(m_resPath + 1);
        if (!name.empty() && name.back() == '/')
            name.pop_back();
        valid = findLogicalLocation(name.c_str()) != nullptr;
    } else {
        valid = isDir(m_resPath);
    }
    if (valid)
        return m_resPath;
    std::string given = m_resPath ? m_resPath : "";
    if (!given.empty() && given.back() == '/')
        given.pop_back();
    if (given != "samples/resource") {
        warnUser(*this, QEL_LOG_GENERAL,
                 formatText("Warning! Invalid resource path %s, Using default (%s)\n", shown(m_resPath),
                            "samples/resource"));
        replaceText(m_resPath, "samples/resource/");
    }
    if (!isDir(m_resPath)) {
        warnUser(*this, QEL_LOG_GENERAL,
                 formatText("Warning! Invalid resource path %s, Using current directory (./)\n", shown(m_resPath)));
        replaceText(m_resPath, "./");
    }
    return m_resPath;
}

const char* qelIni::getExtFontPath()
{
    if (m_checkedOnceMask & 0x2)
        return m_extFontPath;
    m_checkedOnceMask |= 0x2;
    if (!isDir(m_extFontPath)) {
        warnUser(*this, QEL_LOG_GENERAL,
                 formatText("Warning! Invalid ext font Path %s, Using default (%s)\n", shown(m_extFontPath),
                            "extfont"));
        replaceText(m_extFontPath, "extfont/");
        if (!isDir(m_extFontPath)) {
            warnUser(*this, QEL_LOG_GENERAL,
                     formatText("Warning! Invalid ext font Path %s, Using current directory (./)\n", m_extFontPath));
            replaceText(m_extFontPath, "./");
        }
    }
    return m_extFontPath;
}

const char* qelIni::getMFMFontPath()
{
    if (m_checkedOnceMask & 0x4)
        return m_mfmFontPath;
    m_checkedOnceMask |= 0x4;
    if (!isDir(m_mfmFontPath)) {
        warnUser(*this, QEL_LOG_GENERAL,
                 formatText("Warning! Invalid MFM font Path %s, Using output directory (%s)\n", shown(m_mfmFontPath),
                            shown(m_outputFilePath)));
        replaceText(m_mfmFontPath, m_outputFilePath);
        if (!isDir(m_mfmFontPath)) {
            warnUser(*this, QEL_LOG_GENERAL,
                     formatText("Warning! Invalid MFM font Path %s, Using default directory (%s)\n",
                                shown(m_mfmFontPath), "afpcp/mfm"));
            replaceText(m_mfmFontPath, "afpcp/mfm/");
        }
    }
    return m_mfmFontPath;
}

// ------------------------------------------------------------------ named switches

void qelIni::addUseGDSwitch()
{
    std::string list = m_pkey ? m_pkey : "";
    list += "UseGD,";
    replaceText(m_pkey, list.c_str());
}

bool qelIni::isPKEYParam(const char* name) const
{
    if (!name || !*name || !m_pkeyParam || !*m_pkeyParam)
        return false;
    const std::string items = std::string(",") + m_pkeyParam + ",";
    const std::string item = std::string(",") + name + ",";
    return items.find(item) != std::string::npos;
}

int qelIni::getDitherMethod() const
{
    if (hasSwitch("fldither"))
        return 2;
    if (hasSwitch("bayerdither"))
        return 3;
    if (hasSwitch("ocdither"))
        return 1;
    return 2;
}

// ------------------------------------------------------------------ consistency pass

bool qelIni::checkFileCreationMode()
{
    // 1. Line data is split by the document script.
    if (m_inputFormat == QEL_IN_LPD && m_fileCreationMode != QEL_FCM_DOC_COLD) {
        qelMessageOutput::printf("Warning! Invalid file creation mode (%s) for LPD, forcing DOC_COLD\n",
                                 modeName(m_fileCreationMode));
        m_fileCreationMode = QEL_FCM_DOC_COLD;
    }

    // 2. Single-page output by output format.
    const bool indexMode = m_fileCreationMode == QEL_FCM_DOC_INDEX || m_fileCreationMode == QEL_FCM_DOC_COLD;
    switch (m_outputFormat) {
    case QEL_OUT_GIF:
    case QEL_OUT_JPEG:
    case QEL_OUT_PNG:
    case QEL_OUT_PCX:
        if (indexMode)
            m_pageOutput = 1;
        else
            m_fileCreationMode = QEL_FCM_PAGE;
        break;
    case QEL_OUT_HTML:
        // The chosen script does not count as given.
        if (isNotGiven(0x100))
            replaceText(m_scriptWriter, "html.pm");
        break;
    case QEL_OUT_TIFF:
        break;
    default:
        if (m_pageOutput) {
            qelMessageOutput::write(
                "Warning! Single page output is not allowed for requested output format. Option is ignored.\n");
            m_pageOutput = 0;
        }
        break;
    }

    // 3. Inline resources are kept only for AFP output.
    if (m_outputFormat != QEL_OUT_AFP)
        setResourceGroup("0");

    // 4. The colour slots, each entry with the tolerance.
    for (const auto& entry : m_colorTable)
        entry->setTolerance(m_colorTolerance);
    m_colorIndex.reset(qelColorTable::create(*this));

    // 5. By mode.
    if (m_fileCreationMode == QEL_FCM_DOC_COLD)
        m_coldFormat = 1;
    if (m_fileCreationMode == QEL_FCM_DOC_INDEX || m_fileCreationMode == QEL_FCM_DOC_COLD)
        m_documentGrouping = 0;
    if (m_fileCreationMode != QEL_FCM_ALL)
        m_generateUniqueFile = 1;

    // 6. A name pattern when none was given; it still counts as not given.
    if (isNotGiven(0x8)) {
        const char* pattern = nullptr;
        if (m_pageOutput)
            pattern = "\"%s_%s.%ld.%ld\",SPOOLNAME,PID,DOCID,PAGEID";
        else if (m_generateUniqueFile)
            pattern = "\"%s_%s.%ld\",SPOOLNAME,PID,DOCID";
        if (pattern) {
            setFilenamePattern(pattern);
            m_givenMask &= ~0x8u;
        }
    }

    // 7. Document range.
    if (m_startingDocument < 0) {
        qelMessageOutput::write("Warning! Start Document Id value is negative. Option is ignored.\n");
        m_startingDocument = 0;
    }
    if ((m_startingDocument != 0 || m_endingDocument != 0) && m_endingDocument < 0) {
        qelMessageOutput::write("Warning! End Document Id value is negative. Option is ignored.\n");
        m_endingDocument = 0;
    }
    if (m_endingDocument != 0 && m_endingDocument < m_startingDocument) {
        qelMessageOutput::write("Warning! Start Document Id value is greater than End Document Id value. Start "
                                "Document Id and End Document Id values are swapped.\n");
        std::swap(m_startingDocument, m_endingDocument);
    }

    // 8. Format type by output format.
    if (!checkFormatType())
        return false;

    // 9. Raster output draws with gd unless GDI is asked for.
    if ((m_outputFormat == QEL_OUT_TIFF || m_outputFormat == QEL_OUT_JPEG || m_outputFormat == QEL_OUT_PNG ||
         m_outputFormat == QEL_OUT_GIF) &&
        !hasSwitch("UseGDI") && !hasSwitch("UseGD"))
        addUseGDSwitch();

    // 10. The PDF/A extension schema.
    if (m_outputFormat == QEL_OUT_PDFA)
        loadPDFAExtSchema();

    // 11. Size names become sizes.
    resolveSizes();
    return true;
}

bool qelIni::checkFormatType()
{
    switch (m_outputFormat) {
    case QEL_OUT_AFP:
        if (isNotGiven(0x80))
            break;
        if (m_formatType == 33) {
            if (m_color) {
                warnUser(*this, 0,
                         "Warning! Color is not supported for AFP BW output format. Ignoring color option.\n");
                m_color = 0;
            }
        } else {
            warnUser(*this, 0,
                     formatText("Warning! Invalid AFP format type %s. Ignoring format type.\n",
                                qelImgUtils::getEncodeTypeName(m_formatType)));
        }
        break;
    case QEL_OUT_ASCII:
        if (!m_codedOutput) {
            warnUser(*this, 0, "Warning! Non coded output is not valid for ASCII output. Ignoring option.\n");
            m_codedOutput = 1;
        }
        break;
    case QEL_OUT_GIF: m_formatType = 28; break;
    case QEL_OUT_JPEG: m_formatType = 8; break;
    case QEL_OUT_PNG:
        m_formatType = 27;
        if (!hasSwitch("UseGD"))
            addUseGDSwitch();
        break;
    case QEL_OUT_PCX: m_formatType = 29; break;
    case QEL_OUT_TIFF:
        switch (m_formatType) {
        case 0:
        case 5:
        case 6:
        case 7:
            break;
        case 1:
            qelMessageOutput::write("Error! Unsupported Tiff sub format type: HUFFMAN. Aborting...\n");
            return false;
        case 2:
        case 4:
            if (m_color) {
                warnUser(*this, 0,
                         formatText("Warning! Color is not supported for %s output format. Creating B/W pages... \n",
                                    qelImgUtils::getEncodeTypeName(m_formatType)));
                m_color = 0;
            }
            break;
        default:
            qelMessageOutput::printf("Error! Unknown Tiff sub format type (%d). Aborting...\n", m_formatType);
            return false;
        }
        break;
    default:
        break;
    }
    return true;
}

void qelIni::loadPDFAExtSchema()
{
    std::unique_ptr<char[]> path(resolveFile(nullptr, m_pdfAExtSchemaDefFile, "PDFAExtSchemaDefFile",
                                             "Unable to allocate PDF/A extension schema file name"));
    unsigned char* data = nullptr;
    long length = 0;
    if (path && qelUtils::isRegularFile(path.get()) && qelUtils::readWholeFile(path.get(), &data, &length) == 1) {
        std::unique_ptr<unsigned char[]> owned(data);
        char* text = new char[static_cast<size_t>(length) + 1];
        std::memcpy(text, owned.get(), static_cast<size_t>(length));
        text[length] = '\0';
        setPDFAExtSchema(text);
        return;
    }
    warnUser(*this, 0,
             formatText("Warning! PDF/A Extension schema definition file %s does not exist. Using Default Extension "
                        "Schema\n",
                        shown(path ? path.get() : m_pdfAExtSchemaDefFile)));
}

void qelIni::resolveSizes()
{
    float width = 0.0f;
    float height = 0.0f;
    if (m_outputSizeName[0] && qelUtils::getPaperSize(m_outputSizeName, &width, &height)) {
        m_outputWidth = static_cast<float>(m_resolution) * width;
        m_outputHeight = static_cast<float>(m_resolution) * height;
    }
    if (m_outputScale && m_outputScale->getSizeName()[0]) {
        if (qelUtils::getPaperSize(m_outputScale->getSizeName(), &width, &height)) {
            m_outputScale->setWidth(static_cast<float>(m_resolution) * width);
            m_outputScale->setHeight(static_cast<float>(m_resolution) * height);
            m_outputScale->setResolution(m_resolution);
        } else {
            warnUser(*this, 0x2,
                     formatText("Warning! Invalid output size macro on output scale: %s. Using input page size AS "
                                "IS.\n",
                                m_outputScale->getSizeName()));
            m_outputScale->setWidth(0.0f);
            m_outputScale->setHeight(0.0f);
        }
    }
    if (m_scaleToSize) {
        if (m_scaleToSize->getSizeName()[0]) {
            if (qelUtils::getPaperSize(m_scaleToSize->getSizeName(), &width, &height)) {
                m_scaleToSize->setWidth(240.0f * width);
                m_scaleToSize->setHeight(240.0f * height);
                const double fraction = m_scaleToSize->getToleranceFraction();
                m_scaleToSize->setWidthTolerance(m_scaleToSize->getWidth() * fraction);
                m_scaleToSize->setHeightTolerance(m_scaleToSize->getHeight() * fraction);
            } else {
                warnUser(*this, 0x2,
                         formatText("Warning! Invalid size macro on scale to size: %s. Using input page size AS IS.\n",
                                    m_scaleToSize->getSizeName()));
            }
        } else {
            m_scaleToSize->setWidthTolerance(0.0);
            m_scaleToSize->setHeightTolerance(0.0);
        }
    }
}

// ------------------------------------------------------------------ output name pattern

namespace {

// One piece of the pattern's format: literal text ending in at most one
// conversion, kept apart so that user text never reaches printf as a
// format.
struct PatternPiece
{
    std::string text;       // the piece as written
    std::string literal;    // text before the conversion
    bool hasConversion = false;
    bool plain = false;     // '*', "n$" or an oversized number: plain value
    std::string flags;
    std::string width;
    std::string precision; // with its '.'
    std::string length;
    char conversion = 0;
};

const char* const kConversions = "CEGSXcdefginopsux";
const size_t kMaxFieldWidth = 1023;

bool isConversion(char c)
{
    return c && std::strchr(kConversions, c) != nullptr;
}

// Reads digits or '*' at p; sets plain for '*' or a number that is too big.
size_t readCount(const std::string& text, size_t p, std::string& out, bool& plain)
{
    if (p < text.size() && text[p] == '*') {
        plain = true;
        ++p;
        while (p < text.size() && std::isdigit(static_cast<unsigned char>(text[p])))
            ++p;
        if (p < text.size() && text[p] == '$')
            ++p;
        return p;
    }
    size_t begin = p;
    while (p < text.size() && std::isdigit(static_cast<unsigned char>(text[p])))
        ++p;
    out = text.substr(begin, p - begin);
    if (out.size() > 4 || (!out.empty() && std::strtoul(out.c_str(), nullptr, 10) > kMaxFieldWidth))
        plain = true;
    return p;
}

// Parses the conversion that begins at the '%' at start. Returns the index
// after it, or npos when no known conversion follows.
size_t parseConversion(const std::string& text, size_t start, PatternPiece& piece)
{
    size_t p = start + 1;
    // "n$" argument positions
    size_t digits = p;
    while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits])))
        ++digits;
    if (digits > p && digits < text.size() && text[digits] == '$') {
        piece.plain = true;
        p = digits + 1;
    }
    while (p < text.size() && text[p] && std::strchr("-+ #0'", text[p])) {
        piece.flags += text[p];
        ++p;
    }
    p = readCount(text, p, piece.width, piece.plain);
    if (p < text.size() && text[p] == '.') {
        std::string count;
        p = readCount(text, p + 1, count, piece.plain);
        piece.precision = "." + count;
    }
    static const char* const lengths[] = {"hh", "ll", "h", "l", "L", "q", "j", "z", "t"};
    for (const char* length : lengths) {
        size_t n = std::strlen(length);
        if (text.compare(p, n, length) == 0) {
            piece.length = length;
            p += n;
            break;
        }
    }
    if (p >= text.size() || !isConversion(text[p]))
        return std::string::npos;
    piece.conversion = text[p];
    return p + 1;
}

std::vector<PatternPiece> splitPieces(const std::string& format)
{
    std::vector<PatternPiece> pieces;
    size_t begin = 0;
    size_t p = 0;
    while (p < format.size()) {
        if (format[p] != '%') {
            ++p;
            continue;
        }
        if (p + 1 < format.size() && format[p + 1] == '%') {
            p += 2;
            continue;
        }
        PatternPiece piece;
        size_t end = parseConversion(format, p, piece);
        if (end == std::string::npos) {
            // Not a conversion: the '%' stays literal text.
            ++p;
            continue;
        }
        piece.text = format.substr(begin, end - begin);
        piece.literal = format.substr(begin, p - begin);
        piece.hasConversion = true;
        pieces.push_back(std::move(piece));
        begin = p = end;
    }
    if (begin < format.size()) {
        PatternPiece piece;
        piece.text = format.substr(begin);
        piece.literal = piece.text;
        pieces.push_back(std::move(piece));
    }
    return pieces;
}

// Literal text as printf would print it: "%%" is one '%'.
std::string unescaped(const std::string& literal)
{
    std::string out;
    for (size_t i = 0; i < literal.size(); ++i) {
        out += literal[i];
        if (literal[i] == '%' && i + 1 < literal.size() && literal[i + 1] == '%')
            ++i;
    }
    return out;
}

template <typename T>
std::string printValue(const std::string& format, T value)
{
    int n = std::snprintf(nullptr, 0, format.c_str(), value);
    if (n <= 0)
        return std::string();
    std::vector<char> buffer(static_cast<size_t>(n) + 1);
    std::snprintf(buffer.data(), buffer.size(), format.c_str(), value);
    return std::string(buffer.data(), static_cast<size_t>(n));
}

// A number with the piece's own conversion, the argument typed by its
// length modifier.
std::string formatNumber(const PatternPiece& piece, long value)
{
    std::string format = "%" + piece.flags + piece.width + piece.precision;
    const bool isSigned = piece.conversion == 'd' || piece.conversion == 'i';
    const std::string& length = piece.length;
    std::string text;
    if (length.empty() || length == "h" || length == "hh") {
        format += length + piece.conversion;
        text = isSigned ? printValue(format, static_cast<int>(value))
                        : printValue(format, static_cast<unsigned int>(value));
    } else if (length == "l") {
        format += std::string("l") + piece.conversion;
        text = isSigned ? printValue(format, value) : printValue(format, static_cast<unsigned long>(value));
    } else if (length == "j") {
        format += std::string("j") + piece.conversion;
        text = isSigned ? printValue(format, static_cast<intmax_t>(value))
                        : printValue(format, static_cast<uintmax_t>(value));
    } else if (length == "z") {
        format += std::string("z") + piece.conversion;
        text = isSigned ? printValue(format, static_cast<ssize_t>(value)) : printValue(format, static_cast<size_t>(value));
    } else if (length == "t") {
        format += std::string("t") + piece.conversion;
        text = isSigned ? printValue(format, static_cast<ptrdiff_t>(value))
                        : printValue(format, static_cast<size_t>(value));
    } else {
        // ll, q and L
        format += std::string("ll") + piece.conversion;
        text = isSigned ? printValue(format, static_cast<long long>(value))
                        : printValue(format, static_cast<unsigned long long>(value));
    }
    return unescaped(piece.literal) + text;
}

// A text with the piece's width, precision and '-' flag; length modifiers
// are dropped so that the argument is always a narrow string.
std::string formatString(const PatternPiece& piece, const char* value)
{
    std::string format = "%";
    if (piece.flags.find('-') != std::string::npos)
        format += '-';
    format += piece.width + piece.precision + "s";
    return unescaped(piece.literal) + printValue(format, value ? value : "");
}

bool endsInInteger(const PatternPiece& piece)
{
    return piece.hasConversion && !piece.plain && std::strchr("Xdioux", piece.conversion);
}

bool endsInString(const PatternPiece& piece)
{
    return piece.hasConversion && !piece.plain && (piece.conversion == 's' || piece.conversion == 'S');
}

std::string localTime(const char* format)
{
    std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    char buffer[512];
    size_t n = std::strftime(buffer, sizeof buffer, (format && *format) ? format : "%y%m%d%H%M%S", &local);
    return std::string(buffer, n);
}

// The stored piece texts parsed again; each holds at most one conversion.
std::vector<PatternPiece> reparsePieces(const std::vector<std::string>& texts)
{
    std::vector<PatternPiece> out;
    for (const std::string& text : texts) {
        std::vector<PatternPiece> one = splitPieces(text);
        if (one.empty()) {
            PatternPiece piece;
            piece.text = piece.literal = text;
            out.push_back(std::move(piece));
        } else {
            out.push_back(std::move(one.front()));
        }
    }
    return out;
}

} // namespace

void qelIni::clearPattern()
{
    m_patternParsed = false;
    m_patternPieces.clear();
    m_patternFields.clear();
}

bool qelIni::parsePattern()
{
    if (m_patternParsed)
        return true;
    clearPattern();
    if (!m_filenamePattern || !*m_filenamePattern)
        return false;
    std::string pattern(m_filenamePattern);
    size_t comma = pattern.find(',');
    std::string format = pattern.substr(0, comma);
    if (format.empty() || comma == std::string::npos)
        return false;
    // The format part is written in double quotes.
    if (format.front() == '"')
        format.erase(0, 1);
    if (!format.empty() && format.back() == '"')
        format.pop_back();
    if (format.empty())
        return false;
    std::string fields = pattern.substr(comma + 1);
    if (trimmed(fields.c_str()).empty())
        return false;

    for (const PatternPiece& piece : splitPieces(format))
        m_patternPieces.push_back(piece.text);
    size_t begin = 0;
    while (true) {
        size_t next = fields.find(',', begin);
        m_patternFields.push_back(trimmed(fields.substr(begin, next - begin).c_str()));
        if (next == std::string::npos)
            break;
        begin = next + 1;
    }
    m_patternParsed = true;
    return true;
}

char* qelIni::formatIndexId(long pageId, long documentId, const char* processId, const char* spoolName)
{
    try {
        if (!parsePattern())
            return nullptr;
        const std::vector<PatternPiece> pieces = reparsePieces(m_patternPieces);
        std::string name;
        for (size_t i = 0; i < pieces.size(); ++i) {
            const PatternPiece& piece = pieces[i];
            if (i >= m_patternFields.size()) {
                name += piece.text;
                continue;
            }
            const std::string& field = m_patternFields[i];
            const bool isPage = strcasecmp(field.c_str(), "PAGEID") == 0;
            if (isPage || strcasecmp(field.c_str(), "DOCID") == 0) {
                const long value = isPage ? pageId : documentId;
                name += endsInInteger(piece) ? formatNumber(piece, value) : printValue("%ld", value);
                continue;
            }
            std::string text;
            if (strcasecmp(field.c_str(), "PID") == 0)
                text = processId ? processId : "";
            else if (strcasecmp(field.c_str(), "SPOOLNAME") == 0)
                text = spoolName ? spoolName : "";
            else if (strcasecmp(field.c_str(), "TIMESTAMP") == 0)
                text = localTime(nullptr);
            else if (strncasecmp(field.c_str(), "TIMESTAMP:", 10) == 0)
                text = localTime(field.c_str() + 10);
            else
                continue;
            name += endsInString(piece) ? formatString(piece, text.c_str()) : text;
        }
        return copyText(name.c_str());
    } catch (const std::bad_alloc&) {
        throw "Unable to allocate string at extractString";
    }
}
