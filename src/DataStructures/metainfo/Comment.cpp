#include "Comment.h"

#include <cstring>

namespace de { namespace orvo { namespace ips { namespace metainfo {

namespace
{
// ASCII (Latin-1) to EBCDIC code page 500 for the printable range; other
// bytes map to themselves in both directions only where the tables agree.
const unsigned char kAsciiToEbcdic[128] = {
    0x00, 0x01, 0x02, 0x03, 0x37, 0x2D, 0x2E, 0x2F, 0x16, 0x05, 0x25, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F,
    0x10, 0x11, 0x12, 0x13, 0x3C, 0x3D, 0x32, 0x26, 0x18, 0x19, 0x3F, 0x27, 0x1C, 0x1D, 0x1E, 0x1F,
    0x40, 0x4F, 0x7F, 0x7B, 0x5B, 0x6C, 0x50, 0x7D, 0x4D, 0x5D, 0x5C, 0x4E, 0x6B, 0x60, 0x4B, 0x61,
    0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0x7A, 0x5E, 0x4C, 0x7E, 0x6E, 0x6F,
    0x7C, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6,
    0xD7, 0xD8, 0xD9, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0x4A, 0xE0, 0x5A, 0x5F, 0x6D,
    0x79, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96,
    0x97, 0x98, 0x99, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xC0, 0xBB, 0xD0, 0xA1, 0x07};

unsigned char toEbcdic(unsigned char c)
{
    return c < 128 ? kAsciiToEbcdic[c] : c;
}

unsigned char toAscii(unsigned char e)
{
    for (int i = 0; i < 128; ++i)
        if (kAsciiToEbcdic[i] == e)
            return static_cast<unsigned char>(i);
    return e;
}
}

Comment::Comment(const char* text)
{
    if (!text)
        return;
    m_length = static_cast<int32_t>(std::strlen(text));
    m_text = new char[m_length + 1];
    std::memcpy(m_text, text, static_cast<size_t>(m_length) + 1);
}

Comment::Comment(const unsigned char* bytes, int32_t length)
{
    if (!bytes || length <= 0)
        return;
    m_length = length;
    m_ebcdic = new unsigned char[length];
    std::memcpy(m_ebcdic, bytes, static_cast<size_t>(length));
}

Comment::~Comment()
{
    delete[] m_text;
    delete[] m_ebcdic;
}

void Comment::setValue(const char* text)
{
    delete[] m_text;
    m_text = nullptr;
    if (!text || !*text)
        return;
    const int32_t n = static_cast<int32_t>(std::strlen(text));
    m_text = new char[n + 1];
    std::memcpy(m_text, text, static_cast<size_t>(n) + 1);
    m_length = n;
    delete[] m_ebcdic;
    m_ebcdic = new unsigned char[n];
    for (int32_t i = 0; i < n; ++i)
        m_ebcdic[i] = toEbcdic(static_cast<unsigned char>(text[i]));
}

void Comment::setEBCDICValue(const unsigned char* bytes, int32_t length)
{
    delete[] m_ebcdic;
    m_ebcdic = nullptr;
    if (!bytes || length <= 0)
        return;
    m_ebcdic = new unsigned char[length];
    std::memcpy(m_ebcdic, bytes, static_cast<size_t>(length));
    m_length = length;
    delete[] m_text;
    m_text = new char[length + 1];
    for (int32_t i = 0; i < length; ++i)
        m_text[i] = static_cast<char>(toAscii(bytes[i]));
    m_text[length] = '\0';
}

}}}}
