#include "qelChunkList.h"

#include <cstring>

void qelChunkList::append(unsigned char* data, uint32_t length)
{
    if (!data)
        return;
    qelChunk* chunk = new qelChunk;
    chunk->data = data;
    chunk->length = length;
    if (m_tail)
        m_tail->next = chunk;
    else
        m_head = chunk;
    m_tail = chunk;
    m_totalLength += length;
    ++m_count;
}

unsigned char* qelChunkList::join() const
{
    unsigned char* out = new unsigned char[m_totalLength]();
    uint32_t at = 0;
    for (const qelChunk* c = m_head; c && at < m_totalLength; c = c->next) {
        uint32_t n = c->length;
        if (n > m_totalLength - at)
            n = m_totalLength - at;
        std::memcpy(out + at, c->data, n);
        at += n;
    }
    return out;
}

bool qelChunkList::writeTo(FILE* file) const
{
    if (!file)
        return false;
    for (const qelChunk* c = m_head; c; c = c->next)
        if (c->length && std::fwrite(c->data, 1, c->length, file) != c->length)
            return false;
    return true;
}

void qelChunkList::clear()
{
    qelChunk* c = m_head;
    m_head = m_tail = nullptr;
    while (c) {
        qelChunk* next = c->next;
        delete[] c->data;
        delete c;
        c = next;
    }
}
