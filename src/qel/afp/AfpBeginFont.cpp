#include "qel/afp/AfpBeginFont.h"

namespace qel
{
namespace afp
{

BeginFont::BeginFont(const char* name)
{
    setLength(16);
    setName(name);
}

BeginFont::~BeginFont() = default;

int BeginFont::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    return writeTemplateField(dataStream, controlFlags, 0xD3A889, "qel::afp::BeginFont::write",
                              "Memory allocation for qel::afp::BeginFont::write::pbyHeaderTmp failed",
                              "BeginFont : %s");
}

} // namespace afp
} // namespace qel
