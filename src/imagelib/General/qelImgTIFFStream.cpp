#include "qelImgTIFFStream.h"

#include <algorithm>
#include <cstring>

qelImgTIFFStream::qelImgTIFFStream(const char* name, int mode, const unsigned char* header,
                                   unsigned int headerLength, const unsigned char* data, unsigned int dataLength)
    : qelImgIOStream(name, mode), m_data(data), m_header(header), m_headerLength(header ? headerLength : 0),
      m_dataLength(data ? dataLength : 0)
{
    m_size = static_cast<int>(m_headerLength + m_dataLength);
}

int qelImgTIFFStream::seek(int offset)
{
    m_readPosition = offset < 0 ? 0 : static_cast<unsigned int>(offset);
    return 0;
}

int qelImgTIFFStream::read(void* buffer, unsigned int count)
{
    if (!buffer || count == 0)
        return 0;
    auto* out = static_cast<unsigned char*>(buffer);
    unsigned int done = 0;
    if (m_readPosition < m_headerLength) {
        unsigned int n = std::min(count, m_headerLength - m_readPosition);
        std::memcpy(out, m_header + m_readPosition, n);
        done += n;
        m_readPosition += n;
    }
    unsigned int total = m_headerLength + m_dataLength;
    if (done < count && m_readPosition >= m_headerLength && m_readPosition < total) {
        unsigned int n = std::min(count - done, total - m_readPosition);
        std::memcpy(out + done, m_data + (m_readPosition - m_headerLength), n);
        done += n;
        m_readPosition += n;
    }
    return static_cast<int>(done);
}
