#include "BarcodeFixture.h"
#include "BarcodeImage.h"

#include "qelCODE39BarcodeImplementor.h"
#include "qelCODE39BarcodeSymbol.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"

#include <cstdio>

namespace {
using Code39Test = BarcodeFixture;

// Undoes the full-ASCII pairs of a raw Code 39 reading.
std::string undoFullASCII(const std::string& raw)
{
    std::string out;
    for (size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if ((c != '$' && c != '%' && c != '/' && c != '+') || i + 1 >= raw.size()) {
            out.push_back(c);
            continue;
        }
        const char n = raw[++i];
        switch (c) {
        case '$': out.push_back(static_cast<char>(n - 'A' + 1)); break;
        case '+': out.push_back(static_cast<char>(n - 'A' + 'a')); break;
        case '/': out.push_back(n == 'Z' ? ':' : static_cast<char>(n - 'A' + '!')); break;
        default:
            if (n <= 'E') out.push_back(static_cast<char>(n - 'A' + 0x1B));
            else if (n <= 'J') out.push_back(static_cast<char>(n - 'F' + ';'));
            else if (n <= 'O') out.push_back(static_cast<char>(n - 'K' + '['));
            else if (n <= 'T') out.push_back(static_cast<char>(n - 'P' + '{'));
            else if (n == 'U') out.push_back('\0');
            else if (n == 'V') out.push_back('@');
            else if (n == 'W') out.push_back('`');
            else out.push_back('\x7F');
        }
    }
    return out;
}

std::string readBack(const std::string& pattern, const std::string& name)
{
    const std::string path = tempImagePath(name);
    const GreyImage image = renderCode39(pattern, 3, 9, 12, 60);
    if (!writePng(image, path))
        return "<no png>";
    std::string raw = decodeLinear(path);
    std::remove(path.c_str());
    return raw;
}

TEST_F(Code39Test, ThreeLettersAtStandardSize)
{
    auto object = makeObject(1, 1, 10, 240);
    qelCODE39BarcodeSymbol symbol;
    setText(symbol, "ABC");
    symbol.draw(object.get());

    // Start, three characters and stop, each followed by a narrow gap but the last.
    const std::string pattern = patternText(symbol);
    ASSERT_EQ(pattern.size(), 49u);
    EXPECT_EQ(pattern.substr(0, 10), "NWNNWNWNNN");
    EXPECT_EQ(pattern.substr(40), "NWNNWNWNN");
    EXPECT_EQ(symbol.getCheckValue(), 0);
    EXPECT_FLOAT_EQ(symbol.getWidth(), 180.0f);
    EXPECT_FLOAT_EQ(symbol.getHeight(), 60.0f);
}

TEST_F(Code39Test, EveryCharacterHasNineElementsThreeWide)
{
    qelCODE39BarcodeImplementor encoder;
    const std::string characters = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%*";
    for (char c : characters) {
        char buffer[qelCODE39BarcodeImplementor::PATTERN_LETTERS + 1];
        encoder.getPattern(c, buffer);
        const std::string pattern = buffer;
        ASSERT_EQ(pattern.size(), 9u) << c;
        int wide = 0;
        for (char e : pattern)
            wide += e == 'W';
        EXPECT_EQ(wide, 3) << c;
    }
    char buffer[qelCODE39BarcodeImplementor::PATTERN_LETTERS + 1] = "x";
    encoder.getPattern('a', buffer);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(messages(), "Warning! Barcode data contains invalid character a\n");
}

// What a reader sees: full-ASCII pairs raw, the check character last.
TEST_F(Code39Test, SymbolsReadBackWithAnIndependentDecoder)
{
    struct Case {
        const char* name;
        std::string data;
        int modifier;
        bool suppressBlanks;
        const char* raw;
        int check;
    } cases[] = {
        {"abc-upper", "ABC", 1, false, "ABC", 0},
        {"abc-check", "ABC", 2, false, "ABCX", 33},
        {"code39-check", "CODE-39", 2, false, "CODE-39P", 25},
        {"digits", "0123456789", 1, false, "0123456789", 0},
        {"symbols", "A-B. C$D/E+F%G", 1, false, "A-B. C$D/E+F%G", 0},
        {"dollar-kept", "A$B", 1, false, "A$B", 0},
        {"lower", "abc", 1, false, "+A+B+C", 0},
        {"lower-check", "ab", 2, false, "+A+BH", 17},
        {"escaped-in-expansion", "a$%+/b", 1, false, "+A/D/E/K/O+B", 0},
        {"control-and-punct", std::string("\x01!:@[`{\x7F", 8), 1, false, "$A/A/Z%V%K%W%P%T", 0},
        {"nul-byte", std::string("A\0B", 3), 1, false, "A%UB", 0},
        {"trailing-cut", "AB  ", 1, true, "AB", 0},
        {"trailing-kept", "AB  ", 1, false, "AB  ", 0},
        {"trailing-tab-cut", "AB \t\r\n", 2, true, "ABL", 21},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto object = makeObject(1, static_cast<uint8_t>(c.modifier), 10, 240);
        qelCODE39BarcodeSymbol symbol;
        setText(symbol, c.data);
        symbol.setTrailingBlanksSuppressed(c.suppressBlanks);
        symbol.draw(object.get());
        EXPECT_EQ(symbol.getCheckValue(), c.check);
        const std::string raw = readBack(patternText(symbol), c.name);
        EXPECT_EQ(raw, c.raw);

        std::string read = raw;
        if (c.modifier == 2 && !read.empty())
            read.pop_back();
        std::string expected = c.data;
        if (c.suppressBlanks)
            expected = expected.substr(0, 2);
        // Data of the 43 characters alone is written as it stands.
        const bool expanded =
            c.data.find_first_not_of("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%") != std::string::npos;
        EXPECT_EQ(expanded ? undoFullASCII(read) : read, expected);
    }
    EXPECT_EQ(messages(), "");
}

TEST_F(Code39Test, BytesAboveAsciiAreReportedAndLeftOut)
{
    auto object = makeObject(1, 1, 10, 240);
    qelCODE39BarcodeSymbol symbol;
    setText(symbol, "a\xE9" "b");
    symbol.draw(object.get());
    EXPECT_EQ(readBack(patternText(symbol), "latin1"), "+A+B");
    EXPECT_EQ(messages(), "Warning! Barcode data \"a\xE9" "b\" contains invalid character \xE9\n");
}

TEST_F(Code39Test, SizeFromModuleWidthHeightAndOptions)
{
    struct Case {
        int32_t moduleWidth;
        int32_t elementHeight;
        uint16_t resolution;
        const char* barcodeWidth;
        const char* barcodeHeight;
        float width;
        float height;
    } cases[] = {
        // Default module: 5 characters, 15 X each, X = 0.00745 inch.
        {255, 0xFFFF, 240, nullptr, nullptr, 75 * 0.00745f * 240, 60.0f},
        // Tall symbol: 15 % of the width beats a quarter inch.
        {40, 0xFFFF, 240, nullptr, nullptr, 720.0f, 0.15f * 720.0f},
        {10, 100, 240, nullptr, nullptr, 180.0f, 100.0f},
        // Options override the descriptor: 49 letters at 0.01 inch and 300 units.
        {10, 100, 300, "0.01", "0.5", 49 * 3.0f, 150.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.moduleWidth);
        qelIni* ini = qelGlobalDSPool::getInstance()->getIni();
        ini->setBarcodeWidth(c.barcodeWidth ? c.barcodeWidth : "0");
        ini->setBarcodeHeight(c.barcodeHeight ? c.barcodeHeight : "0");
        auto object = makeObject(1, 1, c.moduleWidth, c.resolution, 3.0f, c.elementHeight);
        qelCODE39BarcodeSymbol symbol;
        setText(symbol, "ABC");
        symbol.draw(object.get());
        EXPECT_NEAR(symbol.getWidth(), c.width, 0.01);
        EXPECT_NEAR(symbol.getHeight(), c.height, 0.01);
    }
}

TEST_F(Code39Test, SymbolWithoutDataStaysEmpty)
{
    struct Case {
        std::string data;
        bool hasData;
        bool suppress;
    } cases[] = {{"", false, false}, {"", true, false}, {"   ", true, true}};
    for (const Case& c : cases) {
        auto object = makeObject(1, 1, 10, 240);
        object->setName(c.suppress ? "BAR1" : nullptr);
        qelCODE39BarcodeSymbol symbol;
        if (c.hasData)
            setText(symbol, c.data);
        symbol.setTrailingBlanksSuppressed(c.suppress);
        symbol.draw(object.get());
        EXPECT_EQ(symbol.getPattern(), nullptr);
        EXPECT_EQ(symbol.getWidth(), 0.0f);
        EXPECT_EQ(symbol.getCheckValue(), -1);
    }
    EXPECT_EQ(messages(), "Code39 Barcode Symbol Data is NULL. Object Name:None\n"
                          "Code39 Barcode Symbol Data is NULL. Object Name:None\n"
                          "Code39 Barcode Symbol Data is NULL. Object Name:BAR1\n");
}

TEST_F(Code39Test, QuietModeKeepsWarningsOffTheConsole)
{
    qelGlobalDSPool::getInstance()->getIni()->setQuietMode(true);
    auto object = makeObject(1, 1, 10, 240);
    qelCODE39BarcodeSymbol symbol;
    symbol.draw(object.get());
    EXPECT_EQ(messages(), "");
}

TEST_F(Code39Test, CheckValueHelpers)
{
    qelCODE39BarcodeImplementor encoder;
    EXPECT_EQ(encoder.computeCheckValue("*"), 0);
    EXPECT_EQ(encoder.computeCheckValue("%%"), 84 % 43);
    EXPECT_EQ(encoder.checkDigit(43), '*');
    EXPECT_EQ(encoder.checkDigit(38), ' ');
    EXPECT_EQ(encoder.checkDigit(44), 0);
    EXPECT_EQ(encoder.computeCheckValue("A#"), 10);
    EXPECT_EQ(messages(), "Warning! CODE39 Barcode check sum digit 44 is invalid\n"
                          "Warning! Barcode data \"A#\" contains invalid character #\n");
}
}
