// The readings of 3-byte values, side by side over the same bytes.
#include "AfpTestSupport.h"

#include "qelThreeByteValue.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace afptest;

namespace {

TEST(ThreeByteValueTest, ReadingsOfTheSameBytes)
{
    const struct
    {
        uint32_t bytes;
        int32_t signedLow16;
        int32_t unsignedLow16;
        uint32_t unsignedBoth;
        int32_t signed24;
    } cases[] = {
        {0x000064, 100, 100, 100, 100},
        {0x00FF38, -200, 65336, 65336, 65336},
        {0xFFFF38, -200, 65336, 65336, -200},
        {0xFF0064, 100, 100, 100, -65436},
        {0x00FFFF, -1, 65535, 65535, 65535},
        {0xFFFFFF, -1, 65535, 65535, -1},
        {0x010000, 65536, 65536, 65536, 65536},
        {0x7FFFFF, 8388607, 8388607, 8388607, 8388607},
        {0x800000, -8388608, -8388608, 8388608, -8388608},
        {0xFE0000, -131072, -131072, 0xFE0000, -131072},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(hex(c.bytes));
        EXPECT_EQ(qelThreeByteValue::signedLow16OrSigned24(c.bytes), c.signedLow16);
        EXPECT_EQ(qelThreeByteValue::unsignedLow16OrSigned24(c.bytes), c.unsignedLow16);
        EXPECT_EQ(qelThreeByteValue::unsignedLow16OrUnsigned24(c.bytes), c.unsignedBoth);
        EXPECT_EQ(qelThreeByteValue::signed24(c.bytes), c.signed24);
    }
}

} // namespace
