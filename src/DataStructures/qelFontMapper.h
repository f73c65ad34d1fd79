#ifndef QEL_FONT_MAPPER_H
#define QEL_FONT_MAPPER_H

class qelAFPFont;
class qelRes;
class qelString;

// Makes a complete font (names, metrics, output fonts) from the name of an
// AFP character set or coded font.
class qelFontMapper
{
public:
    qelFontMapper() = default;
    virtual ~qelFontMapper();
    qelFontMapper(const qelFontMapper&) = delete;
    qelFontMapper& operator=(const qelFontMapper&) = delete;

    // A new font (not filed anywhere), or null.
    virtual qelAFPFont* mapCharacterSet(const char* characterSetName, const char* codePageName) = 0;
    virtual qelAFPFont* mapCodedFont(const char* codedFontName) = 0;

    // Never makes a DEFAULT font: that one always comes from the array
    // font mapper.
    qelRes* createDefaultResource() { return nullptr; }

protected:
    // Keeps a copy of the last name mapped.
    void rememberName(const char* name);

private:
    qelString* m_name = nullptr;
};

// The two mappers, for the users of this header.
#include "qelArrayFontMapper.h"
#include "qelFileFontMapper.h"

#endif
