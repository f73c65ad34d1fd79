#include "qel/afp/AfpEndResource.h"

namespace qel
{
namespace afp
{

EndResource::EndResource()
{
    setLength(16);
}

EndResource::EndResource(const char* name) : EndResource()
{
    setName(name);
}

EndResource::~EndResource() = default;

int EndResource::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    return writeTemplateField(dataStream, controlFlags, 0xD3A9CE, "qel::afp::EndResource::write",
                              "Memory allocation for qel::afp::EndResource::write::pbyHeaderTmp failed", "EndResource");
}

} // namespace afp
} // namespace qel
