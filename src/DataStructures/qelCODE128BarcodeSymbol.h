#ifndef QEL_CODE128_BARCODE_SYMBOL_H
#define QEL_CODE128_BARCODE_SYMBOL_H

#include "qelBarcodeSymbol.h"

// A Code 128 symbol; drawing stores the encoder's module pattern.
class qelCODE128BarcodeSymbol : public qelBarcodeSymbol
{
public:
    qelCODE128BarcodeSymbol();
    ~qelCODE128BarcodeSymbol() override;

    void draw(qelBarcodeObject* object) override;
};

#endif
