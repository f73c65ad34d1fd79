#ifndef QEL_CODE128_BARCODE_IMPLEMENTOR_H
#define QEL_CODE128_BARCODE_IMPLEMENTOR_H

#include "qelBarcodeImplementor.h"

#include <string>
#include <vector>

// Code 128 encoder. All-digit data is written in code set C, anything else
// in code set B. The pattern is a text of one letter per module: 'b' bar,
// 's' space.
class qelCODE128BarcodeImplementor final : public qelBarcodeImplementor
{
public:
    enum { CODE_SET_B = 2, CODE_SET_C = 3 };
    // Symbol values with a meaning of their own.
    enum { VALUE_CODE_B = 100, VALUE_FNC1 = 102, VALUE_START_B = 104, VALUE_START_C = 105, VALUE_STOP = 106 };

    qelCODE128BarcodeImplementor();
    ~qelCODE128BarcodeImplementor();

    // Fills the code set B table and selects code set B.
    void init();

    // Weighted check value of the text in the current code set; -1 for an
    // unknown code set.
    int computeCheckValue(const char* text) override;
    int encode(qelBarcodeObject* object, qelBarcodeSymbol* symbol, unsigned char** pattern, int* patternLength,
               int* checkValue, float* width, float* height) override;

    // CODE_SET_C for a non-empty all-digit text, else CODE_SET_B.
    int chooseCodeSet(const char* data, int length);
    // Module pattern of a symbol value 0..106; "" above.
    const char* getPattern(int value) const;
    // Appends the patterns of the data in code set B; -1 (reported) when a
    // byte is not in code set B.
    int encodeCodeSetB(const char* data, int length, std::string& pattern);
    // Appends the patterns of the digit pairs. An odd last digit goes after a
    // switch to code set B.
    int encodeCodeSetC(const char* digits, int length, std::string& pattern);

    int getCodeSet() const { return m_codeSet; }

private:
    // Symbol values of the data after the start character (FNC1 first when
    // set); -1 for a byte outside code set B.
    int collectValues(const char* data, int length, std::vector<int>& values) const;
    int checkValue(const char* data, int length) const;

    unsigned char m_codeSetB[128] = {};
    int m_codeSet = CODE_SET_B;
    // Whether the current symbol starts with FNC1 (UCC/EAN 128).
    bool m_fnc1 = false;
    char m_patterns[107][14] = {};
};

#endif
