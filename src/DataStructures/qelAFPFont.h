#ifndef QEL_AFP_FONT_H
#define QEL_AFP_FONT_H

#include "qelIPSFontRepresentation.h"
#include "qelPDFFontFileEntry.h"

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class qelCodePage;
class qelIPSFontResource;
struct qelPhysicalFont;

// Coded font resource. Minimal form: the members that the document model
// reads; the font resource issue fills in the rest (resource base,
// representation ownership, physical font list, metrics).
class qelAFPFont
{
public:
    // Font kind 5: one font file measured per glyph.
    enum { KIND_GLYPH_FILE = 5 };

    virtual ~qelAFPFont() = default;

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

    bool isScriptCreated() const { return m_scriptCreated; }
    void setScriptCreated(bool on) { m_scriptCreated = on; }
    bool isTakeCharsAsIs() const { return m_takeCharsAsIs; }
    void setTakeCharsAsIs(bool on) { m_takeCharsAsIs = on; }
    bool isLoadedFromCharSet() const { return m_loadedFromCharSet; }
    void setLoadedFromCharSet(bool on) { m_loadedFromCharSet = on; }

    bool isUseCounted() const { return m_useCounted; }
    void setUseCounted(bool on) { m_useCounted = on; }
    int getUseCount() const { return m_useCount; }
    void addUse() { ++m_useCount; }
    void releaseUse() { if (m_useCount > 0) --m_useCount; }

    // Per-size physical font entry, or null.
    virtual qelPhysicalFont* findPhysicalFont(float size) { (void)size; return nullptr; }

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
    bool m_scriptCreated = false;
    bool m_takeCharsAsIs = false;
    bool m_loadedFromCharSet = false;
    bool m_useCounted = false;
    int m_useCount = 0;
    std::vector<std::unique_ptr<qelPDFFontFileEntry>> m_usedGlyphs;
};

#endif
