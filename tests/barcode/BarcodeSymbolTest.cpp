#include "BarcodeFixture.h"

#include "qel2DDataMatrixBarcodeImplementor.h"
#include "qelCODE128BarcodeImplementor.h"
#include "qelCODE39BarcodeImplementor.h"
#include "qelCODE39BarcodeSymbol.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelList.h"

namespace {
using SymbolTest = BarcodeFixture;

TEST_F(SymbolTest, DataAndPatternAreZeroTerminatedCopies)
{
    qelBarcodeSymbol symbol;
    EXPECT_EQ(symbol.getCheckValue(), -1);
    EXPECT_EQ(symbol.getData(), nullptr);

    const unsigned char bytes[] = {'A', 0, 'B'};
    symbol.setData(bytes, 3);
    ASSERT_NE(symbol.getData(), nullptr);
    EXPECT_NE(symbol.getData(), bytes);
    EXPECT_EQ(symbol.getDataLength(), 3);
    EXPECT_EQ(0, std::memcmp(symbol.getData(), bytes, 3));
    EXPECT_EQ(symbol.getData()[3], 0);

    symbol.setData(nullptr, 5);
    EXPECT_EQ(symbol.getData(), nullptr);
    EXPECT_EQ(symbol.getDataLength(), 0);

    // The second pattern replaces the first (the sanitizer sees a leak otherwise).
    symbol.setPattern(bytes, 1);
    symbol.setPattern(bytes + 2, 1);
    EXPECT_EQ(patternText(symbol), "B");
    symbol.setPattern(bytes, -1);
    EXPECT_EQ(symbol.getPattern(), nullptr);
    EXPECT_EQ(symbol.getPatternLength(), 0);
}

TEST_F(SymbolTest, BaseSymbolDrawsNothing)
{
    auto object = makeObject(2, 0, 10, 240);
    qelBarcodeSymbol symbol;
    setText(symbol, "1234");
    symbol.draw(object.get());
    EXPECT_EQ(symbol.getPattern(), nullptr);
    EXPECT_EQ(symbol.getWidth(), 0.0f);
    EXPECT_EQ(symbol.getHeight(), 0.0f);
}

TEST_F(SymbolTest, PoolKeepsOneEncoderPerKindUntilReset)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    ASSERT_NE(pool, nullptr);
    const int kinds[] = {QEL_POOL_CODE128_IMPLEMENTOR, QEL_POOL_CODE39_IMPLEMENTOR, QEL_POOL_DATA_MATRIX_IMPLEMENTOR};
    for (int kind : kinds)
        EXPECT_FALSE(pool->hasObject(kind)) << kind;

    qelCODE39BarcodeImplementor* code39 = pool->getCode39Implementor();
    qelCODE128BarcodeImplementor* code128 = pool->getCode128Implementor();
    qel2DDataMatrixBarcodeImplementor* matrix = pool->getDataMatrixImplementor();
    ASSERT_TRUE(code39 && code128 && matrix);
    EXPECT_EQ(pool->getCode39Implementor(), code39);
    EXPECT_EQ(pool->getCode128Implementor(), code128);
    EXPECT_EQ(pool->getDataMatrixImplementor(), matrix);
    for (int kind : kinds)
        EXPECT_TRUE(pool->hasObject(kind)) << kind;

    for (int kind : kinds) {
        pool->resetObject(kind);
        EXPECT_FALSE(pool->hasObject(kind)) << kind;
    }
    EXPECT_NE(pool->getCode128Implementor(), nullptr);
}

TEST_F(SymbolTest, ObjectDrawsItsSymbolsOnceAtTheFirstWrite)
{
    auto object = makeObject(qelBarcodeObject::TYPE_CODE39, 1, 10, 240);
    auto* symbol = new qelCODE39BarcodeSymbol();
    setText(*symbol, "AB");
    object->addData(symbol);

    object->write(nullptr);
    EXPECT_TRUE(object->areSymbolsPrepared());
    ASSERT_NE(symbol->getPattern(), nullptr);

    // A second write keeps what the first one drew.
    const unsigned char marker[] = {'x'};
    symbol->setPattern(marker, 1);
    object->write(nullptr);
    EXPECT_EQ(patternText(*symbol), "x");
}

TEST_F(SymbolTest, UnsupportedTypeIsReportedAndNotDrawn)
{
    auto object = makeObject(2, 0, 10, 240);
    auto* symbol = new qelCODE39BarcodeSymbol();
    setText(*symbol, "AB");
    object->addData(symbol);
    object->write(nullptr);
    EXPECT_EQ(symbol->getPattern(), nullptr);
    EXPECT_EQ(messages(), "Warning! Barcode Type: 0x2 (MSI (modified Plessey code)) not supported\n");

    // Without symbols nothing is said.
    qelBarcodeObject empty;
    empty.setBarcodeType(2);
    empty.write(nullptr);
    EXPECT_EQ(messages(), "Warning! Barcode Type: 0x2 (MSI (modified Plessey code)) not supported\n");
}

TEST_F(SymbolTest, TypeNames)
{
    struct Case {
        uint32_t type;
        const char* name;
    } cases[] = {{1, "Code 39 (3-of-9 Code), AIM USS-39"},
                 {17, "Code 128, AIM USS-128"},
                 {28, "2D Data Matrix"},
                 {34, "USPS Four-State"},
                 {0, "Invalid Barcode Type"},
                 {4, "Invalid Barcode Type"},
                 {35, "Invalid Barcode Type"}};
    for (const Case& c : cases)
        EXPECT_STREQ(qelBarcodeObject::getTypeName(c.type), c.name) << c.type;
}
}
