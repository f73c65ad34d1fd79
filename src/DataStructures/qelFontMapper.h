#ifndef QEL_FONT_MAPPER_H
#define QEL_FONT_MAPPER_H

class qelAFPFont;

// Makes fonts from a mapping. Minimal form: the font mapping issue fills in
// the mappers.
class qelFontMapper
{
public:
    virtual ~qelFontMapper() = default;
    // A new font (not filed anywhere), or null.
    virtual qelAFPFont* mapCharacterSet(const char* characterSetName, const char* codePageName) = 0;
    virtual qelAFPFont* mapCodedFont(const char* codedFontName) = 0;
};

// The mapper driven by the loaded font mapping definition.
class qelFileFontMapper : public qelFontMapper
{
public:
    // Output targets of mapFont.
    enum { TARGET_OTHER = 0, TARGET_CODED_FONTS = 1, TARGET_RASTER = 8, TARGET_CHARACTER_SETS = 14, TARGET_ALL = 255 };
    // Maps a font to output font files for a target.
    virtual void mapFont(qelAFPFont* font, int target) = 0;
};

// The mapper with the built-in table.
class qelArrayFontMapper : public qelFontMapper
{
};

#endif
