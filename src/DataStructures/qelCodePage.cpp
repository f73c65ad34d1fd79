#include "qelCodePage.h"

#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelMappingDef.h"
#include "qelMessageOutput.h"
#include "qelNamePair.h"
#include "qelPoolAccess.h"
#include "qelString.h"
#include "qelUtils.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <string>
#include <strings.h>
#include <vector>

namespace
{
// Code page files are read in pieces of at most 127 characters.
const int kPieceSize = 128;
const int kMaxCodePoints = 0x10000;

using qelPoolAccess::options;

qelLogStream* logFor(unsigned int bits)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    return (log && log->anyOf(bits)) ? log : nullptr;
}

qelLogStream* logForExactly(unsigned int mask)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    return (log && log->isExactly(mask)) ? log : nullptr;
}

using qelPoolAccess::quiet;

unsigned char fillChar()
{
    qelIni* ini = options();
    return ini ? ini->getCodePageDefaultChar() : 0x20;
}

// The mapping definition of the pool when it has been loaded.
qelMappingDef* loadedMappingDef()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelMappingDef* md = pool ? pool->getMappingDef() : nullptr;
    return md && md->isLoaded() ? md : nullptr;
}

bool hasCodePageEntries(const qelMappingDef* md)
{
    return md && md->getCodePageList() && md->getCodePageList()->getCount() > 0;
}

bool equalsNoCase(const char* a, const char* b)
{
    return a && b && strcasecmp(a, b) == 0;
}

std::string trimmed(const std::string& s)
{
    const char* blanks = " \t\n\v\f\r";
    size_t b = s.find_first_not_of(blanks);
    if (b == std::string::npos)
        return std::string();
    return s.substr(b, s.find_last_not_of(blanks) - b + 1);
}

std::string joinPath(const char* directory, const std::string& name)
{
    std::string path = directory ? directory : "";
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path + name;
}

// The file of a name in a directory: the exact name first, then a name that
// differs only in case.
bool findInDirectory(const char* directory, const std::string& name, std::string& onDisk)
{
    if (name.empty())
        return false;
    std::string path = joinPath(directory, name);
    if (qelUtils::isRegularFile(path.c_str())) {
        onDisk = name;
        return true;
    }
    if (name.find_first_of("*?/\\") != std::string::npos)
        return false;
    std::unique_ptr<char[]> found(qelUtils::findFirstFile(path.c_str()));
    if (!found || !qelUtils::isRegularFile(found.get()))
        return false;
    const char* slash = std::strrchr(found.get(), '/');
    onDisk = slash ? slash + 1 : found.get();
    return true;
}

FILE* openIn(const char* directory, const std::string& name)
{
    return qelUtils::openFile(joinPath(directory, name).c_str(), 'r');
}

// Reads the files' lines: pieces of at most 127 characters, ';' in the first
// column a comment, then trimmed; empty lines skipped. False at the end.
class LineReader
{
public:
    explicit LineReader(FILE* file) : m_file(file) {}
    bool next(std::string& line)
    {
        char piece[kPieceSize];
        while (std::fgets(piece, sizeof piece, m_file)) {
            if (piece[0] == ';')
                continue;
            line = trimmed(piece);
            if (!line.empty())
                return true;
        }
        return false;
    }
    bool failed() const { return std::ferror(m_file) != 0; }

private:
    FILE* m_file;
};

// Fields separated by blanks (tabs belong to fields); a field beginning with
// ';' ends the line.
std::vector<std::string> splitFields(const std::string& line)
{
    std::vector<std::string> fields;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ')
            ++i;
        if (i >= line.size() || line[i] == ';')
            break;
        size_t end = line.find(' ', i);
        if (end == std::string::npos)
            end = line.size();
        fields.push_back(line.substr(i, end - i));
        i = end;
    }
    return fields;
}

int unicodeOf(const std::string& field)
{
    if (field.empty() || field.size() > 4)
        return -1;
    for (char c : field)
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return -1;
    return qelUtils::hexToInt(field.c_str());
}

int valueOf(const std::string& field)
{
    return strcasecmp(field.c_str(), "nomatch") == 0 ? 0 : qelUtils::hexToInt(field.c_str());
}

void takeUnicode(const char* fileName, const char* line, const std::string& field, int& unicode)
{
    const int u = unicodeOf(field);
    if (u >= 0) {
        unicode = u;
        return;
    }
    if (qelLogStream* log = logFor(QEL_LOG_LEVEL2))
        log->printLine("Warning! %s: No matching unicode entry: %s", fileName ? fileName : "(null)", line);
}

// Raises and catches E068: the exception reports itself.
void reportReadError()
{
    delete new qelException(__FILE__, __LINE__, qelMsg::E068, 0, true);
}

void say(const char* format, ...) __attribute__((format(printf, 1, 2)));
void say(const char* format, ...)
{
    if (quiet())
        return;
    va_list args;
    va_start(args, format);
    qelMessageOutput::vprintf(format, args);
    va_end(args);
}

char* newText(const std::string& s)
{
    char* t = new char[s.size() + 1];
    std::memcpy(t, s.c_str(), s.size() + 1);
    return t;
}

int bucketOf(const char* name)
{
    const unsigned char c = name ? static_cast<unsigned char>(name[0]) : 0;
    if (c >= 'a' && c <= 'z')
        return c - 'a';
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    return 26;
}

uint16_t countOf(int n)
{
    return n < 0 ? 0 : static_cast<uint16_t>(n);
}

} // namespace

qelCodePageChar::~qelCodePageChar()
{
    delete[] name;
    delete[] glyphName;
}

// ---------------------------------------------------------------- creation

qelCodePage::qelCodePage() : m_encoding("ANSI")
{
    setType(TYPE_CODE_PAGE);
}

qelCodePage::qelCodePage(const char* name, const char* directory) : m_directory(directory ? directory : ""), m_encoding("ANSI")
{
    setType(TYPE_CODE_PAGE);
    // Coded font names stand for the code page of their mapping entry; every
    // other name (DEFAULT, T..., encoding names) is the code page name.
    if (name && (name[0] == 'X' || name[0] == 'x') && !equalsNoCase(name, "DEFAULT"))
        setNameFromCodedFont(name);
    else if (!getName())
        setName(name);
}

qelCodePage::~qelCodePage()
{
    for (qelCodePageChar**& page : m_unicodePages) {
        delete[] page;
        page = nullptr;
    }
    for (qelList*& list : m_glyphIndex)
        qelList::destroy(list);
    freeEntries();
    delete[] m_values;
    delete m_defaultEntry;
}

void qelCodePage::setNameFromCodedFont(const char* codedFontName)
{
    qelMappingDef* md = loadedMappingDef();
    if (!md) {
        setName("DEFAULT");
        return;
    }
    const qelXFontEntry* entry = md->findXFont(codedFontName, true);
    setName(entry ? entry->codePageName : "");
}

const char* qelCodePage::getOriginLabel(int origin)
{
    static const char* const labels[] = {"PG-DEF", "NC", "MD", "CP-DSC", "MD-DEF", "INI", "HC"};
    return origin >= 0 && origin <= 6 ? labels[origin] : "";
}

const char* qelCodePage::nameOrNull() const
{
    return getName() ? getName() : "NULL";
}

const char* qelCodePage::fileOrNull() const
{
    return getFileName() ? getFileName() : "NULL";
}

char* qelCodePage::describe()
{
    auto piece = [](const char* format, const char* a, const char* b = nullptr) {
        int n = std::snprintf(nullptr, 0, format, a, b);
        std::string s(static_cast<size_t>(n > 0 ? n : 0), '\0');
        std::snprintf(&s[0], s.size() + 1, format, a, b);
        return s;
    };
    std::string name = std::string(nameOrNull()) + (getFound() ? "" : "(*)");
    std::string text = piece("\r\n%-7s%-13s", "", name.c_str());
    text += piece("%-8s", getInline() ? "Yes" : "No");
    text += piece("CPGID=%s\r\n", m_cpgid.empty() ? "NULL" : m_cpgid.c_str());
    text += piece("%28sFilled from mapping def=%s\r\n", "", m_filledFromMappingDef ? "Yes" : "No");
    text += piece("%28sCPFileName=", "") + (getDirectory() ? getDirectory() : "NULL") + fileOrNull() + "\r\n";
    text += piece("%28sEncoding=", "") + (getEncoding() ? getEncoding() : "NULL") + " \r\n";
    return newText(text);
}

// ---------------------------------------------------------------- tables

void qelCodePage::allocateTables(int n)
{
    if (n < 1)
        return;
    if (m_codePoints)
        throw "Unable to create and initialize mapping table";
    m_count = std::max(n, 256);
    m_codePoints = new qelCodePageChar*[m_count]();
    m_values = new qelCodePageChar*[m_count]();
}

qelCodePageChar* qelCodePage::ensureEntry(int codePoint)
{
    qelCodePageChar*& slot = m_codePoints[codePoint];
    if (!slot) {
        slot = new qelCodePageChar();
        slot->unicode = 0x20;
        slot->codePoint = codePoint;
    }
    return slot;
}

void qelCodePage::defineChar(int codePoint, const char* name)
{
    if (!m_codePoints || codePoint < 0 || codePoint >= m_count)
        return;
    qelCodePageChar* e = ensureEntry(codePoint);
    delete[] e->name;
    e->name = name ? newText(trimmed(name)) : nullptr;
}

void qelCodePage::setCharName(int codePoint, const char* name)
{
    qelCodePageChar* e = getEntry(codePoint);
    if (!e)
        return;
    delete[] e->name;
    e->name = name ? newText(trimmed(name)) : nullptr;
}

const char* qelCodePage::getCharName(int codePoint) const
{
    qelCodePageChar* e = getEntry(codePoint);
    return e ? e->name : nullptr;
}

qelCodePageChar* qelCodePage::getEntry(int codePoint) const
{
    if (!m_codePoints || codePoint < 0 || codePoint >= m_count)
        return nullptr;
    return m_codePoints[codePoint];
}

qelCodePageChar* qelCodePage::getEntryByValue(int value) const
{
    if (!m_values || value < 0 || value >= m_count || value > 255)
        return nullptr;
    return m_values[value];
}

qelCodePageChar* qelCodePage::getEntryByUnicode(int32_t unicode) const
{
    // Only Basic Multilingual Plane values have slots; anything else is missing.
    if (unicode < 0 || unicode > 0xFFFF)
        return nullptr;
    qelCodePageChar** page = m_unicodePages[(unicode >> 8) & 0xFF];
    return page ? page[unicode & 0xFF] : nullptr;
}

void qelCodePage::linkUnicode(qelCodePageChar* entry)
{
    if (entry->unicode < 0 || entry->unicode > 0xFFFF)
        return;
    qelCodePageChar**& page = m_unicodePages[(entry->unicode >> 8) & 0xFF];
    if (!page)
        page = new qelCodePageChar*[256]();
    page[entry->unicode & 0xFF] = entry;
}

void qelCodePage::freeEntries()
{
    if (!m_codePoints)
        return;
    for (int i = 0; i < m_count; ++i)
        delete m_codePoints[i];
    delete[] m_codePoints;
    m_codePoints = nullptr;
}

const char* qelCodePage::getByteEntry(int codePoint) const
{
    qelCodePageChar* e = getEntry(codePoint);
    return e ? e->valueText : nullptr;
}

void qelCodePage::setByteEntry(int codePoint, const char* text)
{
    if (!m_codePoints)
        allocateTables(256);
    if (codePoint < 0 || codePoint >= m_count || !text)
        return;
    qelCodePageChar* e = ensureEntry(codePoint);
    e->setValue(static_cast<unsigned char>(text[0]));
    m_values[e->value] = e;
}

void qelCodePage::setDefaultEntry(const char* text)
{
    delete m_defaultEntry;
    m_defaultEntry = nullptr;
    if (!text)
        return;
    m_defaultEntry = new qelCodePageChar();
    m_defaultEntry->setValue(static_cast<unsigned char>(text[0]));
    qelCodePageChar* byValue = getEntryByValue(m_defaultEntry->value);
    m_defaultEntry->codePoint = byValue ? byValue->codePoint : 0;
    m_defaultEntry->unicode = byValue ? byValue->unicode : -1;
}

// ---------------------------------------------------------------- translations

void qelCodePage::warnUnicodeMissing(int32_t value) const
{
    if (qelLogStream* log = logFor(QEL_LOG_LEVEL2))
        log->print("\n Warning! CP=%s(<%s>), Unicode=%d(0x%X) not found. Using EBCDIC value of %d of %s character",
                   nameOrNull(), fileOrNull(), value, static_cast<unsigned int>(value),
                   m_defaultEntry ? m_defaultEntry->codePoint : 0, ".notdef");
}

void qelCodePage::warnGlyphMissing(const char* name) const
{
    if (qelLogStream* log = logForExactly(QEL_LOG_ALL))
        log->print("\n Warning! CP=%s(<%s>), mapping not found for glyph \"%s\".\n", nameOrNull(), fileOrNull(), name);
}

void qelCodePage::translateFromCodePage(const unsigned char* src, unsigned char* dst, int length) const
{
    if (!src || !dst || !m_codePoints)
        return;
    for (int i = 0; i < length; ++i)
        if (qelCodePageChar* e = getEntry(src[i]))
            dst[i] = e->value;
}

void qelCodePage::translateToCodePage(const unsigned char* src, unsigned char* dst, int length) const
{
    if (!src || !dst || !m_values)
        return;
    for (int i = 0; i < length; ++i) {
        if (qelCodePageChar* e = getEntryByValue(src[i])) {
            dst[i] = static_cast<unsigned char>(e->codePoint);
        } else if (m_defaultEntry) {
            warnUnicodeMissing(src[i]);
            dst[i] = static_cast<unsigned char>(m_defaultEntry->codePoint);
        } else {
            dst[i] = src[i];
        }
    }
}

void qelCodePage::unicodeToCodePoints(const int* values, int count, unsigned char* out, int outLength) const
{
    if (!values || !out)
        return;
    for (int i = 0; i < count && i < outLength; ++i) {
        if (qelCodePageChar* e = getEntryByUnicode(values[i])) {
            out[i] = static_cast<unsigned char>(e->codePoint);
        } else if (m_defaultEntry) {
            warnUnicodeMissing(values[i]);
            out[i] = static_cast<unsigned char>(m_defaultEntry->codePoint);
        } else {
            out[i] = 0;
        }
    }
}

void qelCodePage::unicodeToCodePoints(const int32_t* values, int n, unsigned char** out, uint16_t* outCount) const
{
    if (!out || !outCount)
        return;
    const uint16_t count = values ? countOf(n) : 0;
    *out = new unsigned char[count + 1]();
    *outCount = count;
    unicodeToCodePoints(values, count, *out, count);
}

void qelCodePage::unicodeToBytes(const int32_t* values, int n, unsigned char** out, uint16_t* outCount) const
{
    if (!out || !outCount)
        return;
    const uint16_t count = values ? countOf(n) : 0;
    *out = new unsigned char[count + 1]();
    *outCount = count;
    for (int i = 0; i < count; ++i) {
        qelCodePageChar* e = getEntryByUnicode(values[i]);
        if (e && e->value != 0) {
            (*out)[i] = e->value;
        } else if (m_defaultEntry) {
            warnUnicodeMissing(values[i]);
            (*out)[i] = m_defaultEntry->value;
        }
    }
}

void qelCodePage::codePointsToUnicode(const unsigned char* bytes, int n, int32_t** out, uint16_t* outCount) const
{
    if (!out || !outCount)
        return;
    const uint16_t count = bytes ? countOf(n) : 0;
    *out = new int32_t[count]();
    *outCount = count;
    for (int i = 0; i < count; ++i) {
        if (qelCodePageChar* e = getEntryByValue(bytes[i])) {
            (*out)[i] = e->unicode;
        } else if (m_defaultEntry) {
            warnUnicodeMissing(bytes[i]);
            (*out)[i] = m_defaultEntry->unicode;
        } else {
            (*out)[i] = -1;
        }
    }
}

// ---------------------------------------------------------------- glyph names

int qelCodePage::glyphNamesToCodePoints(const char* const* names, int n, int32_t** unicodes, uint16_t* outCount,
                                        unsigned char** values) const
{
    if (!names || !m_codePoints || !unicodes || !outCount || !values)
        return -1;
    const uint16_t count = countOf(n);
    *unicodes = new int32_t[count]();
    *values = new unsigned char[count + 1]();
    *outCount = count;
    int found = 0;
    for (int i = 0; i < count; ++i) {
        if (!names[i])
            continue;
        // An exact name wins over one that differs only in case.
        qelCodePageChar* match = nullptr;
        qelCodePageChar* caseless = nullptr;
        for (int c = 0; c < m_count && !match; ++c) {
            qelCodePageChar* e = m_codePoints[c];
            if (!e || !e->name)
                continue;
            if (std::strcmp(e->name, names[i]) == 0)
                match = e;
            else if (!caseless && strcasecmp(e->name, names[i]) == 0)
                caseless = e;
        }
        if (!match)
            match = caseless;
        if (match) {
            (*unicodes)[i] = match->unicode;
            (*values)[i] = match->value;
            ++found;
        } else {
            warnGlyphMissing(names[i]);
        }
    }
    return found;
}

qelCodePageChar* qelCodePage::findByGlyphName(const char* name) const
{
    if (!name)
        return nullptr;
    qelList* list = m_glyphIndex[bucketOf(name)];
    for (qelListNode* n = list ? list->getHead() : nullptr; n; n = n->next) {
        qelCodePageChar* e = static_cast<qelCodePageChar*>(n->item);
        if (e->name && std::strcmp(e->name, name) == 0)
            return e;
    }
    return nullptr;
}

int qelCodePage::glyphNamesToCodePointsNoStd(const char* const* names, int n, int32_t** unicodes, uint16_t* outCount,
                                             unsigned char** values) const
{
    if (!names || !unicodes || !outCount || !values)
        return -1;
    const uint16_t count = countOf(n);
    *unicodes = new int32_t[count]();
    *values = new unsigned char[count + 1]();
    *outCount = count;
    int found = 0;
    for (int i = 0; i < count; ++i) {
        if (!names[i])
            continue;
        if (qelCodePageChar* e = findByGlyphName(names[i])) {
            (*unicodes)[i] = e->unicode;
            (*values)[i] = e->value;
            ++found;
        } else {
            warnGlyphMissing(names[i]);
        }
    }
    return found;
}

int qelCodePage::mapGlyphNames(const char* const* names, int n, int32_t** unicodes, uint16_t* outCount,
                               unsigned char** values) const
{
    if (equalsNoCase(getName(), "nostdencoding"))
        return glyphNamesToCodePointsNoStd(names, n, unicodes, outCount, values);
    return glyphNamesToCodePoints(names, n, unicodes, outCount, values);
}

qelList* qelCodePage::getGlyphNameBucket(const char* name)
{
    qelList*& list = m_glyphIndex[bucketOf(name)];
    if (!list)
        list = new qelList();
    return list;
}

void qelCodePage::addToGlyphNameIndex(qelCodePageChar* entry)
{
    if (entry && entry->name)
        getGlyphNameBucket(entry->name)->append(entry);
}

void qelCodePage::dumpGlyphNameIndex() const
{
    qelLogStream* log = logFor(QEL_LOG_LEVEL2);
    if (!log)
        return;
    for (qelList* list : m_glyphIndex)
        for (qelListNode* n = list ? list->getHead() : nullptr; n; n = n->next) {
            const qelCodePageChar* e = static_cast<const qelCodePageChar*>(n->item);
            log->printLine("GlyphName=>%s< Unicode=>0x%0X <", e->name, static_cast<unsigned int>(e->unicode));
        }
}

const char* qelCodePage::buildDifferences()
{
    if (!m_hasGlyphNames)
        return nullptr;
    if (!m_differencesBuilt) {
        m_differences.clear();
        for (int c = 0; c < m_count; ++c) {
            const qelCodePageChar* e = m_codePoints ? m_codePoints[c] : nullptr;
            if (e && e->glyphName && *e->glyphName)
                m_differences += " " + std::to_string(e->value) + " /" + e->glyphName;
        }
        m_differencesBuilt = true;
    }
    return m_differences.c_str();
}

// ---------------------------------------------------------------- file lines

void qelCodePage::parseCodePageLine(const char* fileName, const char* line, std::string& name, int& codePoint,
                                    int& unicode, int& value, std::string& glyphName)
{
    codePoint = -1;
    unicode = -1;
    if (!line)
        return;
    const std::vector<std::string> f = splitFields(line);
    switch (f.size()) {
    case 1:
        name = f[0];
        break;
    case 2:
        codePoint = qelUtils::hexToInt(f[1].c_str());
        name = f[0];
        break;
    case 3:
    case 4:
    case 5:
        if (f.size() == 5)
            glyphName = trimmed(f[4]);
        if (f.size() >= 4)
            value = valueOf(f[3]);
        takeUnicode(fileName, line, f[2], unicode);
        codePoint = qelUtils::hexToInt(f[1].c_str());
        name = f[0];
        break;
    default:
        break;
    }
}

void qelCodePage::parseNoStdLine(const char* fileName, const char* line, std::string& name, int& unicode, int& value)
{
    unicode = -1;
    if (!line)
        return;
    const std::vector<std::string> f = splitFields(line);
    switch (f.size()) {
    case 3:
        value = valueOf(f[2]);
        // fall through
    case 2:
        takeUnicode(fileName, line, f[1], unicode);
        // fall through
    case 1:
        name = f[0];
        break;
    default:
        break;
    }
}

int qelCodePage::parseUnicodeField(const char* line)
{
    if (!line)
        return -1;
    const std::vector<std::string> f = splitFields(line);
    return f.size() >= 3 ? unicodeOf(f[2]) : -1;
}

int qelCodePage::countDataLines(const char* fileName) const
{
    if (!fileName)
        return 0;
    FILE* file = openIn(getDirectory(), fileName);
    if (!file)
        return 0;
    int count = 0;
    char piece[kPieceSize];
    while (std::fgets(piece, sizeof piece, file))
        if (piece[0] != ';')
            ++count;
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        throw new qelException(__FILE__, __LINE__, qelMsg::E068, 0, true);
    return count;
}

// ---------------------------------------------------------------- search

bool qelCodePage::fileExists(const std::string& candidate, std::string& onDisk) const
{
    return findInDirectory(getDirectory(), candidate, onDisk);
}

bool qelCodePage::load(bool useMappingDefault)
{
    const char* name = getName();
    const bool haveName = name && *name;
    const char* cpgid = m_cpgid.empty() ? nullptr : m_cpgid.c_str();
    qelMappingDef* md = loadedMappingDef();
    const bool entries = hasCodePageEntries(md);
    std::string onDisk;
    bool found = false;

    // 1. The mapping definition's entry of the code page name.
    if (md && entries && haveName && !equalsNoCase(name, "DEFAULT")) {
        const qelCodePageEntry* e = md->findCodePage(name, false);
        if (e && e->fileName[0] && fileExists(std::string(e->fileName) + ".cp", onDisk)) {
            m_encoding = e->encoding;
            m_fileOrigin = ORIGIN_MAPPING;
            found = true;
        }
    }
    // 2. The file named after the CPGID.
    if (!found && cpgid && fileExists(std::string(cpgid) + ".cp", onDisk)) {
        m_encoding = "ANSI";
        if (m_fileOrigin != ORIGIN_DESCRIPTOR)
            m_fileOrigin = ORIGIN_CPGID;
        found = true;
    }
    // 3. The mapping definition's DEFAULT entry.
    if (!found && md && useMappingDefault && entries) {
        const qelCodePageEntry* e = md->findCodePage("DEFAULT", true);
        if (e) {
            const std::string candidate = std::string(e->fileName) + ".cp";
            if (e->fileName[0] && fileExists(candidate, onDisk)) {
                m_encoding = e->encoding;
                m_fileOrigin = ORIGIN_MAPPING_DEFAULT;
                found = true;
                if (cpgid)
                    say("Warning! Unable to load codepage %s.cp, using DEFAULT Codepage (%s) of Mappingdef\n", cpgid,
                        candidate.c_str());
            }
        }
    }
    // 4. The file named after the code page.
    if (!found && haveName) {
        const std::string candidate = std::string(name) + (equalsNoCase(name, "nostdencoding") ? ".def" : ".cp");
        if (fileExists(candidate, onDisk)) {
            m_encoding = "ANSI";
            found = true;
        }
    }
    // 5. The code page of the options.
    qelIni* ini = options();
    const char* option = ini ? ini->getCodePage() : nullptr;
    if (!found && option && *option && !equalsNoCase(option, "DEFAULT") && md) {
        const qelCodePageEntry* entry = nullptr;
        for (qelListNode* n = md->getCodePageList() ? md->getCodePageList()->getHead() : nullptr; n; n = n->next) {
            const qelCodePageEntry* e = static_cast<const qelCodePageEntry*>(n->item);
            const std::string key = trimmed(e->codePageName);
            if (equalsNoCase(key.c_str(), option) || equalsNoCase(key.c_str(), "DEFAULT")) {
                entry = e;
                break;
            }
        }
        std::string base;
        if (entry && entry->fileName[0]) {
            base = entry->fileName;
        } else {
            const std::string c(option);
            const bool ss = c.size() >= 8 && ((c[6] == 'S' && c[7] == 'S') || (c[6] == 's' && c[7] == 's'));
            const size_t from = ss ? 2 : 4;
            if (c.size() > from)
                base = c.substr(from, 4);
            base.erase(0, base.find_first_not_of('0') == std::string::npos ? base.size() : base.find_first_not_of('0'));
        }
        const std::string candidate = base + ".cp";
        if (!base.empty() && fileExists(candidate, onDisk)) {
            m_encoding = "ANSI";
            m_fileOrigin = ORIGIN_INI;
            found = true;
            say("Warning! Unable to load codepage %s.cp, using DEFAULT Codepage (%s) of INI File\n",
                cpgid ? cpgid : "(null)", candidate.c_str());
        }
    }
    // 6. The fixed fallback file.
    if (!found) {
        if (qelUtils::isRegularFile(joinPath(getDirectory(), "382.cp").c_str())) {
            onDisk = "382.cp";
            m_encoding = "ANSI";
            m_fileOrigin = ORIGIN_FIXED;
            found = true;
            say("Warning! Unable to load codepage %s.cp, using default Codepage 382.cp\n", cpgid ? cpgid : "(null)");
        } else {
            m_fileOrigin = ORIGIN_BUILT_IN;
        }
    }
    setFileName(found ? onDisk.c_str() : nullptr);
    return parseCodePageFile();
}

// ---------------------------------------------------------------- reading

void qelCodePage::buildFromProgramTable()
{
    if (!m_codePoints && m_count < 1)
        allocateTables(256);
    if (!m_codePoints)
        return;
    const unsigned char* table = qelUtils::getEbcdicToAsciiTable();
    for (int c = 0; c < m_count && c < 256; ++c) {
        qelCodePageChar* e = ensureEntry(c);
        e->setValue(table[c]);
        e->codePoint = c;
        m_values[e->value] = e;
    }
}

void qelCodePage::resetTables()
{
    const unsigned char fill = fillChar();
    for (int c = 0; c < m_count; ++c) {
        qelCodePageChar* e = ensureEntry(c);
        e->setValue(fill);
        e->unicode = 0x20;
    }
    std::fill(m_values, m_values + m_count, nullptr);
    for (qelCodePageChar**& page : m_unicodePages) {
        delete[] page;
        page = nullptr;
    }
    for (qelList* list : m_glyphIndex)
        if (list)
            list->clear();
    m_differencesBuilt = false;
}

bool qelCodePage::parseCodePageFile()
{
    const bool nostd = equalsNoCase(getName(), "nostdencoding");
    const unsigned char fill = fillChar();
    const char* fileName = getFileName();
    FILE* file = fileName && *fileName ? openIn(getDirectory(), fileName) : nullptr;
    const bool defineNames = !(m_codePoints && getFound());

    if (!file) {
        buildFromProgramTable();
        setFileName(nullptr);
        return true;
    }

    bool readError = false;
    try {
        if (!m_codePoints && m_count < 1) {
            // Glyph ids are 16-bit: lines beyond them get no slot, which also
            // bounds the tables a long file can ask for.
            const int n = nostd ? std::min(countDataLines(fileName), kMaxCodePoints) : 256;
            if (n > 0)
                allocateTables(n);
        }
    } catch (qelException* e) {
        delete e;
        readError = true;
    }
    if (!m_codePoints) {
        std::fclose(file);
        buildFromProgramTable();
        return true;
    }
    resetTables();

    m_hasUnicode = nostd;
    LineReader reader(file);
    std::string line;
    bool first = true;
    int lineNumber = 0;
    while (!readError && reader.next(line)) {
        if (first && !nostd)
            m_hasUnicode = parseUnicodeField(line.c_str()) >= 0;
        first = false;
        std::string name;
        std::string glyphName;
        int value = fill;
        int codePoint = -1;
        int unicode = -1;
        if (nostd) {
            parseNoStdLine(fileName, line.c_str(), name, unicode, value);
            codePoint = lineNumber++;
        } else {
            parseCodePageLine(fileName, line.c_str(), name, codePoint, unicode, value, glyphName);
        }
        if (strcasecmp(name.c_str(), ".notdef") == 0) {
            delete m_defaultEntry;
            m_defaultEntry = new qelCodePageChar();
            m_defaultEntry->setValue(value);
            m_defaultEntry->codePoint = codePoint;
            m_defaultEntry->unicode = unicode;
            continue;
        }
        if (codePoint < 0 || codePoint >= m_count) {
            say("Warning! %s: invalid entry (%s)\n", fileName, line.c_str());
            if (qelLogStream* log = logFor(QEL_LOG_LEVEL2))
                log->printLine("Warning! %s: invalid entry (%s)", fileName, line.c_str());
            continue;
        }
        qelCodePageChar* e = ensureEntry(codePoint);
        e->setValue(value);
        e->codePoint = codePoint;
        if (defineNames)
            defineChar(codePoint, name.empty() ? nullptr : name.c_str());
        if (!glyphName.empty()) {
            m_hasGlyphNames = true;
            delete[] e->glyphName;
            e->glyphName = newText(glyphName);
        }
        if (m_hasUnicode) {
            e->unicode = unicode;
            if (!name.empty() && equalsNoCase(name.c_str(), getDefaultGCGID()))
                m_defaultCharUnicode = unicode;
            if (unicode >= 0)
                linkUnicode(e);
        }
        if (value >= 0 && value < m_count && value < 256)
            m_values[value] = e;
        if (nostd)
            addToGlyphNameIndex(e);
    }
    if (readError || reader.failed()) {
        reportReadError();
        say("Warning! Unable to read file %s, Using default codepage...\n", fileName);
        if (qelLogStream* log = logFor(QEL_LOG_LEVEL2))
            log->printLine("Warning! Unable to read file %s, Using default codepage...", fileName);
        const unsigned char* table = qelUtils::getEbcdicToAsciiTable();
        for (int c = 0; c < m_count && c < 256; ++c)
            if (m_codePoints[c])
                m_codePoints[c]->setValue(table[c]);
    } else {
        qelIni* ini = options();
        if (ini && ini->isDevTest())
            dumpGlyphNameIndex();
    }
    std::fclose(file);
    return true;
}

bool qelCodePage::readCodePageFile(unsigned char* table, const char* directory, int cpgid)
{
    if (!table)
        return false;
    const std::string name = std::to_string(cpgid) + ".cp";
    const char* dir = directory ? directory : "";
    std::string onDisk;
    FILE* file = openIn(directory, findInDirectory(directory, name, onDisk) ? onDisk : name);
    if (!file) {
        say("Warning! Error in opening Codepage File %s in %s directory, Using code page %d stored in the program \n",
            name.c_str(), dir, cpgid);
        if (qelLogStream* log = logFor(QEL_LOG_GENERAL))
            log->printLine(
                "Warning! Error in opening Codepage File %s in %s directory, Using code page %d stored in the program ",
                name.c_str(), dir, cpgid);
        return false;
    }
    const unsigned char fill = fillChar();
    std::fill(table, table + 256, fill);
    LineReader reader(file);
    std::string line;
    while (reader.next(line)) {
        std::string charName;
        std::string glyphName;
        int value = fill;
        int codePoint = -1;
        int unicode = -1;
        parseCodePageLine(name.c_str(), line.c_str(), charName, codePoint, unicode, value, glyphName);
        if (codePoint >= 0 && codePoint <= 255) {
            table[codePoint] = static_cast<unsigned char>(value);
            continue;
        }
        say("Warning! Invalid entry in (%s) in file (%s) in (%s) directory \n", line.c_str(), name.c_str(), dir);
        if (qelLogStream* log = logFor(QEL_LOG_LEVEL2))
            log->printLine("Warning! Invalid entry in (%s) in file( %s) in (%s) directory", line.c_str(), name.c_str(),
                           dir);
    }
    const bool failed = reader.failed();
    std::fclose(file);
    if (failed) {
        reportReadError();
        say("Warning! Unable to read file %s in directory %s, Using code page %d stored in the program...\n",
            name.c_str(), dir, cpgid);
        if (qelLogStream* log = logFor(QEL_LOG_LEVEL2))
            log->printLine("Warning! Unable to read file %s in directory %s, Using code page %d stored in the program...",
                           name.c_str(), dir, cpgid);
        return false;
    }
    return true;
}

bool qelCodePage::loadCodePageFile(unsigned char* table, const char* codePageName)
{
    auto fallBack = [](const char* text) {
        say("%s \n", text);
        if (qelLogStream* log = logFor(QEL_LOG_GENERAL))
            log->printLine("%s", text);
        return false;
    };
    if (!codePageName || !*codePageName)
        return fallBack("Codepage Name is Null or Empty. Using program default code page 500.cp");
    qelMappingDef* md = loadedMappingDef();
    const qelCodePageEntry* entry = nullptr;
    if (hasCodePageEntries(md) && !equalsNoCase(trimmed(codePageName).c_str(), "DEFAULT"))
        entry = md->findCodePage(codePageName, false);
    if (!entry)
        return fallBack("Codepage Name not found in Mapping.def. Using program default code page 500.cp");

    qelIni* ini = options();
    const char* directory = ini ? ini->getCpPath() : nullptr;
    const char* dir = directory ? directory : "";
    const std::string name = std::string(entry->fileName) + ".cp";
    std::string onDisk;
    FILE* file = entry->fileName[0] && findInDirectory(directory, name, onDisk) ? openIn(directory, onDisk) : nullptr;
    if (!file) {
        say("Could not open Codepage File %s in %s directory, Using program default code page 500.cp \n", name.c_str(),
            dir);
        if (qelLogStream* log = logFor(QEL_LOG_GENERAL))
            log->printLine("Could not open Codepage File %s in %s directory, Using program default code page 500.cp",
                           name.c_str(), dir);
        return false;
    }
    unsigned char* toEbcdic = qelUtils::getMutableAsciiToEbcdicTable();
    const unsigned char fill = fillChar();
    if (table)
        std::fill(table, table + 256, fill);
    std::fill(toEbcdic, toEbcdic + 256, fill);
    LineReader reader(file);
    std::string line;
    while (reader.next(line)) {
        if (line.compare(0, 7, ".notdef") == 0)
            continue;
        std::string charName;
        std::string glyphName;
        int value = fill;
        int codePoint = -1;
        int unicode = -1;
        parseCodePageLine(name.c_str(), line.c_str(), charName, codePoint, unicode, value, glyphName);
        if (codePoint >= 0 && codePoint <= 255) {
            if (table)
                table[codePoint] = static_cast<unsigned char>(value);
            if (value >= 0 && value < 256)
                toEbcdic[value] = static_cast<unsigned char>(codePoint);
            continue;
        }
        say("Warning! %s: invalid entry in (%s) in (%s) directory \n", name.c_str(), dir, line.c_str());
        if (qelLogStream* log = logFor(QEL_LOG_LEVEL2))
            log->printLine("Warning! %s: invalid entry (%s)", name.c_str(), line.c_str());
    }
    if (reader.failed()) {
        reportReadError();
        say("Warning! Unable to read file %s, Using default codepage...\n", name.c_str());
        if (qelLogStream* log = logFor(QEL_LOG_LEVEL2))
            log->printLine("Warning! Unable to read file %s, Using default codepage...", name.c_str());
    }
    std::fclose(file);
    return true;
}

std::string qelCodePage::cpgidFromName(const char* name)
{
    std::string id;
    const size_t n = name ? std::strlen(name) : 0;
    if (n > 6 && !qelString::compare(name, "DEFAULT", true, 0)) {
        const bool ss = n >= 8 && ((name[6] == 'S' && name[7] == 'S') || (name[6] == 's' && name[7] == 's'));
        const size_t from = ss ? 2 : 4;
        id.assign(name + from, std::min<size_t>(4, n - from));
        const size_t first = id.find_first_not_of('0');
        id = first == std::string::npos ? std::string() : id.substr(first);
    }
    return id;
}

void qelCodePage::setIdFromName(qelCodePage* codePage)
{
    if (!codePage || codePage->getType() != TYPE_CODE_PAGE || !codePage->getName())
        return;
    codePage->setCPGID(cpgidFromName(codePage->getName()).c_str());
}
