#include "qelCODE39BarcodeImplementor.h"

#include "qelBarcodeObject.h"
#include "qelBarcodeSymbol.h"
#include "qelGlobalDSPool.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {
// The 43 characters in value order.
const char kCharacters[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
const int kCharacterCount = 43;

// Element patterns in the order of kCharacters, then '*'.
const char* const kPatterns[kCharacterCount + 1] = {
    "NNNWWNWNN", "WNNWNNNNW", "NNWWNNNNW", "WNWWNNNNN", "NNNWWNNNW", "WNNWWNNNN", "NNWWWNNNN",
    "NNNWNNWNW", "WNNWNNWNN", "NNWWNNWNN", "WNNNNWNNW", "NNWNNWNNW", "WNWNNWNNN", "NNNNWWNNW",
    "WNNNWWNNN", "NNWNWWNNN", "NNNNNWWNW", "WNNNNWWNN", "NNWNNWWNN", "NNNNWWWNN", "WNNNNNNWW",
    "NNWNNNNWW", "WNWNNNNWN", "NNNNWNNWW", "WNNNWNNWN", "NNWNWNNWN", "NNNNNNWWW", "WNNNNNWWN",
    "NNWNNNWWN", "NNNNWNWWN", "WWNNNNNNW", "NWWNNNNNW", "WWWNNNNNN", "NWNNWNNNW", "WWNNWNNNN",
    "NWWNWNNNN", "NWNNNNWNW", "WWNNNNWNN", "NWWNNNWNN", "NWNWNWNNN", "NWNWNNNWN", "NWNNNWNWN",
    "NNNWNWNWN", "NWNNWNWNN"};

const int kStar = kCharacterCount;

// Value of a character, kStar for '*', -1 outside the set.
int valueOf(unsigned char c)
{
    if (c == '*')
        return kStar;
    if (c == 0)
        return -1;
    const char* p = std::strchr(kCharacters, c);
    return p ? static_cast<int>(p - kCharacters) : -1;
}

bool isCode39Character(unsigned char c)
{
    return c != 0 && c != '*' && valueOf(c) >= 0;
}

// Full-ASCII pair of a byte 0x00..0x7F that is not one of the 43 characters,
// or of '$', '%', '+' and '/', which inside an expanded text must be escaped
// so that a reader does not take them for the start of a pair.
void appendExpansion(std::string& out, unsigned char b)
{
    auto pair = [&out](char shift, char letter) {
        out.push_back(shift);
        out.push_back(letter);
    };
    if (b == 0x00)
        pair('%', 'U');
    else if (b <= 0x1A)
        pair('$', static_cast<char>('A' + b - 0x01));
    else if (b <= 0x1F)
        pair('%', static_cast<char>('A' + b - 0x1B));
    else if (b == 0x20 || b == '-' || b == '.' || (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z'))
        out.push_back(static_cast<char>(b));
    else if (b <= 0x2C)
        pair('/', static_cast<char>('A' + b - 0x21));
    else if (b == 0x2F)
        pair('/', 'O');
    else if (b == 0x3A)
        pair('/', 'Z');
    else if (b <= 0x3F)
        pair('%', static_cast<char>('F' + b - 0x3B));
    else if (b == 0x40)
        pair('%', 'V');
    else if (b <= 0x5F)
        pair('%', static_cast<char>('K' + b - 0x5B));
    else if (b == 0x60)
        pair('%', 'W');
    else if (b <= 0x7A)
        pair('+', static_cast<char>('A' + b - 0x61));
    else
        pair('%', static_cast<char>('P' + b - 0x7B));
}

bool isTrailingSpace(unsigned char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}
}

qelCODE39BarcodeImplementor::qelCODE39BarcodeImplementor()
{
    init();
}

qelCODE39BarcodeImplementor::~qelCODE39BarcodeImplementor() = default;

void qelCODE39BarcodeImplementor::init()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    m_log = pool ? pool->getLogStream() : nullptr;
    m_ini = pool ? pool->getIni() : nullptr;
}

int qelCODE39BarcodeImplementor::computeCheckValue(const char* text)
{
    if (!text)
        return 0;
    int sum = 0;
    for (const char* p = text; *p; ++p) {
        int value = valueOf(static_cast<unsigned char>(*p));
        if (value < 0) {
            warn(m_log, m_ini, "Warning! Barcode data \"%s\" contains invalid character %c", text, *p);
            continue;
        }
        sum += value;
    }
    return sum % kCharacterCount;
}

char qelCODE39BarcodeImplementor::checkDigit(int value)
{
    if (value < 0 || value > kStar) {
        warn(m_log, m_ini, "Warning! CODE39 Barcode check sum digit %d is invalid", value);
        return 0;
    }
    return value == kStar ? '*' : kCharacters[value];
}

void qelCODE39BarcodeImplementor::getPattern(char c, char* buffer)
{
    int value = valueOf(static_cast<unsigned char>(c));
    if (value < 0) {
        warn(m_log, m_ini, "Warning! Barcode data contains invalid character %c", c);
        buffer[0] = 0;
        return;
    }
    std::memcpy(buffer, kPatterns[value], PATTERN_LETTERS + 1);
}

bool qelCODE39BarcodeImplementor::hasNonCode39Characters(const char* text, int length)
{
    if (!text)
        return false;
    for (int i = 0; i < length; ++i) {
        if (!isCode39Character(static_cast<unsigned char>(text[i])))
            return true;
    }
    return false;
}

char* qelCODE39BarcodeImplementor::toFullASCII(const char* text, int length)
{
    std::string out;
    for (int i = 0; text && i < length; ++i) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        if (b > 0x7F) {
            std::string shown(text, static_cast<size_t>(length));
            warn(m_log, m_ini, "Warning! Barcode data \"%s\" contains invalid character %c", shown.c_str(),
                 static_cast<char>(b));
            continue;
        }
        appendExpansion(out, b);
    }
    char* result = new char[out.size() + 1];
    std::memcpy(result, out.c_str(), out.size() + 1);
    return result;
}

int qelCODE39BarcodeImplementor::encode(qelBarcodeObject* object, qelBarcodeSymbol* symbol, unsigned char** pattern,
                                        int* patternLength, int* checkValue, float* width, float* height)
{
    if (!object || !symbol)
        return -1;

    char* data = reinterpret_cast<char*>(symbol->getData());
    int length = data ? symbol->getDataLength() : 0;
    if (data && symbol->isTrailingBlanksSuppressed()) {
        while (length > 0 && isTrailingSpace(static_cast<unsigned char>(data[length - 1])))
            data[--length] = 0;
        symbol->setDataLength(length);
    }
    if (!data || length <= 0) {
        const char* name = object->getName() ? object->getName() : "None";
        warn(m_log, m_ini, "Code39 Barcode Symbol Data is NULL. Object Name:%s", name);
        return -1;
    }

    std::string text;
    if (hasNonCode39Characters(data, length)) {
        char* expanded = toFullASCII(data, length);
        text = expanded;
        delete[] expanded;
    } else {
        text.assign(data, static_cast<size_t>(length));
    }

    const bool withCheck = object->getModifier() == 2;
    int check = withCheck ? computeCheckValue(text.c_str()) : 0;

    std::string letters;
    char buffer[PATTERN_LETTERS + 1];
    auto appendCharacter = [&](char c, bool gap) {
        getPattern(c, buffer);
        letters += buffer;
        if (gap)
            letters.push_back('N');
    };
    appendCharacter('*', true);
    for (char c : text)
        appendCharacter(c, true);
    if (withCheck)
        appendCharacter(checkDigit(check), true);
    appendCharacter('*', false);

    const int count = static_cast<int>(text.size()) + 2 + (withCheck ? 1 : 0);
    const double x = object->getModuleWidth() == 255 ? 0.00745 : object->getModuleWidth() / 1000.0;
    const double inches = 3.0 * count * object->getWideToNarrowRatio() * x + 6.0 * count * x;
    const double resolution = object->getResolution();
    double symbolHeight = object->getElementHeight();
    if (object->getElementHeight() == 0xFFFF)
        symbolHeight = std::max(0.15 * inches, 0.25) * resolution;

    unsigned char* result = new unsigned char[letters.size() + 1];
    std::memcpy(result, letters.c_str(), letters.size() + 1);
    *pattern = result;
    *patternLength = static_cast<int>(letters.size());
    *checkValue = check;
    *width = static_cast<float>(resolution * inches);
    *height = static_cast<float>(symbolHeight);
    return 1;
}
