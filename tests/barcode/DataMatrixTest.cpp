#include "BarcodeFixture.h"
#include "BarcodeImage.h"

#include "qel2DDataMatrixBarcodeImplementor.h"
#include "qel2DDataMatrixBarcodeSymbol.h"
#include "qelGlobalDSPool.h"

#include <cstdio>
#include <vector>

namespace {
using DataMatrixTest = BarcodeFixture;
using Encoder = qel2DDataMatrixBarcodeImplementor;

std::unique_ptr<qel2DDataMatrixBarcodeSymbol> drawSymbol(qelBarcodeObject* object, const std::string& data, int rows,
                                                         int columns)
{
    auto symbol = std::make_unique<qel2DDataMatrixBarcodeSymbol>();
    symbol->setData(reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
    symbol->setNumberOfRows(static_cast<uint16_t>(rows));
    symbol->setRowSize(static_cast<uint16_t>(columns));
    symbol->draw(object);
    return symbol;
}

std::string readBack(const qelBarcodeSymbol& symbol, int module, const std::string& name)
{
    if (!symbol.getPattern())
        return "<no bitmap>";
    const std::string path = tempImagePath(name);
    const GreyImage image = renderBitmap(symbol.getPattern(), static_cast<int>(symbol.getWidth()),
                                         static_cast<int>(symbol.getHeight()), 2 * module);
    if (!writePng(image, path))
        return "<no png>";
    std::string text = decodeDataMatrix(path);
    std::remove(path.c_str());
    return text;
}

bool dark(const qelBarcodeSymbol& symbol, int module, int row, int column)
{
    const int rowBytes = static_cast<int>(symbol.getWidth()) / 8;
    const int x = column * module;
    const int y = row * module;
    return (symbol.getPattern()[y * rowBytes + x / 8] & (0x80 >> (x % 8))) != 0;
}

TEST_F(DataMatrixTest, AsciiEncodation)
{
    struct Case {
        std::string data;
        int capacity;
        int result;
        std::vector<int32_t> codewords;
    } cases[] = {
        {"123456", 3, 1, {142, 164, 186}},
        {"A", 3, 1, {66}},
        {"1A", 3, 1, {50, 66}},
        {"12345", 3, 1, {142, 164, 54}},
        {"\xE9", 3, 1, {235, 106}},
        {"ABCD", 3, -2, {}},
        {"AB\xE9", 3, -2, {}},
        {"1234567", 3, -2, {}},
        {"12A", 1, -2, {}},
    };
    Encoder encoder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.data);
        std::vector<int32_t> codewords(static_cast<size_t>(c.capacity) + 1, -7);
        int count = -1;
        const int result = encoder.encodeASCII(reinterpret_cast<const unsigned char*>(c.data.data()),
                                               static_cast<int>(c.data.size()), codewords.data(), c.capacity, &count);
        EXPECT_EQ(result, c.result);
        // Nothing is written beyond the capacity.
        EXPECT_EQ(codewords[static_cast<size_t>(c.capacity)], -7);
        if (result == 1) {
            ASSERT_EQ(count, static_cast<int>(c.codewords.size()));
            EXPECT_EQ(std::vector<int32_t>(codewords.begin(), codewords.begin() + count), c.codewords);
        }
    }
    int count = 0;
    EXPECT_EQ(encoder.encodeASCII(nullptr, 3, nullptr, 3, &count), -1);
}

TEST_F(DataMatrixTest, ReedSolomonOfTheSmallestSymbol)
{
    Encoder encoder;
    int32_t codewords[9] = {142, 164, 186};
    encoder.computeErrorCorrection(codewords, 3, 5);
    const std::vector<int32_t> expected = {142, 164, 186, 114, 25, 5, 88, 102};
    EXPECT_EQ(std::vector<int32_t>(codewords, codewords + 8), expected);
}

TEST_F(DataMatrixTest, BitmapSizeFollowsModuleWidthAndResolution)
{
    struct Case {
        int32_t moduleWidth;
        uint16_t resolution;
        int width;
        int height;
    } cases[] = {{255, 1440, 200, 200}, {255, 240, 32, 30}, {3, 240, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.resolution);
        auto object = makeObject(28, 0, c.moduleWidth, c.resolution);
        auto symbol = drawSymbol(object.get(), "123456", 10, 10);
        EXPECT_EQ(symbol->getWidth(), static_cast<float>(c.width));
        EXPECT_EQ(symbol->getHeight(), static_cast<float>(c.height));
        EXPECT_EQ(symbol->getPatternLength(), c.width * c.height / 8);
        EXPECT_EQ(symbol->getCheckValue(), -1);
    }
    // At 240 units the two pixels right of the last module column stay light.
    auto object = makeObject(28, 0, 255, 240);
    auto symbol = drawSymbol(object.get(), "123456", 10, 10);
    for (int row = 0; row < 30; ++row)
        EXPECT_EQ(symbol->getPattern()[row * 4 + 3] & 0x03, 0) << row;
}

TEST_F(DataMatrixTest, FinderAndAlignmentPatterns)
{
    auto object = makeObject(28, 0, 10, 100);
    auto symbol = drawSymbol(object.get(), "AB", 8, 32);
    ASSERT_EQ(symbol->getWidth(), 32.0f);
    ASSERT_EQ(symbol->getHeight(), 8.0f);
    for (int column = 0; column < 32; ++column) {
        EXPECT_EQ(dark(*symbol, 1, 0, column), column % 2 == 0) << column;
        EXPECT_TRUE(dark(*symbol, 1, 7, column)) << column;
    }
    for (int row = 1; row < 7; ++row) {
        EXPECT_TRUE(dark(*symbol, 1, row, 0)) << row;
        EXPECT_EQ(dark(*symbol, 1, row, 15), row % 2 == 1) << row;
        EXPECT_TRUE(dark(*symbol, 1, row, 16)) << row;
        EXPECT_EQ(dark(*symbol, 1, row, 31), row % 2 == 1) << row;
    }
}

// Every supported size, short data padded and full data, read back by an
// independent decoder.
TEST_F(DataMatrixTest, SymbolsReadBackWithAnIndependentDecoder)
{
    struct Case {
        int rows;
        int columns;
        std::string data;
    } cases[] = {
        {10, 10, "123456"},
        {10, 10, "A"},
        {12, 12, "Hello"},
        {14, 14, "1234567890123456"},
        {16, 16, "Lorbane-16x16"},
        {18, 18, "abcdefghijklmnopqr"},
        {20, 20, "0123456789ABCDEFGHIJKLMN"},
        {22, 22, "The quick brown fox jumps over"},
        {24, 24, "Short"},
        {26, 26, "The quick brown fox jumps over the lazy dog!"},
        {26, 26, "caf\xE9 na\xEFve"},
        {8, 18, "ABCDE"},
        {8, 32, "1234567890ABCD"},
        {12, 26, "Rectangle 12x26"},
        {12, 36, "Two regions across"},
        {16, 36, "Sixteen rows and thirty-six cols"},
        {16, 48, "Forty-nine codewords fit into the sixteen by 48"},
    };
    for (const Case& c : cases) {
        const std::string name = std::to_string(c.rows) + "x" + std::to_string(c.columns);
        SCOPED_TRACE(name + " " + c.data);
        auto object = makeObject(28, 0, 20, 300);
        auto symbol = drawSymbol(object.get(), c.data, c.rows, c.columns);
        ASSERT_NE(symbol->getPattern(), nullptr);
        EXPECT_EQ(symbol->getHeight(), static_cast<float>(c.rows * 6));
        EXPECT_EQ(readBack(*symbol, 6, name), c.data);
    }
    EXPECT_EQ(messages(), "");
}

TEST_F(DataMatrixTest, SizeLeftToTheData)
{
    struct Case {
        int rows;
        int columns;
        std::string data;
        int chosenRows;
        int chosenColumns;
    } cases[] = {
        {0, 0, "123456", 10, 10},
        {0, 0, "ABCD", 12, 12},
        {0, 0, std::string(44, 'x'), 26, 26},
        {0, 0, std::string(88, '7'), 26, 26},
        {8, 0, "ABCDEF", 8, 32},
        {0, 36, "ABC", 12, 36},
        {0, 18, "ABC", 8, 18},
        {0, 18, "ABCDEFGHIJKL", 18, 18},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.data);
        // Three pixels per module: the reader misses some 8x32 symbols drawn
        // larger, whatever their content.
        auto object = makeObject(28, 0, 10, 300);
        auto symbol = drawSymbol(object.get(), c.data, c.rows, c.columns);
        EXPECT_EQ(symbol->getHeight(), static_cast<float>(c.chosenRows * 3));
        EXPECT_EQ(symbol->getWidth(), static_cast<float>((c.chosenColumns * 3 + 7) / 8 * 8));
        EXPECT_EQ(symbol->getNumberOfRows(), c.rows);
        EXPECT_EQ(readBack(*symbol, 3, "auto"), c.data);
    }
    EXPECT_EQ(messages(), "");
}

TEST_F(DataMatrixTest, RefusedSymbols)
{
    struct Case {
        int rows;
        int columns;
        std::string data;
        bool hasData;
        std::string message;
    } cases[] = {
        {11, 11, "A", true, "Barcode Symbol Size (11x11) not supported for 2D Data Matrix\n"},
        {0, 30, "A", true, "Barcode Symbol Size (0x30) not supported for 2D Data Matrix\n"},
        {10, 10, "", false,
         "Warning! Barcode data is null or empty for barcode(type=2D Data Matrix, name=None)\n"},
        {10, 10, "ABCD", true,
         "Warning! Generated data codeword length of barcode(type=2D Data Matrix, name=None, data=ABCD) exceeds the "
         "Maximum Data Codeword Length(3) defined for symbol size (10x10)\n"},
        {0, 0, std::string(45, 'x'), true,
         "Warning! Generated data codeword length of barcode(type=2D Data Matrix, name=None, data=" +
             std::string(45, 'x') +
             ") exceeds the Maximum Data Codeword Length(44) defined for symbol size (26x26)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        messages();
        std::rewind(m_output);
        auto object = makeObject(28, 0, 255, 240);
        auto symbol = std::make_unique<qel2DDataMatrixBarcodeSymbol>();
        if (c.hasData)
            setText(*symbol, c.data);
        symbol->setNumberOfRows(static_cast<uint16_t>(c.rows));
        symbol->setRowSize(static_cast<uint16_t>(c.columns));
        symbol->draw(object.get());
        EXPECT_EQ(symbol->getPattern(), nullptr);
        EXPECT_EQ(symbol->getWidth(), 0.0f);
        EXPECT_EQ(messages().substr(0, c.message.size()), c.message);
    }
}

TEST_F(DataMatrixTest, OversizedBitmapIsRefused)
{
    auto object = makeObject(28, 0, 254, 65535);
    object->setName("BIG");
    auto symbol = drawSymbol(object.get(), "123456", 26, 26);
    EXPECT_EQ(symbol->getPattern(), nullptr);
    EXPECT_NE(messages().find("too large for barcode(type=2D Data Matrix, name=BIG)"), std::string::npos);
}

TEST_F(DataMatrixTest, PlacementIsRebuiltByTheNextEncoder)
{
    std::string first;
    for (int run = 0; run < 2; ++run) {
        auto object = makeObject(28, 0, 10, 100);
        auto symbol = drawSymbol(object.get(), "Again", 12, 12);
        ASSERT_NE(symbol->getPattern(), nullptr);
        const std::string bitmap = patternText(*symbol);
        if (run == 0)
            first = bitmap;
        else
            EXPECT_EQ(bitmap, first);
        qelUtils::releaseGlobals();
    }
    EXPECT_EQ(Encoder::getSymbolSize(1)->placement, nullptr);
}

TEST_F(DataMatrixTest, SizeIndex)
{
    EXPECT_EQ(Encoder::getSymbolSizeIndex(10, 10), 0);
    EXPECT_EQ(Encoder::getSymbolSizeIndex(26, 26), 8);
    EXPECT_EQ(Encoder::getSymbolSizeIndex(8, 18), 9);
    EXPECT_EQ(Encoder::getSymbolSizeIndex(8, 32), 10);
    EXPECT_EQ(Encoder::getSymbolSizeIndex(16, 48), 14);
    EXPECT_EQ(Encoder::getSymbolSizeIndex(18, 8), Encoder::SIZE_COUNT);
    EXPECT_EQ(Encoder::getSymbolSizeIndex(32, 32), Encoder::SIZE_COUNT);
}
}
