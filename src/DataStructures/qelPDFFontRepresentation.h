#ifndef QEL_PDF_FONT_REPRESENTATION_H
#define QEL_PDF_FONT_REPRESENTATION_H

#include "qelIPSFontRepresentation.h"

// Font of a PDF input document.
class qelPDFFontRepresentation : public qelIPSFontRepresentation
{
public:
    int getType() const override { return TYPE_PDF; }
};

#endif
