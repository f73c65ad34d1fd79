#ifndef CX_IO_FILE_H
#define CX_IO_FILE_H

#include "CxFile.h"

// A C stdio file; closed by the object when it opened it.
class CxIOFile : public CxFile
{
public:
    explicit CxIOFile(FILE* file = nullptr) : m_file(file) {}
    ~CxIOFile() override;

    bool Open(const char* name, const char* mode);
    FILE* GetFile() { return m_file; }

    size_t Read(void* buffer, size_t size, size_t count) override;
    size_t Write(const void* buffer, size_t size, size_t count) override;
    bool Seek(int64_t offset, int origin) override;
    int64_t Tell() override;
    int64_t Size() override;
    bool Eof() override;
    bool Close() override;

private:
    FILE* m_file;
    bool m_owned = false;
};

#endif
