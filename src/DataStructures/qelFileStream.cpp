#include "qelFileStream.h"

#include "qelBufferStream.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"

#include <cerrno>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace {

const int kIntMax = std::numeric_limits<int>::max();

// Status mode of a path, 0 when it does not exist; a trailing '/' is ignored.
unsigned int fileMode(const std::string& path)
{
    std::string p = path;
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    struct stat st;
    if (p.empty() || ::stat(p.c_str(), &st) != 0)
        return 0;
    return static_cast<unsigned int>(st.st_mode);
}

bool isWritableDirectory(unsigned int mode)
{
    return (mode & S_IFMT) == S_IFDIR && (mode & S_IWUSR) != 0;
}

int makeDirectory(const std::string& path)
{
    if (isWritableDirectory(fileMode(path)))
        return 0;
    return ::mkdir(path.c_str(), 0777) == 0 ? 0 : -1;
}

void logWarning(const char* text)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    if (log && log->anyOf(QEL_LOG_GENERAL))
        log->printLine("%s", text);
}

} // namespace

qelFileStream::qelFileStream(const char* path)
{
    m_access = ACCESS_READ;
    setName(path);
    computeSize();
}

qelFileStream::qelFileStream()
{
    m_access = ACCESS_WRITE;
    computeSize();
}

qelFileStream::~qelFileStream()
{
    if (m_file) {
        try {
            close();
        } catch (qelException* e) {
            delete e;
        } catch (const char*) {
        }
    }
    delete m_readBuffer;
    delete[] m_data;
    delete[] m_directory;
    delete[] m_extension;
    delete[] m_subDirectory;
}

void qelFileStream::replaceText(char*& field, const char* text)
{
    delete[] field;
    field = nullptr;
    if (!text)
        return;
    size_t n = std::strlen(text);
    field = new char[n + 1];
    std::memcpy(field, text, n + 1);
}

void qelFileStream::setDirectory(const char* text)
{
    replaceText(m_directory, text);
}

void qelFileStream::setExtension(const char* text)
{
    replaceText(m_extension, text);
}

void qelFileStream::setSubDirectory(const char* text)
{
    replaceText(m_subDirectory, text);
}

void qelFileStream::setAttribute(int kind, const char* text)
{
    switch (kind) {
    case QEL_ATTR_DIRECTORY:
        setDirectory(text);
        break;
    case QEL_ATTR_EXTENSION:
        setExtension(text);
        break;
    case QEL_ATTR_SUB_DIRECTORY:
        setSubDirectory(text);
        break;
    default:
        break;
    }
}

void qelFileStream::setName(const char* text)
{
    replaceText(m_name, text);
    m_composed = false;
    if (!text && !isQuiet())
        qelMessageOutput::write("Warning! Null Input File Name");
}

int qelFileStream::computeSize()
{
    m_mode = 0;
    m_atEnd = 1;
    m_length = 0;
    if (!m_name || std::strcmp(m_name, "stdin") == 0 || std::strcmp(m_name, "stdout") == 0)
        return 0;
    struct stat st;
    if (::stat(m_name, &st) != 0)
        return -1;
    if (!S_ISREG(st.st_mode))
        return 0;
    if (st.st_size > kIntMax)
        throw new qelException(__FILE__, __LINE__, qelMsg::E098, 0, false, m_name,
                               "File of 2 GiB or more is not supported");
    m_length = static_cast<int>(st.st_size);
    return m_length;
}

// Directory, sub-directory, name and extension joined into the name.
void qelFileStream::composePath()
{
    if (!m_directory || m_composed)
        return;
    m_composed = true;
    std::string path = m_directory;
    if (path.empty() || path.back() != '/')
        path += '/';
    if (m_subDirectory) {
        path += m_subDirectory;
        if (path.back() != '/')
            path += '/';
    }
    path += m_name ? m_name : "";
    if (m_extension) {
        path += '.';
        path += m_extension;
    }
    replaceText(m_name, path.c_str());
}

void qelFileStream::open()
{
    if (m_open)
        return;
    if (m_access == ACCESS_READ)
        openForRead();
    else
        openForWrite();
    m_open = 1;
}

void qelFileStream::openForRead()
{
    bool standard = m_name && std::strcmp(m_name, "stdin") == 0;
    if (!standard && !m_file)
        composePath();
    if (m_file) {
        if (!isQuiet())
            qelMessageOutput::printf("Warning! Input File %s already opened", nameOr("(null)"));
        return;
    }
    if (standard) {
        m_file = stdin;
        return;
    }
    errno = 0;
    m_file = m_name ? std::fopen(m_name, "rb") : nullptr;
    if (!m_file) {
        int error = m_name ? errno : EINVAL;
        throw new qelException(__FILE__, __LINE__, qelMsg::E098, 0, false, nameOr("(null)"),
                               std::strerror(error));
    }
}

void qelFileStream::openForWrite()
{
    bool standard = m_name && std::strcmp(m_name, "stdout") == 0;
    if (!standard && !m_file) {
        composePath();
        if (m_directory && m_subDirectory) {
            std::string dirs = m_directory;
            if (dirs.empty() || dirs.back() != '/')
                dirs += '/';
            dirs += m_subDirectory;
            if (dirs.back() != '/')
                dirs += '/';
            if ((fileMode(dirs) & S_IFMT) != S_IFDIR && createOutputDirectories() < 0)
                throw new qelException(__FILE__, __LINE__, qelMsg::E098, 0, false, nameOr("(null)"),
                                       "Unable to make output sub directories");
        }
    }
    if (m_file) {
        if (!isQuiet())
            qelMessageOutput::printf("Warning! Input File %s already opened", nameOr("(null)"));
        return;
    }
    if (standard) {
        m_file = stdout;
        return;
    }
    errno = 0;
    m_file = m_name ? std::fopen(m_name, "wb") : nullptr;
    if (!m_file) {
        int error = m_name ? errno : EINVAL;
        throw new qelException(__FILE__, __LINE__, qelMsg::E098, 0, false, nameOr("(null)"),
                               std::strerror(error));
    }
}

int qelFileStream::createOutputDirectories()
{
    if (!m_subDirectory || !*m_subDirectory || !m_directory)
        return -1;
    if (!isWritableDirectory(fileMode(m_directory)))
        return -1;
    std::string path = m_directory;
    if (path.empty() || path.back() != '/')
        path += '/';
    int result = -1;
    const char* p = m_subDirectory;
    while (*p) {
        const char* slash = std::strchr(p, '/');
        size_t n = slash ? static_cast<size_t>(slash - p) : std::strlen(p);
        if (n > 0) {
            path.append(p, n);
            path += '/';
            result = makeDirectory(path);
            if (result < 0)
                return result;
        }
        p += n;
        if (*p == '/')
            ++p;
    }
    return result;
}

int qelFileStream::readWindow()
{
    if (!m_readBuffer)
        m_readBuffer = new qelBufferStream(WINDOW_SIZE);
    m_readBuffer->m_length = 0;
    m_readBuffer->m_position = 0;
    if (std::feof(m_file))
        return 0;
    size_t n = std::fread(m_readBuffer->m_data, 1, WINDOW_SIZE, m_file);
    if (n < WINDOW_SIZE && std::ferror(m_file))
        throw new qelException(__FILE__, __LINE__, qelMsg::E073, 0, true, nameOr("(null)"),
                               std::strerror(errno));
    m_readBuffer->m_length = static_cast<int>(n);
    if (n > 0 && m_position == 0 && m_firstByte < 0)
        m_firstByte = m_readBuffer->m_data[0];
    return static_cast<int>(n);
}

void qelFileStream::fillBuffer()
{
    if (!m_file)
        throw new qelException(__FILE__, __LINE__, qelMsg::E158, 0, true);
    if (readWindow() == 0)
        throw new qelException(__FILE__, __LINE__, QEL_MSG_INFO, qelMsg::I001, 1, true, nameOr("(null)"));
}

// Positions count in 32 bits; input beyond that is refused, not wrapped.
void qelFileStream::advancePosition(int count)
{
    if (m_position > kIntMax - count)
        throw new qelException(__FILE__, __LINE__, qelMsg::E073, 0, true, nameOr("(null)"),
                               std::strerror(EFBIG));
    m_position += count;
}

int qelFileStream::getChar()
{
    if (!m_readBuffer || m_readBuffer->m_position >= m_readBuffer->m_length)
        fillBuffer();
    advancePosition(1);
    return m_readBuffer->m_data[m_readBuffer->m_position++];
}

int qelFileStream::copyAvailable(unsigned char* dst, int n)
{
    if (!m_readBuffer)
        return 0;
    int left = m_readBuffer->m_length - m_readBuffer->m_position;
    int count = n < left ? n : left;
    if (count <= 0)
        return 0;
    advancePosition(count);
    std::memcpy(dst, m_readBuffer->m_data + m_readBuffer->m_position, static_cast<size_t>(count));
    m_readBuffer->m_position += count;
    return count;
}

void qelFileStream::seek(int position)
{
    if (!m_file)
        throw new qelException(__FILE__, __LINE__, qelMsg::E158, 0, true);
    if (position < 0)
        position = 0;
    if (std::fseek(m_file, position, SEEK_SET) != 0)
        throw new qelException(__FILE__, __LINE__, qelMsg::E070, 0, true, nameOr("NULL"));
    m_position = position;
    if (m_access == ACCESS_READ) {
        if (m_readBuffer) {
            m_readBuffer->m_length = 0;
            m_readBuffer->m_position = 0;
        }
        fillBuffer();
    }
}

void qelFileStream::checkBeginning()
{
    if (m_access != ACCESS_READ)
        return;
    if (!m_file)
        throw new qelException(__FILE__, __LINE__, qelMsg::E061, 0, true);
    if (m_file == stdin) {
        // A pipe cannot seek: the first window is read once and kept.
        if (m_firstByte < 0 && m_position == 0 && readWindow() == 0)
            throw new qelException(__FILE__, __LINE__, qelMsg::E072, 0, true, nameOr("(null)"));
        if (m_firstByte == 0x5A)
            m_carriageControl = 1;
        return;
    }
    if (std::fseek(m_file, 0, SEEK_SET) != 0)
        throw new qelException(__FILE__, __LINE__, qelMsg::E070, 0, true, nameOr("NULL"));
    int first = std::fgetc(m_file);
    if (first == EOF) {
        if (std::ferror(m_file))
            throw new qelException(__FILE__, __LINE__, qelMsg::E073, 0, true, nameOr("(null)"),
                                   std::strerror(errno));
        throw new qelException(__FILE__, __LINE__, qelMsg::E072, 0, true, nameOr("(null)"));
    }
    if (first == 0x5A)
        m_carriageControl = 1;
    seek(m_position);
}

void qelFileStream::setData(const unsigned char* bytes, int count)
{
    delete[] m_data;
    m_data = nullptr;
    m_length = 0;
    if (bytes && count > 0) {
        m_data = new unsigned char[count];
        std::memcpy(m_data, bytes, static_cast<size_t>(count));
        m_length = count;
    }
    if (m_file)
        seek(0);
    else
        m_position = 0;
}

void qelFileStream::readAll()
{
    if (!m_file)
        throw new qelException(__FILE__, __LINE__, qelMsg::E158, 0, true);
    delete[] m_data;
    m_data = nullptr;
    if (m_length <= 0)
        return;
    if (std::feof(m_file))
        throw new qelException(__FILE__, __LINE__, QEL_MSG_INFO, qelMsg::I001, 1, true, nameOr("(null)"));
    unsigned char* data = new (std::nothrow) unsigned char[static_cast<size_t>(m_length)]();
    if (!data)
        throw "Memory allocation for file data failed";
    size_t n = std::fread(data, 1, static_cast<size_t>(m_length), m_file);
    if (n < static_cast<size_t>(m_length)) {
        if (std::ferror(m_file)) {
            delete[] data;
            throw new qelException(__FILE__, __LINE__, qelMsg::E073, 0, true, nameOr("(null)"),
                                   std::strerror(errno));
        }
        if (n == 0) {
            delete[] data;
            throw new qelException(__FILE__, __LINE__, QEL_MSG_INFO, qelMsg::I001, 1, true, nameOr("(null)"));
        }
    }
    m_data = data;
}

void qelFileStream::write(const unsigned char* bytes, int count)
{
    if (!m_file)
        throw new qelException(__FILE__, __LINE__, qelMsg::E158, 0, true);
    if (!bytes || count <= 0)
        return;
    if (m_position > kIntMax - count)
        throw new qelException(__FILE__, __LINE__, qelMsg::E075, 0, true, nameOr("(null)"),
                               std::strerror(EFBIG));
    size_t n = std::fwrite(bytes, 1, static_cast<size_t>(count), m_file);
    m_position += static_cast<int>(n);
    if (n < static_cast<size_t>(count) && std::ferror(m_file))
        throw new qelException(__FILE__, __LINE__, qelMsg::E075, 0, true, nameOr("(null)"),
                               std::strerror(errno));
}

void qelFileStream::flushData()
{
    if (!m_file)
        throw new qelException(__FILE__, __LINE__, qelMsg::E158, 0, true);
    if (!m_data || m_length <= 0)
        return;
    size_t n = std::fwrite(m_data, 1, static_cast<size_t>(m_length), m_file);
    if (n < static_cast<size_t>(m_length) && std::ferror(m_file))
        throw new qelException(__FILE__, __LINE__, qelMsg::E075, 0, true, nameOr("(null)"),
                               std::strerror(errno));
}

void qelFileStream::close()
{
    if (!m_file)
        return;
    if (holdsStandardFile()) {
        // The process's own standard files stay open; flush what we wrote.
        FILE* file = m_file;
        m_file = nullptr;
        if (file == stdout && std::fflush(file) != 0)
            throw new qelException(__FILE__, __LINE__, qelMsg::E075, 0, true, nameOr("(null)"),
                                   std::strerror(errno));
        return;
    }
    FILE* file = m_file;
    m_file = nullptr;
    m_open = 0;
    if (std::fclose(file) == 0)
        return;
    if (m_access == ACCESS_WRITE)
        throw new qelException(__FILE__, __LINE__, qelMsg::E075, 0, true, nameOr("(null)"),
                               std::strerror(errno));
    logWarning("Warning! cannot close the file ");
    if (!isQuiet())
        qelMessageOutput::write("Warning! cannot close the file \n");
}
