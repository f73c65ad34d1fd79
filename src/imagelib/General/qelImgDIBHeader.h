#ifndef QEL_IMG_DIB_HEADER_H
#define QEL_IMG_DIB_HEADER_H

#include <cstdint>

// The 40-byte bitmap information header at the start of every DIB block.
#pragma pack(push, 1)
struct qelImgDIBHeader
{
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};
#pragma pack(pop)

static_assert(sizeof(qelImgDIBHeader) == 40, "bitmap information header is 40 bytes");

#endif
