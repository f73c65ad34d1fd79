#include "qel/afp/AfpBeginPageMap.h"

#include "qel/afp/AfpPageDefinitionWrite.h"

namespace qel
{
namespace afp
{

BeginPageMap::BeginPageMap() = default;

BeginPageMap::BeginPageMap(const char* name)
{
    setName(name);
}

BeginPageMap::~BeginPageMap() = default;

int BeginPageMap::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    if (pagedef::streamMissing(dataStream, "qel::afp::BeginPageMap::write"))
        return -1;
    int rc = 0;
    if (!pagedef::lead(dataStream, controlFlags, &rc))
        return rc;
    std::vector<unsigned char> bytes = header(0xD3A8CB, "Memory allocation for qel::afp::BeginPageMap::write failed");
    if (getName()) {
        putName(bytes.data() + 8, getName());
    } else {
        bytes.resize(8);
    }
    pagedef::setLength(bytes, static_cast<unsigned int>(bytes.size()));
    return dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
}

} // namespace afp
} // namespace qel
