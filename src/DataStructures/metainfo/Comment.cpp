#include "Comment.h"

#include "qelUtils.h"

#include <cstring>

namespace de { namespace orvo { namespace ips { namespace metainfo {

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
    std::memcpy(m_ebcdic, text, static_cast<size_t>(n));
    qelUtils::asciiToEbcdic(m_ebcdic, n);
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
    std::memcpy(m_text, bytes, static_cast<size_t>(length));
    m_text[length] = '\0';
    qelUtils::ebcdicToAscii(reinterpret_cast<unsigned char*>(m_text), length);
}

}}}}
