#ifndef QEL_TYPE1_PFM_BUILDER_H
#define QEL_TYPE1_PFM_BUILDER_H

#include "qelFontBuilder.h"

#include <cstdint>

class qelIPSFontRepresentation;
struct qelType1PFMStrings;

// Writes the PFM metrics of an AFP outline font for the code page it was
// prepared for: header, extended text metrics, driver texts and the widths
// of the code range. The builder's font name is the face and PostScript name.
class qelType1PFMBuilder : public qelFontBuilder
{
public:
    qelType1PFMBuilder() = default;

    // A new qelType1PFMRepresentation; E114 on failure.
    qelRepresentation* build(qelRepresentation* source) override;

private:
    uint8_t* buildHeader(const qelIPSFontRepresentation* source);
    uint8_t* buildExtTextMetrics(const qelIPSFontRepresentation* source);
    qelType1PFMStrings* buildDriverInfo(const char* name);
    // New[] widths of first..last; their count in `count`.
    uint16_t* buildWidths(const qelIPSFontRepresentation* source, int32_t* count);
};

#endif
