#ifndef QEL_IMG_BUFFER_IO_STREAM_H
#define QEL_IMG_BUFFER_IO_STREAM_H

#include "qelImgIOStream.h"

// A growing memory block; it keeps one spare byte past the highest byte
// written and grows by at least 10240 bytes. Writing needs an open stream;
// opening starts a new, empty block at position 0, as reopening a file does.
class qelImgBufferIOStream : public qelImgIOStream
{
public:
    enum { DEFAULT_SIZE = 10240, GROWTH = 10240 };

    qelImgBufferIOStream(const char* name, int mode) : qelImgIOStream(name, mode) {}
    qelImgBufferIOStream(const char* name, int mode, unsigned int initialSize)
        : qelImgIOStream(name, mode), m_initialSize(initialSize)
    {
    }
    ~qelImgBufferIOStream() override;

    int seek(int offset) override;
    int tell() override { return m_position; }
    int open() override;
    int close() override { return 1; }
    int getChar() override;
    int read(void* buffer, unsigned int count) override;
    int skip(unsigned int count) override;
    int write(const void* data, unsigned int count) override;
    int putChar(int c) override;
    int getStreamType() override { return TYPE_MEMORY; }
    int getBuffer(char** data, unsigned int* size, bool cHeap) override;

    void setInitialSize(unsigned int size) { m_initialSize = size; }
    unsigned int getCapacity() const { return m_capacity; }

private:
    // False when the block cannot take count bytes at the position.
    bool grow(unsigned int count);

    unsigned char* m_block = nullptr;
    unsigned int m_capacity = 0;
    unsigned int m_initialSize = DEFAULT_SIZE;
};

#endif
