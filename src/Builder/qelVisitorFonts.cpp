// Text font helpers of the visitor base: the external font file search, the
// loading of a found file, the code point usage record of a text, the raster
// rendering decision, the font mapping cache, text measuring and the
// visibility of a text.
#include "qelVisitor.h"

#include "qelAFPFont.h"
#include "qelCodePage.h"
#include "qelException.h"
#include "qelFileSystem.h"
#include "qelFontRepresentation.h"
#include "qelGlobalDSPool.h"
#include "qelGlobalRes.h"
#include "qelIPSFontRepresentation.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelMFMFile.h"
#include "qelMappedRes.h"
#include "qelMappingDef.h"
#include "qelMessageOutput.h"
#include "qelNamePair.h"
#include "qelPageCoordinateTransformer.h"
#include "qelPhysicalFont.h"
#include "qelString.h"
#include "qelTTFParser.h"
#include "qelTextObject.h"
#include "qelType1PFMParser.h"

#include <cctype>
#include <cstring>
#include <memory>
#include <string>
#include <strings.h>
#include <vector>

namespace
{
const int kPathSize = 512;

void setPath(char* buffer, const std::string& path)
{
    if (!buffer)
        return;
    std::strncpy(buffer, path.c_str(), kPathSize - 1);
    buffer[kPathSize - 1] = '\0';
}

void clearPaths(char* metricsPath, char* fontPath)
{
    if (metricsPath)
        metricsPath[0] = '\0';
    if (fontPath)
        fontPath[0] = '\0';
}

std::string trimmed(const char* text)
{
    std::string s(text);
    size_t b = 0;
    while (b < s.size() && (s[b] == ' ' || std::iscntrl(static_cast<unsigned char>(s[b]))))
        ++b;
    size_t e = s.size();
    while (e > b && (s[e - 1] == ' ' || std::iscntrl(static_cast<unsigned char>(s[e - 1]))))
        --e;
    return s.substr(b, e - b);
}

// File name after the last '/' without the part from the last '.'.
std::string baseName(const std::string& path)
{
    const size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

bool logs(const qelLogStream* log, unsigned bits)
{
    return log && log->anyOf(bits);
}

bool logsAll(const qelLogStream* log)
{
    return log && log->isExactly(QEL_LOG_ALL);
}

bool isIPS(const qelAFPFont* font)
{
    const qelFontRepresentation* rep = font ? font->getRepresentation() : nullptr;
    return rep && (rep->getType() == qelFontRepresentation::TYPE_AFP || rep->getType() == qelFontRepresentation::TYPE_PDF);
}
}

int findFontFileInDirectory(const char* directory, const char* name, const char* suffix, char* metricsPath,
                            char* fontPath, bool needMetrics, bool needProgram, int* type,
                            const char* characterSetName, qelLogStream* log)
{
    if (!name)
        return -1;
    const std::string tf = trimmed(name);
    const std::string shown = tf + (suffix ? suffix : "") + ".*";
    const std::string dir = directory ? directory : "";
    const std::string pattern = dir + shown;
    const std::string prefix = characterSetName ? std::string("CS=") + characterSetName + " " : std::string();

    std::vector<qelFileSystem::Entry> entries;
    qelFileSystem::findFiles(pattern.c_str(), entries);
    std::vector<std::string> files;
    for (const qelFileSystem::Entry& e : entries)
        if (!e.directory)
            files.push_back(e.name);
    if (files.empty()) {
        if (logsAll(log))
            log->print("\n==>%sTF=%s Warning! No File found matching \"%s\" in dir \"%s\".", prefix.c_str(),
                       tf.c_str(), shown.c_str(), dir.c_str());
        clearPaths(metricsPath, fontPath);
        return -1;
    }

    std::string metricsFile;
    std::string programFile;
    for (const std::string& file : files) {
        const std::string path = dir + file;
        int fileType = 0;
        const int rc = qelFontRepresentation::detectFontType(path.c_str(), &fileType);
        if (rc != 0 || fileType == qelFontRepresentation::TYPE_AFP_CODEPAGE) {
            if (logs(log, 0x10)) {
                if (rc == -2)
                    log->print("\n==>%sTF=%s Warning! Font File Name=\"%s\". File Size is zero.", prefix.c_str(),
                               tf.c_str(), path.c_str());
                else if (rc == -1)
                    log->print("\n==>%sTF=%s Warning! Font File Name=\"%s\". Unexpected EOF.", prefix.c_str(),
                               tf.c_str(), path.c_str());
                else if (rc != 0)
                    log->print("\n==>%sTF=%s Warning! Font File Name=\"%s\". Error: %s", prefix.c_str(), tf.c_str(),
                               path.c_str(), std::strerror(rc));
                else
                    log->print("\n==>%sTF=%s Warning! Font File Name=\"%s\". It is not a font file or unhandled font "
                               "type",
                               prefix.c_str(), tf.c_str(), path.c_str());
            }
            continue;
        }
        if (logsAll(log))
            log->print("\n==>%sTF=%s Font File Found=\"%s\". Font type=%s.", prefix.c_str(), tf.c_str(),
                       path.c_str(), qelFontRepresentation::fontTypeName(fileType));
        if (type)
            *type = fileType;
        const bool metrics = fileType == qelFontRepresentation::TYPE_PFM;
        const bool program = fileType == qelFontRepresentation::TYPE_PFB;
        if (!metrics && !program) {
            setPath(metricsPath, path);
            setPath(fontPath, path);
            return 1;
        }
        if (needMetrics && needProgram) {
            (metrics ? metricsFile : programFile) = path;
            if (!metricsFile.empty() && !programFile.empty()
                && strcasecmp(baseName(metricsFile).c_str(), baseName(programFile).c_str()) == 0) {
                setPath(metricsPath, metricsFile);
                setPath(fontPath, programFile);
                return 1;
            }
            continue;
        }
        if ((needMetrics && metrics) || (needProgram && !needMetrics && program)) {
            setPath(metricsPath, path);
            setPath(fontPath, path);
            return 1;
        }
    }
    clearPaths(metricsPath, fontPath);
    return -1;
}

int findFontFileWithSuffixes(const char* directory, const char* name, const qelList* suffixes, char* metricsPath,
                             char* fontPath, bool needMetrics, bool needProgram, int* type,
                             const char* characterSetName, qelLogStream* log)
{
    if (!suffixes)
        return findFontFileInDirectory(directory, name, nullptr, metricsPath, fontPath, needMetrics, needProgram, type,
                                       characterSetName, log);
    int result = -1;
    for (const qelListNode* n = suffixes->getHead(); n && result == -1; n = n->next)
        result = findFontFileInDirectory(directory, name, static_cast<const char*>(n->item), metricsPath, fontPath,
                                         needMetrics, needProgram, type, characterSetName, log);
    return result;
}

namespace
{
const qelList* suffixList(bool bold, bool italic)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    const qelMappingDef* md = pool ? pool->getMappingDef() : nullptr;
    if (!md)
        return nullptr;
    if (bold && italic)
        return md->getBoldItalicSuffixes();
    if (bold)
        return md->getBoldSuffixes();
    if (italic)
        return md->getItalicSuffixes();
    return nullptr;
}

const qelNamePair* aliasAt(const qelListNode* n)
{
    return n ? static_cast<const qelNamePair*>(n->item) : nullptr;
}
}

int qelVisitor::findExternalFontFile(qelAFPFont* font, const char* name, bool bold, bool italic, const qelList* aliases,
                                     char* metricsPath, char* fontPath, bool needProgram, int* type, bool skipName)
{
    if (!fontPath)
        return -1;
    const char* directory = m_options ? m_options->getExtFontPath() : nullptr;
    const qelList* suffixes = suffixList(bold, italic);
    if ((!name || !*name) && font)
        name = font->getFontName();

    if (m_options && m_options->isQELNOP()) {
        // Metrics and program found under the names of alias pairs.
        if (!font || !metricsPath)
            return -1;
        const char* cs = font->getCharacterSetName();
        const bool hashName = name && std::strlen(name) == 33 && (name[0] == 'P' || name[0] == 'p')
                              && !std::strchr(name, ' ');
        const qelList* list = hashName ? nullptr : suffixes;
        auto pairSearch = [&](const char* metricsName, const char* programName) {
            if (!needProgram)
                return findFontFileWithSuffixes(directory, metricsName, list, metricsPath, fontPath, true, false, type,
                                                cs, m_log);
            if (!programName)
                return findFontFileWithSuffixes(directory, metricsName, list, metricsPath, fontPath, true, true, type,
                                                cs, m_log);
            char metrics[kPathSize];
            char unused[kPathSize];
            int r = findFontFileWithSuffixes(directory, metricsName, list, metrics, unused, true, false, type, cs,
                                             m_log);
            if (r != 1)
                return r;
            r = findFontFileWithSuffixes(directory, programName, list, unused, fontPath, false, true, type, cs, m_log);
            if (r == 1)
                setPath(metricsPath, metrics);
            return r;
        };
        const qelNamePair* first = aliasAt(aliases ? aliases->getHead() : nullptr);
        int result = pairSearch(name, first ? first->second : nullptr);
        if (result == 1)
            return 1;
        for (const qelListNode* n = aliases ? aliases->getHead() : nullptr; n; n = n->next) {
            const qelNamePair* pair = aliasAt(n);
            if (!pair || !pair->first)
                continue;
            result = pairSearch(pair->first, pair->second);
            if (result == 1)
                return 1;
        }
        return result;
    }

    const char* cs = isIPS(font) ? font->getCharacterSetName() : nullptr;
    int result = -1;
    if (!skipName) {
        result = findFontFileWithSuffixes(directory, name, suffixes, metricsPath, fontPath, true, needProgram, type, cs,
                                          m_log);
        if (result == 1)
            return 1;
    }
    for (const qelListNode* n = aliases ? aliases->getHead() : nullptr; n && result != 1; n = n->next) {
        const qelNamePair* pair = aliasAt(n);
        if (!pair || !pair->first)
            continue;
        result = findFontFileWithSuffixes(directory, pair->first, suffixes, metricsPath, fontPath, true, needProgram,
                                          type, cs, m_log);
    }
    return result;
}

qelFontRepresentation* qelVisitor::loadExternalFont(const char* fileName, int type, bool convert)
{
    std::unique_ptr<qelFontParser> parser;
    switch (type) {
    case 1: // the metrics file as callers name it
    case qelFontRepresentation::TYPE_PFM:
        parser.reset(new qelType1PFMParser());
        break;
    case qelFontRepresentation::TYPE_TRUETYPE:
    case qelFontRepresentation::TYPE_OPENTYPE:
        parser.reset(new qelTTFParser());
        break;
    default:
        return nullptr;
    }
    parser->setResourceName(fileName);
    parser->setQuietMode(m_options && m_options->isQuietMode());
    parser->setLogger(m_log);
    parser->setConvert(convert);
    try {
        return parser->parse(fileName);
    } catch (qelException* e) {
        // A damaged font file is logged; the caller goes on without it.
        if (m_log && m_log->anyOf(QEL_LOG_LEVEL2))
            m_log->printLine("Warning! Font file %s not loaded: %s", fileName ? fileName : "(null)",
                             e->getMessage() ? e->getMessage() : "");
        delete e;
    }
    return nullptr;
}

void qelVisitor::prepareTextFont(qelTextObject* text, qelAFPFont* font)
{
    if (!text || !font)
        return;
    font->checkRepresentation();
    if (isIPS(font) && font->isOutlineFont()) {
        if (text->getFontHeight() != 0)
            font->setHeight(text->getFontHeight());
        if (text->getFontWidth() != 0)
            font->setWidth(text->getFontWidth());
    }
    font->setCharacterRotation(text->getCharacterRotation());
}

qelPDFFontFileEntry* qelVisitor::resolveCodePage(qelTextObject* text, qelAFPFont* font, bool required)
{
    if (!text || !font)
        return nullptr;
    qelCodePage* codePage = nullptr;
    const qelMappedRes* mapping = text->getFontMapping();
    if (font->getKind() == qelAFPFont::KIND_TYPE3 || font->getScriptCreated())
        codePage = font->getCodePage();
    else if (mapping && mapping->getCodePage())
        codePage = mapping->getCodePage();
    else {
        const qelFontRepresentation* rep = font->getRepresentation();
        const qelPhysicalFont* physical =
            rep ? font->findPhysicalFont(static_cast<float>(rep->getHeight())) : nullptr;
        codePage = physical ? physical->codePage : nullptr;
    }
    const char* key = (font->getCharacterSetFound() && codePage && codePage->getName()) ? codePage->getName()
                                                                                        : "ALLCDEPG";
    qelPDFFontFileEntry* record = font->findCodePointUsage(key);
    if (record || !required)
        return record;
    const char* cs = font->getCharacterSetName();
    throw new qelException(__FILE__, __LINE__, qelMsg::E095, 0, 1, cs ? cs : "(null)", key);
}

bool qelVisitor::isTextEmpty(qelTextObject* text, const char* data, int length)
{
    if (!text)
        return true;
    if (data && length > 0)
        return false;
    if (m_log && m_log->anyOf(QEL_LOG_FONT))
        m_log->print("\n\n  @(%.2f,%.2f)>< (%s)\n", text->getX(), text->getY(),
                     data ? "Text is empty" : "Text is null");
    return true;
}

int qelVisitor::getTextVisibility(qelTextObject* text)
{
    if (!text)
        return 0;
    const bool removed = text->getRemoved() != 0;
    const bool suppressed = text->getSuppressed() != 0;
    if (removed)
        return suppressed ? -3 : -2;
    return suppressed ? -1 : 1;
}


float computeTextAdvances(const unsigned char* bytes, int n, const uint16_t* widths, float spaceIncrement,
                          float characterSpacing, float factor, float* advances)
{
    if (!bytes || !widths || !advances || n < 1)
        return 0;
    float total = 0;
    for (int i = 0; i < n; ++i) {
        const unsigned char b = bytes[i];
        float w;
        if (b == 0x40 && spaceIncrement != 0) {
            w = spaceIncrement;
        } else {
            w = widths[b] * factor;
            if (w == 0)
                w = widths[0x40] * factor;
            w += characterSpacing;
        }
        advances[i] = w;
        total += w;
    }
    advances[n - 1] -= characterSpacing;
    return total - characterSpacing;
}

namespace
{
const char* orNull(const char* text)
{
    return text ? text : "(null)";
}

qelAFPFont* fontResource(const char* name)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelGlobalRes* res = pool ? pool->getGlobalRes() : nullptr;
    return res && name ? dynamic_cast<qelAFPFont*>(res->findResource(name, qelRes::TYPE_FONT)) : nullptr;
}

// The font a script created under a character set name: process level
// first, then the run.
qelAFPFont* scriptFont(const char* name)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelGlobalRes* res = pool ? pool->getGlobalRes() : nullptr;
    if (!res || !name)
        return nullptr;
    if (auto* font = dynamic_cast<qelAFPFont*>(res->findProcessScriptFont(name, qelRes::TYPE_FONT)))
        return font;
    return dynamic_cast<qelAFPFont*>(res->findScriptFont(name, qelRes::TYPE_FONT));
}

bool isDefault(const char* name)
{
    return name && qelString::compare(name, "DEFAULT", true, 0);
}

uint16_t headerWord(const uint8_t* header, int offset)
{
    return static_cast<uint16_t>(header[offset] | (header[offset + 1] << 8));
}
}

bool qelVisitor::resolveTextFont(qelTextObject* text, qelAFPFont* font)
{
    if (!font)
        return false;
    const qelIPSFontRepresentation* ips = font->getIPSRepresentation();
    const char* csName = ips ? ips->getCharacterSetName() : nullptr;
    const char* cfName = font->getCodedFontName();
    bool codedFound = false;
    qelAFPFont* used = font;
    if (cfName) {
        codedFound = font->getCodedFontFound();
        used = font->getScriptCreated() ? scriptFont(csName) : fontResource(csName);
        if (!used)
            return false;
    }
    if (ips && isDefault(csName))
        return false;

    const qelPDFFontFileEntry* record = resolveCodePage(text, used, true);
    const int kind = record ? record->pdfFontKind : 0;
    switch (kind) {
    case 0:
        break;
    case 4:
    case 5:
    case 6: // the record keeps no second flag: it counts as clear
        return true;
    default:
        return false;
    }

    const qelMappedRes* mapping = text ? text->getFontMapping() : nullptr;
    const char* cpName = nullptr;
    const qelCodePage* codePage = nullptr;
    if (mapping) {
        codePage = mapping->getCodePage();
        cpName = mapping->getCodePageName() ? mapping->getCodePageName() : codePage ? codePage->getName() : nullptr;
    } else if (font->getScriptCreated()) {
        cpName = font->getCodePageName();
        codePage = font->getCodePage();
    } else {
        cpName = m_options ? m_options->getCodePage() : nullptr;
    }
    const bool csFound = used->getCharacterSetFound();
    const bool rasterPossible = csFound && codePage && (codedFound || !cfName);
    if (font->getScriptCreated() && !cfName && !font->getCharacterSetName() && !font->getCodePageName())
        return false;

    const bool logFonts = logs(m_log, 0x10);
    const std::string prefix = cfName ? std::string("CF=") + cfName + ", " : std::string();
    const char* shown = text ? orNull(text->getText()) : "(null)";
    std::string reason;
    if (rasterPossible) {
        const qelFontRepresentation* rep = used->getRepresentation();
        if (!rep || rep->getType() != qelFontRepresentation::TYPE_AFP)
            return false;
        const int technology = static_cast<const qelIPSFontRepresentation*>(rep)->getPatternTechnology();
        if (technology == qelIPSFontRepresentation::TECH_TYPE1_OUTLINE && rep->getFontDataLength() <= 0) {
            if (logFonts)
                m_log->print("\n==>%sCS=%s, CP=%s, Text=>%s< Warning! Rasterization not done. Outline Font Data not "
                             "found.",
                             prefix.c_str(), orNull(csName), orNull(cpName), shown);
            return false;
        }
        if (technology != qelIPSFontRepresentation::TECH_TYPE1_OUTLINE
            && technology != qelIPSFontRepresentation::TECH_RASTER) {
            if (logFonts)
                m_log->print("\n==>%sCS=%s, CP=%s, Text=>%s< Warning! Rasterization not done. Font is not a Raster "
                             "font.",
                             prefix.c_str(), orNull(csName), orNull(cpName), shown);
            return false;
        }
        const bool empty = !text || !text->getText() || !*text->getText();
        if (empty || (record && record->usedCount > 0))
            return true;
        reason = "GCCID information for characters not available.";
    }
    if (!logFonts)
        return false;
    if (reason.empty()) {
        char buffer[600];
        if (cfName && !codedFound)
            std::snprintf(buffer, sizeof buffer, "Coded Font %s not found.", cfName);
        else if (!csFound)
            std::snprintf(buffer, sizeof buffer, "Character Set %s not found.", orNull(csName));
        else
            std::snprintf(buffer, sizeof buffer, "Code page %s not found.", orNull(cpName));
        reason = buffer;
    }
    m_log->print("\n==>%sCS=%s, CP=%s, Text=>%s< Warning! Rasterization not done, font is subsituted. %s",
                 prefix.c_str(), orNull(csName), orNull(cpName), shown, reason.c_str());
    return false;
}

void qelVisitor::mapTextFont(qelAFPFont* font, qelMappedRes* entry)
{
    if (!m_options || !m_options->isFontMetric() || !font || !entry)
        return;
    const qelIPSFontRepresentation* ips = font->getIPSRepresentation();
    if (!ips || !ips->getCharacterSetName())
        return;
    if (font->getCodedFontName()) {
        font = fontResource(ips->getCharacterSetName());
        if (!font)
            return;
    }
    const char* csName = font->getCharacterSetName();
    const qelCodePage* codePage = entry->getCodePage();
    if (!codePage)
        return;
    const char* cpName = entry->getCodePageName() ? entry->getCodePageName() : codePage->getName();
    if (!csName || isDefault(csName) || isDefault(entry->getName()))
        return;

    const qelMFMFile* cached = getMappedFontRecord();
    if (cached && m_fontMapGlyphTable && cpName && cached->getName()
        && trimmed(cached->getName()) == trimmed(csName)) {
        const int size = cached->getNameSize();
        const char* current = static_cast<const char*>(m_fontMapGlyphTable) + static_cast<size_t>(m_fontMapIndex) * size;
        if (size > 0 && m_fontMapIndex >= 0 && m_fontMapIndex < cached->getEntryCount()
            && qelString::compare(std::string(current, strnlen(current, size)).c_str(), cpName, true, 0))
            return;
    }
    qelMFMFile* record = font->getMetricsRecord();
    if (!record)
        return;
    m_fontMapRecord = record;
    m_fontMapGlyphTable = record->getCodePageNames();
    m_fontMapIndex = 0;
    const int size = record->getNameSize();
    const char* names = record->getCodePageNames();
    for (int i = 0; names && cpName && size > 0 && i < record->getEntryCount(); ++i) {
        const char* name = names + static_cast<size_t>(i) * size;
        if (qelString::compare(std::string(name, strnlen(name, size)).c_str(), cpName, true, 0)) {
            m_fontMapIndex = i;
            break;
        }
    }
}

float qelVisitor::computeTextExtent(qelTextObject* text, const uint16_t* widths, const qelMFMFile* metrics,
                                    float** widthsOut, float scale)
{
    if (!widths || !metrics || !m_options || !m_options->isFontMetric() || !text)
        return -1.0f;
    const unsigned char* bytes = text->getCodePointText();
    int n = bytes ? text->getTextLength() : 0;
    if (!bytes && text->getText()) {
        bytes = reinterpret_cast<const unsigned char*>(text->getText());
        n = static_cast<int>(std::strlen(text->getText()));
    }
    if (!bytes || n < 1)
        return -1.0f;

    const float resolution = m_transformer && m_transformer->getResolution() ? m_transformer->getResolution() : 240.0f;
    const float g = resolution / (text->getResolution() ? text->getResolution() : 240);
    auto spacing = [g](float v) { return v == 65535.0f || v < 0 ? 0.0f : v * g; };
    const float s = spacing(text->getWordSpacing());
    const float c = spacing(text->getCharacterSpacing());

    const uint8_t* header = metrics->getHeader();
    float metricsResolution = header ? headerWord(header, 304) : 0;
    if (metricsResolution == 0)
        metricsResolution = 240;
    float f = resolution / metricsResolution;
    if (header && header[300]) {
        const float size = text->getFontHeight() != 0 ? text->getFontHeight() / 10.0f : headerWord(header, 302) / 10.0f;
        f = size * metricsResolution / 72000.0f * f;
    }
    if (scale > 0)
        f *= scale;

    float* advances = new float[static_cast<size_t>(n)];
    const float total = computeTextAdvances(bytes, n, widths, s, c, f, advances);
    if (widthsOut)
        *widthsOut = advances;
    else
        delete[] advances;
    return total;
}
