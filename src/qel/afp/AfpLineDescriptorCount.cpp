#include "qel/afp/AfpLineDescriptorCount.h"

#include "qel/afp/AfpPageDefinitionWrite.h"

namespace qel
{
namespace afp
{

LineDescriptorCount::LineDescriptorCount(uint16_t count) : m_count(count)
{
}

LineDescriptorCount::~LineDescriptorCount() = default;

int LineDescriptorCount::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    if (pagedef::streamMissing(dataStream, "qel::afp::LineDescriptorCount::write"))
        return -1;
    int rc = 0;
    if (!pagedef::lead(dataStream, controlFlags, &rc))
        return rc;
    std::vector<unsigned char> bytes = header(0xD3AAE7, "Memory allocation for qel::afp::LineDescriptorCount::write failed");
    bytes.resize(10);
    bytes[8] = static_cast<unsigned char>(m_count >> 8);
    bytes[9] = static_cast<unsigned char>(m_count & 0xFF);
    pagedef::setLength(bytes, 10);
    return dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
}

} // namespace afp
} // namespace qel
