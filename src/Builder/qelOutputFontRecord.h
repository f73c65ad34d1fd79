#ifndef QEL_OUTPUT_FONT_RECORD_H
#define QEL_OUTPUT_FONT_RECORD_H

#include <string>

// What an output visitor chose for the current text's font: the typeface
// and the font actually used, its style, where the choice came from and how
// the font reaches the output. Read by the font lines of the log.
struct qelOutputFontRecord
{
    // Where the output font came from; selects the mark of the log line.
    enum {
        SOURCE_NONE = 0,
        SOURCE_SUBSTITUTE_DEFAULT = 1,
        SOURCE_INI_DEFAULT = 2,
        SOURCE_RASTER = 4,
        SOURCE_RASTER_OUTLINE = 5,
        SOURCE_TYPE1 = 6,
        SOURCE_TRUETYPE = 7,
        SOURCE_OPENTYPE = 8,
        SOURCE_PDF_INPUT = 9
    };
    enum { EMBED_NONE = 0, EMBED_REFERENCED = 1, EMBED_EMBEDDED = 2 };

    void clear() { *this = qelOutputFontRecord(); }

    std::string typefaceName;
    std::string usedFontName;
    bool bold = false;
    bool italic = false;
    bool light = false;
    int sourceKind = SOURCE_NONE;
    int embedding = EMBED_NONE;
    // 1 for fonts of PDF input.
    int encodingMode = 0;
};

#endif
