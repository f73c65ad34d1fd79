#include "qel/afp/AfpBeginResourceGroup.h"

namespace qel
{
namespace afp
{

BeginResourceGroup::BeginResourceGroup()
{
    setLength(16);
}

BeginResourceGroup::BeginResourceGroup(const char* name) : BeginResourceGroup()
{
    setName(name);
}

BeginResourceGroup::~BeginResourceGroup() = default;

int BeginResourceGroup::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    return writeTemplateField(dataStream, controlFlags, 0xD3A8C6, "qel::afp::BeginResourceGroup::write",
                              "Memory allocation for qel::afp::BeginResourceGroup::write::pbyHeaderTmp failed", "BeginResourceGroup %s");
}

} // namespace afp
} // namespace qel
