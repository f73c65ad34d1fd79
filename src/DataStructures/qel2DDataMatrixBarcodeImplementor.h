#ifndef QEL_2D_DATA_MATRIX_BARCODE_IMPLEMENTOR_H
#define QEL_2D_DATA_MATRIX_BARCODE_IMPLEMENTOR_H

#include "qelBarcodeImplementor.h"

#include <cstdint>

// Data Matrix ECC 200 encoder: ASCII encodation, Reed-Solomon error
// correction and module placement for the square sizes 10x10 to 26x26 and
// the rectangles 8x18 to 16x48. The pattern is a one-bit bitmap, rows from
// the top, the most significant bit of a byte leftmost, 1 dark.
class qel2DDataMatrixBarcodeImplementor final : public qelBarcodeImplementor
{
public:
    // Number of supported sizes; also the index answered for others.
    static constexpr int SIZE_COUNT = 15;
    // Codeword placed where a symbol has data room left.
    static constexpr int PAD_CODEWORD = 129;

    struct SymbolSize {
        int rows;
        int columns;
        int regionsAcross;
        int regionRows;
        int regionColumns;
        int mappingRows;
        int mappingColumns;
        int dataCodewords;
        int errorCodewords;
        // Placement matrix of the size, made on first use and shared.
        int32_t* placement;
    };

    qel2DDataMatrixBarcodeImplementor();
    ~qel2DDataMatrixBarcodeImplementor();

    // The size record of an index below SIZE_COUNT, else null.
    static const SymbolSize* getSymbolSize(int index);
    // Index of a listed size (rows, columns), SIZE_COUNT otherwise.
    static int getSymbolSizeIndex(int rows, int rowSize);

    // 0: Data Matrix carries no check character.
    int computeCheckValue(const char* text) override;
    int encode(qelBarcodeObject* object, qelBarcodeSymbol* symbol, unsigned char** pattern, int* patternLength,
               int* checkValue, float* width, float* height) override;

    // ASCII encodation into at most capacity codewords: 1, -1 for null data,
    // -2 when the capacity does not suffice.
    int encodeASCII(const unsigned char* data, int length, int32_t* codewords, int capacity, int* count);
    // Appends errorCount Reed-Solomon codewords after the data codewords.
    void computeErrorCorrection(int32_t* codewords, int dataCount, int errorCount);
    // Fills the placement matrix of the current size.
    void placeCodewords();
    // Renders the symbol of the size into a new bitmap; -1 when the bitmap
    // would be unreasonably large.
    int drawSymbol(qelBarcodeObject* object, qelBarcodeSymbol* symbol, int sizeIndex, const int32_t* codewords,
                   int count);

    int getModuleSize() const { return m_moduleSize; }
    int getBitmapWidth() const { return m_bitmapWidth; }
    int getBitmapHeight() const { return m_bitmapHeight; }

private:
    void clear();
    // Size for the data when the symbol leaves rows or columns (or both) to it.
    int chooseSizeFromData(const unsigned char* data, int length, int rows, int rowSize);
    void placeModule(int row, int column, int codeword, int bit);
    void placeShape(int row, int column, int codeword);
    void placeCorner(int corner, int codeword);
    bool moduleIsDark(int32_t entry, const int32_t* codewords, int count, qelBarcodeObject* object);

    int m_moduleSize = 0;
    unsigned char* m_bitmap = nullptr;
    int m_bitmapLength = 0;
    int m_bitmapWidth = 0;
    int m_bitmapHeight = 0;
    qelLogStream* m_log = nullptr;
    qelIni* m_ini = nullptr;
    int m_mappingRows = 0;
    int m_mappingColumns = 0;
    int32_t* m_placement = nullptr;
};

#endif
