#ifndef QEL_BUFFER_STREAM_H
#define QEL_BUFFER_STREAM_H

#include "qelStream.h"

// Byte stream over a memory buffer; the end of the data raises I199.
class qelBufferStream : public qelStream
{
    friend class qelFileStream;

public:
    // An owned, zero-filled buffer of size bytes; length and capacity 0.
    explicit qelBufferStream(int size);
    qelBufferStream(const unsigned char* bytes, int count, bool adopt);
    ~qelBufferStream() override;

    // Replaces the content by the caller's buffer (adopt) or by a copy.
    void setBuffer(const unsigned char* bytes, int count, bool adopt);

    int getType() override { return QEL_STREAM_BUFFER; }
    int getChar() override;
    unsigned char* getData() override { return m_data; }
    void seek(int position) override;
    const char* getName() override { return m_name; }
    // Names the stream after the buffer address and the current length.
    void setName(const char* buffer) override;
    void checkBeginning() override;
    void open() override { m_open = 1; }
    int computeSize() override;
    void close() override { m_open = 0; }
    void setMode(unsigned char flag) override { m_mode = flag; }
    unsigned char getMode() override { return m_mode; }
    void write(const unsigned char* bytes, int count) override;
    void flushData() override {}
    void readAll() override {}
    void setData(const unsigned char*, int) override {}
    void reservedA() override {}
    void setAttribute(int, const char*) override {}
    int reservedB() override { return 0; }
    int getAttribute(int, char*, int) override { return 0; }

    int getCapacity() const { return m_capacity; }
    bool isAdopted() const { return m_adopted != 0; }

protected:
    int copyAvailable(unsigned char* dst, int n) override;

private:
    void release();

    unsigned char* m_data = nullptr;
    int m_capacity = 0;
    // Set when an owned buffer came from the C heap (released with free).
    unsigned char m_cHeap = 0;
    unsigned char m_adopted = 0;
};

#endif
