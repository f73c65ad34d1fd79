#ifndef QEL_PDF_FONT_FILE_ENTRY_H
#define QEL_PDF_FONT_FILE_ENTRY_H

#include <cstring>

class qelAFPCharMetrics;

// Code points of one code page that texts of a font use. Minimal form: the
// fields that text binding fills.
struct qelPDFFontFileEntry
{
    enum { NOT_USED = -1, USED = 1, USED_DEFAULT = 2 };

    explicit qelPDFFontFileEntry(const char* name)
    {
        std::strncpy(codePageName, name ? name : "", 8);
        codePageName[8] = '\0';
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
    unsigned char firstChar[256] = {};
    int state[256];
    char* glyphName[256] = {};
    qelAFPCharMetrics* charMetrics[256] = {};
    int usedCount = 0;
};

#endif
