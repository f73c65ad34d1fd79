#ifndef CX_FILE_H
#define CX_FILE_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Byte source and sink of the CxImage stand-in's codecs.
class CxFile
{
public:
    CxFile() = default;
    virtual ~CxFile() = default;
    CxFile(const CxFile&) = delete;
    CxFile& operator=(const CxFile&) = delete;

    // Whole items read or written.
    virtual size_t Read(void* buffer, size_t size, size_t count) = 0;
    virtual size_t Write(const void* buffer, size_t size, size_t count) = 0;
    // origin is SEEK_SET, SEEK_CUR or SEEK_END; false outside the data.
    virtual bool Seek(int64_t offset, int origin) = 0;
    virtual int64_t Tell() = 0;
    virtual int64_t Size() = 0;
    virtual bool Eof() = 0;
    virtual bool Close() = 0;

    // Bytes between the position and the end; 0 when unknown.
    int64_t Remaining()
    {
        const int64_t size = Size();
        const int64_t at = Tell();
        return size > at && at >= 0 ? size - at : 0;
    }
};

#endif
