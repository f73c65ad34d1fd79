#ifndef QEL_ARRAY_FONT_MAPPER_H
#define QEL_ARRAY_FONT_MAPPER_H

#include "qelFontMapper.h"

struct qelCharSetRow;

// The font mapper driven by the built-in font substitution table.
class qelArrayFontMapper : public qelFontMapper
{
public:
    // Code page given to the fonts made from coded font names.
    static constexpr const char* kCodePageName = "T1DABASE";

    qelAFPFont* mapCharacterSet(const char* characterSetName, const char* codePageName) override;
    qelAFPFont* mapCodedFont(const char* codedFontName) override;

    // Applies the row of the character set name of an AFP or PDF font
    // representation.
    static void applyBuiltInEntry(qelAFPFont* font);
    static void applyBuiltInRow(qelAFPFont* font, const qelCharSetRow* row);
    // The row of a character set name; the DEFAULT row for none or no match.
    static const qelCharSetRow* findBuiltInCharSet(const char* name);
    // Copies the character set key of a coded font name ("?" kept) into the
    // buffer, "" when the table has none; returns the buffer.
    static char* findCodedFontCharSet(const char* codedFontName, char* buffer, int size);
};

#endif
