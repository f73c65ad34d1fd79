#ifndef QEL_CODE_PAGE_H
#define QEL_CODE_PAGE_H

#include "qelRes.h"

#include <cstdint>
#include <cstdio>
#include <string>

class qelList;
struct qelCodePointGCGIDTable;

// One character of a code page.
struct qelCodePageChar
{
    uint8_t value = 0x20;  // byte of the output encoding
    int32_t codePoint = 0; // its slot in the code point table
    int32_t unicode = -1;  // -1: none
    char* name = nullptr;  // character name (GCGID), trimmed
    char* glyphName = nullptr;
    char valueText[2] = {0x20, 0}; // the value as a one-character text

    qelCodePageChar() = default;
    qelCodePageChar(const qelCodePageChar&) = delete;
    qelCodePageChar& operator=(const qelCodePageChar&) = delete;
    ~qelCodePageChar();
    void setValue(int v)
    {
        value = static_cast<uint8_t>(v);
        valueText[0] = static_cast<char>(value);
    }
};

// Code page resource (type 4): code points of a single-byte text mapped to
// the output encoding's byte (value), a Unicode value, a character name and
// a glyph name. Filled from the AFP code page resource and from the code
// page file that load() finds in the code page directory.
class qelCodePage : public qelRes
{
public:
    // How the code page file was found.
    enum FileOrigin {
        ORIGIN_BUILT_IN = 0,   // no file: the program's EBCDIC table
        ORIGIN_CPGID = 1,      // <CPGID>.cp
        ORIGIN_MAPPING = 2,    // [CODEPG] entry of the code page name
        ORIGIN_DESCRIPTOR = 3, // CPGID from the code page descriptor
        ORIGIN_MAPPING_DEFAULT = 4,
        ORIGIN_INI = 5,        // option CodePage
        ORIGIN_FIXED = 6       // 382.cp
    };

    qelCodePage();
    // A code page not yet loaded; directory is the code page directory.
    qelCodePage(const char* name, const char* directory);
    ~qelCodePage() override;

    // Listing line with the CPGID, directory and file, encoding.
    char* describe() override;
    int display(qelVisitor*, float, float) override { return 0; }
    int fixAbsPosition() override { return 0; }
    int writeObjectReference(qelVisitor*) override { return 0; }

    // Chooses the code page file (see the search order in the source), sets
    // file name, encoding and origin, and reads it. Always true.
    virtual bool load(bool useMappingDefault);
    // Reads the chosen file into the tables, or builds them from the
    // program's EBCDIC table without one. Always true.
    bool parseCodePageFile();

    // Splits one line of a standard file. codePoint and unicode start at
    // -1; value, name and glyph name keep what the caller preset where the
    // line does not give them.
    static void parseCodePageLine(const char* fileName, const char* line, std::string& name, int& codePoint,
                                  int& unicode, int& value, std::string& glyphName);
    // The same for a nostdencoding line (no code point field).
    static void parseNoStdLine(const char* fileName, const char* line, std::string& name, int& unicode, int& value);
    // The third field as a Unicode value (1 to 4 hex digits), else -1.
    static int parseUnicodeField(const char* line);
    // Lines of the file in the code page directory not beginning with ';'.
    int countDataLines(const char* fileName) const;
    // Fills a code point to value table from <cpgid>.cp in the directory;
    // false when the file is missing or unreadable.
    static bool readCodePageFile(unsigned char* table, const char* directory, int cpgid);
    // Fills the given EBCDIC to ASCII table and the program's ASCII to
    // EBCDIC table from the mapping definition's file of a code page name;
    // true when a file was opened.
    static bool loadCodePageFile(unsigned char* table, const char* codePageName);

    // ---- names and settings
    void setNameFromCodedFont(const char* codedFontName);
    void setResourceName(const char* name) { setName(name); }
    const char* getDirectory() const { return m_directory.empty() ? nullptr : m_directory.c_str(); }
    void setDirectory(const char* directory) { m_directory = directory ? directory : ""; }
    bool isLoaded() const { return m_loaded; }
    void setLoaded(bool on) { m_loaded = on; }
    const char* getEncoding() const { return m_encoding.empty() ? nullptr : m_encoding.c_str(); }
    void setEncoding(const char* e) { m_encoding = e ? e : ""; }
    const char* getCPGID() const { return m_cpgid.c_str(); }
    void setCPGID(const char* id) { m_cpgid = id ? id : ""; }
    // Default character name (GCGID) of the code page control.
    const char* getDefaultGCGID() const { return m_defaultGCGID.empty() ? nullptr : m_defaultGCGID.c_str(); }
    void setDefaultGCGID(const char* g) { m_defaultGCGID = g ? g : ""; }
    void setDefaultCharName(const char* g) { setDefaultGCGID(g); }
    const char* getSpaceCharName() const { return m_spaceCharName.empty() ? nullptr : m_spaceCharName.c_str(); }
    void setSpaceCharName(const char* g) { m_spaceCharName = g ? g : ""; }
    int getSpaceCodePoint() const { return m_spaceCodePoint; }
    void setSpaceCodePoint(int cp) { m_spaceCodePoint = cp; }
    int getDefaultCharUnicode() const { return m_defaultCharUnicode; }
    // Loaded from an AFP code page resource.
    bool isFromResource() const { return m_fromResource; }
    void setFromResource(bool on) { m_fromResource = on; }
    int getFileOrigin() const { return m_fileOrigin; }
    void setFileOrigin(int origin) { m_fileOrigin = origin; }
    // ", ACP=" label of the origin ("PG-DEF", "NC", "MD", ...).
    static const char* getOriginLabel(int origin);
    uint8_t getUseFlags() const { return m_useFlags; }
    void setUseFlags(uint8_t flags) { m_useFlags = flags; }
    bool isSortIndexOnBuild() const { return m_sortIndexOnBuild; }
    void setSortIndexOnBuild() { m_sortIndexOnBuild = true; }
    bool isFilledFromMappingDef() const { return m_filledFromMappingDef; }
    void setFilledFromMappingDef() { m_filledFromMappingDef = true; }
    qelCodePointGCGIDTable* getGCGIDTable() const { return m_gcgidTable; }
    void setGCGIDTable(qelCodePointGCGIDTable* table) { m_gcgidTable = table; }
    bool hasUnicode() const { return m_hasUnicode; }
    bool hasGlyphNames() const { return m_hasGlyphNames; }

    // ---- character table
    int getCount() const { return m_count; }
    void setCount(int count) { m_count = count; }
    // Creates the tables with max(n, 256) slots; throws a text when they
    // exist already. n < 1 does nothing.
    void allocateTables(int n);
    // Defines (creating when missing) the entry of a code point with a
    // trimmed copy of the name.
    void defineChar(int codePoint, const char* name);
    // Entry of a code point, value byte or Unicode value; null when none.
    qelCodePageChar* getEntry(int codePoint) const;
    qelCodePageChar* getEntryByValue(int value) const;
    qelCodePageChar* getEntryByUnicode(int32_t unicode) const;
    // The ".notdef" entry; null when the file had none.
    qelCodePageChar* getDefaultCharEntry() const { return m_defaultEntry; }
    void freeEntries();

    // Byte table view: per code point null or a text whose first character
    // is the value of that code point.
    bool hasByteTable() const { return m_codePoints != nullptr; }
    const char* getByteEntry(int codePoint) const;
    void setByteEntry(int codePoint, const char* text);
    // The ".notdef" entry's value as a text; null if none.
    const char* getDefaultEntry() const { return m_defaultEntry ? m_defaultEntry->valueText : nullptr; }
    // Makes an entry with the text's first character as value the default
    // entry (its code point is the one of that value, else 0).
    void setDefaultEntry(const char* text);
    // Glyph name (GCGID or character name) of a code point, or null.
    virtual const char* getCharName(int codePoint) const;
    // Renames an existing entry (null: no name).
    void setCharName(int codePoint, const char* name);

    // ---- translations
    // Value bytes to code points; a value without entry gives the default
    // entry's code point, without default entry the byte itself.
    virtual void translateToCodePage(const unsigned char* src, unsigned char* dst, int length) const;
    // Code points to values; bytes without entry stay unchanged.
    virtual void translateFromCodePage(const unsigned char* src, unsigned char* dst, int length) const;
    // Unicode values to code points into the caller's buffer (default
    // character for unmapped values, else 0).
    virtual void unicodeToCodePoints(const int* values, int count, unsigned char* out, int outLength) const;
    // The same into a new array of n + 1 zeroed bytes (caller frees).
    void unicodeToCodePoints(const int32_t* values, int n, unsigned char** out, uint16_t* outCount) const;
    // Unicode values to value bytes; an entry of value 0 counts as missing.
    void unicodeToBytes(const int32_t* values, int n, unsigned char** out, uint16_t* outCount) const;
    // Value bytes to Unicode values (default entry's Unicode, else -1).
    void codePointsToUnicode(const unsigned char* bytes, int n, int32_t** out, uint16_t* outCount) const;

    // Glyph names to Unicode values and value bytes; the number found, -1
    // without names (or, for the first form, without code point table).
    int glyphNamesToCodePoints(const char* const* names, int n, int32_t** unicodes, uint16_t* outCount,
                               unsigned char** values) const;
    int glyphNamesToCodePointsNoStd(const char* const* names, int n, int32_t** unicodes, uint16_t* outCount,
                                    unsigned char** values) const;
    int mapGlyphNames(const char* const* names, int n, int32_t** unicodes, uint16_t* outCount,
                      unsigned char** values) const;
    qelCodePageChar* findByGlyphName(const char* name) const;
    qelList* getGlyphNameBucket(const char* name);
    void addToGlyphNameIndex(qelCodePageChar* entry);
    void dumpGlyphNameIndex() const;

    // " %d /%s" per code point with a glyph name; null without glyph names.
    const char* buildDifferences();

    // Derives the CPGID from the name (T1V10500 gives 500, T1000037 gives 37).
    static void setIdFromName(qelCodePage* codePage);
    // The CPGID text of a code page name: characters 3 to 6 when the 7th
    // and 8th are "SS" (any case), else 5 to 8, as far as the name goes,
    // without leading zeros; empty for DEFAULT and names of 6 characters or
    // fewer.
    static std::string cpgidFromName(const char* name);

private:
    void resetTables();
    void buildFromProgramTable();
    qelCodePageChar* ensureEntry(int codePoint);
    void linkUnicode(qelCodePageChar* entry);
    bool fileExists(const std::string& candidate, std::string& onDisk) const;
    void warnUnicodeMissing(int32_t value) const;
    void warnGlyphMissing(const char* name) const;
    const char* nameOrNull() const;
    const char* fileOrNull() const;

    std::string m_directory;
    std::string m_encoding;
    std::string m_cpgid;
    std::string m_defaultGCGID;
    std::string m_spaceCharName;
    std::string m_differences;
    qelCodePageChar** m_codePoints = nullptr;
    qelCodePageChar* m_defaultEntry = nullptr;
    int m_count = 0;
    qelCodePageChar** m_values = nullptr;
    qelCodePageChar** m_unicodePages[256] = {};
    qelList* m_glyphIndex[27] = {};
    qelCodePointGCGIDTable* m_gcgidTable = nullptr;
    int m_fileOrigin = ORIGIN_BUILT_IN;
    int m_spaceCodePoint = 0x40;
    int m_defaultCharUnicode = -1;
    uint8_t m_useFlags = 8;
    bool m_hasGlyphNames = false;
    bool m_hasUnicode = false;
    bool m_differencesBuilt = false;
    bool m_sortIndexOnBuild = false;
    bool m_filledFromMappingDef = false;
    bool m_fromResource = false;
    bool m_loaded = false;
};

#endif
