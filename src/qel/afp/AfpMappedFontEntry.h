#ifndef QEL_AFP_MAPPED_FONT_ENTRY_H
#define QEL_AFP_MAPPED_FONT_ENTRY_H

#include <cstdint>

namespace qel
{

class ResFont;

namespace afp
{

// One font mapping of an active environment group. In the group's font
// table the names are owned by the group (freeNames); in the answer of a
// mapped-resource query they are borrowed from the map field.
struct MappedFontEntry
{
    uint8_t localId = 0;
    char* codedFontName = nullptr;
    char* characterSetName = nullptr;
    char* codePageName = nullptr;
    char* fontName = nullptr;
    uint8_t bold = 0;
    uint8_t italic = 0;
    uint8_t outline = 0;
    float size = 0;
    uint16_t characterRotation = 0;
    ResFont* font = nullptr;

    // Frees the four names and forgets them (only for owned names).
    void freeNames();
};

} // namespace afp
} // namespace qel

#endif
