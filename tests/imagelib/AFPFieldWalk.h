#ifndef AFP_FIELD_WALK_H
#define AFP_FIELD_WALK_H

#include "ScratchTest.h"

#include <gtest/gtest.h>

#include <vector>

namespace imgtest {

using lrbtest::Bytes;

struct Field
{
    unsigned id = 0; // the last three bytes of the identifier
    Bytes body;      // after the 8-byte introducer
};

// Structured fields each behind X'5A'; fails on anything else.
inline std::vector<Field> walk(const Bytes& b)
{
    std::vector<Field> out;
    size_t at = 0;
    while (at < b.size()) {
        EXPECT_EQ(b[at], 0x5A) << "at " << at;
        if (b[at] != 0x5A || at + 9 > b.size())
            break;
        const size_t length = static_cast<size_t>(b[at + 1] << 8 | b[at + 2]);
        EXPECT_GE(length, 8u);
        if (length < 8 || at + 1 + length > b.size()) {
            ADD_FAILURE() << "field past the end at " << at;
            break;
        }
        Field f;
        f.id = static_cast<unsigned>(b[at + 3] << 16 | b[at + 4] << 8 | b[at + 5]);
        f.body.assign(b.begin() + static_cast<long>(at + 9), b.begin() + static_cast<long>(at + 1 + length));
        out.push_back(f);
        at += 1 + length;
    }
    return out;
}

} // namespace imgtest

#endif
