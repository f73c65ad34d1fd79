#ifndef QEL_FONT_REPRESENTATION_H
#define QEL_FONT_REPRESENTATION_H

class qelFontMetrics;

// The metrics of one font in one format. Minimal form: the font
// representations fill in the rest.
class qelFontRepresentation
{
public:
    // Representation types.
    enum Type {
        TYPE_AFP = 0,
        TYPE_TYPE1 = 1,
        TYPE_PFM = 2,
        TYPE_PFB = 3,
        TYPE_TYPE3 = 4,
        TYPE_TRUETYPE = 5,
        TYPE_OPENTYPE = 6,
        TYPE_AFP_CHARSET = 7,
        TYPE_AFP_CODEPAGE = 8,
        TYPE_PDF = 9
    };

    virtual ~qelFontRepresentation() = default;
    virtual int getType() const = 0;
    virtual const char* getName() const = 0;

    virtual const char* getTypefaceName() const = 0;
    // Point size in tenths, -1 for the default.
    virtual int getHeight() const = 0;
    virtual bool isBold() const = 0;
    virtual bool isItalic() const = 0;
    virtual const char* getFileName() const = 0;
    // Units per unit base (units per em for width sums).
    virtual int getResolution() const = 0;
    virtual qelFontMetrics* getMetrics() const = 0;
};

#endif
