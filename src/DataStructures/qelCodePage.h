#ifndef QEL_CODE_PAGE_H
#define QEL_CODE_PAGE_H

#include <string>

// Code page resource. Minimal form: the code page issues fill in loading,
// the byte table and the resource base.
class qelCodePage
{
public:
    virtual ~qelCodePage() = default;

    const char* getName() const { return m_name.c_str(); }
    void setName(const char* name) { m_name = name ? name : ""; }
    const char* getEncoding() const { return m_encoding.empty() ? nullptr : m_encoding.c_str(); }
    void setEncoding(const char* e) { m_encoding = e ? e : ""; }
    const char* getDefaultGCGID() const { return m_defaultGCGID.empty() ? nullptr : m_defaultGCGID.c_str(); }
    void setDefaultGCGID(const char* g) { m_defaultGCGID = g ? g : ""; }
    int getSpaceCodePoint() const { return m_spaceCodePoint; }
    void setSpaceCodePoint(int cp) { m_spaceCodePoint = cp; }
    // Loaded from an AFP code page resource.
    bool isFromResource() const { return m_fromResource; }
    void setFromResource(bool on) { m_fromResource = on; }

    // Glyph name (GCGID or character name) of a code point, or null.
    virtual const char* getCharName(int codePoint) const = 0;
    // Program character set to code points.
    virtual void translateToCodePage(const unsigned char* src, unsigned char* dst, int length) const = 0;
    // Code points to the program character set; unmapped bytes stay.
    virtual void translateFromCodePage(const unsigned char* src, unsigned char* dst, int length) const = 0;
    // Unicode values to single-byte code points (default character for
    // unmapped values).
    virtual void unicodeToCodePoints(const int* values, int count, unsigned char* out, int outLength) const = 0;

private:
    std::string m_name;
    std::string m_encoding;
    std::string m_defaultGCGID;
    int m_spaceCodePoint = 0x40;
    bool m_fromResource = false;
};

#endif
