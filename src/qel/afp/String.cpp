#include "qel/afp/String.h"

#include <cctype>
#include <cstring>

namespace qel
{

String::~String() = default;

const char* String::find(const char* text, const char* pattern, bool caseSensitive)
{
    if (!text || !pattern || !*text)
        return nullptr;
    if (!*pattern)
        return text;
    const size_t n = std::strlen(pattern);
    const size_t length = std::strlen(text);
    if (length < n)
        return nullptr;
    for (size_t at = 0; at + n <= length; ++at) {
        size_t i = 0;
        for (; i < n; ++i) {
            unsigned char a = static_cast<unsigned char>(text[at + i]);
            unsigned char b = static_cast<unsigned char>(pattern[i]);
            if (!caseSensitive) {
                a = static_cast<unsigned char>(std::tolower(a));
                b = static_cast<unsigned char>(std::tolower(b));
            }
            if (a != b)
                break;
        }
        if (i == n)
            return text + at;
    }
    return nullptr;
}

} // namespace qel
