#include "qel/afp/AfpDataMapTransmissionSubcaseDescriptor.h"

#include "qel/afp/AfpPageDefinitionWrite.h"

namespace qel
{
namespace afp
{

DataMapTransmissionSubcaseDescriptor::DataMapTransmissionSubcaseDescriptor() = default;

DataMapTransmissionSubcaseDescriptor::DataMapTransmissionSubcaseDescriptor(const char* name)
{
    setName(name);
}

DataMapTransmissionSubcaseDescriptor::~DataMapTransmissionSubcaseDescriptor() = default;

int DataMapTransmissionSubcaseDescriptor::write(DataStream* dataStream, uint16_t controlFlags,
                                                DNode<WritableContext>*)
{
    if (pagedef::streamMissing(dataStream, "qel::afp::DataMapTransmissionSubcaseDescriptor::write"))
        return -1;
    int rc = 0;
    if (!pagedef::lead(dataStream, controlFlags, &rc))
        return rc;
    std::vector<unsigned char> bytes =
        header(0xD3A6E3, "Memory allocation for qel::afp::DataMapTransmissionSubcaseDescriptor::write failed");
    bytes.resize(12);
    bytes[8] = 0x00;
    bytes[9] = 0x01;
    bytes[10] = 0x00;
    bytes[11] = 0xFF;
    pagedef::setLength(bytes, 12);
    return dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
}

} // namespace afp
} // namespace qel
