#include "qel/afp/AfpEndPageGroup.h"

namespace qel
{
namespace afp
{

EndPageGroup::EndPageGroup()
{
    setLength(16);
}

EndPageGroup::EndPageGroup(const char* name) : EndPageGroup()
{
    setName(name);
}

EndPageGroup::~EndPageGroup() = default;

int EndPageGroup::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    return writeTemplateField(dataStream, controlFlags, 0xD3A9AD, "qel::afp::EndPageGroup::write",
                              "Memory allocation for qel::afp::EndPageGroup::write::pbyHeaderTmp failed", "EndPageGroup %s");
}

} // namespace afp
} // namespace qel
