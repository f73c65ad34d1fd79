#include "qelArrayFontMapper.h"

#include "qelAFPFont.h"
#include "qelFontSubstitutionTable.h"
#include "qelString.h"

#include <cstring>
#include <string>

namespace {
// The name with "?" as second character, or "" when it is not widened
// (outline names, DEFAULT, names shorter than two characters).
std::string widened(const char* name)
{
    if (std::strlen(name) < 2 || name[1] == 'Z' || name[1] == 'z' || qelString::compare(name, "DEFAULT", true, 0))
        return std::string();
    std::string copy = name;
    copy[1] = '?';
    return copy;
}

bool keyMatches(const char* key, const char* name, const std::string& wide)
{
    return std::strcmp(key, name) == 0 || (!wide.empty() && wide == key);
}

bool isEmpty(const char* text)
{
    return !text || !*text;
}

// Typeface name from the font name when the representation has none.
void defaultTypeface(qelAFPFont* font)
{
    if (isEmpty(font->getTypefaceName()))
        font->setTypefaceName(font->getFontName());
}
}

qelAFPFont* qelArrayFontMapper::mapCharacterSet(const char* characterSetName, const char* codePageName)
{
    if (!characterSetName)
        return nullptr;
    auto* font = new qelAFPFont(characterSetName, codePageName);
    font->qelRes::setName(characterSetName);
    rememberName(characterSetName);
    qelAFPFont::applyDefaultFontNames(font);
    defaultTypeface(font);
    applyBuiltInEntry(font);
    return font;
}

qelAFPFont* qelArrayFontMapper::mapCodedFont(const char* codedFontName)
{
    if (!codedFontName)
        return nullptr;
    auto* font = new qelAFPFont(codedFontName);
    font->qelRes::setName(codedFontName);
    font->setCodePageName(kCodePageName);
    char characterSetName[16];
    findCodedFontCharSet(codedFontName, characterSetName, sizeof characterSetName);
    font->setCharacterSetName(characterSetName);
    rememberName(codedFontName);
    qelAFPFont::applyDefaultFontNames(font);
    defaultTypeface(font);
    applyBuiltInEntry(font);
    return font;
}

void qelArrayFontMapper::applyBuiltInEntry(qelAFPFont* font)
{
    if (!font)
        return;
    const char* name = font->getCharacterSetName(); // null unless AFP or PDF
    if (!isEmpty(name))
        applyBuiltInRow(font, findBuiltInCharSet(name));
}

void qelArrayFontMapper::applyBuiltInRow(qelAFPFont* font, const qelCharSetRow* row)
{
    if (!font || !row)
        return;
    font->setHeight(row->height);
    font->setStrikeover(row->strikeover != 0);
    font->setUnderline(row->underline != 0);
    // Italic stays as the name gave it: the rows describe upright and
    // italic variants alike.
    font->setFamilyName(row->family);
    font->setWeightClass(row->weight);
    font->setLightClass(row->weight);
    const qelFontNameTriple& names = qelFontSubstitutionTable::triples()[row->triple];
    font->setFontName(names.fontName);
    if (!isEmpty(names.firstAlias))
        font->addAliasName(names.firstAlias);
    if (!isEmpty(names.secondAlias))
        font->addAliasName(names.secondAlias);
}

const qelCharSetRow* qelArrayFontMapper::findBuiltInCharSet(const char* name)
{
    const qelCharSetRow* rows = qelFontSubstitutionTable::charSets();
    const int count = qelFontSubstitutionTable::charSetCount();
    if (name) {
        const std::string wide = widened(name);
        for (int i = 0; i < count; ++i)
            if (keyMatches(rows[i].key, name, wide))
                return &rows[i];
    }
    return &rows[count - 1];
}

char* qelArrayFontMapper::findCodedFontCharSet(const char* codedFontName, char* buffer, int size)
{
    if (!buffer || size < 1)
        return buffer;
    buffer[0] = '\0';
    if (!codedFontName)
        return buffer;
    const qelCodedFontRow* rows = qelFontSubstitutionTable::codedFonts();
    const int count = qelFontSubstitutionTable::codedFontCount();
    const std::string wide = widened(codedFontName);
    for (int i = 0; i < count; ++i) {
        if (keyMatches(rows[i].key, codedFontName, wide)) {
            const char* key = qelFontSubstitutionTable::charSets()[rows[i].charSet].key;
            std::strncpy(buffer, key, static_cast<size_t>(size) - 1);
            buffer[size - 1] = '\0';
            break;
        }
    }
    return buffer;
}
