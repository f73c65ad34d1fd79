#ifndef QEL_BARCODE_TRANSLATION_H
#define QEL_BARCODE_TRANSLATION_H

// Code pages of bar code data: which code page a bar code type reads its
// data in, and the built-in translation tables used when no code page file
// can be read. Each fill writes all 256 entries (EBCDIC byte to data byte).
class qelBarcodeTranslation
{
public:
    // CPGID of a bar code type's data: 500, 893 or 1303; 0 for the types
    // translated with the system table (29, 30, 32, 34 and undefined types).
    static int getCodePage(unsigned int type);

    static void fill500(unsigned char* table);
    static void fill893(unsigned char* table);
    static void fill1303(unsigned char* table);
    // The built-in table of the code page: 500, 893, 1303, or the system
    // EBCDIC table for any other id.
    static void fill(unsigned char* table, int cpgid);
};

#endif
