#include "qelCodePageConverter.h"

#include "qelAFPCPBuilder.h"
#include "qelAFPCPRepresentation.h"
#include "qelFontRepresentation.h"

#include <memory>
#include <new>

qelAFPCPBuilder* qelCodePageConverter::createBuilder() { return new (std::nothrow) qelAFPCPBuilder; }

qelAFPCPBuilder* qelCodePageConverter::makeBuilder()
{
    qelAFPCPBuilder* builder = createBuilder();
    if (builder) {
        builder->setQuietMode(getQuietMode());
        builder->setLogStream(getLogStream());
    }
    return builder;
}

qelAFPCPRepresentation* qelCodePageConverter::convert(const qelCodePage* codePage, int targetType)
{
    if (targetType != qelFontRepresentation::TYPE_AFP_CODEPAGE)
        return nullptr;
    std::unique_ptr<qelAFPCPBuilder> builder(makeBuilder());
    return builder ? builder->buildCodePage(codePage) : nullptr;
}

qelRepresentation* qelCodePageConverter::convert(qelRepresentation* source, int targetType)
{
    if (targetType != qelFontRepresentation::TYPE_AFP_CODEPAGE)
        return nullptr;
    std::unique_ptr<qelAFPCPBuilder> builder(makeBuilder());
    return builder ? builder->build(source) : nullptr;
}
