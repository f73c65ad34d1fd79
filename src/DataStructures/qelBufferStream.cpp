#include "qelBufferStream.h"

#include "qelException.h"
#include "qelMessageOutput.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

qelBufferStream::qelBufferStream(int size)
{
    if (size > 0) {
        m_data = new (std::nothrow) unsigned char[size]();
        if (!m_data)
            throw "Memory allocation for buffer stream failed";
    }
    setName(reinterpret_cast<const char*>(m_data));
}

qelBufferStream::qelBufferStream(const unsigned char* bytes, int count, bool adopt)
{
    setBuffer(bytes, count, adopt);
}

qelBufferStream::~qelBufferStream()
{
    release();
}

void qelBufferStream::release()
{
    if (m_data && !m_adopted) {
        if (m_cHeap)
            std::free(m_data);
        else
            delete[] m_data;
    }
    m_data = nullptr;
    m_adopted = 0;
    m_cHeap = 0;
}

void qelBufferStream::setBuffer(const unsigned char* bytes, int count, bool adopt)
{
    release();
    // The old capacity described the released buffer.
    m_capacity = 0;
    m_length = 0;
    if (!bytes || count <= 0)
        return;
    if (adopt) {
        m_data = const_cast<unsigned char*>(bytes);
        m_adopted = 1;
    } else {
        m_data = new (std::nothrow) unsigned char[count];
        if (!m_data)
            throw "Memory allocation for buffer stream failed";
        std::memcpy(m_data, bytes, static_cast<size_t>(count));
    }
    m_length = count;
    seek(0);
    setName(reinterpret_cast<const char*>(m_data));
}

int qelBufferStream::getChar()
{
    if (m_position < m_length && m_data)
        return m_data[m_position++];
    throw new qelException(__FILE__, __LINE__, QEL_MSG_INFO, qelMsg::I199, 1, true);
}

int qelBufferStream::copyAvailable(unsigned char* dst, int n)
{
    if (!m_data || m_position >= m_length)
        return 0;
    int left = m_length - m_position;
    int count = n < left ? n : left;
    std::memcpy(dst, m_data + m_position, static_cast<size_t>(count));
    m_position += count;
    return count;
}

void qelBufferStream::seek(int position)
{
    m_position = position < 0 ? 0 : position;
}

void qelBufferStream::setName(const char* buffer)
{
    delete[] m_name;
    m_name = nullptr;
    if (!buffer) {
        if (!isQuiet())
            qelMessageOutput::write("Warning! Null Input Buffer\n");
        return;
    }
    char text[30];
    std::snprintf(text, sizeof text, "0x%x:%ld",
                  static_cast<unsigned int>(reinterpret_cast<uintptr_t>(buffer) & 0xFFFFFFFFu),
                  static_cast<long>(m_length));
    size_t n = std::strlen(text);
    m_name = new char[n + 1];
    std::memcpy(m_name, text, n + 1);
}

void qelBufferStream::checkBeginning()
{
    if (!m_data)
        throw new qelException(__FILE__, __LINE__, qelMsg::E061, 0, true);
    if (m_length > 0 && m_data[0] == 0x5A)
        m_carriageControl = 1;
}

int qelBufferStream::computeSize()
{
    release();
    m_position = 0;
    m_length = 0;
    m_capacity = 0;
    return 0;
}

// Appends at the position; position and length both end after the bytes.
void qelBufferStream::write(const unsigned char* bytes, int count)
{
    if (count < 0)
        count = 0;
    if (count > 0 && !bytes)
        return;
    int64_t end = static_cast<int64_t>(m_position) + count;
    if (end > std::numeric_limits<int>::max())
        throw "Memory allocation for buffer stream failed";
    if (end >= m_capacity || !m_data || m_adopted) {
        int64_t grown = static_cast<int64_t>(m_capacity) + (count > 1024 ? count : 1024);
        if (grown < end)
            grown = end;
        if (grown > std::numeric_limits<int>::max())
            grown = std::numeric_limits<int>::max();
        unsigned char* data = new (std::nothrow) unsigned char[static_cast<size_t>(grown)]();
        if (!data)
            throw "Memory allocation for buffer stream failed";
        int keep = m_length < static_cast<int>(grown) ? m_length : static_cast<int>(grown);
        if (m_data && keep > 0)
            std::memcpy(data, m_data, static_cast<size_t>(keep));
        release();
        m_data = data;
        m_capacity = static_cast<int>(grown);
    }
    if (count > 0)
        std::memcpy(m_data + m_position, bytes, static_cast<size_t>(count));
    m_position = static_cast<int>(end);
    m_length = static_cast<int>(end);
}
