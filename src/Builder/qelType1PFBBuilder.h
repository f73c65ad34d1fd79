#ifndef QEL_TYPE1_PFB_BUILDER_H
#define QEL_TYPE1_PFB_BUILDER_H

#include "qelFontBuilder.h"

#include <string>

class qelIPSFontRepresentation;
class qelType1PFBRepresentation;

// Rewrites the Type 1 program of an AFP outline font for the code page it
// was prepared for: the builder's font name as FontName, FullName and
// FamilyName, and an Encoding array by code point. The encrypted part and
// the trailer are copied.
class qelType1PFBBuilder : public qelFontBuilder
{
public:
    qelType1PFBBuilder() = default;

    // A new qelType1PFBRepresentation; E114 on failure, and the PFB
    // parser's errors.
    qelRepresentation* build(qelRepresentation* source) override;

private:
    qelType1PFBRepresentation* parseFontProgram(const qelIPSFontRepresentation* source);
    std::string buildEncoding(const qelIPSFontRepresentation* source);
    std::string rewriteClearText(const qelIPSFontRepresentation* source, const qelType1PFBRepresentation* font,
                                 const std::string& encoding);
};

#endif
