#ifndef QEL_TTF_UTILS_H
#define QEL_TTF_UTILS_H

#include <cstdint>

class qelIOStream;

struct qelTTFTableEntry
{
    char tag[5];
    uint32_t checkSum;
    uint32_t offset;
    uint32_t length;
};

// The table directory at the start of a TrueType file.
struct qelTTFTableDirectory
{
    uint32_t sfntVersion = 0;
    uint16_t numTables = 0;
    uint16_t searchRange = 0;
    uint16_t entrySelector = 0;
    uint16_t rangeShift = 0;
    qelTTFTableEntry* entries = nullptr;

    qelTTFTableDirectory() = default;
    ~qelTTFTableDirectory() { delete[] entries; }
    qelTTFTableDirectory(const qelTTFTableDirectory&) = delete;
    qelTTFTableDirectory& operator=(const qelTTFTableDirectory&) = delete;
};

// Table look-ups by four-byte tag (case-sensitive) and the parse error of
// the TrueType readers.
class qelTTFUtils
{
public:
    // Positions the stream at the table and returns its offset; a missing
    // table, one with offset 0 or one that does not lie inside the input
    // throws E120 "Table %s not found".
    static int64_t seekTable(qelIOStream* stream, const qelTTFTableDirectory* directory, const char* tag);
    // 0 when absent or without directory, -1 for a null tag.
    static int64_t getTableOffset(const qelTTFTableDirectory* directory, const char* tag);
    static int64_t getTableLength(const qelTTFTableDirectory* directory, const char* tag);
    static int findTableIndex(const qelTTFTableDirectory* directory, const char* tag);

    // Throws E120 with the name of the current input and the formatted
    // reason; logged.
    [[noreturn]] static void fail(const char* format, ...) __attribute__((format(printf, 1, 2)));
    // Size of the stream's whole input.
    static int64_t inputSize(qelIOStream* stream);
};

#endif
