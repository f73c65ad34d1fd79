#ifndef QEL_MAPPED_FONT_INFO_H
#define QEL_MAPPED_FONT_INFO_H

#include <cstdint>

class qelString;

// The details of one mapped coded font, as its map entry gives them.
class qelMappedFontInfo
{
public:
    qelMappedFontInfo() = default;
    ~qelMappedFontInfo();
    qelMappedFontInfo(const qelMappedFontInfo&) = delete;
    qelMappedFontInfo& operator=(const qelMappedFontInfo&) = delete;

    // Zeroes every number and frees every name, ready for the next entry.
    void clear();

    void setFGID(const char* t) { set(m_fgid, t); }
    void setCPGID(const char* t) { set(m_cpgid, t); }
    void setGCSGID(const char* t) { set(m_gcsgid, t); }
    void setFamilyName(const char* t) { set(m_familyName, t); }
    void setTypefaceName(const char* t) { set(m_typefaceName, t); }
    void setExtraName(const char* t) { set(m_extraName, t); }
    void setCodePageName(const char* t) { set(m_codePageName, t); }
    void setCodedFontName(const char* t) { set(m_codedFontName, t); }
    void setCharacterSetName(const char* t) { set(m_characterSetName, t); }
    const char* getFGID() const { return get(m_fgid); }
    const char* getCPGID() const { return get(m_cpgid); }
    const char* getGCSGID() const { return get(m_gcsgid); }
    const char* getFamilyName() const { return get(m_familyName); }
    const char* getTypefaceName() const { return get(m_typefaceName); }
    const char* getExtraName() const { return get(m_extraName); }
    const char* getCodePageName() const { return get(m_codePageName); }
    const char* getCodedFontName() const { return get(m_codedFontName); }
    const char* getCharacterSetName() const { return get(m_characterSetName); }

    uint8_t getWeightClass() const { return m_weightClass; }
    void setWeightClass(uint8_t v) { m_weightClass = v; }
    uint8_t getWidthClass() const { return m_widthClass; }
    void setWidthClass(uint8_t v) { m_widthClass = v; }
    int32_t getVerticalSize() const { return m_verticalSize; }
    void setVerticalSize(int32_t v) { m_verticalSize = v; }
    int32_t getHorizontalSize() const { return m_horizontalSize; }
    void setHorizontalSize(int32_t v) { m_horizontalSize = v; }
    uint8_t getDesignFlags() const { return m_designFlags; }
    void setDesignFlags(uint8_t v) { m_designFlags = v; }
    uint8_t getUsageFlags() const { return m_usageFlags; }
    void setUsageFlags(uint8_t v) { m_usageFlags = v; }
    uint8_t getLocalId() const { return m_localId; }
    void setLocalId(uint8_t v) { m_localId = v; }
    uint16_t getCharacterRotation() const { return m_characterRotation; }
    void setCharacterRotation(uint16_t v) { m_characterRotation = v; }
    float getHorizontalScale() const { return m_horizontalScale; }
    void setHorizontalScale(float v) { m_horizontalScale = v; }

private:
    static void set(qelString*& holder, const char* text);
    static const char* get(const qelString* holder);

    uint8_t m_weightClass = 0;
    uint8_t m_widthClass = 0;
    int32_t m_verticalSize = 0;
    int32_t m_horizontalSize = 0;
    uint8_t m_designFlags = 0;
    uint8_t m_usageFlags = 0;
    uint8_t m_localId = 0;
    uint16_t m_characterRotation = 0;
    float m_horizontalScale = 0.0f;
    qelString* m_fgid = nullptr;
    qelString* m_cpgid = nullptr;
    qelString* m_gcsgid = nullptr;
    qelString* m_familyName = nullptr;
    qelString* m_typefaceName = nullptr;
    // A further name of the entry; nothing reads it yet.
    qelString* m_extraName = nullptr;
    qelString* m_codePageName = nullptr;
    qelString* m_codedFontName = nullptr;
    qelString* m_characterSetName = nullptr;
};

#endif
