#ifndef QEL_IMG_COLOR_UTILS_H
#define QEL_IMG_COLOR_UTILS_H

class qelImgDIB;

// Black and white reduction of a bitmap. Holds no state; never throws.
class qelImgColorUtils
{
public:
    // percentage 1..100 (taken as a byte) of 255; white above the level.
    // Null, with a log line, for other percentages or on failure.
    qelImgDIB* threshold(qelImgDIB* dib, int percentage);
    // A level per pixel from a 64-pixel box and the global mean.
    qelImgDIB* adaptiveThreshold(qelImgDIB* dib);
};

#endif
