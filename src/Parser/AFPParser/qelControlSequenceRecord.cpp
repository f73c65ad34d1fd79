#include "qelControlSequenceRecord.h"

#include <cstring>

qelControlSequenceRecord::~qelControlSequenceRecord()
{
    delete[] m_data;
}

void qelControlSequenceRecord::setData(uint8_t* data, uint8_t length)
{
    if (data != m_data)
        delete[] m_data;
    m_data = data;
    m_dataLength = data ? length : 0;
    m_readPosition = 0;
}

void qelControlSequenceRecord::copyData(const uint8_t* data, uint8_t length)
{
    uint8_t* copy = nullptr;
    if (data && length > 0) {
        copy = new uint8_t[length];
        std::memcpy(copy, data, length);
    }
    setData(copy, copy ? length : 0);
}

uint8_t qelControlSequenceRecord::readByte()
{
    if (!m_data || m_readPosition >= m_dataLength)
        return 0;
    return m_data[m_readPosition++];
}

uint16_t qelControlSequenceRecord::readUnsignedShort()
{
    uint16_t high = readByte();
    uint16_t low = readByte();
    return static_cast<uint16_t>((high << 8) | low);
}

int qelControlSequenceRecord::readBytes(uint8_t* buffer, int count)
{
    if (!buffer || count < 0)
        return 0;
    int n = count < getRemaining() ? count : getRemaining();
    if (n > 0) {
        std::memcpy(buffer, m_data + m_readPosition, static_cast<size_t>(n));
        m_readPosition = static_cast<uint8_t>(m_readPosition + n);
    }
    return n;
}

void qelControlSequenceRecord::clear()
{
    delete[] m_data;
    m_data = nullptr;
    m_functionType = 0;
    m_length = 0;
    m_dataLength = 0;
    m_gathered = 0;
    m_readPosition = 0;
    m_processed = 0;
}
