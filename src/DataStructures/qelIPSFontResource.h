#ifndef QEL_IPS_FONT_RESOURCE_H
#define QEL_IPS_FONT_RESOURCE_H

class qelIPSFontHeader;
namespace de { namespace orvo { namespace ips { class GlyphCollection; } } }

// Header and glyph collection of a font taken from PDF input. Minimal form:
// the PDF input font records fill in the rest. Owns neither here.
class qelIPSFontResource
{
public:
    virtual ~qelIPSFontResource() = default;
    qelIPSFontHeader* getHeader() const { return m_header; }
    void setHeader(qelIPSFontHeader* header) { m_header = header; }
    de::orvo::ips::GlyphCollection* getGlyphCollection() const { return m_glyphs; }
    void setGlyphCollection(de::orvo::ips::GlyphCollection* glyphs) { m_glyphs = glyphs; }

private:
    qelIPSFontHeader* m_header = nullptr;
    de::orvo::ips::GlyphCollection* m_glyphs = nullptr;
};

#endif
