#ifndef QEL_CODE_PAGE_CONVERTER_H
#define QEL_CODE_PAGE_CONVERTER_H

#include "qelConverter.h"

class qelAFPCPBuilder;
class qelAFPCPRepresentation;
class qelCodePage;

// Converts a code page through the AFP code page builder (target type 8).
class qelCodePageConverter : public qelConverter
{
public:
    qelCodePageConverter() = default;

    // A new AFP code page representation (the caller owns it); null for any
    // other target type.
    qelAFPCPRepresentation* convert(const qelCodePage* codePage, int targetType);
    // The builder's generic build: what it returns (null).
    qelRepresentation* convert(qelRepresentation* source, int targetType) override;

protected:
    // A new builder, or null.
    virtual qelAFPCPBuilder* createBuilder();

private:
    // A new builder set up with the converter's log stream and quiet mode.
    qelAFPCPBuilder* makeBuilder();
};

#endif
