#ifndef QEL_TTF_CMAP_PARSER_H
#define QEL_TTF_CMAP_PARSER_H

#include <cstdint>
#include <vector>

class qelIOStream;
class qelLogStream;
struct qelTTFTableDirectory;

struct qelTTFCMapSubHeader
{
    uint16_t firstCode;
    uint16_t entryCount;
    int16_t idDelta;
    // Byte offset from the start of the glyph index array.
    int32_t idRangeOffset;
};

struct qelTTFCMapGroup
{
    uint32_t startCharCode;
    uint32_t endCharCode;
    uint32_t startGlyphID;
};

// One character map subtable as read; only the vectors of its format are
// filled.
struct qelTTFCMapSubtable
{
    uint16_t format = 0;
    uint16_t platformID = 0;
    uint16_t encodingID = 0;
    uint32_t language = 0;
    // format 0: 256 bytes; format 6: firstCode and the glyph ids.
    std::vector<uint8_t> byteGlyphs;
    uint16_t firstCode = 0;
    // formats 2, 4 and 6
    std::vector<uint16_t> glyphIds;
    // format 2: sub-header index per high byte, and the sub-headers
    std::vector<uint16_t> subHeaderKeys;
    std::vector<qelTTFCMapSubHeader> subHeaders;
    // format 4
    std::vector<uint16_t> endCode;
    std::vector<uint16_t> startCode;
    std::vector<int16_t> idDelta;
    std::vector<uint16_t> idRangeOffset;
    // format 12
    std::vector<qelTTFCMapGroup> groups;
};

// Reads character map subtables of the "cmap" table and maps codes to
// glyph indexes. Every count is bounded by the subtable's length and every
// array index is checked; an index out of range maps to glyph 0.
class qelTTFCMapParser
{
public:
    qelTTFCMapParser(qelIOStream* stream, const qelTTFTableDirectory* directory, qelLogStream* log);

    // A new subtable, or null when none matches or its format is unknown.
    qelTTFCMapSubtable* findSubtable(uint16_t platformID, uint16_t encodingID);
    uint16_t lookup(const qelTTFCMapSubtable* subtable, uint32_t code);
    static void freeSubtable(qelTTFCMapSubtable* subtable);

private:
    void warn(const char* text);

    qelIOStream* m_stream;
    const qelTTFTableDirectory* m_directory;
    qelLogStream* m_log;
};

#endif
