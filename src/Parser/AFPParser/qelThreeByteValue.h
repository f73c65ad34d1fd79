#ifndef QEL_THREE_BYTE_VALUE_H
#define QEL_THREE_BYTE_VALUE_H

#include <cstdint>

class qelSFIBlock;

// Readings of a 3-byte big-endian value, given as the number its bytes make
// (0 to X'FFFFFF'). Fields differ in how they read the same bytes, so each
// caller names the reading its field uses. "Low16" readings take only the
// low 16 bits when the high byte is X'00' or X'FF' (a high byte that only
// extends the sign), else all 24 bits.
namespace qelThreeByteValue
{

// The next three bytes of the field, high byte first.
uint32_t read(qelSFIBlock* field);

// Low 16 bits as a signed value, else the signed 24-bit value:
// 00 FF 38 gives -200.
int32_t signedLow16OrSigned24(uint32_t bytes);

// Low 16 bits as an unsigned value, else the signed 24-bit value:
// 00 FF 38 and FF FF 38 give 65336.
int32_t unsignedLow16OrSigned24(uint32_t bytes);

// Low 16 bits, else the 24-bit value, both unsigned: FF 00 10 gives 16.
uint32_t unsignedLow16OrUnsigned24(uint32_t bytes);

// The signed 24-bit value whatever the high byte: 00 FF 38 gives 65336,
// FF FF 38 gives -200.
int32_t signed24(uint32_t bytes);

} // namespace qelThreeByteValue

#endif
