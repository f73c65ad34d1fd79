#ifndef QEL_IMG_FILE_IO_STREAM_H
#define QEL_IMG_FILE_IO_STREAM_H

#include "qelImgIOStream.h"

#include <cstdio>

// A file opened "wb+" (created or truncated, read and write) whatever the
// mode says. open throws OIL008 and OIL018; the rest answer -1 when closed.
class qelImgFileIOStream : public qelImgIOStream
{
public:
    qelImgFileIOStream(const char* name, int mode) : qelImgIOStream(name, mode) {}
    ~qelImgFileIOStream() override;

    int seek(int offset) override;
    int tell() override;
    int open() override;
    int close() override;
    int getChar() override;
    int read(void* buffer, unsigned int count) override;
    int skip(unsigned int count) override;
    int write(const void* data, unsigned int count) override;
    int putChar(int c) override;
    int getStreamType() override { return TYPE_FILE; }
    int getBuffer(char**, unsigned int*, bool) override { return 0; }

private:
    FILE* m_file = nullptr;
};

#endif
