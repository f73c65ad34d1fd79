#ifndef QEL_TYPE1_PFM_PARSER_H
#define QEL_TYPE1_PFM_PARSER_H

#include "qelFontParser.h"

// Reads the Windows printer font metrics file of a Type 1 font into a
// qelType1PFMRepresentation: header and extended metrics as stored, the
// PostScript name of the driver information, style flags, box values and,
// with the convert flag, the widths of the font's code range. Every offset
// of the header is checked against the file before use (E119).
class qelType1PFMParser : public qelFontParser
{
public:
    qelType1PFMParser() = default;
    ~qelType1PFMParser() override;

    int loadResourceFile() override { return 0; }
    int getParserType() override { return 39; }
    qelFontRepresentation* parse(const char* fileName) override;
    // Not supported for PFM files.
    qelFontRepresentation* parseStream(qelIOStream*) override { return nullptr; }

private:
    uint8_t* m_header = nullptr;
    uint8_t* m_extMetrics = nullptr;
};

#endif
