#ifndef QEL_PDF_FONT_FILE_ENTRY_H
#define QEL_PDF_FONT_FILE_ENTRY_H

#include <cstring>

class qelAFPCharMetrics;

// Code point usage of one coded font with one code page: which codes texts
// bound with it use, with their glyph names and character metrics. Owns
// the glyph names (new[]); the metrics entries are borrowed from the font.
struct qelPDFFontFileEntry
{
    enum { NOT_USED = -1, USED = 1, USED_DEFAULT = 2 };

    // Code page name, cut to 8 characters ("ALLCDEPG" for texts bound
    // without a code page).
    explicit qelPDFFontFileEntry(const char* name)
    {
        const size_t n = name ? strnlen(name, 8) : 0;
        std::memcpy(codePageName, name ? name : "", n);
        codePageName[n] = '\0';
        for (int i = 0; i < 256; ++i)
            state[i] = NOT_USED;
    }
    ~qelPDFFontFileEntry()
    {
        for (char* n : glyphName)
            delete[] n;
    }
    qelPDFFontFileEntry(const qelPDFFontFileEntry&) = delete;
    qelPDFFontFileEntry& operator=(const qelPDFFontFileEntry&) = delete;

    char codePageName[9];
    int firstCode = -1;
    int lastCode = -1;
    // Text byte first seen per code.
    unsigned char firstChar[256] = {};
    // NOT_USED, USED, or USED_DEFAULT (named with the default character).
    int state[256];
    char* glyphName[256] = {};
    qelAFPCharMetrics* charMetrics[256] = {};
    int usedCount = 0;
    // Kept for the PDF output: the font's name in the written PDF and its
    // font kind there (4 for a Type 3 font).
    char pdfFontName[256] = {};
    int pdfFontKind = 0;
};

#endif
