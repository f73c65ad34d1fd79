#ifndef AFP_TEST_SUPPORT_H
#define AFP_TEST_SUPPORT_H

#include "FieldText.h"
#include "ScratchTest.h"

#include <cstdio>
#include <string>

namespace afptest {

using namespace lrbtest;
using AfpTest = lrbtest::ScratchTest;

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
