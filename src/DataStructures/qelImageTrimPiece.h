#ifndef QEL_IMAGE_TRIM_PIECE_H
#define QEL_IMAGE_TRIM_PIECE_H

#include "qelImageHandle.h"
#include "qelImgInfo.h"

#include <cstdint>

// One piece (right, bottom or corner) of a replicate-and-trim image: rows
// padded to whole bytes at the image's depth.
struct qelImageTrimPiece
{
    unsigned char* bits = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t length = 0;
    char name[32] = {};
    qelImgInfo* maskInfo = nullptr;
    unsigned char* maskBits = nullptr;
    int32_t maskLength = 0;
    qelImageHandle* handle = nullptr;

    qelImageTrimPiece() = default;
    qelImageTrimPiece(const qelImageTrimPiece&) = delete;
    qelImageTrimPiece& operator=(const qelImageTrimPiece&) = delete;
    ~qelImageTrimPiece()
    {
        delete[] bits;
        delete handle;
        delete maskInfo;
        delete[] maskBits;
    }
};

#endif
