#ifndef QEL_IPS_FONT_HEADER_H
#define QEL_IPS_FONT_HEADER_H

#include "qelWidthEntry.h"

#include <cstdint>

// Widths header of a font taken from PDF input. Owns its width entries.
class qelIPSFontHeader
{
public:
    // Font kinds: simple Type 1, simple TrueType, CID-keyed, other.
    enum { KIND_TYPE1 = 3, KIND_TRUETYPE = 6, KIND_CID = 8, KIND_OTHER = 14 };

    qelIPSFontHeader() = default;
    virtual ~qelIPSFontHeader();
    qelIPSFontHeader(const qelIPSFontHeader&) = delete;
    qelIPSFontHeader& operator=(const qelIPSFontHeader&) = delete;

    virtual int getFontKind() const { return m_fontKind; }
    void setFontKind(int32_t kind) { m_fontKind = kind; }
    // Takes over a new[] array of entries made with new (slots may be
    // null): one per code 0..255 for simple fonts, one per CID range sorted
    // by first code for CID-keyed fonts. The previous entries are deleted.
    void setWidths(qelWidthEntry** entries, int32_t count);
    qelWidthEntry** getWidths() const { return m_widths; }
    // Number of width entries; 0 when the font has no width array.
    virtual int getWidthCount() const { return m_widthCount; }
    // Width of a character code: for simple fonts the slot's width (-1.0 for
    // an empty slot); for CID-keyed fonts the width of the range holding the
    // code; 0 when there is none.
    virtual double getWidth(unsigned int code) const;
    void setSymbolic(int32_t flag) { m_symbolic = flag; }
    bool isSymbolic() const { return m_symbolic != 0; }
    int32_t getSymbolic() const { return m_symbolic; }

private:
    void deleteWidths();

    int32_t m_fontKind = KIND_OTHER;
    qelWidthEntry** m_widths = nullptr;
    int32_t m_widthCount = 0;
    int32_t m_symbolic = 0;
};

#endif
