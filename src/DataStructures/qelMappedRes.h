#ifndef QEL_MAPPED_RES_H
#define QEL_MAPPED_RES_H

#include <cstdint>

class qelAFPFont;
class qelCodePage;
class qelMappedFontInfo;
class qelRes;
class qelString;

// One entry of a resource environment: a one-byte local id bound to a
// resource name. Owns its names and font details; the resource and the code
// page belong to the global resource list.
class qelMappedRes
{
public:
    qelMappedRes(uint8_t localId, int32_t kind, const char* name);
    virtual ~qelMappedRes();
    qelMappedRes(const qelMappedRes&) = delete;
    qelMappedRes& operator=(const qelMappedRes&) = delete;

    // Nothing when the text is the entry's own current text.
    void setName(const char* text);
    const char* getName() const;
    // Takes the record over; frees the one held before.
    void setFontInfo(qelMappedFontInfo* info);
    qelMappedFontInfo* getFontInfo() const { return m_fontInfo; }
    void setCodePageName(const char* text);
    const char* getCodePageName() const;
    // Encoding name of the paired code page; null without one.
    const char* getCodePageEncoding() const;

    uint8_t getLocalId() const { return m_localId; }
    void setLocalId(uint8_t id) { m_localId = id; }
    uint8_t getDerivedName() const { return m_derivedName; }
    void setDerivedName(uint8_t v) { m_derivedName = v; }
    int32_t getKind() const { return m_kind; }
    void setKind(int32_t kind) { m_kind = kind; }
    qelRes* getResource() const { return m_resource; }
    void setResource(qelRes* res) { m_resource = res; }
    qelCodePage* getCodePage() const { return m_codePage; }
    void setCodePage(qelCodePage* cp) { m_codePage = cp; }
    uint8_t getCodePageFound() const { return m_codePageFound; }
    void setCodePageFound(uint8_t v) { m_codePageFound = v; }
    uint8_t isCodedFont() const { return m_codedFont; }
    void setCodedFont(uint8_t v) { m_codedFont = v; }

    // The resolved resource as a font (kind 3), else null.
    qelAFPFont* getFont() const;
    void setFont(qelAFPFont* font);

private:
    uint8_t m_localId = 0;
    uint8_t m_derivedName = 0;
    int32_t m_kind = 0;
    qelRes* m_resource = nullptr;
    qelString* m_name = nullptr;
    qelMappedFontInfo* m_fontInfo = nullptr;
    qelCodePage* m_codePage = nullptr;
    qelString* m_codePageName = nullptr;
    uint8_t m_codePageFound = 0;
    uint8_t m_codedFont = 0;
};

#endif
