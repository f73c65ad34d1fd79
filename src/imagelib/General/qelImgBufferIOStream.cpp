#include "qelImgBufferIOStream.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

qelImgBufferIOStream::~qelImgBufferIOStream()
{
    delete[] m_block;
}

int qelImgBufferIOStream::open()
{
    delete[] m_block;
    m_block = new unsigned char[m_initialSize]();
    m_capacity = m_initialSize;
    // A new block is empty: a kept size would read past it and a kept
    // position would put the new bytes behind a run of zeros.
    m_position = 0;
    m_size = 0;
    return 1;
}

int qelImgBufferIOStream::seek(int offset)
{
    m_position = offset;
    return 0;
}

int qelImgBufferIOStream::getChar()
{
    if (m_position < 0 || m_position >= m_size)
        return -1;
    return m_block[m_position++];
}

int qelImgBufferIOStream::read(void* buffer, unsigned int count)
{
    if (m_position < 0 || m_position >= m_size)
        return -1;
    unsigned int n = std::min(count, static_cast<unsigned int>(m_size - m_position));
    std::memcpy(buffer, m_block + m_position, n);
    m_position += static_cast<int>(n);
    return static_cast<int>(n);
}

int qelImgBufferIOStream::skip(unsigned int count)
{
    seek(tell() + static_cast<int>(count));
    return 1;
}

bool qelImgBufferIOStream::grow(unsigned int count)
{
    if (!m_block || m_position < 0)
        return false;
    unsigned long long need = static_cast<unsigned long long>(m_position) + count;
    if (need + 1 <= m_capacity)
        return true;
    unsigned long long capacity = m_capacity + std::max<unsigned long long>(GROWTH, need - m_capacity + 1);
    if (capacity > 0x7FFFFFFFULL)
        return false;
    auto* block = new unsigned char[capacity]();
    std::memcpy(block, m_block, m_capacity);
    delete[] m_block;
    m_block = block;
    m_capacity = static_cast<unsigned int>(capacity);
    return true;
}

int qelImgBufferIOStream::write(const void* data, unsigned int count)
{
    if (!grow(count))
        return -1;
    std::memcpy(m_block + m_position, data, count);
    m_position += static_cast<int>(count);
    reached(m_position);
    return static_cast<int>(count);
}

int qelImgBufferIOStream::putChar(int c)
{
    unsigned char byte = static_cast<unsigned char>(c);
    return write(&byte, 1) == 1 ? 1 : -1;
}

int qelImgBufferIOStream::getBuffer(char** data, unsigned int* size, bool cHeap)
{
    *data = nullptr;
    *size = 0;
    if (m_size == 0 || !m_block)
        return 0;
    auto n = static_cast<size_t>(m_size);
    char* copy = cHeap ? static_cast<char*>(std::malloc(n)) : new char[n];
    if (!copy)
        return 0;
    std::memcpy(copy, m_block, n);
    *data = copy;
    *size = static_cast<unsigned int>(n);
    return m_size;
}
