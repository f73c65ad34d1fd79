// Hand-built bar code objects read by the parser give the symbols that the
// encoders give for the same parameters.
#include "ParserFields.h"

#include "BarcodeImage.h"

#include "qel2DDataMatrixBarcodeSymbol.h"
#include "qelCODE128BarcodeSymbol.h"
#include "qelCODE39BarcodeSymbol.h"
#include "qelTextObject.h"

#include <cstdio>

using namespace bcfields;

namespace {

using ParserSymbolsTest = ParserFixture;

TEST_F(ParserSymbolsTest, Code39ThreeLetters)
{
    Descriptor d;
    d.type = 1;
    d.modifier = 1;
    d.moduleWidth = 10;
    d.ratio = 30;
    auto object = parse(input(bdd(d), {bda(0x00, 0, 0, ebcdic("ABC"))}));
    ASSERT_TRUE(object);
    ASSERT_EQ(symbolCount(*object), 1);
    auto* symbol = dynamic_cast<qelCODE39BarcodeSymbol*>(symbolAt(*object, 0));
    ASSERT_NE(symbol, nullptr);
    EXPECT_EQ(dataText(*symbol), "ABC");
    EXPECT_EQ(object->getResolution(), 240);
    EXPECT_FLOAT_EQ(object->getWideToNarrowRatio(), 3.0f);

    object->prepareSymbols();
    const std::string pattern = patternText(*symbol);
    ASSERT_EQ(pattern.size(), 49u);
    EXPECT_EQ(pattern.substr(0, 10), "NWNNWNWNNN");
    EXPECT_EQ(pattern.substr(40), "NWNNWNWNN");
    EXPECT_FLOAT_EQ(symbol->getWidth(), 180.0f);
    EXPECT_FLOAT_EQ(symbol->getHeight(), 60.0f);
}

TEST_F(ParserSymbolsTest, Code128SixDigits)
{
    Descriptor d;
    d.type = 17;
    d.modifier = 2;
    d.moduleWidth = 255;
    auto object = parse(input(bdd(d), {bda(0x00, 0, 0, ebcdic("123456"))}));
    ASSERT_TRUE(object);
    auto* symbol = dynamic_cast<qelCODE128BarcodeSymbol*>(symbolAt(*object, 0));
    ASSERT_NE(symbol, nullptr);
    EXPECT_EQ(dataText(*symbol), "123456");

    object->prepareSymbols();
    EXPECT_EQ(symbol->getCheckValue(), 44);
    const std::string pattern = patternText(*symbol);
    ASSERT_EQ(pattern.size(), 68u);
    EXPECT_EQ(pattern.substr(0, 11), "bbsbssbbbss");
    EXPECT_EQ(pattern.substr(55), "bbsssbbbsbsbb");
    EXPECT_FLOAT_EQ(symbol->getWidth(), 204.0f);
}

TEST_F(ParserSymbolsTest, DataMatrixTenByTen)
{
    Descriptor d;
    d.type = 28;
    d.modifier = 0;
    d.moduleWidth = 255;
    d.xUnits = 14400;
    d.yUnits = 14400;
    Bytes rest = matrixParameters(10, 10);
    append(rest, ebcdic("123456"));
    auto object = parse(input(bdd(d), {bda(0x80, 0, 0, rest)}));
    ASSERT_TRUE(object);
    EXPECT_EQ(object->getResolution(), 1440);
    auto* symbol = dynamic_cast<qel2DDataMatrixBarcodeSymbol*>(symbolAt(*object, 0));
    ASSERT_NE(symbol, nullptr);
    EXPECT_EQ(dataText(*symbol), "123456");
    EXPECT_EQ(symbol->getRowSize(), 10);
    EXPECT_EQ(symbol->getNumberOfRows(), 10);

    object->prepareSymbols();
    ASSERT_EQ(symbol->getWidth(), 200.0f);
    ASSERT_EQ(symbol->getHeight(), 200.0f);
    ASSERT_EQ(symbol->getPatternLength(), 200 * 200 / 8);

    // The same bitmap as the symbol drawn straight from the data, whose
    // codewords are 142 164 186 and five error-correction codewords.
    auto direct = makeObject(28, 0, 255, 1440);
    qel2DDataMatrixBarcodeSymbol reference;
    setText(reference, "123456");
    reference.setRowSize(10);
    reference.setNumberOfRows(10);
    reference.draw(direct.get());
    ASSERT_EQ(reference.getPatternLength(), symbol->getPatternLength());
    EXPECT_EQ(std::memcmp(reference.getPattern(), symbol->getPattern(), 5000), 0);

    const std::string path = tempImagePath("parser-dm");
    ASSERT_TRUE(writePng(renderBitmap(symbol->getPattern(), 200, 200, 40), path));
    EXPECT_EQ(decodeDataMatrix(path), "123456");
    std::remove(path.c_str());
}

// HRI text of a Code 39 symbol: translated text, raw EBCDIC code points,
// placed absolutely at the symbol origin with the descriptor's font id.
TEST_F(ParserSymbolsTest, HumanReadableText)
{
    Descriptor d;
    d.hriFont = 0x05;
    d.color = 0x0002;
    Position p;
    p.xRotation = 0x2D00;
    p.yRotation = 0x5A00;
    Bytes env = obp(p);
    append(env, bdd(d));
    auto object = parse(input(env, {bda(0x00, 0x0010, 0x0020, ebcdic("ABC"))}));
    ASSERT_TRUE(object);
    qelBarcodeSymbol* symbol = symbolAt(*object, 0);
    ASSERT_NE(symbol, nullptr);
    qelTextObject* text = symbol->getHRIText();
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text->getText(), "ABC");
    ASSERT_NE(text->getCodePointText(), nullptr);
    EXPECT_EQ(std::memcmp(text->getCodePointText(), "\xC1\xC2\xC3", 3), 0);
    EXPECT_EQ(text->getTextLength(), 3);
    EXPECT_FLOAT_EQ(text->getX(), 16.0f);
    EXPECT_FLOAT_EQ(text->getY(), 32.0f);
    EXPECT_EQ(text->getAbsoluteInlineFlag(), 1);
    EXPECT_EQ(text->getAbsoluteBaselineFlag(), 1);
    EXPECT_EQ(text->getLocalFontId(), 0x05);
    EXPECT_EQ(text->getResolution(), 240);
    EXPECT_EQ(text->getColorValue(), 2u);
    EXPECT_EQ(text->getColorSpace(), 5);
    EXPECT_EQ(text->getIAxisOrientation(), 90);
    EXPECT_EQ(text->getBAxisOrientation(), 180);
    EXPECT_EQ(text->getFontMapping(), nullptr);

    // No text when HRI is not presented.
    auto hidden = parse(input(bdd(d), {bda(0x80, 0, 0, ebcdic("ABC"))}));
    ASSERT_TRUE(hidden);
    EXPECT_EQ(symbolAt(*hidden, 0)->getHRIText(), nullptr);
}

} // namespace
