#ifndef QEL_AFP_FONT_REPRESENTATION_H
#define QEL_AFP_FONT_REPRESENTATION_H

#include "qelIPSFontRepresentation.h"

// Character set read from an AFP resource or created for a coded font.
class qelAFPFontRepresentation : public qelIPSFontRepresentation
{
public:
    int getType() const override { return TYPE_AFP; }
};

#endif
