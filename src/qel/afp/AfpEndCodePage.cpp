#include "qel/afp/AfpEndCodePage.h"

namespace qel
{
namespace afp
{

EndCodePage::EndCodePage(const char* name)
{
    setLength(16);
    setName(name);
}

EndCodePage::~EndCodePage() = default;

int EndCodePage::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    return writeTemplateField(dataStream, controlFlags, 0xD3A987, "qel::afp::EndCodePage::write",
                              "Memory allocation for qel::afp::EndCodePage::write::pbyHeaderTmp failed",
                              "EndCodePage : %s");
}

} // namespace afp
} // namespace qel
