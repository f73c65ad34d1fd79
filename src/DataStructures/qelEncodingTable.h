#ifndef QEL_ENCODING_TABLE_H
#define QEL_ENCODING_TABLE_H

#include "qelEncodingEntry.h"

#include <cstdint>

class qelString;

// Encoding of a PDF input font: one slot per code point (256 for simple
// fonts) or CID; slots may be empty. Owns its names and entries.
class qelEncodingTable
{
public:
    // Count empty slots; none for a count of 0 or less.
    explicit qelEncodingTable(int32_t count);
    ~qelEncodingTable();
    qelEncodingTable(const qelEncodingTable&) = delete;
    qelEncodingTable& operator=(const qelEncodingTable&) = delete;

    // "Custom", "WinAnsi", "MacRoman", ..., or the CMap name.
    void setEncodingName(const char* name);
    const char* getEncodingName() const;
    // Key under which the font finds the table.
    void setFontName(const char* name);
    const char* getFontName() const;
    qelEncodingEntry** getEntries() const { return m_entries; }
    int32_t getEntryCount() const { return m_count; }

    // Stores an entry in the slot of the code (taken as a byte) or the CID;
    // the glyph name is cut to 255 characters. 0, or -1 when the slot lies
    // outside the table. The second argument is not used.
    int setCodePointEntry(int code, int ignored, const char* glyphName, uint16_t glyphIndex, uint8_t flag);
    int setCIDEntry(uint32_t cid, int ignored, const char* glyphName, uint16_t glyphIndex, uint8_t flag);

private:
    void store(uint32_t slot, const char* glyphName, uint16_t glyphIndex, uint8_t flag);

    qelString* m_encodingName = nullptr;
    qelString* m_fontName = nullptr;
    qelEncodingEntry** m_entries = nullptr;
    int32_t m_count = 0;
};

#endif
