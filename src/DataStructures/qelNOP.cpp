#include "qelNOP.h"

#include <cstring>

namespace
{
char* copyText(const char* text)
{
    if (!text)
        return nullptr;
    const size_t n = std::strlen(text);
    char* c = new char[n + 1];
    std::memcpy(c, text, n + 1);
    return c;
}
}

qelNOP::qelNOP(const char* text) : m_value(copyText(text)), m_length(text ? static_cast<int32_t>(std::strlen(text)) : 0)
{
}

qelNOP::~qelNOP()
{
    delete[] m_value;
    delete[] m_ebcdic;
    m_owner = nullptr;
    m_node = nullptr;
    m_previousNode = nullptr;
}

void qelNOP::setValue(const char* text)
{
    delete[] m_value;
    m_value = copyText(text);
}

void qelNOP::setEBCDICValue(unsigned char* data, int32_t length)
{
    delete[] m_ebcdic;
    m_ebcdic = nullptr;
    if (data && length > 0) {
        m_ebcdic = data;
        m_length = length;
    }
}
