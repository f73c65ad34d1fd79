#include "qel/afp/AfpEndResourceGroup.h"

namespace qel
{
namespace afp
{

EndResourceGroup::EndResourceGroup()
{
    setLength(16);
}

EndResourceGroup::EndResourceGroup(const char* name) : EndResourceGroup()
{
    setName(name);
}

EndResourceGroup::~EndResourceGroup() = default;

int EndResourceGroup::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    return writeTemplateField(dataStream, controlFlags, 0xD3A9C6, "qel::afp::EndResourceGroup::write",
                              "Memory allocation for qel::afp::EndResourceGroup::write::pbyHeaderTmp failed", "EndResourceGroup %s");
}

} // namespace afp
} // namespace qel
