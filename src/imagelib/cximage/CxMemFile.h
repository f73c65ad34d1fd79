#ifndef CX_MEM_FILE_H
#define CX_MEM_FILE_H

#include "CxFile.h"

// A memory file: over a caller's buffer (borrowed, read and overwritten in
// place, never grown) or, without one, over its own growing malloc block.
class CxMemFile : public CxFile
{
public:
    // Largest block a written memory file grows to.
    static constexpr int64_t MAX_SIZE = int64_t(1) << 30;

    explicit CxMemFile(uint8_t* buffer = nullptr, size_t size = 0);
    ~CxMemFile() override;

    bool Open() { return true; }
    // The data; with detach the caller takes an owned block (free() it).
    uint8_t* GetBuffer(bool detach = true);

    size_t Read(void* buffer, size_t size, size_t count) override;
    size_t Write(const void* buffer, size_t size, size_t count) override;
    bool Seek(int64_t offset, int origin) override;
    int64_t Tell() override { return m_position; }
    int64_t Size() override { return m_size; }
    bool Eof() override { return m_position >= m_size; }
    bool Close() override { return true; }

private:
    bool Reserve(int64_t size);

    uint8_t* m_buffer;
    int64_t m_size;
    int64_t m_capacity;
    int64_t m_position = 0;
    bool m_owned;
};

#endif
