#ifndef QEL_CODE_POINT_GCGID_TABLE_H
#define QEL_CODE_POINT_GCGID_TABLE_H

#include <cstdint>

// GCGIDs of a code page by code point: entry c belongs to code point c.
struct qelCodePointGCGIDTable
{
    static constexpr int kEntries = 1024;
    struct Entry
    {
        char gcgid[10] = {};
        uint16_t value = 0;
    };
    Entry entries[kEntries];
};

#endif
