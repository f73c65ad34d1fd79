#ifndef QEL_CHARACTER_WIDTH_TABLE_H
#define QEL_CHARACTER_WIDTH_TABLE_H

#include <cstdint>

// Character increments of a character set for one rotation: entry i holds
// the GCGID of the i-th character and its increment.
struct qelCharacterWidthTable
{
    static constexpr int kEntries = 1024;
    struct Entry
    {
        char gcgid[10] = {};
        uint16_t width = 0;
    };
    Entry entries[kEntries];
};

#endif
