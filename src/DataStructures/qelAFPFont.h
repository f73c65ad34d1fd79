#ifndef QEL_AFP_FONT_H
#define QEL_AFP_FONT_H

#include "qelIPSFontRepresentation.h"
#include "qelPDFFontFileEntry.h"
#include "qelPhysicalFont.h"
#include "qelRes.h"

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class qelCodePage;
class qelIPSFontResource;
class qelList;

// Coded font resource (type 3). Minimal form: the members that the
// document model and the global resource list use; the font component fills
// in the rest (representation ownership, metrics). Properties that belong to
// the representation are kept in the font until then.
class qelAFPFont : public qelRes
{
public:
    // Font kind 5: one font file measured per glyph.
    enum { KIND_GLYPH_FILE = 5 };

    qelAFPFont() { setType(TYPE_FONT); }
    ~qelAFPFont() override = default;

    // Listing line with the character set name and the found flag.
    char* describe() override;
    int display(qelVisitor*, float, float) override { return 0; }
    int fixAbsPosition() override { return 0; }
    int writeObjectReference(qelVisitor*) override { return 0; }

    // Throws E008 when the font has no representation.
    void checkRepresentation() const;

    // Set once the font has been mapped to output font files.
    bool isMapped() const { return m_mapped; }
    void setMapped(bool on) { m_mapped = on; }
    bool getCodePageFound() const { return m_codePageFound; }
    void setCodePageFound(bool on) { m_codePageFound = on; }
    // The outline flag of an AFP or PDF representation, or the font's own.
    bool isOutlineFont() const
    {
        const qelIPSFontRepresentation* ips = getIPSRepresentation();
        return m_outline || (ips && ips->isOutlineFont());
    }
    void setOutlineFont(bool on) { m_outline = on; }
    bool isMetricsFromFile() const { return m_metricsFromFile; }
    void setMetricsFromFile(bool on) { m_metricsFromFile = on; }

    const char* getFGID() const { return text(m_fgid); }
    void setFGID(const char* t) { m_fgid = t ? t : ""; }
    const char* getTypefaceName() const { return text(m_typefaceName); }
    void setTypefaceName(const char* t) { m_typefaceName = t ? t : ""; }
    int getHeight() const { return m_height; }
    void setHeight(int v) { m_height = v; }
    int getWidth() const { return m_width; }
    void setWidth(int v) { m_width = v; }
    int getCharacterRotation() const { return m_characterRotation; }
    void setCharacterRotation(int v) { m_characterRotation = v; }
    int getNominalSize() const { return m_nominalSize; }
    void setNominalSize(int v) { m_nominalSize = v; }
    bool isBold() const { return m_bold; }
    void setBold(bool on) { m_bold = on; }
    bool isLight() const { return m_light; }
    void setLight(bool on) { m_light = on; }
    bool isHollow() const { return m_hollow; }
    void setHollow(bool on) { m_hollow = on; }
    bool isItalic() const { return m_italic; }
    void setItalic(bool on) { m_italic = on; }
    bool isUnderline() const { return m_underline; }
    void setUnderline(bool on) { m_underline = on; }
    bool isStrikeover() const { return m_strikeover; }
    void setStrikeover(bool on) { m_strikeover = on; }

    // Replaces the alias name list by copies of a list of qelNamePair; an
    // absent or empty list leaves none.
    void setAliasNames(const qelList* pairs);
    const std::vector<std::pair<std::string, std::string>>& getAliasNames() const { return m_aliasNames; }

    // Adds or updates the physical font entry of a size.
    void setPhysicalFont(float size, const char* codedFontName, const char* characterSetName,
                         const char* codePageName, const char* characterSetFile, const char* codePageFile,
                         const char* codedFontFile, qelCodePage* codePage, int flags);

    const char* getCodedFontName() const { return text(m_codedFontName); }
    void setCodedFontName(const char* n) { m_codedFontName = n ? n : ""; }
    const char* getCodePageName() const { return text(m_codePageName); }
    void setCodePageName(const char* n) { m_codePageName = n ? n : ""; }
    const char* getEncoding() const { return text(m_encoding); }
    void setEncoding(const char* n) { m_encoding = n ? n : ""; }
    const char* getFontName() const
    {
        if (!m_fontName.empty())
            return m_fontName.c_str();
        return m_representation ? m_representation->getName() : nullptr;
    }
    void setFontName(const char* n) { m_fontName = n ? n : ""; }
    // Only for an AFP (type 0) or PDF (type 9) representation.
    const char* getCharacterSetName() const
    {
        const qelIPSFontRepresentation* ips = getIPSRepresentation();
        if (!ips)
            return nullptr;
        return m_characterSetName.empty() ? ips->getCharacterSetName() : m_characterSetName.c_str();
    }
    void setCharacterSetName(const char* n) { m_characterSetName = n ? n : ""; }

    int getKind() const { return m_kind; }
    void setKind(int kind) { m_kind = kind; }

    void addAliasName(const char* name, const char* value)
    {
        m_aliasNames.emplace_back(name ? name : "", value ? value : "");
    }
    int getAliasNameCount() const { return static_cast<int>(m_aliasNames.size()); }

    qelFontRepresentation* getRepresentation() const { return m_representation; }
    void setRepresentation(qelFontRepresentation* r) { m_representation = r; }
    // The representation when it is of type 0 or 9, else null.
    qelIPSFontRepresentation* getIPSRepresentation() const
    {
        if (!m_representation)
            return nullptr;
        const int t = m_representation->getType();
        if (t != qelFontRepresentation::TYPE_AFP && t != qelFontRepresentation::TYPE_PDF)
            return nullptr;
        return static_cast<qelIPSFontRepresentation*>(m_representation);
    }
    qelIPSFontResource* getIPSFontResource() const { return m_ipsFontResource; }
    void setIPSFontResource(qelIPSFontResource* r) { m_ipsFontResource = r; }

    virtual qelCodePage* getCodePage() { return m_codePage; }
    void setCodePage(qelCodePage* cp) { m_codePage = cp; }

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

    // Per-size physical font entry (size compared as an integer), or null.
    virtual qelPhysicalFont* findPhysicalFont(float size);

    // Table of used code points for a code page name, or null.
    qelPDFFontFileEntry* findGlyphName(const char* codePageName) const
    {
        for (const auto& e : m_usedGlyphs)
            if (codePageName && std::strcmp(e->codePageName, codePageName) == 0)
                return e.get();
        return nullptr;
    }
    // Takes the table over.
    void addUsedGlyph(qelPDFFontFileEntry* entry)
    {
        if (entry)
            m_usedGlyphs.emplace_back(entry);
    }

private:
    static const char* text(const std::string& s) { return s.empty() ? nullptr : s.c_str(); }

    std::string m_codedFontName;
    std::string m_codePageName;
    std::string m_encoding;
    std::string m_fontName;
    std::string m_characterSetName;
    int m_kind = 0;
    std::vector<std::pair<std::string, std::string>> m_aliasNames;
    qelFontRepresentation* m_representation = nullptr;
    qelIPSFontResource* m_ipsFontResource = nullptr;
    qelCodePage* m_codePage = nullptr;
    bool m_takeCharsAsIs = false;
    bool m_loadedFromCharSet = false;
    bool m_useCounted = false;
    std::vector<std::unique_ptr<qelPDFFontFileEntry>> m_usedGlyphs;

    // A physical font entry with the texts it points at.
    struct PhysicalFontHolder {
        qelPhysicalFont entry;
        std::string names[7];
        int flags = 0;
    };
    std::vector<std::unique_ptr<PhysicalFontHolder>> m_physicalFonts;
    bool m_mapped = false;
    bool m_codePageFound = false;
    bool m_outline = false;
    bool m_metricsFromFile = false;
    std::string m_fgid;
    std::string m_typefaceName;
    int m_height = 0;
    int m_width = 0;
    int m_characterRotation = 0;
    int m_nominalSize = 0;
    bool m_bold = false;
    bool m_light = false;
    bool m_hollow = false;
    bool m_italic = false;
    bool m_underline = false;
    bool m_strikeover = false;
};

#endif
