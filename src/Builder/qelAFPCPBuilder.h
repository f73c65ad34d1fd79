#ifndef QEL_AFPCP_BUILDER_H
#define QEL_AFPCP_BUILDER_H

#include "qelCodePageBuilder.h"

class qelAFPCPRepresentation;
class qelCodePage;

// Builds the AFP code page resource (descriptor, control and index) of a
// code page.
class qelAFPCPBuilder : public qelCodePageBuilder
{
public:
    qelAFPCPBuilder() = default;

    // A code page is not a representation: always null.
    qelRepresentation* build(qelRepresentation* source) override;
    // A new representation holding the resource (the caller owns it); null
    // for a null code page.
    qelAFPCPRepresentation* buildCodePage(const qelCodePage* codePage);
};

#endif
