#ifndef QEL_IPS_FONT_REPRESENTATION_H
#define QEL_IPS_FONT_REPRESENTATION_H

#include "qelFontRepresentation.h"

// Representation of an AFP character set (type 0) or a PDF font (type 9).
// Minimal form: the font representations fill in the rest.
class qelIPSFontRepresentation : public qelFontRepresentation
{
public:
    // Pattern technologies.
    enum { TECH_RASTER = 5, TECH_CID_OUTLINE = 30, TECH_TYPE1_OUTLINE = 31 };

    virtual const char* getFontName() const = 0;
    virtual const char* getCharacterSetName() const = 0;
    // 5 raster, 30 CID-keyed outline, 31 Type 1 outline, 0 otherwise.
    virtual int getPatternTechnology() const = 0;
    bool isOutlineFont() const
    {
        const int t = getPatternTechnology();
        return t == TECH_CID_OUTLINE || t == TECH_TYPE1_OUTLINE;
    }
    // True when the metrics are relative (1000 units per em).
    virtual bool isRelativeMetric() const = 0;
};

#endif
