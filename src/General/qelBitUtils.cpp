// Number, bit and bitmap helpers of qelUtils.
#include "qelUtils.h"

#include <cmath>
#include <cstring>
#include <limits>

int qelUtils::roundHalfDown(double x)
{
    return static_cast<int>(std::ceil(x - 0.5));
}

void qelUtils::setBits(unsigned char* target, int destPos, unsigned char value, int sourcePos, int count)
{
    if (!target || destPos < 0 || sourcePos < 0)
        return;
    for (int i = 0; i < count && destPos + i < 8 && sourcePos + i < 8; ++i) {
        const unsigned char sourceMask = static_cast<unsigned char>(0x80 >> (sourcePos + i));
        const unsigned char destMask = static_cast<unsigned char>(0x80 >> (destPos + i));
        if (value & sourceMask)
            *target = static_cast<unsigned char>(*target | destMask);
        else
            *target = static_cast<unsigned char>(*target & ~destMask);
    }
}

unsigned char* qelUtils::copyBitmapRect(const unsigned char* source, int bitsPerPixel, int* width, int* height,
                                        int clipWidth, int clipHeight)
{
    if (!source || !width || !height || bitsPerPixel <= 0 || *width <= 0 || *height <= 0)
        return nullptr;
    const long long w = *width;
    const long long h = *height;
    const long long newWidth = (clipWidth > 0 && clipWidth < w) ? clipWidth : w;
    const long long newHeight = (clipHeight > 0 && clipHeight < h) ? clipHeight : h;

    const long long rowBits = newWidth * bitsPerPixel;
    const int remainder = static_cast<int>(rowBits % 8);
    const long long rowBytes = rowBits / 8 + (remainder ? 1 : 0);
    const long long sourceRowBytes = (w * bitsPerPixel + 7) / 8;
    const long long total = rowBytes * newHeight;
    if (total <= 0 || total > std::numeric_limits<int>::max())
        return nullptr;

    unsigned char* copy = new unsigned char[static_cast<size_t>(total)]();
    for (long long row = 0; row < newHeight; ++row) {
        unsigned char* out = copy + row * rowBytes;
        std::memcpy(out, source + row * sourceRowBytes, static_cast<size_t>(rowBytes));
        if (remainder)
            out[rowBytes - 1] = static_cast<unsigned char>(out[rowBytes - 1] & (0xFF << (8 - remainder)));
    }
    *width = static_cast<int>(remainder ? rowBytes * 8 / bitsPerPixel : newWidth);
    *height = static_cast<int>(newHeight);
    return copy;
}

void qelUtils::computeClipOverflow(int width, int height, int resolution, int pageWidth, int pageHeight,
                                   int unitsPerInch, int rotation, int16_t x, int16_t y, int* clipWidth,
                                   int* clipHeight)
{
    int outWidth = 0, outHeight = 0;
    const bool rightAngle = rotation == 0 || rotation == 90 || rotation == 180 || rotation == 270;
    if (rightAngle && resolution > 0 && unitsPerInch > 0) {
        const float r = static_cast<float>(resolution);
        const float u = static_cast<float>(unitsPerInch);
        auto overflow = [r, u](int position, int size, int extent) {
            const float over = position + size * u / r - extent;
            return over > 0.0f ? static_cast<int>(over * r / u + 0.5f) : 0;
        };
        const int right = overflow(x, width, pageWidth);
        const int bottom = overflow(y, height, pageHeight);
        if (right || bottom) {
            outWidth = width - right;
            outHeight = height - bottom;
        }
    }
    if (clipWidth)
        *clipWidth = outWidth;
    if (clipHeight)
        *clipHeight = outHeight;
}
