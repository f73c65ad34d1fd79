#ifndef QEL_BARCODE_PARSER_H
#define QEL_BARCODE_PARSER_H

#include "qelAFPParser.h"

#include <cstdint>
#include <string>

class qelBarcodeObject;
class qelBarcodeSymbol;
class qelSFIBlock;
class qelTextObject;

// Reads one bar code object, Begin Bar Code Object to End Bar Code Object,
// into a qelBarcodeObject: its environment group, the descriptor and one
// symbol per Bar Code Data field, with the data translated through the code
// page of the bar code type and the human-readable text attached.
class qelBarcodeParser : public qelAFPParser
{
public:
    qelBarcodeParser();
    ~qelBarcodeParser() override;

    int loadResourceFile() override { return 0; }
    int getParserType() override { return 23; }
    int getLevel() override { return 0; }

    // Reads on from the current input up to the End Bar Code Object; the
    // caller owns the object. Null only when it cannot be allocated.
    qelBarcodeObject* parse(qelSFIBlock* beginField);

    // Logs the type line of the descriptor.
    void getBarcodeTypeName(uint32_t type);
    // Fills the translation table for the type's code page; a table that
    // already holds that code page is kept.
    void selectCodePage(uint32_t type);
    const unsigned char* getTranslationTable() const { return m_table; }
    // CPGID the table holds; -1 before the first selection.
    int getTableCodePage() const { return m_tableCodePage; }

    // Wide-to-narrow ratio of the descriptor's value.
    static float convertRatio(unsigned int value, int32_t moduleWidth);

private:
    void beginBarcodeObject();
    void endBarcodeObject();
    void parseObjectEnvironmentGroup();
    void beginObjectEnvironmentGroup();
    void endObjectEnvironmentGroup();
    void objectAreaDescriptor();
    void objectAreaPosition();
    void mapBarcodeObject();
    void mapCodedFont2();
    void barcodeDataDescriptor();
    void barcodeData();
    void parseDataMatrixParameters(qelBarcodeSymbol* symbol);
    qelTextObject* createHRIText(const unsigned char* raw, const unsigned char* translated, int length,
                                 uint16_t x, uint16_t y);

    // Runs one field handler; a read beyond the field's data ends the field.
    template <typename Handler> void handleField(Handler handler);

    bool logging(unsigned int bits) const;
    bool quiet() const;
    // Log line under the message bit and, with a line end, the message
    // output unless quiet.
    void warn(const char* text);
    void readTriplets(uint32_t mandatory, uint32_t optional);

    qelBarcodeObject* m_object = nullptr;
    qelBarcodeSymbol* m_symbol = nullptr;
    unsigned char m_table[256] = {};
    int m_tableCodePage = -1;
    uint8_t m_hriFontLocalId = 0;
};

#endif
