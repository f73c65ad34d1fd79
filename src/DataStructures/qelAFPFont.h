#ifndef QEL_AFP_FONT_H
#define QEL_AFP_FONT_H

#include "qelIPSFontRepresentation.h"
#include "qelPDFFontFileEntry.h"
#include "qelPhysicalFont.h"
#include "qelRes.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct qelCharacterWidthTable;
class qelCodePage;
class qelEncodingTable;
class qelFontHandle;
class qelIPSFontResource;
class qelList;
class qelMFMFile;
struct qelMFMWidthSet;
class qelPDFFontRepresentation;
class qelString;

// The font of the document model (resource type 3): an AFP coded font, a
// character set with a separately named code page, or a font of PDF input.
// It binds the names of these parts, the representation with the glyphs
// and metrics, the per-size physical fonts, the rendering font handles,
// the code point usage records and the temporary font files. It owns all
// of them except the code page resource.
class qelAFPFont : public qelRes
{
public:
    // Font kinds.
    enum {
        KIND_RASTER = 0,
        KIND_OUTLINE = 1,
        KIND_TYPE1 = 3,
        KIND_TYPE3 = 5,
        KIND_GLYPH_FILE = 5,
        KIND_TRUETYPE = 6,
        KIND_OPENTYPE = 7,
        KIND_TRUETYPE_CID = 9,
        KIND_TYPE1_CID = 10,
        KIND_TYPE1C_CID = 11,
        KIND_OPENTYPE_TRUETYPE_CID = 12,
        KIND_OPENTYPE_TYPE1_CID = 13
    };
    // Output format values read here.
    enum { OUTPUT_PDF = 32, OUTPUT_TIFF = 128, OUTPUT_PDFA = 512 };

    // Every constructor starts with an AFP representation (the last one with
    // the given PDF representation), encoding "ANSI", size 100 and kind 0.
    qelAFPFont();
    qelAFPFont(const char* characterSetName, const char* codePageName);
    explicit qelAFPFont(const char* codedFontName);
    explicit qelAFPFont(qelPDFFontRepresentation* representation);
    ~qelAFPFont() override;

    // New text listing the font; the caller frees it with delete[].
    char* describe() override;
    int display(qelVisitor*, float, float) override { return 0; }
    int fixAbsPosition() override { return 0; }
    int writeObjectReference(qelVisitor*) override { return 0; }

    // Throws E008 when the font has no representation.
    void checkRepresentation() const;
    // Creates an AFP representation when the font has none.
    void ensureRepresentation();

    // --- representation and IPS font resource (owned) ---
    qelFontRepresentation* getRepresentation() const { return m_representation; }
    // Deletes the current representation and takes the given one.
    void setRepresentation(qelFontRepresentation* representation);
    // The representation when it is of type 0 or 9, else null.
    qelIPSFontRepresentation* getIPSRepresentation() const;
    qelIPSFontResource* getIPSFontResource() const { return m_ipsFontResource; }
    // Deletes the current resource and takes the given one.
    void setIPSFontResource(qelIPSFontResource* resource);

    // --- properties of the representation: getters throw E008 without one,
    // setters create one ---
    int getWidth() const;
    void setWidth(int v);
    int getHeight() const;
    // Also kept as the font's size.
    void setHeight(int v);
    int getResolution() const;
    void setResolution(int v);
    bool isBold() const;
    void setBold(bool on);
    bool isItalic() const;
    void setItalic(bool on);
    bool isLight() const;
    void setLight(bool on);
    bool isUnderline() const;
    void setUnderline(bool on);
    bool isStrikeover() const;
    void setStrikeover(bool on);
    bool isHollow() const;
    void setHollow(bool on);
    const char* getTypefaceName() const;
    void setTypefaceName(const char* name);
    // The IPS font name, else the representation's name.
    const char* getFontName() const;
    void setFontName(const char* name);
    // IPS only: other representations give null, 0 or false and ignore the
    // setters. The setters returning int answer the representation's type.
    const char* getFGID() const;
    void setFGID(const char* fgid);
    const char* getCharacterSetName() const;
    void setCharacterSetName(const char* name);
    const char* getFullName() const;
    int getRotation() const;
    int getCharacterRotation() const { return getRotation(); }
    int setCharacterRotation(int rotation);
    int32_t getFigureSpaceIncrement() const;
    int setFigureSpaceIncrement(int32_t v);
    bool isOutlineFont() const;
    int setOutlineFont(bool on);
    bool isRelativeMetric() const;
    int setRelativeMetric(bool on);
    int getNominalVerticalSize() const;
    int setNominalVerticalSize(int v);
    const char* getWeightClassName() const;
    void setWeightClassName(const char* name);
    const char* getWidthClassName() const;
    void setWidthClassName(const char* name);
    // Bold (light) for the weight (light) keywords.
    void setWeightClass(const char* keyword);
    void setLightClass(const char* keyword);

    // --- own names: setters keep a copy, null clears ---
    const char* getCodedFontName() const;
    void setCodedFontName(const char* name);
    const char* getCodePageName() const;
    void setCodePageName(const char* name);
    const char* getEncoding() const;
    void setEncoding(const char* name);
    const char* getFamilyName() const;
    void setFamilyName(const char* name);
    const char* getOutputFontName() const;
    void setOutputFontName(const char* name);

    // Sets the font name, then lets the file font mapper of the pool map the
    // font for the raster outputs (target 8). Hides qelRes::setName: the
    // resource name of a font is set through qelRes::setName explicitly.
    void setName(const char* name);
    // Family defaults and default output font names of a bound font.
    static void applyDefaultFontNames(qelAFPFont* font);

    // --- flags and numbers ---
    bool isFilledFromMappingDef() const { return m_filledFromMappingDef; }
    void setFilledFromMappingDef(bool on) { m_filledFromMappingDef = on; }
    bool getCharacterSetFound() const { return m_characterSetFound; }
    void setCharacterSetFound(bool on) { m_characterSetFound = on; }
    bool getCodePageFound() const { return m_codePageFound; }
    void setCodePageFound(bool on) { m_codePageFound = on; }
    bool getCodedFontFound() const { return m_codedFontFound; }
    void setCodedFontFound(bool on) { m_codedFontFound = on; }
    int32_t getSize() const { return m_size; }
    void setSize(int32_t size) { m_size = size; }
    int32_t getNominalSize() const { return m_size; }
    void setNominalSize(int32_t size) { m_size = size; }
    bool isMetricsCreated() const { return m_metricsCreated; }
    void setMetricsCreated(bool on) { m_metricsCreated = on; }
    bool isEmbedded() const { return m_embedded; }
    void setEmbedded(bool on) { m_embedded = on; }
    int getKind() const { return m_kind; }
    void setKind(int kind) { m_kind = kind; }
    // Set once the font has been mapped to output font files.
    bool isMapped() const { return m_mapped; }
    void setMapped(bool on) { m_mapped = on; }
    // The metrics come from a metrics file.
    bool isMetricsFromFile() const { return m_metricsFromFile; }
    void setMetricsFromFile(bool on) { m_metricsFromFile = on; }
    bool isTakeCharsAsIs() const { return m_takeCharsAsIs; }
    void setTakeCharsAsIs(bool on) { m_takeCharsAsIs = on; }
    bool isLoadedFromCharSet() const { return m_loadedFromCharSet; }
    void setLoadedFromCharSet(bool on) { m_loadedFromCharSet = on; }
    bool isUseCounted() const { return m_useCounted; }
    void setUseCounted(bool on) { m_useCounted = on; }
    void addUse() { incrementUseCount(); }
    void releaseUse()
    {
        if (getUseCount() > 0)
            decrementUseCount();
    }

    // --- code page ---
    // The code page resource, looked up by the code page name in the global
    // resource list while none is cached.
    virtual qelCodePage* getCodePage();
    void setCodePage(qelCodePage* codePage) { m_codePage = codePage; }

    // --- width arrays: per rotation (0, 90, 180, 270 degrees) 1024 widths
    // by code point, owned copies ---
    uint16_t* getWidthArray(int rotation) const;
    // Replaces the array of the rotation by a copy of 1024 widths; null
    // only drops it; other rotations are ignored.
    void setWidthArray(const uint16_t* widths, int rotation);
    // Character width tables of the character set per rotation (borrowed).
    void setCharMetricsTable(const qelCharacterWidthTable* table, int rotation);
    const qelCharacterWidthTable* getCharMetricsTable(int rotation) const;
    // The four width arrays by code point of a code page, from the width
    // tables and the code page's GCGID table; null when they are missing.
    // The caller owns the result.
    qelMFMWidthSet* computeWidthArrays(qelCodePage* codePage);
    // Takes the widths of the code page from the MFM record of the file
    // name, computing, adding and writing them when the record lacks them:
    // 0 done, -1 no file name or code page, -2 the code page has no key.
    int writeMetricsFile(const char* mfmFileName, qelCodePage* codePage, const char* versionTag);
    // MFM record of the font (borrowed from the pool's cache).
    qelMFMFile* getMetricsRecord() const { return m_metricsRecord; }
    void setMetricsRecord(qelMFMFile* record) { m_metricsRecord = record; }

    // --- glyph indexes of fonts of PDF input ---
    // The encoding table of the name (any case), else the first; null
    // without name or font resource.
    qelEncodingTable* findEncodingTable(const char* name) const;
    // One byte per character, or two-byte character ids (high byte first),
    // to two-byte glyph indexes (high byte first) in a new[] array; codes
    // without glyph index give 0. Nothing for n below 1.
    void mapBytesToGlyphIndexes(const unsigned char* text, int n, unsigned char** out, int* outLength);
    void mapCharacterIdsToGlyphIndexes(const unsigned char* text, int n, unsigned char** out, int* outLength);

    // --- physical fonts ---
    // Adds the entry of a size or replaces its texts.
    void setPhysicalFont(float size, const char* codedFontName, const char* characterSetName,
                         const char* codePageName, const char* fourthName, const char* nameA, const char* nameB,
                         qelCodePage* codePage, intptr_t value, uint8_t source = 0);
    // The entry of the size (compared as integers; any entry for a Type 3
    // font), or null.
    virtual qelPhysicalFont* findPhysicalFont(float size);
    qelList* getPhysicalFonts() const { return m_physicalFonts; }

    // --- font handles ---
    // Takes the handle over; null is ignored.
    void addFontHandle(qelFontHandle* handle);
    qelFontHandle* findFontHandle(int rotation, bool underline, const char* codePageName,
                                  const char* typefaceName) const;
    qelList* getFontHandles() const { return m_fontHandles; }

    // --- aliases ---
    // Appends the name without surrounding double quotes; null is ignored.
    void addAliasName(const char* name);
    // Replaces the aliases by copies of a list of qelNamePair (quotes
    // stripped); an absent or empty list leaves none.
    void setAliasNames(const qelList* pairs);
    const std::vector<std::pair<std::string, std::string>>& getAliasNames() const { return m_aliasNames; }
    int getAliasNameCount() const { return static_cast<int>(m_aliasNames.size()); }

    // --- code point usage records ---
    // Takes the record over (null only creates the list).
    void addCodePointUsage(qelPDFFontFileEntry* record);
    // First record of the code page name (any case), or null.
    qelPDFFontFileEntry* findCodePointUsage(const char* codePageName) const;
    qelList* getCodePointUsages() const { return m_codePointUsages; }
    qelPDFFontFileEntry* findGlyphName(const char* codePageName) const { return findCodePointUsage(codePageName); }
    void addUsedGlyph(qelPDFFontFileEntry* record) { addCodePointUsage(record); }

    // --- temporary font files: "first|second" or one file name ---
    void addTemporaryFiles(const char* text);
    qelList* getTemporaryFiles() const { return m_temporaryFiles; }

private:
    void initialise(qelFontRepresentation* representation);
    // The encoding entries of the font's encoding name; null after logging
    // why there are none.
    qelEncodingTable* glyphIndexTable();
    // Glyph indexes (2 bytes each) of a byte text or of a text of 2-byte ids.
    void mapToGlyphIndexes(const unsigned char* text, int n, bool twoByteIds, unsigned char** out, int* outLength);
    void logFontWarning(const char* format, ...) const __attribute__((format(printf, 2, 3)));
    void deleteTemporaryFiles();

    qelString* m_codedFontName = nullptr;
    qelString* m_codePageName = nullptr;
    qelFontRepresentation* m_representation = nullptr;
    qelList* m_codePointUsages = nullptr;
    std::vector<std::pair<std::string, std::string>> m_aliasNames;
    bool m_filledFromMappingDef = false;
    bool m_characterSetFound = false;
    bool m_codePageFound = false;
    bool m_codedFontFound = false;
    int32_t m_size = 100;
    bool m_metricsCreated = false;
    qelString* m_outputFontName = nullptr;
    qelString* m_familyName = nullptr;
    bool m_embedded = false;
    qelCodePage* m_codePage = nullptr;
    uint16_t* m_widthArrays[4] = {nullptr, nullptr, nullptr, nullptr};
    const qelCharacterWidthTable* m_charMetricsTables[4] = {nullptr, nullptr, nullptr, nullptr};
    qelMFMFile* m_metricsRecord = nullptr;
    qelList* m_fontHandles = nullptr;
    int32_t m_kind = KIND_RASTER;
    qelString* m_encoding = nullptr;
    qelList* m_physicalFonts = nullptr;
    qelList* m_temporaryFiles = nullptr;
    qelIPSFontResource* m_ipsFontResource = nullptr;
    bool m_mapped = false;
    bool m_metricsFromFile = false;
    bool m_takeCharsAsIs = false;
    bool m_loadedFromCharSet = false;
    bool m_useCounted = false;
};

#endif
