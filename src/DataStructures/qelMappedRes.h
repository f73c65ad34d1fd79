#ifndef QEL_MAPPED_RES_H
#define QEL_MAPPED_RES_H

class qelAFPFont;
class qelCodePage;

// A mapped resource of a media environment. Minimal form: the resources
// issue fills in the rest. Holds font and code page without owning them.
class qelMappedRes
{
public:
    virtual ~qelMappedRes() = default;
    qelAFPFont* getFont() const { return m_font; }
    void setFont(qelAFPFont* font) { m_font = font; }
    qelCodePage* getCodePage() const { return m_codePage; }
    void setCodePage(qelCodePage* cp) { m_codePage = cp; }

private:
    qelAFPFont* m_font = nullptr;
    qelCodePage* m_codePage = nullptr;
};

#endif
