// Path, text, key=value and EBCDIC helpers of qelUtils.
#include "qelUtils.h"

#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelString.h"

#include <cstring>
#include <string>
#include <strings.h>

namespace
{
char* newText(const char* begin, size_t n)
{
    char* text = new char[n + 1];
    if (n)
        std::memcpy(text, begin, n);
    text[n] = '\0';
    return text;
}

// EBCDIC (code page 500) to ISO-8859-1 for 0x40..0xFE; control codes and
// 0xFF become blanks, 0x27 a middle dot and 0xB3 a zero byte.
unsigned char kEbcdicToAscii[256] = {
    0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20,
    0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20,
    0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0xB7, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20,
    0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20,
    0x20, 0xA0, 0xE2, 0xE4, 0xE0, 0xE1, 0xE3, 0xE5, 0xE7, 0xF1, 0x5B, 0x2E, 0x3C, 0x28, 0x2B, 0x21,
    0x26, 0xE9, 0xEA, 0xEB, 0xE8, 0xED, 0xEE, 0xEF, 0xEC, 0xDF, 0x5D, 0x24, 0x2A, 0x29, 0x3B, 0x5E,
    0x2D, 0x2F, 0xC2, 0xC4, 0xC0, 0xC1, 0xC3, 0xC5, 0xC7, 0xD1, 0xA6, 0x2C, 0x25, 0x5F, 0x3E, 0x3F,
    0xF8, 0xC9, 0xCA, 0xCB, 0xC8, 0xCD, 0xCE, 0xCF, 0xCC, 0x60, 0x3A, 0x23, 0x40, 0x27, 0x3D, 0x22,
    0xD8, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0xAB, 0xBB, 0xF0, 0xFD, 0xFE, 0xB1,
    0xB0, 0x6A, 0x6B, 0x6C, 0x6D, 0x6E, 0x6F, 0x70, 0x71, 0x72, 0xAA, 0xBA, 0xE6, 0xB8, 0xC6, 0xA4,
    0xB5, 0x7E, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0xA1, 0xBF, 0xD0, 0xDD, 0xDE, 0xAE,
    0xA2, 0xA3, 0xA5, 0x00, 0xA9, 0xA7, 0xB6, 0xBC, 0xBD, 0xBE, 0xAC, 0x7C, 0xAF, 0xA8, 0xB4, 0xD7,
    0x7B, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0xAD, 0xF4, 0xF6, 0xF2, 0xF3, 0xF5,
    0x7D, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F, 0x50, 0x51, 0x52, 0xB9, 0xFB, 0xFC, 0xF9, 0xFA, 0xFF,
    0x5C, 0xF7, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0xB2, 0xD4, 0xD6, 0xD2, 0xD3, 0xD5,
    0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0xB3, 0xDB, 0xDC, 0xD9, 0xDA, 0x20,
};

// ISO-8859-1 to EBCDIC (code page 1047) for 0x00..0x7F, with line feed as
// NL (0x15); bytes from 0x80 on have no mapping and become 0xFF.
unsigned char kAsciiToEbcdic[256] = {
    0x00, 0x01, 0x02, 0x03, 0x37, 0x2D, 0x2E, 0x2F, 0x16, 0x05, 0x15, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F,
    0x10, 0x11, 0x12, 0x13, 0x3C, 0x3D, 0x32, 0x26, 0x18, 0x19, 0x3F, 0x27, 0x1C, 0x1D, 0x1E, 0x1F,
    0x40, 0x5A, 0x7F, 0x7B, 0x5B, 0x6C, 0x50, 0x7D, 0x4D, 0x5D, 0x5C, 0x4E, 0x6B, 0x60, 0x4B, 0x61,
    0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0x7A, 0x5E, 0x4C, 0x7E, 0x6E, 0x6F,
    0x7C, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6,
    0xD7, 0xD8, 0xD9, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xAD, 0xE0, 0xBD, 0x5F, 0x6D,
    0x79, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96,
    0x97, 0x98, 0x99, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xC0, 0x4F, 0xD0, 0xA1, 0x07,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
};
}

char* qelUtils::getDirectory(const char* path)
{
    const char* slash = path ? std::strrchr(path, '/') : nullptr;
    return slash ? newText(path, static_cast<size_t>(slash - path + 1)) : nullptr;
}

char* qelUtils::getBaseName(const char* path, bool keepExtension)
{
    if (!path)
        return nullptr;
    const char* slash = std::strrchr(path, '/');
    const char* base = slash ? slash + 1 : path;
    size_t n = std::strlen(base);
    if (!keepExtension) {
        if (const char* dot = std::strrchr(base, '.'))
            n = static_cast<size_t>(dot - base);
    }
    return newText(base, n);
}

const char* qelUtils::getExtension(const char* path)
{
    const char* dot = path ? std::strrchr(path, '.') : nullptr;
    return (dot && dot[1]) ? dot + 1 : nullptr;
}

void qelUtils::appendSlash(qelString* string)
{
    if (!string || !string->getBuffer())
        return;
    int n = string->getLength();
    if (n == 0 || string->getBuffer()[n - 1] != '/')
        string->append("/");
}

void qelUtils::appendSlashC(char* path)
{
    if (!path)
        return;
    size_t n = std::strlen(path);
    if (n == 0 || path[n - 1] != '/') {
        path[n] = '/';
        path[n + 1] = '\0';
    }
}

void qelUtils::toForwardSlashes(char* path)
{
    replaceChar(path, '\\', '/');
}

char* qelUtils::replaceChar(char* text, char from, char to)
{
    if (text) {
        for (char* p = text; *p; ++p)
            if (*p == from)
                *p = to;
    }
    return text;
}

bool qelUtils::isAbsolutePath(const char* path)
{
    if (!path || !*path)
        return false;
    if (path[0] == '/')
        return true;
    return path[1] && ((path[0] == '\\' && path[1] == '\\') || path[1] == ':');
}

bool qelUtils::isLogicalLocationName(const char* name)
{
    return name && name[0] == '@';
}

bool qelUtils::isKnownLogicalLocation(const char* name)
{
    if (!name || !*name)
        return false;
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIni* ini = pool ? pool->getIni() : nullptr;
    return ini && ini->findLogicalLocation(name + 1) != nullptr;
}

char* qelUtils::substring(const char* text, int first, int last)
{
    if (!text || first < 0 || last < first)
        return nullptr;
    // Never past the end of the text.
    if (static_cast<size_t>(last) >= std::strlen(text))
        return nullptr;
    return newText(text + first, static_cast<size_t>(last - first + 1));
}

char* qelUtils::substringByPointers(const char* text, const char* begin, const char* end)
{
    if (!text || !begin || !*text)
        return nullptr;
    const char* lastChar = text + std::strlen(text) - 1;
    if (!end)
        end = lastChar;
    if (begin < text || end > lastChar || end < begin)
        return nullptr;
    return newText(begin, static_cast<size_t>(end - begin + 1));
}

int qelUtils::hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return 0;
}

int qelUtils::hexToInt(const char* text)
{
    if (!text)
        return 0;
    size_t n = std::strlen(text);
    int sum = 0;
    for (size_t k = 0; k < n && k < 4; ++k)
        sum += (hexDigitValue(text[n - 1 - k]) << (4 * k)) & 0xFFFF;
    return sum;
}

char* qelUtils::latin1ToUTF8(const char* text, int length)
{
    if (!text || length < 0)
        return nullptr;
    size_t n = length == 0 ? std::strlen(text) : static_cast<size_t>(length);
    std::string out;
    out.reserve(n * 2);
    for (size_t i = 0; i < n; ++i) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
        } else {
            out += static_cast<char>(0xC0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return newText(out.data(), out.size());
}

int qelUtils::ebcdicToAscii(unsigned char* buffer, int length)
{
    if (!buffer)
        return -1;
    for (int i = 0; i < length; ++i)
        buffer[i] = kEbcdicToAscii[buffer[i]];
    return length;
}

int qelUtils::asciiToEbcdic(unsigned char* buffer, int length)
{
    if (!buffer)
        return -1;
    for (int i = 0; i < length; ++i)
        buffer[i] = kAsciiToEbcdic[buffer[i]];
    return length;
}

unsigned char qelUtils::ebcdicToAsciiChar(unsigned char c)
{
    return c == 0 ? 0 : kEbcdicToAscii[c];
}

const unsigned char* qelUtils::getEbcdicToAsciiTable()
{
    return kEbcdicToAscii;
}

const unsigned char* qelUtils::getAsciiToEbcdicTable()
{
    return kAsciiToEbcdic;
}

// The process tables may be replaced by a code page file at start-up; these
// keep the built-in content for resetEbcdicTables.
namespace
{
struct BuiltInTables
{
    unsigned char toAscii[256];
    unsigned char toEbcdic[256];
    BuiltInTables()
    {
        std::memcpy(toAscii, kEbcdicToAscii, sizeof toAscii);
        std::memcpy(toEbcdic, kAsciiToEbcdic, sizeof toEbcdic);
    }
};
const BuiltInTables kBuiltInTables;
}

unsigned char* qelUtils::getMutableEbcdicToAsciiTable()
{
    return kEbcdicToAscii;
}

unsigned char* qelUtils::getMutableAsciiToEbcdicTable()
{
    return kAsciiToEbcdic;
}

void qelUtils::resetEbcdicTables()
{
    std::memcpy(kEbcdicToAscii, kBuiltInTables.toAscii, sizeof kEbcdicToAscii);
    std::memcpy(kAsciiToEbcdic, kBuiltInTables.toEbcdic, sizeof kAsciiToEbcdic);
}

char* qelUtils::getKey(char* line)
{
    if (!line)
        return nullptr;
    trim(line);
    if (!*line || *line == ';')
        return nullptr;
    const char* equals = std::strchr(line, '=');
    return equals ? newText(line, static_cast<size_t>(equals - line)) : nullptr;
}

bool qelUtils::isKey(char* line, const char* key)
{
    if (!key)
        return false;
    char* found = getKey(line);
    if (!found)
        return false;
    bool same = strcasecmp(trim(found), key) == 0;
    delete[] found;
    return same;
}

char* qelUtils::getValueField(const char* line, int n, char separator)
{
    if (!line || !*line || *line == ';' || n < 1)
        return nullptr;
    const char* equals = std::strchr(line, '=');
    if (!equals)
        return nullptr;
    const char* begin = equals + 1;
    for (int i = 1; i < n; ++i) {
        const char* sep = std::strchr(begin, separator);
        if (!sep)
            return nullptr;
        begin = sep + 1;
    }
    if (n > 1 && !*begin)
        return nullptr;
    const char* end = std::strchr(begin, separator);
    size_t length = end ? static_cast<size_t>(end - begin) : std::strlen(begin);
    if (n == 1 && length == 0)
        return nullptr;
    return newText(begin, length);
}
