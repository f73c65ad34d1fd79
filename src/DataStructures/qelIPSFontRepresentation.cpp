#include "qelIPSFontRepresentation.h"

#include "qelFontText.h"
#include "qelString.h"

#include <cstring>

qelIPSFontRepresentation::qelIPSFontRepresentation()
{
    setSpaceCodePoint(0x40);
}

qelIPSFontRepresentation::~qelIPSFontRepresentation()
{
    qelString* fields[] = {m_requestedName,       m_resourceName,    m_characterSetName,
                           m_fgid,                m_fontName,        m_postureName,
                           m_typefaceDescription, m_weightClassName, m_widthClassName};
    for (qelString* s : fields)
        delete s;
}

const char* qelIPSFontRepresentation::getName() const { return qelFontText::get(m_requestedName); }
void qelIPSFontRepresentation::setRequestedName(const char* n) { qelFontText::set(m_requestedName, n); }
void qelIPSFontRepresentation::setResourceName(const char* n) { qelFontText::set(m_resourceName, n); }
const char* qelIPSFontRepresentation::getResourceName() const { return qelFontText::get(m_resourceName); }
void qelIPSFontRepresentation::setCharacterSetName(const char* n) { qelFontText::setNonEmpty(m_characterSetName, n); }
const char* qelIPSFontRepresentation::getCharacterSetName() const { return qelFontText::get(m_characterSetName); }
void qelIPSFontRepresentation::setFGID(const char* n) { qelFontText::set(m_fgid, n); }
const char* qelIPSFontRepresentation::getFGID() const { return qelFontText::get(m_fgid); }
void qelIPSFontRepresentation::setFontName(const char* n) { qelFontText::set(m_fontName, n); }
const char* qelIPSFontRepresentation::getFontName() const { return qelFontText::get(m_fontName); }
void qelIPSFontRepresentation::setPostureName(const char* n) { qelFontText::set(m_postureName, n); }
const char* qelIPSFontRepresentation::getPostureName() const { return qelFontText::get(m_postureName); }
void qelIPSFontRepresentation::setTypefaceDescription(const char* n) { qelFontText::set(m_typefaceDescription, n); }
const char* qelIPSFontRepresentation::getTypefaceDescription() const { return qelFontText::get(m_typefaceDescription); }
void qelIPSFontRepresentation::setWeightClassName(const char* n) { qelFontText::set(m_weightClassName, n); }
const char* qelIPSFontRepresentation::getWeightClassName() const { return qelFontText::get(m_weightClassName); }
void qelIPSFontRepresentation::setWidthClassName(const char* n) { qelFontText::set(m_widthClassName, n); }
const char* qelIPSFontRepresentation::getWidthClassName() const { return qelFontText::get(m_widthClassName); }

char* qelIPSFontRepresentation::getStyleName(char* buffer, int size) const
{
    const char* start = getTypefaceDescription();
    if (!start || !*start)
        start = getTypefaceName();
    if (!start || !*start)
        start = getFontName();
    return writeStyleName(composeStyleName(start), buffer, size);
}

namespace {

bool isOneOf(const char* text, const char* const* words)
{
    for (; *words; ++words)
        if (qelString::compare(text, *words, true, 0))
            return true;
    return false;
}

struct Family {
    char code;
    const char* name; // null: no family name
    bool weightDigit;
};

const Family kFamilies[] = {
    {'2', "Proprinter Emulation", true},
    {'4', "Courier", false},
    {'5', "Letter Gothic", false},
    {'6', "Gothic Text", false},
    {'7', "Prestige", false},
    {'8', "BoldFace", false},
    {'9', "OCR", false},
    {'A', "Sonoran Sans Serif", true},
    {'B', "BookMaster", false},
    {'b', "BookMaster", false},
    {'C', "Century School Book", true},
    {'G', "Monotype Garamond", true},
    {'H', "Helvetica", false},
    {'h', "Helvetica", false},
    {'I', "IBM LOGO", false},
    {'i', "IBM LOGO", false},
    {'J', "Sonoran Display", true},
    {'M', "Mathematics and Science", true},
    {'N', "Times New Roman", false},
    {'n', "Times New Roman", false},
    {'O', "Optical Character Recognition", true},
    {'P', "Pi Sans Serif", true},
    {'Q', "Pi Serif", true},
    {'S', "ITC Souvenir", true},
    {'T', "Sonoran Serif", true},
    {'V', "ITC AvantiGarde Gothic", true},
    {'X', nullptr, true},
    {'Y', nullptr, true},
    {'Z', "Sonoran Petite", true},
};

} // namespace

void qelIPSFontRepresentation::applyFamilyDefaults(const char* name)
{
    if (!name || qelString::compare(name, "DEFAULT", true, 0))
        return;
    const size_t length = std::strlen(name);
    auto at = [&](size_t position) { return position <= length ? name[position - 1] : '\0'; };

    const bool outline = at(2) == 'z' || at(2) == 'Z';
    const char third = at(3);
    const Family* family = nullptr;
    for (const Family& f : kFamilies)
        if (f.code == third)
            family = &f;
    if (!family)
        return;
    const char* familyName = family->name;
    bool weightDigit = family->weightDigit;
    const bool barcodeCapable = third == 'B' || third == 'b';
    const char* posture = nullptr;
    bool italic = false;
    bool bold = false;
    bool light = false;

    switch (at(4)) {
    case '0':
    case '1':
        if (barcodeCapable) {
            familyName = "BARCODE";
            weightDigit = true;
        }
        if (at(4) == '0')
            posture = "ROMAN";
        else
            italic = true;
        break;
    case '2':
    case '6':
        posture = "ROMAN";
        break;
    case '3':
        italic = true;
        break;
    case '4':
        posture = "ROMAN";
        bold = true;
        break;
    case '5':
        italic = true;
        bold = true;
        break;
    case 'B':
    case 'b':
        break;
    case 'O':
    case 'P':
    case 'Q':
    case 'o':
    case 'p':
    case 'q':
        if (barcodeCapable) {
            familyName = "BARCODE";
            weightDigit = true;
        }
        break;
    default:
        return;
    }

    if (weightDigit) {
        const char digit = at(5);
        if (digit >= '1' && digit <= '4')
            light = true;
        else if (digit >= '6' && digit <= '9')
            bold = true;
        else if (digit != '5')
            return;
    }

    int height = 0;
    if (length < 7) {
        if (!outline)
            return;
    } else {
        const char size = at(7);
        if (size == '0')
            height = 100;
        else if (size >= '4' && size <= '9')
            height = (size - '0') * 10;
        else if (size >= 'a' && size <= 'z')
            height = 110 + (size - 'a') * 10;
        else if (size >= 'A' && size <= 'Z')
            height = 110 + (size - 'A') * 10;
    }

    if (outline)
        setOutlineFont(true);
    if (familyName)
        setFontName(familyName);
    if (posture)
        setPostureName(posture);
    if (italic)
        setItalic(true);
    if (bold)
        setBold(true);
    if (light)
        setLight(true);
    if (height > 0)
        setHeight(height);
}

void qelIPSFontRepresentation::applyWeightClass(const char* text)
{
    static const char* const kBold[] = {"BOLD", "SEMIBOLD", "EXTRABOLD", "ULTRABOLD", nullptr};
    if (text)
        setBold(isOneOf(text, kBold));
}

void qelIPSFontRepresentation::applyLightClass(const char* text)
{
    static const char* const kLight[] = {"LIGHT", "SEMILIGHT", "EXTRALIGHT", "ULTRALIGHT", nullptr};
    if (text)
        setLight(isOneOf(text, kLight));
}
