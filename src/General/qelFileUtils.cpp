// File, directory and input detection helpers of qelUtils.
#include "qelUtils.h"

#include "qelException.h"
#include "qelFileSystem.h"
#include "qelGlobalDSPool.h"
#include "qelImgUtils.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"
#include "qelPoolAccess.h"
#include "qelSystemServices.h"

#include <cerrno>
#include <fcntl.h>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
using qelPoolAccess::quiet;

qelLogStream* warningLog()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    return (log && log->anyOf(QEL_LOG_GENERAL)) ? log : nullptr;
}

// Path with '/' separators and without a trailing '/' (a lone "/" stays).
std::string normalised(const char* path)
{
    std::string p(path);
    for (char& c : p)
        if (c == '\\')
            c = '/';
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    return p;
}

char* newText(const std::string& s)
{
    char* text = new char[s.size() + 1];
    std::memcpy(text, s.c_str(), s.size() + 1);
    return text;
}

bool isBlank(char c)
{
    return c == ' ' || (c >= 0x09 && c <= 0x0D);
}

const char* viewerErrorText(int result)
{
    switch (result) {
    case 0: return "The operating system is out of memory or resources.";
    case 2: return "The specified file was not found.";
    case 3: return "The specified path was not found.";
    case 5: return "The operating system denied access to the specified file.";
    case 8: return "There was not enough memory to complete the operation.";
    case 11: return "The .exe file is invalid (non-Microsoft Win32 .exe or error in .exe image).";
    case 26: return "A sharing violation occurred.";
    case 27: return "The file name association is incomplete or invalid.";
    case 28: return "The DDE transaction could not be completed because the request timed out.";
    case 29: return "The DDE transaction failed.";
    case 30:
        return "The Dynamic Data Exchange (DDE) transaction could not be completed because other DDE "
               "transactions were being processed.";
    case 31:
        return "There is no application associated with the given file name extension. This error will "
               "also be returned if you attempt to print a file that is not printable.";
    case 32: return "The specified DLL was not found.";
    default: return "";
    }
}
}

int qelUtils::detectInputFormat(const char* path)
{
    if (!path || strcasecmp(path, "stdin") == 0 || !isRegularFile(path))
        return 0;

    unsigned char block[80] = {};
    long size = getFileSize(path);
    size_t n = size > 80 ? 80 : static_cast<size_t>(size);
    if (FILE* file = std::fopen(path, "rb")) {
        n = std::fread(block, 1, n, file);
        std::fclose(file);
    } else {
        n = 0;
    }

    if (block[0] == 0 && !quiet())
        qelMessageOutput::printf("Warning! Unable to read header details from File %s\n", path);

    const bool lengthSet = block[1] != 0 || block[2] != 0;
    const bool followSet = block[4] != 0 || block[5] != 0;
    if (block[0] == 0x5A && lengthSet && block[3] == 0xD3 && followSet)
        return QEL_IN_AFP;
    if ((block[0] != 0 || block[1] != 0) && block[2] == 0xD3 && followSet)
        return QEL_IN_AFP;
    if (std::memcmp(block, "%PDF-", 5) == 0)
        return QEL_IN_PDF;

    switch (qelImgUtils::getImageTypeFromBuffer(block, static_cast<unsigned int>(n))) {
    case qelImgUtils::TYPE_JPEG: return QEL_IN_JPEG;
    case qelImgUtils::TYPE_TIFF: return QEL_IN_TIFF;
    case qelImgUtils::TYPE_BMP: return QEL_IN_BMP;
    case qelImgUtils::TYPE_PNG: return QEL_IN_PNG;
    case qelImgUtils::TYPE_PCX: return QEL_IN_PCX;
    case qelImgUtils::TYPE_GIF: return QEL_IN_GIF;
    default: return 0;
    }
}

FILE* qelUtils::openFileIn(const char* directory, const char* name)
{
    if (!directory || !name)
        return nullptr;
    std::string path(directory);
    if (path.empty() || path.back() != '/')
        path += '/';
    path += name;
    return openFile(path.c_str(), 'r');
}

FILE* qelUtils::createNewFile(std::string& path)
{
    const std::string base = path;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::string name = attempt == 0 ? base : base + "_" + std::to_string(attempt);
        const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return nullptr;
        }
        FILE* file = ::fdopen(fd, "w+b");
        if (!file) {
            const int error = errno;
            ::close(fd);
            ::unlink(name.c_str());
            errno = error;
            return nullptr;
        }
        path = name;
        return file;
    }
    errno = EEXIST;
    return nullptr;
}

bool qelUtils::deleteFile(const char* path)
{
    qelLogStream* log = warningLog();
    if (!path) {
        if (log)
            log->printLine("Warning! Cannot delete a filename with NULL value.");
        return false;
    }
    int error = qelFileSystem::removeFile(path);
    if (error == 0)
        return true;
    if (log)
        log->printLine("Warning! Unable to delete file (%s), reason: %s", path, std::strerror(error));
    return false;
}

int qelUtils::writeFile(const char* path, const void* data, long length)
{
    if (!path || length < 0 || (length > 0 && !data))
        return -1;
    FILE* file = std::fopen(path, "wb");
    if (!file)
        return -1;
    size_t written = length ? std::fwrite(data, 1, static_cast<size_t>(length), file) : 0;
    bool closed = std::fclose(file) == 0;
    return (written == static_cast<size_t>(length) && closed) ? 1 : -1;
}

int qelUtils::readWholeFile(const char* path, unsigned char** data, long* length)
{
    if (!path || !data || !length)
        return -1;
    std::string p = normalised(path);
    struct stat st;
    if (stat(p.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0)
        return -1;
    FILE* file = std::fopen(p.c_str(), "rb");
    if (!file)
        return -1;
    size_t size = static_cast<size_t>(st.st_size);
    std::unique_ptr<unsigned char[]> buffer(new unsigned char[size]);
    size_t got = std::fread(buffer.get(), 1, size, file);
    std::fclose(file);
    if (got != size)
        return -1;
    *data = buffer.release();
    *length = static_cast<long>(size);
    return 1;
}

long qelUtils::getFileSize(const char* path)
{
    if (!path)
        return 0;
    struct stat st;
    if (stat(path, &st) != 0 || !S_ISREG(st.st_mode))
        return 0;
    return static_cast<long>(st.st_size);
}

unsigned int qelUtils::getFileMode(const char* path)
{
    if (!path || !*path)
        return 0;
    struct stat st;
    if (stat(normalised(path).c_str(), &st) != 0)
        return 0;
    return static_cast<unsigned int>(st.st_mode);
}

bool qelUtils::isRegularFile(const char* path)
{
    return (getFileMode(path) & 0xF000) == 0x8000;
}

bool qelUtils::isDirectory(const char* path)
{
    return (getFileMode(path) & 0xF000) == 0x4000;
}

bool qelUtils::isWritable(const char* path)
{
    return (getFileMode(path) & 0x80) != 0;
}

bool qelUtils::isRegularFileIn(const char* name, const char* directory)
{
    if (!name)
        return false;
    if (!directory)
        return isRegularFile(name);
    std::string path(directory);
    path += name;
    return isRegularFile(path.c_str());
}

int qelUtils::makeDirectory(const char* path)
{
    if (!path)
        return -1;
    if (isDirectory(path) && isWritable(path))
        return 0;
    return mkdir(normalised(path).c_str(), 0777) == 0 ? 0 : -1;
}

int qelUtils::deleteDirectory(const char* directory)
{
    if (!directory)
        return -1;
    std::string base(directory);
    std::vector<qelFileSystem::Entry> entries;
    if (qelFileSystem::findFiles((base + "/*.*").c_str(), entries) != 0)
        return -1;
    if (base.empty() || base.back() != '/')
        base += '/';

    bool empty = true;
    for (const qelFileSystem::Entry& entry : entries) {
        if (entry.name.empty() || entry.name[0] == '.')
            continue;
        if (entry.directory) {
            empty = false;
            continue;
        }
        if (int error = qelFileSystem::removeFile((base + entry.name).c_str()))
            return error;
    }
    if (!empty)
        return 0;
    return qelFileSystem::removeDirectory(directory);
}

void qelUtils::openWithAssociatedApplication(const char* path)
{
    if (!path)
        return;
    int result = qelSystemServices::openInViewer(path);
    if (result > 32)
        return;
    // The output itself is fine; only its preview failed, so it stays.
    throw new qelException(__FILE__, __LINE__, qelMsg::E044, result, true, path, result, viewerErrorText(result));
}

char* qelUtils::readDataLine(FILE* file, char* buffer, int size)
{
    if (!file || !buffer || size < 1)
        return nullptr;
    for (;;) {
        if (!std::fgets(buffer, size, file)) {
            buffer[0] = '\0';
            if (std::ferror(file))
                throw new qelException(__FILE__, __LINE__, qelMsg::E068, 0, true);
            return nullptr;
        }
        if (buffer[0] != ';')
            return buffer;
    }
}

int qelUtils::findSection(const char* name, FILE* file, const char* fileName)
{
    if (!name || !*name)
        return 0;
    if (!file || std::fseek(file, 0, SEEK_SET) != 0)
        throw new qelException(__FILE__, __LINE__, qelMsg::E070, 0, true, fileName ? fileName : "NULL");
    std::clearerr(file);

    char line[128];
    while (std::fgets(line, sizeof line, file)) {
        if (line[0] == ';')
            continue;
        trim(line);
        size_t n = std::strlen(line);
        if (n < 2 || line[0] != '[' || line[n - 1] != ']')
            continue;
        line[n - 1] = '\0';
        if (strcasecmp(line + 1, name) == 0)
            return 1;
    }
    if (std::ferror(file))
        throw new qelException(__FILE__, __LINE__, qelMsg::E068, 0, true);
    return 0;
}

const char* qelUtils::getTempName()
{
    static const std::string name = [] {
        std::random_device device;
        char text[48];
        std::snprintf(text, sizeof text, "lrb%ld%04x", static_cast<long>(getpid()), device() & 0xFFFFu);
        return std::string(text);
    }();
    return name.c_str();
}

char* qelUtils::getSystemErrorText(int code)
{
    std::string text;
    if (qelSystemServices::errorText(code, text))
        return newText(text);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "Unknown Error Code: %d \n", code);
    return newText(buffer);
}

char* qelUtils::trimLeft(char* text)
{
    if (!text)
        return text;
    size_t skip = 0;
    while (text[skip] && isBlank(text[skip]))
        ++skip;
    if (skip)
        std::memmove(text, text + skip, std::strlen(text + skip) + 1);
    return text;
}

char* qelUtils::trimRight(char* text)
{
    if (!text)
        return text;
    size_t n = std::strlen(text);
    while (n > 0 && isBlank(text[n - 1]))
        text[--n] = '\0';
    return text;
}

char* qelUtils::trim(char* text)
{
    return trimLeft(trimRight(text));
}
