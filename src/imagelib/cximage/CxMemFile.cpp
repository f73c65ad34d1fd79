#include "CxMemFile.h"

#include <cstdlib>
#include <cstring>

CxMemFile::CxMemFile(uint8_t* buffer, size_t size)
    : m_buffer(buffer), m_size(buffer ? static_cast<int64_t>(size) : 0), m_capacity(m_size), m_owned(!buffer)
{
}

CxMemFile::~CxMemFile()
{
    if (m_owned)
        std::free(m_buffer);
}

uint8_t* CxMemFile::GetBuffer(bool detach)
{
    uint8_t* data = m_buffer;
    if (detach && m_owned) {
        m_buffer = nullptr;
        m_size = m_capacity = m_position = 0;
    }
    return data;
}

size_t CxMemFile::Read(void* buffer, size_t size, size_t count)
{
    if (!buffer || size == 0 || m_position >= m_size)
        return 0;
    const int64_t items = (m_size - m_position) / static_cast<int64_t>(size);
    const size_t n = static_cast<int64_t>(count) < items ? count : static_cast<size_t>(items);
    std::memcpy(buffer, m_buffer + m_position, n * size);
    m_position += static_cast<int64_t>(n * size);
    return n;
}

bool CxMemFile::Reserve(int64_t size)
{
    if (size <= m_capacity)
        return true;
    if (!m_owned || size > MAX_SIZE)
        return false;
    int64_t capacity = m_capacity < 4096 ? 4096 : m_capacity;
    while (capacity < size)
        capacity *= 2;
    if (capacity > MAX_SIZE)
        capacity = MAX_SIZE;
    auto* grown = static_cast<uint8_t*>(std::realloc(m_buffer, static_cast<size_t>(capacity)));
    if (!grown)
        return false;
    m_buffer = grown;
    m_capacity = capacity;
    return true;
}

size_t CxMemFile::Write(const void* buffer, size_t size, size_t count)
{
    if (!buffer || size == 0 || count == 0)
        return 0;
    const int64_t bytes = static_cast<int64_t>(size) * static_cast<int64_t>(count);
    if (bytes / static_cast<int64_t>(size) != static_cast<int64_t>(count) || !Reserve(m_position + bytes))
        return 0;
    std::memcpy(m_buffer + m_position, buffer, static_cast<size_t>(bytes));
    m_position += bytes;
    if (m_position > m_size)
        m_size = m_position;
    return count;
}

bool CxMemFile::Seek(int64_t offset, int origin)
{
    int64_t base = origin == SEEK_CUR ? m_position : origin == SEEK_END ? m_size : 0;
    const int64_t to = base + offset;
    if (to < 0 || to > m_size)
        return false;
    m_position = to;
    return true;
}
