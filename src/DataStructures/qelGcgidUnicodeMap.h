#ifndef QEL_GCGID_UNICODE_MAP_H
#define QEL_GCGID_UNICODE_MAP_H

#include <cstdio>

class qelList;

// One glyph name with its Unicode value (-1 until set).
struct qelGcgidUnicodeEntry
{
    char* name = nullptr;
    int value = -1;
    ~qelGcgidUnicodeEntry() { delete[] name; }
};

// The character-name table read from the glyph name file in CpPath: lines
// NAME=XXXX (one to four hex digits), ';' starts a comment. Entries keep
// the order of the file; only the first entry of a name is ever found.
struct qelGcgidUnicodeMap
{
    FILE* file = nullptr;
    unsigned char loaded = 0;
    qelList* entries = nullptr;

    ~qelGcgidUnicodeMap();

    bool isLoaded() const { return loaded != 0; }

    // Opens the glyph name file of the options in CpPath; true when open.
    static bool openUnicodeFile(qelGcgidUnicodeMap* table);
    // Reads the whole file into the table; a missing file leaves it
    // unloaded. A read error raises E068.
    static void loadUnicodeTable(qelGcgidUnicodeMap* table);
    // Appends a copy of the name with its value; a null name adds nothing.
    static void addUnicodeEntry(qelGcgidUnicodeMap* table, const char* name, int value);
    // Value of the first entry of that name, ignoring case; -1 when none.
    static int findUnicodeValue(const qelGcgidUnicodeMap* table, const char* name);
    static void clearUnicodeTable(qelGcgidUnicodeMap* table);
};

#endif
