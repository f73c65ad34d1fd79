#ifndef QEL_BARCODE_IMPLEMENTOR_H
#define QEL_BARCODE_IMPLEMENTOR_H

#include "qelLogStream.h"

class qelBarcodeObject;
class qelBarcodeSymbol;
class qelIni;

// Interface of the symbol encoders, one instance per symbology in the
// global object pool. The pool deletes each encoder as its own class, so the
// destructor is protected and not virtual.
class qelBarcodeImplementor
{
public:
    // The check value of the data text; -1 when it cannot be encoded.
    virtual int computeCheckValue(const char* text) = 0;
    // Builds the symbol's pattern. On success (1) the pattern buffer is new[]
    // and belongs to the caller; on failure (negative) the results are
    // untouched.
    virtual int encode(qelBarcodeObject* object, qelBarcodeSymbol* symbol, unsigned char** pattern,
                       int* patternLength, int* checkValue, float* width, float* height) = 0;

protected:
    qelBarcodeImplementor() = default;
    ~qelBarcodeImplementor() = default;
    qelBarcodeImplementor(const qelBarcodeImplementor&) = delete;
    qelBarcodeImplementor& operator=(const qelBarcodeImplementor&) = delete;

    // A warning of the encoders: to the log under its message bits and, with
    // a line end, to the message output unless quiet mode is on.
    static void warn(qelLogStream* log, qelIni* ini, const char* format, ...)
        __attribute__((format(printf, 3, 4)));
    // A log line alone, when the log's mask has one of the bits.
    static void logOnly(qelLogStream* log, unsigned int bits, const char* format, ...)
        __attribute__((format(printf, 3, 4)));
    // Log bits under which the encoders write their warnings.
    static constexpr unsigned int LOG_MESSAGE_BITS = QEL_LOG_GENERAL;
};

#endif
