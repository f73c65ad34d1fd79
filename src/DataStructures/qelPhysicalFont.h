#ifndef QEL_PHYSICAL_FONT_H
#define QEL_PHYSICAL_FONT_H

#include <cstdint>

class qelCodePage;
class qelFontMetrics;

// Per-size physical font of a coded font: the output font chosen for a
// size. Owns its texts (new[]; an empty text is kept as none); the code
// page and the metrics data are borrowed.
struct qelPhysicalFont
{
    // Where the character set came from.
    enum { SOURCE_MAPPING = 0, SOURCE_MAPPING_DEFAULT = 1, SOURCE_BUILT_IN = 2 };

    qelPhysicalFont() = default;
    ~qelPhysicalFont() { clearTexts(); }
    qelPhysicalFont(const qelPhysicalFont&) = delete;
    qelPhysicalFont& operator=(const qelPhysicalFont&) = delete;

    // Frees every text.
    void clearTexts();
    // Replaces one text field with a copy; null or empty leaves none.
    static void setText(char*& field, const char* text);

    float size = 0.0f;
    char* codedFontName = nullptr;
    char* characterSetName = nullptr;
    char* codePageName = nullptr;
    qelCodePage* codePage = nullptr;
    char* fourthName = nullptr;
    char* nameA = nullptr;
    char* nameB = nullptr;
    // Passed through for the caller.
    intptr_t value = 0;
    uint8_t source = SOURCE_MAPPING;
    uint8_t flag = 0;
    // Character set data used for text metrics, filled by the mappers.
    qelFontMetrics* characterSetMetrics = nullptr;
    int characterSetResolution = 0;
    bool relativeMetrics = false;
};

#endif
