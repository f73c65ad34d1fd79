#ifndef FIELD_TEXT_H
#define FIELD_TEXT_H

// Structured fields and EBCDIC names as bytes, for tests that build print
// files and resource files by concatenation.
#include "qelUtils.h"

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

namespace lrbtest
{

using Bytes = std::vector<unsigned char>;

inline void append(Bytes& to, const Bytes& more)
{
    to.insert(to.end(), more.begin(), more.end());
}

inline Bytes cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        append(out, p);
    return out;
}

// A three-byte big-endian value.
inline Bytes offset3(int value)
{
    return {static_cast<unsigned char>((value >> 16) & 0xFF), static_cast<unsigned char>((value >> 8) & 0xFF),
            static_cast<unsigned char>(value & 0xFF)};
}

// A structured field of class X'D3' with its X'5A' introducer; id is the
// two bytes after the class.
inline Bytes field(int id, const Bytes& data = Bytes())
{
    const size_t length = 8 + data.size();
    Bytes bytes(1 + length, 0x00);
    bytes[0] = 0x5A;
    bytes[1] = static_cast<unsigned char>((length >> 8) & 0xFF);
    bytes[2] = static_cast<unsigned char>(length & 0xFF);
    bytes[3] = 0xD3;
    bytes[4] = static_cast<unsigned char>((id >> 8) & 0xFF);
    bytes[5] = static_cast<unsigned char>(id & 0xFF);
    std::copy(data.begin(), data.end(), bytes.begin() + 9);
    return bytes;
}

// The text in EBCDIC, padded with blanks to n bytes.
inline Bytes ebcdic(const std::string& text, size_t n = 0)
{
    Bytes bytes(text.begin(), text.end());
    if (!bytes.empty())
        qelUtils::asciiToEbcdic(bytes.data(), static_cast<int>(bytes.size()));
    if (bytes.size() < n)
        bytes.resize(n, 0x40);
    return bytes;
}

// A name of eight EBCDIC characters, cut or padded with blanks.
inline Bytes name8(const std::string& text)
{
    return ebcdic(text.substr(0, 8), 8);
}

// The same as strings, for inputs joined with operator+.
namespace chars
{

inline std::string text(const Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

inline std::string field(int id, const std::string& data = std::string())
{
    return text(lrbtest::field(id, Bytes(data.begin(), data.end())));
}

inline std::string ebcdic(const std::string& text) { return chars::text(lrbtest::ebcdic(text)); }

inline std::string name8(const std::string& name) { return text(lrbtest::name8(name)); }

} // namespace chars

} // namespace lrbtest

#endif
