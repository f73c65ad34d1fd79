#include "qelType1PFBRepresentation.h"

#include "qelException.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

bool writeSegment(FILE* f, int type, const uint8_t* bytes, uint32_t length)
{
    const uint8_t head[6] = {0x80,
                             static_cast<uint8_t>(type),
                             static_cast<uint8_t>(length & 0xFF),
                             static_cast<uint8_t>((length >> 8) & 0xFF),
                             static_cast<uint8_t>((length >> 16) & 0xFF),
                             static_cast<uint8_t>((length >> 24) & 0xFF)};
    return std::fwrite(head, 1, sizeof head, f) == sizeof head
           && (length == 0 || std::fwrite(bytes, 1, length, f) == length);
}

} // namespace

qelType1PFBRepresentation::~qelType1PFBRepresentation()
{
    delete[] m_clearText;
    delete[] m_binary;
    delete[] m_trailer;
}

void qelType1PFBRepresentation::set(uint8_t*& segment, uint32_t& length, const uint8_t* bytes, uint32_t count)
{
    delete[] segment;
    segment = nullptr;
    length = 0;
    if (!bytes)
        return;
    // A segment of 0 bytes still has a buffer, so that it counts as present.
    segment = new uint8_t[count ? count : 1];
    if (count)
        std::memcpy(segment, bytes, count);
    length = count;
}

int qelType1PFBRepresentation::writeFile(const char* path)
{
    if (!path || !m_clearText || !m_binary || !m_trailer)
        return -1;
    FILE* f = std::fopen(path, "wb");
    if (!f)
        throw new qelException(__FILE__, __LINE__, qelMsg::E098, 0, true, path, std::strerror(errno));
    static const uint8_t kEnd[2] = {0x80, 0x03};
    bool ok = writeSegment(f, 1, m_clearText, m_clearTextLength) && writeSegment(f, 2, m_binary, m_binaryLength)
              && writeSegment(f, 1, m_trailer, m_trailerLength) && std::fwrite(kEnd, 1, 2, f) == 2;
    if (std::fclose(f) != 0)
        ok = false;
    if (!ok)
        throw new qelException(__FILE__, __LINE__, qelMsg::E075, 0, true, path, "");
    return 0;
}
