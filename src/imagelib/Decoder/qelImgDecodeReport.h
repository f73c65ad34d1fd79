#ifndef QEL_IMG_DECODE_REPORT_H
#define QEL_IMG_DECODE_REPORT_H

#include <cstdint>

// What a decode that ended early left: the facade cuts the bitmap to the
// rows decoded when the status is PARTIAL and logs the text.
struct qelImgDecodeReport
{
    enum { NONE = -1, COMPLETE = 0, PARTIAL = 1 };

    int32_t status = NONE;
    int32_t rowsDecoded = 0;
    int32_t width = 0;
    uint8_t padded = 0;
    char warningText[512] = {};
};

#endif
