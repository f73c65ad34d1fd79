#include "qel/afp/AfpBeginPageGroup.h"

namespace qel
{
namespace afp
{

BeginPageGroup::BeginPageGroup()
{
    setLength(16);
}

BeginPageGroup::BeginPageGroup(const char* name) : BeginPageGroup()
{
    setName(name);
}

BeginPageGroup::~BeginPageGroup() = default;

int BeginPageGroup::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    return writeTemplateField(dataStream, controlFlags, 0xD3A8AD, "qel::afp::BeginPageGroup::write",
                              "Memory allocation for qel::afp::BeginPageGroup::write::pbyHeaderTmp failed", "BeginPageGroup %s");
}

} // namespace afp
} // namespace qel
