#include "qel/afp/AfpEndDocumentEnvironmentGroup.h"

#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

EndDocumentEnvironmentGroup::EndDocumentEnvironmentGroup()
{
    setLength(8);
}

EndDocumentEnvironmentGroup::EndDocumentEnvironmentGroup(const char* name) : EndDocumentEnvironmentGroup()
{
    setName(name);
    if (name)
        setLength(16);
}

EndDocumentEnvironmentGroup::~EndDocumentEnvironmentGroup() = default;

int EndDocumentEnvironmentGroup::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    logDebugText("qel::afp::EndDocumentEnvironmentGroup::write");
    if (!dataStream)
        return -1;
    std::vector<unsigned char> bytes =
        header(0xD3A9C4, "Memory allocation for qel::afp::EndDocumentEnvironmentGroup::write::pbyHeaderTmp failed");
    write5A(dataStream, controlFlags);
    logInfoText("End Document Environment Group");
    if (getName()) {
        putName(bytes.data() + 8, getName());
    } else {
        bytes.resize(8);
        putLength(bytes, 8);
    }
    return dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
}

} // namespace afp
} // namespace qel
