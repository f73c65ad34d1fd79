#include "qel/afp/AfpEndDocument.h"

namespace qel
{
namespace afp
{

EndDocument::EndDocument()
{
    setLength(16);
}

EndDocument::EndDocument(const char* name) : EndDocument()
{
    setName(name);
}

EndDocument::~EndDocument() = default;

int EndDocument::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    return writeTemplateField(dataStream, controlFlags, 0xD3A9A8, "qel::afp::EndDocument::write",
                              "Memory allocation for qel::afp::EndDocument::write::pbyHeaderTmp failed", "End Document");
}

} // namespace afp
} // namespace qel
