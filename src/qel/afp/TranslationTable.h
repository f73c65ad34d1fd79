#ifndef QEL_LIB_TRANSLATION_TABLE_H
#define QEL_LIB_TRANSLATION_TABLE_H

#include "qel/afp/Object.h"

#include <cstdint>

namespace qel
{

// ASCII (ISO 8859-1) / EBCDIC translation, built in for code page 500.
// Entry X'FF' of each table is fixed: ISO X'FF' gives X'DF', EBCDIC X'FF'
// gives a blank; the fill operations set entries X'00' to X'FE' only.
class TranslationTable : public Object
{
public:
    TranslationTable();
    ~TranslationTable() override;

    // Translate in place and return bytes; null (nothing changed) for null
    // bytes or a length of 0 or less.
    unsigned char* asciiToEBCDIC(unsigned char* bytes, int length);
    unsigned char* ebcdicToASCII(unsigned char* bytes, int length);

    // 1 to 255 bytes replace the table's first entries, the others of
    // X'00' to X'FE' become blanks (X'20' or X'40').
    void fillASCIITable(const unsigned char* data, int length);
    void fillEBCDICTable(const unsigned char* data, int length);

    void setCodePage(int codePage) { m_codePage = codePage; }
    int getCodePage() const { return m_codePage; }

    // Entry of the table indexed by an EBCDIC code (its ISO code), and of
    // the one indexed by an ISO code (its EBCDIC code).
    unsigned char asciiOf(unsigned char ebcdic) const { return m_ascii[ebcdic]; }
    unsigned char ebcdicOf(unsigned char ascii) const { return m_ebcdic[ascii]; }

private:
    int32_t m_codePage = 500;
    unsigned char m_ascii[256];
    unsigned char m_ebcdic[256];
};

} // namespace qel

#endif
