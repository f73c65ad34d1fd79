#ifndef QEL_CODE39_BARCODE_IMPLEMENTOR_H
#define QEL_CODE39_BARCODE_IMPLEMENTOR_H

#include "qelBarcodeImplementor.h"

// Code 39 encoder. The pattern is a text of 'N' (narrow) and 'W' (wide)
// elements, alternately bar and space; characters are separated by one
// narrow space, so every tenth letter starts a character with a bar.
class qelCODE39BarcodeImplementor final : public qelBarcodeImplementor
{
public:
    // Letters of one character's pattern.
    static constexpr int PATTERN_LETTERS = 9;

    qelCODE39BarcodeImplementor();
    ~qelCODE39BarcodeImplementor();

    // Takes the log stream and the options object of the pool.
    void init();

    // Sum of the character values modulo 43; '*' counts 43, characters
    // outside the set count 0 with a warning.
    int computeCheckValue(const char* text) override;
    int encode(qelBarcodeObject* object, qelBarcodeSymbol* symbol, unsigned char** pattern, int* patternLength,
               int* checkValue, float* width, float* height) override;

    // The character of a value (43 gives '*'); 0 with a warning outside 0..43.
    char checkDigit(int value);
    // Copies the character's pattern (PATTERN_LETTERS + 1 bytes) into the
    // buffer; an empty text with a warning for other characters.
    void getPattern(char c, char* buffer);
    // Whether one of the first length bytes is outside the 43 characters.
    bool hasNonCode39Characters(const char* text, int length);
    // New[] text of the full-ASCII expansion of the bytes. Bytes above 0x7F
    // have none and are reported.
    char* toFullASCII(const char* text, int length);

private:
    qelLogStream* m_log = nullptr;
    qelIni* m_ini = nullptr;
};

#endif
