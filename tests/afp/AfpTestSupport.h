#ifndef AFP_TEST_SUPPORT_H
#define AFP_TEST_SUPPORT_H

#include "ScratchTest.h"

#include "qelUtils.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>

namespace afptest {

using namespace lrbtest;
using AfpTest = lrbtest::ScratchTest;

inline void append(Bytes& to, const Bytes& more)
{
    to.insert(to.end(), more.begin(), more.end());
}

inline Bytes ebcdic(const char* text)
{
    Bytes bytes(text, text + std::strlen(text));
    if (!bytes.empty())
        qelUtils::asciiToEbcdic(bytes.data(), static_cast<int>(bytes.size()));
    return bytes;
}

// The text in EBCDIC, padded with blanks to n bytes.
inline Bytes ebcdic(const std::string& text, size_t n = 0)
{
    Bytes bytes = ebcdic(text.c_str());
    if (bytes.size() < n)
        bytes.resize(n, 0x40);
    return bytes;
}

// A name of eight EBCDIC characters, padded with blanks.
inline Bytes name8(const std::string& text)
{
    return ebcdic(text, 8);
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

// A structured field with its X'5A' introducer.
inline Bytes field(int id, const Bytes& data)
{
    int length = 8 + static_cast<int>(data.size());
    Bytes bytes = {0x5A,
                   static_cast<unsigned char>(length >> 8),
                   static_cast<unsigned char>(length & 0xFF),
                   0xD3,
                   static_cast<unsigned char>(id >> 8),
                   static_cast<unsigned char>(id & 0xFF),
                   0x00,
                   0x00,
                   0x00};
    append(bytes, data);
    return bytes;
}

// The active environment group of a page of 1984 x 2806 units at 240 per
// inch: page and presentation text descriptors of that size.
inline Bytes pageEnvironment()
{
    const Bytes size = {0, 0, 0x09, 0x60, 0x09, 0x60, 0, 0x07, 0xC0, 0, 0x0A, 0xF6};
    return cat({field(0xA8C9, {}), field(0xA6AF, cat({size, {0, 0, 0}})), field(0xB19B, cat({size, {0, 0}})),
                field(0xA9C9, {})});
}

inline std::string hex(size_t value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%zx", value);
    return text;
}

} // namespace afptest

#endif
