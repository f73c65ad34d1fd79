#ifndef QEL_IMAGE_HOLDER_H
#define QEL_IMAGE_HOLDER_H

#include "qelImageStrips.h"
#include "qelImgInfo.h"

#include <cstdint>

// One image part (a tile) prepared for PDF output; owns every member.
struct qelImageHolder
{
    int32_t partNumber = 0;
    qelImgInfo* info = nullptr;
    qelImgInfo* formatInfo = nullptr;
    unsigned char* data = nullptr;
    int32_t length = 0;
    qelImageStrips* bands = nullptr;
    int32_t* colorTable = nullptr;
    int32_t colorCount = 0;
    unsigned char* spare = nullptr;
    unsigned char* spare2 = nullptr;
    int32_t spare2Length = 0;
    qelImgInfo* maskFormatInfo = nullptr;
    qelImgInfo* maskSourceInfo = nullptr;
    int32_t maskLength = 0;
    unsigned char* maskData = nullptr;
    int64_t reserved[3] = {0, 0, 0};

    qelImageHolder() = default;
    qelImageHolder(const qelImageHolder&) = delete;
    qelImageHolder& operator=(const qelImageHolder&) = delete;
    ~qelImageHolder()
    {
        delete info;
        delete formatInfo;
        delete[] data;
        delete bands;
        delete[] colorTable;
        delete[] spare;
        delete[] spare2;
        delete maskFormatInfo;
        delete maskSourceInfo;
        delete[] maskData;
    }
};

#endif
