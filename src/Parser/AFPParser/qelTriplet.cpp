#include "qelTriplet.h"

#include "qelException.h"

#include <cstring>

void qelTriplet::set(int length, int id, const unsigned char* data, int size)
{
    m_length = static_cast<uint8_t>(length);
    m_id = static_cast<uint8_t>(id);
    m_data = data;
    m_size = data && size > 0 ? size : 0;
    m_position = 0;
}

void qelTriplet::clear()
{
    set(0, 0, nullptr, 0);
}

void qelTriplet::need(int n)
{
    if (!m_data)
        throw new qelException(__FILE__, __LINE__, qelMsg::E059, 0, true);
    if (n < 0 || m_size - m_position < n) {
        m_position = m_size;
        throw new qelException(__FILE__, __LINE__, QEL_MSG_INFO, qelMsg::I199, 1, true);
    }
}

int qelTriplet::readByte()
{
    need(1);
    return m_data[m_position++];
}

unsigned int qelTriplet::readUInt16()
{
    need(2);
    unsigned int value = (static_cast<unsigned int>(m_data[m_position]) << 8) | m_data[m_position + 1];
    m_position += 2;
    return value;
}

uint32_t qelTriplet::readUInt32()
{
    need(4);
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | m_data[m_position++];
    return value;
}

void qelTriplet::readBytes(unsigned char* buffer, int n)
{
    if (n <= 0)
        return;
    need(n);
    std::memcpy(buffer, m_data + m_position, static_cast<size_t>(n));
    m_position += n;
}

unsigned char* qelTriplet::read4Bytes()
{
    need(4);
    unsigned char* bytes = new unsigned char[4];
    std::memcpy(bytes, m_data + m_position, 4);
    m_position += 4;
    return bytes;
}

void qelTriplet::skip(int n)
{
    if (n <= 0)
        return;
    need(n);
    m_position += n;
}
