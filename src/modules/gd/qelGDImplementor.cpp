#include "qelGDImplementor.h"

#include "qelGDImageHandle.h"

#include <memory>

namespace {
const char* const kCreateFailed = "Unable to create GD image with color table.";
}

qelImageHandle* qelGDImplementor::createImageHandle(int width, int height, int bitsPerPel, int colors,
                                                    const uint8_t* palette, const uint8_t* rows, long size,
                                                    int transparentIndex, bool trueColor)
{
    if (!rows || !palette || colors < 2)
        return nullptr;
    if (bitsPerPel != 1 || trueColor || width <= 0 || height <= 0)
        throw kCreateFailed;
    const long stride = (static_cast<long>(width) + 7) / 8;
    if (size < stride * height)
        return nullptr;
    gdImagePtr image = gdImageCreate(width, height);
    if (!image)
        throw kCreateFailed;
    auto handle = std::make_unique<qelGDImageHandle>();
    handle->setImage(image);
    for (int i = 0; i < 2; ++i)
        gdImageColorAllocate(image, palette[4 * i + 2], palette[4 * i + 1], palette[4 * i]);
    if (transparentIndex >= 0)
        gdImageColorTransparent(image, transparentIndex);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = rows + stride * y;
        for (int x = 0; x < width; ++x)
            gdImageSetPixel(image, x, y, (row[x >> 3] >> (7 - (x & 7))) & 1);
    }
    return handle.release();
}
