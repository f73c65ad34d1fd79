#ifndef QEL_FONT_SUBSTITUTION_TABLE_H
#define QEL_FONT_SUBSTITUTION_TABLE_H

#include <cstdint>

// Output font name and two alias names; texts may be empty.
struct qelFontNameTriple
{
    const char* fontName;
    const char* firstAlias;
    const char* secondAlias;
};

// A character set of the built-in table. Raster keys carry "?" as second
// character; outline keys start with "CZ".
struct qelCharSetRow
{
    const char* key;
    uint16_t triple;
    int32_t height;
    int32_t strikeover;
    int32_t underline;
    const char* family;
    const char* weight;
};

// A coded font key ("?" as second character) and its character set row.
struct qelCodedFontRow
{
    const char* key;
    int32_t charSet;
};

// The built-in font substitution tables (generated source). The last
// character set row is DEFAULT.
class qelFontSubstitutionTable
{
public:
    static const qelFontNameTriple* triples();
    static int tripleCount();
    static const qelCharSetRow* charSets();
    static int charSetCount();
    static const qelCodedFontRow* codedFonts();
    static int codedFontCount();
};

#endif
