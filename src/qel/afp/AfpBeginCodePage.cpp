#include "qel/afp/AfpBeginCodePage.h"

namespace qel
{
namespace afp
{

BeginCodePage::BeginCodePage(const char* name)
{
    setLength(16);
    setName(name);
}

BeginCodePage::~BeginCodePage() = default;

int BeginCodePage::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    return writeTemplateField(dataStream, controlFlags, 0xD3A887, "qel::afp::BeginCodePage::write",
                              "Memory allocation for qel::afp::BeginCodePage::write::pbyHeaderTmp failed",
                              "BeginCodePage: %s");
}

} // namespace afp
} // namespace qel
