#ifndef QEL_IMG_BUFFER_STREAM_H
#define QEL_IMG_BUFFER_STREAM_H

#include "qelImgInputStream.h"

// Reads a caller's memory block (borrowed). read and skip refuse with -1
// when fewer bytes remain than asked for.
class qelImgBufferStream : public qelImgInputStream
{
public:
    qelImgBufferStream(const char* name, const unsigned char* data, unsigned int size)
        : qelImgInputStream(name), m_data(data), m_size(data ? size : 0)
    {
    }

    int open() override { return 1; }
    int close() override { return 1; }
    int getChar() override;
    // Big-endian; -1 when either byte is missing.
    int getWord() override;
    int read(void* buffer, unsigned int count) override;
    int skip(unsigned int count) override;
    int getBuffer(char** data, unsigned int* size, int) override;

    const unsigned char* getData() const { return m_data; }
    unsigned int getSize() const { return m_size; }
    unsigned int getPosition() const { return m_position; }

private:
    bool has(unsigned int count) const { return m_position < m_size && m_size - m_position >= count; }

    const unsigned char* m_data;
    unsigned int m_size;
};

#endif
