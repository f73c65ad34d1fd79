#include "qelThreeByteValue.h"

#include "qelSFIBlock.h"

namespace qelThreeByteValue
{

namespace
{
bool onlyExtendsSign(uint32_t bytes)
{
    const uint32_t high = (bytes >> 16) & 0xFF;
    return high == 0x00 || high == 0xFF;
}
} // namespace

uint32_t read(qelSFIBlock* field)
{
    const uint32_t high = static_cast<uint32_t>(field->readByte()) & 0xFF;
    return (high << 16) | (field->readUShort() & 0xFFFF);
}

int32_t signedLow16OrSigned24(uint32_t bytes)
{
    return onlyExtendsSign(bytes) ? static_cast<int16_t>(bytes & 0xFFFF) : signed24(bytes);
}

int32_t unsignedLow16OrSigned24(uint32_t bytes)
{
    return onlyExtendsSign(bytes) ? static_cast<int32_t>(bytes & 0xFFFF) : signed24(bytes);
}

uint32_t unsignedLow16OrUnsigned24(uint32_t bytes)
{
    return onlyExtendsSign(bytes) ? bytes & 0xFFFF : bytes & 0xFFFFFF;
}

int32_t signed24(uint32_t bytes)
{
    const int32_t value = static_cast<int32_t>(bytes & 0xFFFFFF);
    return (value & 0x800000) ? value - 0x1000000 : value;
}

} // namespace qelThreeByteValue
