#ifndef QEL_SDK_LRB_BUFFER_H
#define QEL_SDK_LRB_BUFFER_H

// Memory conversion of the C interface (lorbane_Mem).
namespace qelSDK
{
// Converts the caller's buffer and hands the output buffer over; the loop
// result.
int convertBuffer(void* buffer, int size, void** outBuffer, int* outSize);
} // namespace qelSDK

#endif
