#ifndef QEL_IMG_TIFF_STREAM_H
#define QEL_IMG_TIFF_STREAM_H

#include "qelImgIOStream.h"

// Read-only join of a built TIFF header and raw image data (both borrowed).
class qelImgTIFFStream : public qelImgIOStream
{
public:
    qelImgTIFFStream(const char* name, int mode, const unsigned char* header, unsigned int headerLength,
                     const unsigned char* data, unsigned int dataLength);

    int seek(int offset) override;
    int tell() override { return static_cast<int>(m_readPosition); }
    int open() override { return 0; }
    int close() override { return 0; }
    int getChar() override { return 0; }
    int read(void* buffer, unsigned int count) override;
    int skip(unsigned int) override { return 0; }
    int write(const void*, unsigned int) override { return 0; }
    int putChar(int) override { return 0; }
    int getStreamType() override { return TYPE_TIFF; }
    int getBuffer(char**, unsigned int*, bool) override { return 0; }

private:
    const unsigned char* m_data;
    const unsigned char* m_header;
    unsigned int m_headerLength;
    unsigned int m_dataLength;
    unsigned int m_readPosition = 0;
};

#endif
