#ifndef QEL_IPS_FONT_HEADER_H
#define QEL_IPS_FONT_HEADER_H

// Widths header of a font taken from PDF input. Minimal form: the PDF input
// font records fill in the rest.
class qelIPSFontHeader
{
public:
    virtual ~qelIPSFontHeader() = default;
    virtual int getFontKind() const = 0;
    // Number of width entries; 0 when the font has no width array.
    virtual int getWidthCount() const = 0;
    // Width of a character code, in output units; 0 when unknown.
    virtual double getWidth(unsigned int code) const = 0;
};

#endif
