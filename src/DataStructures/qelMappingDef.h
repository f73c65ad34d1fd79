#ifndef QEL_MAPPING_DEF_H
#define QEL_MAPPING_DEF_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <unordered_set>

class qelList;

// A coded font entry of the font mapping definition: the [CHARSET] line of
// a name, which carries the height.
class qelCodedFontEntry
{
public:
    virtual ~qelCodedFontEntry() = default;
    // Point size in tenths.
    virtual int getHeight() const = 0;
};

// Entry records. Text fields hold at most their width - 1 characters;
// longer texts of the file are cut.
struct qelXFontEntry
{
    char codedFontName[9] = {};
    char charSetName[9] = {};
    char codePageName[9] = {};
};

struct qelCharSetEntry : public qelCodedFontEntry
{
    char charSetName[9] = {};
    char fgid[11] = {};
    int32_t height = 0;
    int32_t width = 0;
    uint8_t strikeover = 0;
    uint8_t underline = 0;
    int getHeight() const override { return height; }
};

struct qelFGIDEntry
{
    char fgid[9] = {};
    char fontName[128] = {};
    char familyName[12] = {};
    char weight[20] = {};
    uint8_t italic = 0;
};

// Alias pairs are qelNamePair records (first name, optional second name).
struct qelOutputFontEntry
{
    char fontName[128] = {};
    char outputName[128] = {};
    qelList* aliases = nullptr;
    qelOutputFontEntry() = default;
    qelOutputFontEntry(const qelOutputFontEntry&) = delete;
    qelOutputFontEntry& operator=(const qelOutputFontEntry&) = delete;
    ~qelOutputFontEntry();
};

struct qelCodePageEntry
{
    char codePageName[9] = {};
    char fileName[10] = {};
    char encoding[10] = {};
};

struct qelAFPFontEntry
{
    char* key = nullptr;
    char* fontName = nullptr;
    float height = 0.0f;
    int32_t style = 0; // 2 bold
    uint8_t italic = 0;
    char codedFontName[9] = {};
    char charSetName[9] = {};
    char codePageName[9] = {};
    uint8_t outline = 0;
    qelAFPFontEntry() = default;
    qelAFPFontEntry(const qelAFPFontEntry&) = delete;
    qelAFPFontEntry& operator=(const qelAFPFontEntry&) = delete;
    ~qelAFPFontEntry();
};

struct qelGCSGIDEntry
{
    int32_t gcsgid = 0;
    int32_t fgid = 0;
    char charSetName[9] = {};
};

struct qelRenderingEntry
{
    char pattern[128] = {};
    int32_t mode = 0;
    int32_t option = 4;
};

struct qelInputAliasEntry
{
    char pattern[128] = {};
    qelList* aliases = nullptr;
    qelInputAliasEntry() = default;
    qelInputAliasEntry(const qelInputAliasEntry&) = delete;
    qelInputAliasEntry& operator=(const qelInputAliasEntry&) = delete;
    ~qelInputAliasEntry();
};

// The font mapping definition ("mapping.def"): eleven lists read from the
// file's sections, and the lookups on them. Lists are created on their first
// append and own their entries.
class qelMappingDef
{
public:
    qelMappingDef();
    virtual ~qelMappingDef();
    qelMappingDef(const qelMappingDef&) = delete;
    qelMappingDef& operator=(const qelMappingDef&) = delete;

    // Reads the file of MappingDefFilename: 1 after a complete read, 0 when
    // it does not open. An exception while reading is reported and passed on.
    int load();
    // Whether the definition file has been read.
    virtual bool isLoaded() const { return m_loaded != 0; }

    qelList* getBoldSuffixes() const { return m_boldSuffixes; }
    qelList* getItalicSuffixes() const { return m_italicSuffixes; }
    qelList* getBoldItalicSuffixes() const { return m_boldItalicSuffixes; }
    qelList* getXFontList() const { return m_xfonts; }
    qelList* getCharSetList() const { return m_charSets; }
    qelList* getFGIDList() const { return m_fgids; }
    qelList* getOutputFontList() const { return m_outputFonts; }
    qelList* getCodePageList() const { return m_codePages; }
    qelList* getAFPFontList() const { return m_afpFonts; }
    qelList* getGCSGIDList() const { return m_gcsgids; }
    qelList* getRenderingList() const { return m_renderings; }
    qelList* getInputAliasList() const { return m_inputAliases; }

    // Appends; the list takes the entry over.
    void addXFont(qelXFontEntry* entry);
    void addCharSet(qelCharSetEntry* entry);
    void addFGID(qelFGIDEntry* entry);
    void addOutputFont(qelOutputFontEntry* entry);
    void addCodePage(qelCodePageEntry* entry);
    void addAFPFont(qelAFPFontEntry* entry);
    void addGCSGID(qelGCSGIDEntry* entry);
    void addCharSetRendering(qelRenderingEntry* entry);
    void addInputFontAlias(qelInputAliasEntry* entry);

    // Lookups; results stay owned by the lists. With fallback, the first
    // DEFAULT entry ends the scan and is the result when nothing matched
    // before it.
    qelXFontEntry* findXFont(const char* name, bool fallback) const;
    qelCharSetEntry* findCharSet(const char* name, bool fallback) const;
    qelFGIDEntry* findFGID(const char* fgid, bool fallback) const;
    qelOutputFontEntry* findOutputFontEntry(const char* name, bool fallback) const;
    qelCodePageEntry* findCodePage(const char* name, bool fallback) const;
    qelCodePageEntry* findCodePageByFile(const char* fileField) const;
    qelAFPFontEntry* findAFPFont(const char* typefaceName, const char* familyName, int style, bool italic,
                                 float height) const;
    const char* findGCSGID(int gcsgid, int fgid) const;
    const char* findGCSGIDByText(const char* gcsgid, const char* fgid) const;
    qelRenderingEntry* findCharSetRendering(const char* charSetName) const;
    // 1 for no name; the mode of the first matching entry, 0 without one.
    virtual int getCharSetRenderingMode(const char* characterSetName);
    qelInputAliasEntry* findExternalFont(const char* name, bool fallback) const;
    // The [CHARSET] entry of a name (with fallback to the DEFAULT entry
    // when asked), or null.
    virtual const qelCodedFontEntry* findCodedFont(const char* name, bool fallback);
    // Finds the font file of an external font: 1 found, 2 found through the
    // DEFAULT entry, -1 none. fontPath receives the file (caller's buffer).
    virtual int resolveFontFile(const char* typefaceName, const char* fontName, bool bold, bool italic,
                                char* fontPath, int fontPathSize);

    // Logs the [AFPFONT] entries, one line each.
    void dumpAFPFonts() const;

private:
    enum Section {
        SEC_XFONT,
        SEC_CHARSET,
        SEC_FGID,
        SEC_OUTPUT,
        SEC_AFPFONT,
        SEC_CODEPG,
        SEC_RENDERING,
        SEC_SUFFIX,
        SEC_ALIASES,
        SEC_GCSGID
    };

    bool openFile();
    // Section readers read lines until the end of the file or the next
    // bracketed line, which stays in the line buffer.
    // Next line into the buffer; false at the end of the file.
    bool readLine();
    void readSection(Section section);
    void parseXFontLine(char* line);
    void parseCharSetLine(char* line);
    void parseFGIDLine(char* line);
    void parseOutputFontLine(char* line);
    void parseCodePageLine(char* line);
    void parseRenderingLine(char* line);
    void parseSuffixLine(char* line);
    void parseInputAliasLine(char* line);
    void parseAFPFontLine(char* line);
    void parseGCSGIDLine(char* line);
    void parseAFPFontSection();
    void applyDefaultSuffixes();

    FILE* m_file = nullptr;
    uint8_t m_loaded = 0;
    qelList* m_xfonts = nullptr;
    qelList* m_charSets = nullptr;
    // Lower-case names in m_charSets: the duplicate check of a long
    // CHARSET section without a scan per line.
    std::unordered_set<std::string> m_charSetNames;
    qelList* m_fgids = nullptr;
    qelList* m_outputFonts = nullptr;
    qelList* m_codePages = nullptr;
    qelList* m_afpFonts = nullptr;
    qelList* m_gcsgids = nullptr;
    qelList* m_renderings = nullptr;
    qelList* m_boldSuffixes = nullptr;
    qelList* m_italicSuffixes = nullptr;
    qelList* m_boldItalicSuffixes = nullptr;
    qelList* m_inputAliases = nullptr;
    char m_line[1024] = {};
};

#endif
