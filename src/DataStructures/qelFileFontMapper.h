#ifndef QEL_FILE_FONT_MAPPER_H
#define QEL_FILE_FONT_MAPPER_H

#include "qelFontMapper.h"

class qelMappingDef;
struct qelCodePageEntry;

// The font mapper driven by the font mapping definition of the pool. Its
// map operations and every step but applyXFontEntry do nothing while the
// definition is not loaded.
class qelFileFontMapper : public qelFontMapper
{
public:
    // Steps of mapFont, as bits.
    enum {
        TARGET_OTHER = 0,
        TARGET_CODED_FONTS = 1,   // [XFONT]: character set and code page names
        STEP_CHARSET = 2,         // [CHARSET]: height, width, flags, FGID
        STEP_FGID = 4,            // [FGID]: family, weight, italic, names
        TARGET_RASTER = 8,        // output font, or physical fonts for AFP output
        TARGET_CHARACTER_SETS = 14,
        STEP_INPUT_ALIASES = 0x20, // input font aliases
        TARGET_ALL = 255
    };
    // Makes sure the pool holds a mapping definition (not loaded here).
    qelFileFontMapper();

    qelAFPFont* mapCharacterSet(const char* characterSetName, const char* codePageName) override;
    qelAFPFont* mapCodedFont(const char* codedFontName) override;
    // Runs the steps of the set bits in the order 1, 2, 4, 8, 0x20; an
    // exception of a step ends the remaining steps silently.
    virtual void mapFont(qelAFPFont* font, int steps);

    // Steps; each does nothing for an absent argument.
    void applyXFontEntry(const char* codedFontName, qelAFPFont* font);
    void applyCharSetEntry(const char* characterSetName, qelAFPFont* font);
    void applyFGIDEntry(const char* fgid, qelAFPFont* font);
    void applyOutputFontEntry(const char* fontName, qelAFPFont* font);
    void applyOutputFonts(qelAFPFont* font);
    void applyInputFontAliases(const char* fontName, qelAFPFont* font);

    // Lookups on the definition: the [CODEPG] entry of a code page name;
    // the code page name of the [XFONT] entry of a coded font ("" when
    // none); the code page name of a [CODEPG] file field (null when none).
    qelCodePageEntry* findCodePageEntry(const char* codePageName, bool fallback) const;
    const char* getXFontCodePageName(const char* codedFontName) const;
    const char* getCodePageNameOfFile(const char* fileField) const;

private:
    // The pool's definition (read each time, so that a replaced definition
    // is never reached through a stale pointer); null when none.
    qelMappingDef* definition() const;
    // The definition when it has been read, else null.
    qelMappingDef* loadedDefinition() const;
    // Runs the three completion steps of a new font; false when a step threw.
    bool completeNewFont(qelAFPFont* font, const char* characterSetName);
};

#endif
