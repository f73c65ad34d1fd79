#ifndef QEL_ENCODING_ENTRY_H
#define QEL_ENCODING_ENTRY_H

#include <cstdint>

// One code point or CID of an encoding table of a PDF input font.
struct qelEncodingEntry
{
    uint32_t code = 0;
    int32_t value = -1;
    // Glyph name, at most 255 characters; empty for CID entries.
    char glyphName[256] = {};
    uint16_t glyphIndex = 0;
    uint8_t flag = 0;
};

#endif
