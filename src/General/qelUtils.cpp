#include "qelUtils.h"

#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"
#include "qelPoolAccess.h"
#include "qelFileSystem.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <strings.h>
#include <sys/stat.h>
#include <vector>

namespace {
using qelPoolAccess::quiet;

qelLogStream* warningLog()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    return (log && log->anyOf(QEL_LOG_GENERAL)) ? log : nullptr;
}
}

FILE* qelUtils::openFile(const char* path, char letter)
{
    const char* mode = nullptr;
    if (letter == 'r' || letter == 'R')
        mode = "rb";
    else if (letter == 'w' || letter == 'W')
        mode = "wb";
    if (!mode)
        return nullptr;

    FILE* file = path ? std::fopen(path, mode) : nullptr;
    if (file)
        return file;

    int error = path ? errno : EINVAL;
    const char* shown = path ? path : "(null)";
    const char* reason = std::strerror(error);
    if (!quiet())
        qelMessageOutput::printf("Warning! Unable to open file %s : %s\n", shown, reason);
    if (qelLogStream* log = warningLog())
        log->printLine("Warning! Unable to open file %s : %s", shown, reason);
    return nullptr;
}

void qelUtils::closeFile(FILE* file)
{
    if (!file)
        return;
    if (std::fclose(file) == 0)
        return;
    if (qelLogStream* log = warningLog())
        log->printLine("Warning! cannot close the file ");
    if (!quiet())
        qelMessageOutput::write("Warning! cannot close the file \n");
}

void qelUtils::releaseGlobals()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    if (!pool)
        return;
    pool->resetObject(QEL_POOL_LOG_STREAM);
    pool->resetObject(QEL_POOL_INDEX_FILE);
    pool->resetObject(QEL_POOL_INI);
    delete pool;
}

namespace {
struct qelPaperSize
{
    const char* name;
    float width;
    float height;
};

// Inches; looked up in this order.
const qelPaperSize kPaperSizes[] = {
    {"A0", 33.11f, 46.81f}, {"A1", 23.39f, 33.11f}, {"A2", 16.54f, 23.39f},
    {"A3", 11.69f, 16.54f}, {"A4", 8.27f, 11.69f},  {"A5", 5.83f, 8.27f},
    {"A6", 4.13f, 5.83f},   {"A7", 2.91f, 4.13f},   {"A8", 2.05f, 2.91f},
    {"A9", 1.46f, 2.05f},   {"A10", 1.02f, 1.46f},
    {"B0", 39.37f, 55.67f}, {"B1", 27.87f, 39.37f}, {"B2", 19.67f, 27.87f},
    {"B3", 12.87f, 19.67f}, {"B4", 9.87f, 12.87f},  {"B5", 7.0f, 9.87f},
    {"B6", 5.0f, 7.0f},     {"B7", 3.5f, 5.0f},     {"B8", 2.5f, 3.5f},
    {"B9", 1.75f, 2.5f},    {"B10", 1.25f, 1.75f},
    {"C0", 36.12f, 51.0f},  {"C1", 25.5f, 36.12f},  {"C2", 18.0f, 25.5f},
    {"C3", 12.75f, 18.0f},  {"C4", 9.0f, 12.75f},   {"C5", 6.37f, 9.0f},
    {"C6", 4.5f, 6.37f},    {"C7", 3.25f, 4.5f},    {"C8", 2.25f, 3.25f},
    {"C9", 1.67f, 2.25f},   {"C10", 1.12f, 1.67f},
    {"4A0", 66.25f, 93.37f}, {"2A0", 46.75f, 66.25f},
    {"Letter", 8.5f, 11.0f}, {"Ledger", 11.0f, 17.0f},
};

// A writable directory, returned with forward slashes and a trailing '/'.
char* usableDirectory(const char* candidate)
{
    if (!candidate || !*candidate)
        return nullptr;
    std::string path(candidate);
    for (char& c : path)
        if (c == '\\')
            c = '/';
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || !(st.st_mode & S_IWUSR))
        return nullptr;
    if (path.back() != '/')
        path += '/';
    char* result = new char[path.size() + 1];
    std::memcpy(result, path.c_str(), path.size() + 1);
    return result;
}
}

char* qelUtils::getTempDirectory()
{
    // TMP and TEMP first; TMPDIR and /tmp stand in for the system fallback.
    const char* candidates[] = {std::getenv("TMP"), std::getenv("TEMP"), std::getenv("TMPDIR"), "/tmp"};
    for (const char* candidate : candidates) {
        if (char* dir = usableDirectory(candidate))
            return dir;
    }
    return nullptr;
}

char* qelUtils::stripQuotes(const char* text)
{
    if (!text || !*text)
        return nullptr;
    size_t begin = 0;
    size_t end = std::strlen(text);
    if (text[0] == '"')
        begin = 1;
    if (end > begin && text[end - 1] == '"')
        --end;
    char* copy = new char[end - begin + 1];
    std::memcpy(copy, text + begin, end - begin);
    copy[end - begin] = '\0';
    return copy;
}

char* qelUtils::replaceValue(char* old, const char* value, int extra)
{
    delete[] old;
    if (!value)
        return nullptr;
    if (extra < 0)
        extra = 0;
    std::unique_ptr<char[]> stripped(stripQuotes(value));
    size_t n = stripped ? std::strlen(stripped.get()) : 0;
    char* result = new char[n + 1 + static_cast<size_t>(extra)];
    if (n)
        std::memcpy(result, stripped.get(), n);
    std::memset(result + n, 0, 1 + static_cast<size_t>(extra));
    return result;
}

bool qelUtils::isNumber(const char* text)
{
    if (!text || !*text)
        return false;
    const char* p = text;
    if (*p == '-')
        ++p;
    bool dot = false;
    for (; *p; ++p) {
        if (*p == '.') {
            if (dot)
                return false;
            dot = true;
        } else if (*p < '0' || *p > '9') {
            return false;
        }
    }
    return true;
}

char* qelUtils::getField(const char* text, int n, char separator)
{
    if (!text || !*text || *text == ';' || n < 1)
        return nullptr;
    const char* begin = text;
    for (int i = 1; i < n; ++i) {
        const char* sep = std::strchr(begin, separator);
        if (!sep)
            return nullptr;
        begin = sep + 1;
    }
    const char* end = std::strchr(begin, separator);
    size_t length = end ? static_cast<size_t>(end - begin) : std::strlen(begin);
    if (length == 0)
        return nullptr;
    char* field = new char[length + 1];
    std::memcpy(field, begin, length);
    field[length] = '\0';
    return field;
}

bool qelUtils::getPaperSize(const char* name, float* width, float* height)
{
    float w = 0.0f, h = 0.0f;
    bool found = false;
    if (name) {
        for (const qelPaperSize& size : kPaperSizes) {
            if (strcasecmp(size.name, name) == 0) {
                w = size.width;
                h = size.height;
                found = true;
                break;
            }
        }
    }
    if (width)
        *width = w;
    if (height)
        *height = h;
    return found;
}

char* qelUtils::findFirstFile(const char* path)
{
    if (!path)
        return nullptr;
    std::string text(path);
    for (char& c : text)
        if (c == '\\')
            c = '/';
    std::vector<qelFileSystem::Entry> entries;
    if (qelFileSystem::findFiles(text.c_str(), entries) != 0 || entries.empty())
        return nullptr;
    size_t cut = text.rfind('/');
    std::string result = (cut == std::string::npos ? std::string() : text.substr(0, cut + 1)) + entries[0].name;
    char* copy = new char[result.size() + 1];
    std::memcpy(copy, result.c_str(), result.size() + 1);
    return copy;
}

char* qelUtils::toSafeFileName(const char* name, bool keepDirectories)
{
    if (!name)
        return nullptr;
    std::string out;
    const size_t n = std::strlen(name);
    for (size_t i = 0; i < n; ++i) {
        char c = name[i];
        if (c == '/' || c == '\\') {
            if (!keepDirectories)
                out += '_';
            else if (!out.empty() && out.back() != '/')
                out += '/';
            continue;
        }
        const bool dotRun = c == '.' && ((i + 1 < n && name[i + 1] == '.') || (i > 0 && name[i - 1] == '.'));
        out += dotRun ? '_' : c;
    }
    char* result = new char[out.size() + 1];
    std::memcpy(result, out.c_str(), out.size() + 1);
    return result;
}

const char* qelUtils::getBuildPlatform()
{
    return "Linux";
}

const char* qelUtils::getBuildArchitecture()
{
    return sizeof(void*) == 8 ? "64-bit" : "32-bit";
}
