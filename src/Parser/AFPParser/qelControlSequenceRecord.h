#ifndef QEL_CONTROL_SEQUENCE_RECORD_H
#define QEL_CONTROL_SEQUENCE_RECORD_H

#include <cstdint>

// One text control sequence while it is gathered and executed: its length
// and type bytes and its parameter bytes. Readers past the data give 0.
class qelControlSequenceRecord
{
public:
    qelControlSequenceRecord() = default;
    ~qelControlSequenceRecord();
    qelControlSequenceRecord(const qelControlSequenceRecord&) = delete;
    qelControlSequenceRecord& operator=(const qelControlSequenceRecord&) = delete;

    uint8_t getFunctionType() const { return m_functionType; }
    void setFunctionType(uint8_t t) { m_functionType = t; }
    uint8_t getLength() const { return m_length; }
    void setLength(uint8_t n) { m_length = n; }
    const uint8_t* getData() const { return m_data; }
    uint8_t getDataLength() const { return m_dataLength; }
    uint8_t getGathered() const { return m_gathered; }
    void setGathered(uint8_t n) { m_gathered = n; }
    uint8_t getReadPosition() const { return m_readPosition; }
    void setReadPosition(uint8_t n) { m_readPosition = n; }
    bool isProcessed() const { return m_processed != 0; }
    void setProcessed(bool on) { m_processed = on ? 1 : 0; }

    // Takes the buffer (from new[]) over, frees the previous one; the read
    // position goes back to 0.
    void setData(uint8_t* data, uint8_t length);
    // Copies length bytes into a buffer of its own.
    void copyData(const uint8_t* data, uint8_t length);

    // Parameter bytes not yet read.
    int getRemaining() const { return m_readPosition < m_dataLength ? m_dataLength - m_readPosition : 0; }
    uint8_t readByte();
    // Big-endian; a missing byte reads as 0.
    uint16_t readUnsignedShort();
    // Copies min(count, remaining) bytes; the number copied.
    int readBytes(uint8_t* buffer, int count);

    // Every gathered byte taken, length and type bytes included.
    bool isComplete() const { return m_gathered == m_length; }
    // All fields 0, data freed.
    void clear();

private:
    uint8_t m_functionType = 0;
    uint8_t m_length = 0;
    uint8_t* m_data = nullptr;
    uint8_t m_dataLength = 0;
    uint8_t m_gathered = 0;
    uint8_t m_readPosition = 0;
    uint8_t m_processed = 0;
};

#endif
