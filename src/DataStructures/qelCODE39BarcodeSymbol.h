#ifndef QEL_CODE39_BARCODE_SYMBOL_H
#define QEL_CODE39_BARCODE_SYMBOL_H

#include "qelBarcodeSymbol.h"

// A Code 39 symbol; drawing stores the encoder's element pattern.
class qelCODE39BarcodeSymbol : public qelBarcodeSymbol
{
public:
    qelCODE39BarcodeSymbol();
    ~qelCODE39BarcodeSymbol() override;

    void draw(qelBarcodeObject* object) override;
};

#endif
