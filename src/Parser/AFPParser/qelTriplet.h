#ifndef QEL_TRIPLET_H
#define QEL_TRIPLET_H

#include <cstdint>

// One triplet as read: the length byte, the id and a view of the data bytes
// inside the structured field's data (valid until the next field is read).
// Reading beyond the data raises I199; a triplet without data raises E059.
class qelTriplet
{
public:
    qelTriplet() = default;

    void set(int length, int id, const unsigned char* data, int size);
    void clear();

    int getLength() const { return m_length; }
    int getId() const { return m_id; }
    const unsigned char* getData() const { return m_data; }
    int getSize() const { return m_size; }
    int getPosition() const { return m_position; }
    int getRemaining() const { return m_data && m_size > m_position ? m_size - m_position : 0; }

    int readByte();
    unsigned int readUInt16();
    uint32_t readUInt32();
    void readBytes(unsigned char* buffer, int n);
    // Four bytes in a new buffer (new[]) that the caller frees.
    unsigned char* read4Bytes();
    void skip(int n);

private:
    void need(int n);

    uint8_t m_length = 0;
    uint8_t m_id = 0;
    const unsigned char* m_data = nullptr;
    int m_size = 0;
    int m_position = 0;
};

#endif
