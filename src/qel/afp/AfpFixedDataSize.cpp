#include "qel/afp/AfpFixedDataSize.h"

#include "qel/afp/AfpPageDefinitionWrite.h"

namespace qel
{
namespace afp
{

FixedDataSize::FixedDataSize(uint16_t size) : m_size(size)
{
}

FixedDataSize::~FixedDataSize() = default;

int FixedDataSize::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    if (pagedef::streamMissing(dataStream, "qel::afp::FixedDataSize::write"))
        return -1;
    int rc = 0;
    if (!pagedef::lead(dataStream, controlFlags, &rc))
        return rc;
    std::vector<unsigned char> bytes = header(0xD3AAEC, "Memory allocation for qel::afp::FixedDataSize::write failed");
    bytes.resize(10);
    bytes[8] = static_cast<unsigned char>(m_size >> 8);
    bytes[9] = static_cast<unsigned char>(m_size & 0xFF);
    pagedef::setLength(bytes, 10);
    return dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
}

} // namespace afp
} // namespace qel
