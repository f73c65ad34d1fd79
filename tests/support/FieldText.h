#ifndef FIELD_TEXT_H
#define FIELD_TEXT_H

// Structured fields and EBCDIC names as byte strings, for tests that build
// print files and resource files by concatenation.
#include "qelUtils.h"

#include <string>

namespace lrbtest
{

// A structured field with its introducer; id is the 3-byte identifier.
inline std::string field(unsigned id, const std::string& data = std::string())
{
    const size_t length = 8 + data.size();
    std::string out;
    out += '\x5A';
    out += static_cast<char>(length >> 8);
    out += static_cast<char>(length & 0xFF);
    out += static_cast<char>(id >> 16);
    out += static_cast<char>((id >> 8) & 0xFF);
    out += static_cast<char>(id & 0xFF);
    out += std::string(3, '\0');
    return out + data;
}

inline std::string ebcdic(const std::string& text)
{
    std::string out = text;
    if (!out.empty())
        qelUtils::asciiToEbcdic(reinterpret_cast<unsigned char*>(&out[0]), static_cast<int>(out.size()));
    return out;
}

// An 8-byte EBCDIC name, padded with blanks.
inline std::string name8(const std::string& name)
{
    std::string text = name;
    text.resize(8, ' ');
    return ebcdic(text);
}

} // namespace lrbtest

#endif
