#include "BarcodeFixture.h"
#include "BarcodeImage.h"

#include "qelCODE128BarcodeImplementor.h"
#include "qelCODE128BarcodeSymbol.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"

#include <cstdio>

namespace {
using Code128Test = BarcodeFixture;

std::string readBack(const std::string& pattern, const std::string& name)
{
    const std::string path = tempImagePath(name);
    if (!writePng(renderCode128(pattern, 3, 12, 60), path))
        return "<no png>";
    std::string text = decodeLinear(path);
    std::remove(path.c_str());
    return text;
}

TEST_F(Code128Test, SixDigitsInCodeSetC)
{
    auto object = makeObject(17, 2, 255, 240);
    qelCODE128BarcodeSymbol symbol;
    setText(symbol, "123456");
    symbol.draw(object.get());
    EXPECT_EQ(symbol.getCheckValue(), 44);
    const std::string pattern = patternText(symbol);
    ASSERT_EQ(pattern.size(), 68u);
    EXPECT_EQ(pattern.substr(0, 11), "bbsbssbbbss");
    EXPECT_EQ(pattern.substr(55), "bbsssbbbsbsbb");
    EXPECT_FLOAT_EQ(symbol.getWidth(), 204.0f);
    EXPECT_FLOAT_EQ(symbol.getHeight(), 60.0f);
}

TEST_F(Code128Test, EveryValueHasElevenModules)
{
    qelCODE128BarcodeImplementor encoder;
    for (int value = 0; value < 106; ++value) {
        const std::string pattern = encoder.getPattern(value);
        ASSERT_EQ(pattern.size(), 11u) << value;
        EXPECT_EQ(pattern.front(), 'b') << value;
        EXPECT_EQ(pattern.back(), 's') << value;
    }
    EXPECT_STREQ(encoder.getPattern(0), "bbsbbssbbss");
    EXPECT_STREQ(encoder.getPattern(104), "bbsbssbssss");
    EXPECT_STREQ(encoder.getPattern(106), "bbsssbbbsbsbb");
    EXPECT_STREQ(encoder.getPattern(107), "");
}

// Code sets, check values and module counts; every symbol is read back.
TEST_F(Code128Test, SymbolsReadBackWithAnIndependentDecoder)
{
    struct Case {
        const char* name;
        std::string data;
        int modifier;
        int codeSet;
        int check;
        int modules;
        const char* read;
    } cases[] = {
        {"digits", "123456", 2, 3, 44, 68, "123456"},
        {"letters", "AB", 2, 2, 102, 57, "AB"},
        {"mixed", "A1", 2, 2, (104 + 33 + 2 * 17) % 103, 57, "A1"},
        // Odd digit count: pairs, then code B and the last digit.
        {"odd-digits", "12345", 2, 3, (105 + 12 + 2 * 34 + 3 * 100 + 4 * 21) % 103, 79, "12345"},
        {"one-digit", "7", 2, 3, (105 + 100 + 2 * 23) % 103, 57, "7"},
        {"long-odd", "1234567890123", 2, 3, -1, 13 + 11 * 10, "1234567890123"},
        {"printable", "Hello, World! ~{|}`", 2, 2, -1, 13 + 11 * 21, "Hello, World! ~{|}`"},
        // UCC/EAN 128: FNC1 right after the start character.
        {"ucc-digits", "0012345678", 1, 3, (105 + 102 + 2 * 0 + 3 * 12 + 4 * 34 + 5 * 56 + 6 * 78) % 103, 101,
         "0012345678"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto object = makeObject(17, static_cast<uint8_t>(c.modifier), 255, 240);
        qelCODE128BarcodeSymbol symbol;
        setText(symbol, c.data);
        symbol.draw(object.get());
        EXPECT_EQ(qelGlobalDSPool::getInstance()->getCode128Implementor()->getCodeSet(), c.codeSet);
        if (c.check >= 0) {
            EXPECT_EQ(symbol.getCheckValue(), c.check);
        }
        EXPECT_EQ(symbol.getPatternLength(), c.modules);
        EXPECT_EQ(readBack(patternText(symbol), c.name), c.read);
    }
    EXPECT_EQ(messages(), "");
}

TEST_F(Code128Test, BytesOutsideCodeSetBFailTheSymbol)
{
    const std::string cases[] = {"A\tB", std::string("A\0B", 3), "caf\xE9"};
    for (const std::string& data : cases) {
        auto object = makeObject(17, 2, 255, 240);
        qelCODE128BarcodeSymbol symbol;
        setText(symbol, data);
        symbol.draw(object.get());
        EXPECT_EQ(symbol.getPattern(), nullptr);
        EXPECT_EQ(symbol.getCheckValue(), -1);
    }
    auto object = makeObject(17, 2, 255, 240);
    qelCODE128BarcodeSymbol empty;
    empty.draw(object.get());
    EXPECT_EQ(empty.getPattern(), nullptr);
    const std::string charset = "Code128 Barcode Symbol Data has characters that does not belong to CharsetB\n";
    EXPECT_EQ(messages(), charset + charset + charset + "Code128 Barcode Symbol Data is NULL\n");
}

TEST_F(Code128Test, SizeFromModuleWidthHeightAndOptions)
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
        {255, 0xFFFF, 240, "0", "0", 204.0f, 60.0f},
        {15, 0xFFFF, 240, "0", "0", 244.8f, 60.0f},
        {15, 90, 240, "0", "0", 244.8f, 90.0f},
        {15, 90, 300, "0.01", "0.5", 68 * 3.0f, 150.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.moduleWidth);
        qelIni* ini = qelGlobalDSPool::getInstance()->getIni();
        ini->setBarcodeWidth(c.barcodeWidth);
        ini->setBarcodeHeight(c.barcodeHeight);
        auto object = makeObject(17, 2, c.moduleWidth, c.resolution, 0.0f, c.elementHeight);
        qelCODE128BarcodeSymbol symbol;
        setText(symbol, "123456");
        symbol.draw(object.get());
        EXPECT_NEAR(symbol.getWidth(), c.width, 0.01);
        EXPECT_NEAR(symbol.getHeight(), c.height, 0.01);
    }
}
}
