#include "qel/afp/AfpFontPatterns.h"

#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"

#include <algorithm>
#include <new>

namespace qel
{
namespace afp
{

FontPatterns::FontPatterns()
{
    setLength(8);
}

FontPatterns::~FontPatterns() = default;

void FontPatterns::appendData(const unsigned char* bytes, uint32_t count)
{
    if (!bytes || count == 0)
        return;
    try {
        // Grows in steps of at least 1024 bytes.
        if (m_bytes.size() + count > m_bytes.capacity())
            m_bytes.reserve(m_bytes.capacity() + std::max<size_t>(1024, count));
        m_bytes.insert(m_bytes.end(), bytes, bytes + count);
    } catch (const std::bad_alloc&) {
        throw "Memory allocation for qel::afp::FontPatterns::appendData::pbyData failed";
    }
}

int FontPatterns::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    logDebugText("qel::afp::FontPatterns::write");
    if (!dataStream) {
        logDebugText("Stream or pLstWritableContext = (null)");
        return -1;
    }
    std::vector<unsigned char> bytes =
        header(0xD3EE89, "Memory allocation for qel::afp::FontPatterns::write::pbyHeaderTmp failed");
    write5A(dataStream, controlFlags);
    putLength(bytes, static_cast<uint16_t>(8 + m_bytes.size()));
    const int rc = dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
    if (rc < 0 || m_bytes.empty())
        return rc;
    return dataStream->write(m_bytes.data(), static_cast<int>(m_bytes.size()));
}

} // namespace afp
} // namespace qel
