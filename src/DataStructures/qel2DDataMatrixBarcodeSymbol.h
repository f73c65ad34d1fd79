#ifndef QEL_2D_DATA_MATRIX_BARCODE_SYMBOL_H
#define QEL_2D_DATA_MATRIX_BARCODE_SYMBOL_H

#include "qelBarcodeSymbol.h"

#include <cstdint>

class qelString;

// A Data Matrix symbol with its parameters; drawing stores the encoder's
// bitmap. Only the size steers the encoder.
class qel2DDataMatrixBarcodeSymbol : public qelBarcodeSymbol
{
public:
    qel2DDataMatrixBarcodeSymbol();
    ~qel2DDataMatrixBarcodeSymbol() override;

    void draw(qelBarcodeObject* object) override;

    bool isTranslateFromEBCDIC() const { return m_translateFromEBCDIC; }
    void setTranslateFromEBCDIC(bool v) { m_translateFromEBCDIC = v; }
    bool isProcessEscapeSequences() const { return m_processEscapeSequences; }
    void setProcessEscapeSequences(bool v) { m_processEscapeSequences = v; }
    // Module columns wanted; 0 leaves them to the data.
    uint16_t getRowSize() const { return m_rowSize; }
    void setRowSize(uint16_t v) { m_rowSize = v; }
    // Module rows wanted; 0 leaves them to the data.
    uint16_t getNumberOfRows() const { return m_numberOfRows; }
    void setNumberOfRows(uint16_t v) { m_numberOfRows = v; }
    uint8_t getSequenceIndicator() const { return m_sequenceIndicator; }
    void setSequenceIndicator(uint8_t v) { m_sequenceIndicator = v; }
    uint8_t getSymbolCount() const { return m_symbolCount; }
    void setSymbolCount(uint8_t v) { m_symbolCount = v; }
    uint16_t getFileIdentification() const { return m_fileIdentification; }
    void setFileIdentification(uint16_t v) { m_fileIdentification = v; }
    bool isUccEanFNC1() const { return m_uccEanFNC1; }
    void setUccEanFNC1(bool v) { m_uccEanFNC1 = v; }
    bool isIndustryFNC1() const { return m_industryFNC1; }
    void setIndustryFNC1(bool v) { m_industryFNC1 = v; }
    bool isReaderProgramming() const { return m_readerProgramming; }
    void setReaderProgramming(bool v) { m_readerProgramming = v; }

    // Frees the old name and keeps a copy; null leaves none.
    void setImageName(const char* name);
    const char* getImageName() const;

private:
    bool m_translateFromEBCDIC = true;
    bool m_processEscapeSequences = false;
    uint16_t m_rowSize = 0;
    uint16_t m_numberOfRows = 0;
    uint8_t m_sequenceIndicator = 0;
    uint8_t m_symbolCount = 0;
    uint16_t m_fileIdentification = 0;
    bool m_uccEanFNC1 = false;
    bool m_industryFNC1 = false;
    bool m_readerProgramming = true;
    qelString* m_imageName = nullptr;
};

#endif
