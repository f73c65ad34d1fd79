#include "qel/afp/AfpEndFont.h"

namespace qel
{
namespace afp
{

EndFont::EndFont(const char* name)
{
    setLength(16);
    setName(name);
}

EndFont::~EndFont() = default;

int EndFont::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    return writeTemplateField(dataStream, controlFlags, 0xD3A989, "qel::afp::EndFont::write",
                              "Memory allocation for qel::afp::EndFont::write::pbyHeaderTmp failed",
                              "EndFont : %s");
}

} // namespace afp
} // namespace qel
