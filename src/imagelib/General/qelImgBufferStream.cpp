#include "qelImgBufferStream.h"

#include <cstring>

int qelImgBufferStream::getChar()
{
    if (!has(1))
        return -1;
    return m_data[m_position++];
}

int qelImgBufferStream::getWord()
{
    if (!has(2))
        return -1;
    int word = m_data[m_position] * 256 + m_data[m_position + 1];
    m_position += 2;
    return word;
}

int qelImgBufferStream::read(void* buffer, unsigned int count)
{
    if (!has(count))
        return -1;
    std::memcpy(buffer, m_data + m_position, count);
    m_position += count;
    return static_cast<int>(count);
}

int qelImgBufferStream::skip(unsigned int count)
{
    if (!has(count))
        return -1;
    m_position += count;
    return static_cast<int>(count);
}

int qelImgBufferStream::getBuffer(char** data, unsigned int* size, int)
{
    if (data)
        *data = nullptr;
    if (size)
        *size = 0;
    return 0;
}
