#ifndef QEL_CHUNK_LIST_H
#define QEL_CHUNK_LIST_H

#include <cstdint>
#include <cstdio>

// One piece of collected data; the chunk owns its data (allocated with new[]).
struct qelChunk
{
    unsigned char* data = nullptr;
    uint32_t length = 0;
    qelChunk* next = nullptr;
};

// Byte chunks collected by the image and object parsers before they are
// joined or written to a file. The total length counts every byte ever
// appended, also after clear(): once the chunks went to a file, the total
// goes on counting the bytes held there.
class qelChunkList
{
public:
    qelChunkList() = default;
    ~qelChunkList() { clear(); }
    qelChunkList(const qelChunkList&) = delete;
    qelChunkList& operator=(const qelChunkList&) = delete;

    // Takes over data (allocated with new[]); null data is ignored.
    void append(unsigned char* data, uint32_t length);
    // A new buffer (new[]) of getTotalLength() bytes holding the chunks in
    // order; bytes no longer held in chunks are zero.
    unsigned char* join() const;
    // Writes the chunks in order; false when the file is null or a write fails.
    bool writeTo(FILE* file) const;
    // Frees the chunks; the total length and the count stay.
    void clear();

    uint32_t getTotalLength() const { return m_totalLength; }
    int getCount() const { return m_count; }
    const qelChunk* getHead() const { return m_head; }

private:
    uint32_t m_totalLength = 0;
    int m_count = 0;
    qelChunk* m_head = nullptr;
    qelChunk* m_tail = nullptr;
};

#endif
