#include "qel/afp/AfpEndDataMapTransmissionSubcase.h"

#include "qel/afp/AfpPageDefinitionWrite.h"

namespace qel
{
namespace afp
{

EndDataMapTransmissionSubcase::EndDataMapTransmissionSubcase() = default;

EndDataMapTransmissionSubcase::EndDataMapTransmissionSubcase(const char* name)
{
    setName(name);
}

EndDataMapTransmissionSubcase::~EndDataMapTransmissionSubcase() = default;

int EndDataMapTransmissionSubcase::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    if (pagedef::streamMissing(dataStream, "qel::afp::EndDataMapTransmissionSubcase::write"))
        return -1;
    int rc = 0;
    if (!pagedef::lead(dataStream, controlFlags, &rc))
        return rc;
    std::vector<unsigned char> bytes = header(0xD3A9E3, "Memory allocation for qel::afp::EndDataMapTransmissionSubcase::write failed");
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
