#ifndef QEL_IMG_INFO_H
#define QEL_IMG_INFO_H

#include <cstdint>

// Image information of one page, mask or output: plain data, copied by
// value. The defaults describe an unrecognised 1-bit image at 300 dpi.
struct qelImgInfo
{
    int32_t type = 14;
    int32_t width = 0;
    int32_t height = 0;
    int32_t compression = 0;
    int32_t bitsPerPixel = 1;
    int32_t bitsPerSample = 1;
    int32_t samplesPerPixel = 1;
    int32_t bandCount = 1;
    int32_t xResolution = 300;
    int32_t yResolution = 300;
    int32_t colorCount = 0;
    int32_t photometric = 0;
    int32_t fillOrder = 1;
    int32_t relativeResolution = 1;
    // TIFF strips of an untiled page; 1 when the data are one strip.
    int32_t stripCount = 0;
    int32_t predictor = -1;
    int32_t tileX = -1;
    int32_t tileY = -1;
    uint8_t dataPadded = 0;
    uint8_t tiled = 0;
    int32_t tileCount = 0;
    int32_t tileWidth = 0;
    int32_t tileHeight = 0;
    int32_t tilesAcross = 0;
    int32_t tilesDown = 0;
    int32_t edgeTileWidth = 0;
    int32_t edgeTileHeight = 0;
    uint8_t transparent = 0;
    int32_t transparencyKind = 0;
    // Blue, green, red, reserved.
    uint8_t transparentColor[4] = {0, 0, 0, 0};
    int32_t transparentColorIndex = -1;
};

#endif
