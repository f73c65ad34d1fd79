#include "qelImgFileIOStream.h"

#include "qelImgException.h"

#include <cerrno>
#include <cstring>

qelImgFileIOStream::~qelImgFileIOStream()
{
    close();
}

int qelImgFileIOStream::open()
{
    if (m_file)
        return 1;
    const char* name = getFileName();
    if (!name || !*name)
        throw new qelImgException(__FILE__, __LINE__, 8, 0, true);
    m_file = std::fopen(name, "wb+");
    if (!m_file) {
        int error = errno;
        throw new qelImgException(__FILE__, __LINE__, 18, 0, true, name, error, std::strerror(error));
    }
    return 1;
}

int qelImgFileIOStream::close()
{
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    return 1;
}

int qelImgFileIOStream::seek(int offset)
{
    if (!m_file)
        return 0;
    m_position = offset;
    return std::fseek(m_file, offset, SEEK_SET);
}

int qelImgFileIOStream::tell()
{
    if (!m_file)
        return -1;
    long at = std::ftell(m_file);
    if (at < 0)
        return -1;
    m_position = static_cast<int>(at);
    return m_position;
}

int qelImgFileIOStream::getChar()
{
    if (!m_file)
        return -1;
    int c = std::fgetc(m_file);
    reached(tell());
    return c == EOF ? -1 : c;
}

int qelImgFileIOStream::read(void* buffer, unsigned int count)
{
    if (!m_file)
        return -1;
    size_t n = std::fread(buffer, 1, count, m_file);
    if (n == count)
        reached(tell());
    return static_cast<int>(n);
}

int qelImgFileIOStream::skip(unsigned int count)
{
    seek(tell() + static_cast<int>(count));
    return 1;
}

int qelImgFileIOStream::write(const void* data, unsigned int count)
{
    if (!m_file)
        return -1;
    size_t n = std::fwrite(data, 1, count, m_file);
    if (n == count)
        reached(tell());
    return static_cast<int>(n);
}

int qelImgFileIOStream::putChar(int c)
{
    if (!m_file || std::fputc(c, m_file) == EOF)
        return -1;
    reached(tell());
    return 1;
}
