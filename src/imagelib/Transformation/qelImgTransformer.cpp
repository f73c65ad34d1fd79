#include "qelImgTransformer.h"

#include "CxImage.h"
#include "CxMemFile.h"
#include "qelImgDIB.h"
#include "qelImgDIBHeader.h"
#include "qelImgDIBUtils.h"
#include "qelImgException.h"
#include "qelImgLogger.h"
#include "qelImgParamValue.h"
#include "qelImgProcessor.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace
{
void trace(const char* operation)
{
    if (qelImgLogger* logger = qelImgProcessor::getLogger())
        logger->trace("\t%s::%s()", "qelImgTransformer", operation);
}

int dpiOf(int32_t pelsPerMetre)
{
    return static_cast<int>(pelsPerMetre / 39.37 + 0.5);
}

const char* const kFilterNames[18] = {"", "NEAREST_NEIGHBOUR", "BILINEAR", "BSPLINE", "BICUBIC", "BICUBIC2",
                                      "LANCZOS", "BOX", "HERMITE", "HAMMING", "SINC", "BLACKMAN", "BESSEL",
                                      "GAUSSIAN", "QUADRATIC", "MITCHELL", "CATROM", "NEARESTPIXEL"};

// The bitmap decoded by the DIB codec; the bytes are taken as they stand.
bool load(const qelImgDIB* dib, CxImage& image)
{
    const int size = qelImgDIBUtils::getDIBSize(dib);
    if (size <= 0)
        return false;
    std::vector<unsigned char> copy(dib->buffer, dib->buffer + size);
    CxMemFile file(copy.data(), copy.size());
    return image.Decode(&file, QELIMG_DIB_FORMAT);
}

int rowSize(const qelImgDIB* dib)
{
    const int width = dib->header->biWidth;
    switch (dib->header->biBitCount) {
    case 1:
        return (width + 7) / 8;
    case 8:
        return width;
    case 24:
        return 3 * width;
    default:
        return -1;
    }
}
}

int qelImgTransformer::flip(qelImgDIB* dib, qelImgParamValue* params)
{
    trace("flip");
    if (!dib || !dib->buffer)
        return -1;
    const int mode = params ? params[30].getInt() : 0;
    int result = 0;
    switch (mode) {
    case 0:
        return 0;
    case 1:
        return flipVertical(dib);
    case 2:
        return flipHorizontal(dib);
    case 3:
        result = flipVertical(dib);
        return result >= 0 ? flipHorizontal(dib) : result;
    case 4:
        result = flipHorizontal(dib);
        return result >= 0 ? flipVertical(dib) : result;
    default:
        return -2;
    }
}

int qelImgTransformer::flipVertical(qelImgDIB* dib)
{
    trace("flipVertical");
    if (!dib || !dib->buffer)
        return -1;
    const int size = rowSize(dib);
    if (size <= 0)
        return -3;
    std::vector<unsigned char> row;
    try {
        row.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        throw "Unable to allocate image data for vertical flipping";
    }
    const int height = dib->header->biHeight;
    for (int i = 0; i < height / 2; ++i) {
        unsigned char* a = dib->bits + static_cast<size_t>(i) * size;
        unsigned char* b = dib->bits + static_cast<size_t>(height - 1 - i) * size;
        std::memcpy(row.data(), a, static_cast<size_t>(size));
        std::memcpy(a, b, static_cast<size_t>(size));
        std::memcpy(b, row.data(), static_cast<size_t>(size));
    }
    return 0;
}

int qelImgTransformer::flipHorizontal(qelImgDIB* dib)
{
    trace("flipHorizontal");
    if (!dib || !dib->buffer)
        return -1;
    const int size = rowSize(dib);
    if (size <= 0)
        return -3;
    const int width = dib->header->biWidth;
    const int height = dib->header->biHeight;
    const int bits = dib->header->biBitCount;
    std::vector<unsigned char> copy(static_cast<size_t>(size));
    for (int y = 0; y < height; ++y) {
        unsigned char* row = dib->bits + static_cast<size_t>(y) * size;
        if (bits == 8) {
            std::reverse(row, row + width);
        } else if (bits == 24) {
            for (int l = 0, r = width - 1; l < r; ++l, --r)
                for (int c = 0; c < 3; ++c)
                    std::swap(row[3 * l + c], row[3 * r + c]);
        } else {
            // Mirror within the width: the fill bits stay at the row's end.
            std::memcpy(copy.data(), row, static_cast<size_t>(size));
            for (int x = 0; x < width; ++x) {
                const int from = width - 1 - x;
                const bool on = (copy[from >> 3] >> (7 - (from & 7))) & 1;
                if (on)
                    row[x >> 3] = static_cast<unsigned char>(row[x >> 3] | (0x80 >> (x & 7)));
                else
                    row[x >> 3] = static_cast<unsigned char>(row[x >> 3] & ~(0x80 >> (x & 7)));
            }
        }
    }
    return 0;
}

qelImgDIB* qelImgTransformer::crop(qelImgDIB* dib, int x1, int y1, int x2, int y2)
{
    trace("crop");
    if (!dib || !dib->buffer)
        return nullptr;
    const qelImgDIBHeader* h = dib->header;
    const int bits = h->biBitCount;
    if (bits != 1 && bits != 8 && bits != 24)
        throw new qelImgException(__FILE__, __LINE__, 58, 0, true, bits);
    const int width = h->biWidth, height = h->biHeight;
    auto clamp = [](int v, int hi) { return v < 0 ? 0 : v > hi ? hi : v; };
    x1 = clamp(x1, width - 1);
    x2 = clamp(x2, width - 1);
    y1 = clamp(y1, height - 1);
    y2 = clamp(y2, height - 1);
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    const int copyWidth = x2 - x1 + 1;
    const int newWidth = bits == 1 ? (copyWidth + 7) / 8 * 8 : copyWidth;
    const int newHeight = y2 - y1 + 1;
    const int colors = qelImgDIBUtils::getColorCount(bits);
    qelImgDIB* out = qelImgDIBUtils::createDIBFromData(newWidth, newHeight, bits, dpiOf(h->biXPelsPerMeter),
                                                       dpiOf(h->biYPelsPerMeter), colors, dib->palette, 0);
    if (colors > 0 && dib->palette)
        std::memcpy(out->palette, dib->palette, 4 * static_cast<size_t>(colors));
    const int outRow = qelImgDIBUtils::getRowBytes(newWidth, bits);
    std::memset(out->bits, 0, static_cast<size_t>(outRow) * newHeight);
    const int inRow = qelImgDIBUtils::getRowBytes(width, bits);
    for (int y = y1; y <= y2; ++y) {
        if (bits == 1) {
            for (int x = x1; x <= x2; ++x)
                qelImgDIBUtils::setPixel(out, x - x1, y - y1, qelImgDIBUtils::getPixel(dib, x, y));
        } else {
            const int bpp = bits / 8;
            std::memcpy(out->bits + static_cast<size_t>(y - y1) * outRow,
                        dib->bits + static_cast<size_t>(y) * inRow + static_cast<size_t>(x1) * bpp,
                        static_cast<size_t>(copyWidth) * bpp);
        }
    }
    return out;
}

void qelImgTransformer::transparentMix(qelImgDIB* dib, qelImgDIB* mask, int rgb)
{
    trace("transparentMix");
    if (!dib || !dib->buffer || !mask || !mask->buffer)
        return;
    const int bits = dib->header->biBitCount;
    if (bits != 1 && bits != 8 && bits != 24)
        throw new qelImgException(__FILE__, __LINE__, 59, 0, true, bits);
    int index = 0;
    if (bits != 24) {
        index = qelImgDIBUtils::findPaletteIndex(dib, rgb);
        if (index < 0)
            index = 0;
    }
    // Only positions inside both images are painted, whatever the depth.
    const int width = std::min<int>(dib->header->biWidth, mask->header->biWidth);
    const int height = std::min<int>(dib->header->biHeight, mask->header->biHeight);
    const int row = qelImgDIBUtils::getRowBytes(dib->header->biWidth, bits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (qelImgDIBUtils::getPixel(mask, x, y) != 0)
                continue;
            if (bits == 24) {
                unsigned char* p = dib->bits + static_cast<size_t>(y) * row + 3 * static_cast<size_t>(x);
                p[0] = static_cast<unsigned char>(rgb & 0xFF);
                p[1] = static_cast<unsigned char>((rgb >> 8) & 0xFF);
                p[2] = static_cast<unsigned char>((rgb >> 16) & 0xFF);
            } else {
                qelImgDIBUtils::setPixel(dib, x, y, index);
            }
        }
}

qelImgDIB* qelImgTransformer::createDIBFromCxImage(CxImage* image)
{
    trace("createDIBFromCxImage");
    if (!image || !image->IsValid())
        return nullptr;
    const int width = static_cast<int>(image->GetWidth());
    const int height = static_cast<int>(image->GetHeight());
    const int bits = static_cast<int>(image->GetBpp());
    const int colors = qelImgDIBUtils::getColorCount(bits);
    std::vector<unsigned char> table(4 * static_cast<size_t>(colors > 0 ? colors : 1), 0);
    const RGBQUAD* pal = image->GetPalette();
    if (colors > 0 && pal)
        std::memcpy(table.data(), pal, 4 * std::min<size_t>(colors, image->GetNumColors()));
    qelImgDIB* out = qelImgDIBUtils::createDIBFromData(width, height, bits, image->GetXDPI(), image->GetYDPI(), colors,
                                                       table.data(), 0);
    if (colors > 0)
        std::memcpy(out->palette, table.data(), 4 * static_cast<size_t>(colors));
    const int rowBytes = qelImgDIBUtils::getRowBytes(width, bits);
    const int fill = (bits == 1 || bits == 4) ? qelImgDIBUtils::getAlignedWidth(width, bits) - width : 0;
    const bool blackFirst = colors > 0 && table[0] == 0 && table[1] == 0 && table[2] == 0;
    for (int i = 0; i < height; ++i) {
        unsigned char* d = out->bits + static_cast<size_t>(i) * rowBytes;
        std::memcpy(d, image->GetBits(static_cast<uint32_t>(i)), static_cast<size_t>(rowBytes));
        if (fill > 0 && rowBytes > 0) {
            const unsigned char low = static_cast<unsigned char>((1u << (fill * bits)) - 1);
            if (blackFirst)
                d[rowBytes - 1] = static_cast<unsigned char>(d[rowBytes - 1] | low);
            else
                d[rowBytes - 1] = static_cast<unsigned char>(d[rowBytes - 1] & ~low);
        }
    }
    return out;
}

const char* qelImgTransformer::filterName(int filter)
{
    return filter >= 1 && filter <= 17 ? kFilterNames[filter] : "";
}

qelImgDIB* qelImgTransformer::resize(const char* name, qelImgDIB* dib, int width, int height, int filter)
{
    trace("resize");
    if (!dib || !dib->buffer || width < 1 || height < 1)
        return nullptr;
    CxImage image;
    bool ok = load(dib, image);
    if (ok) {
        switch (filter) {
        case 1:
        case 17:
            ok = image.Resample(width, height, 1);
            break;
        case 2:
            ok = image.Resample(width, height, 0);
            break;
        default:
            ok = image.Resample2(width, height, filter >= 3 && filter <= 16 ? filter : CxImage::IM_BSPLINE,
                                 CxImage::OM_REPEAT);
            break;
        }
    }
    if (!ok)
        throw new qelImgException(__FILE__, __LINE__, 11, 0, true, name ? name : "", width, height,
                                  filterName(filter));
    qelImgDIB* out = createDIBFromCxImage(&image);
    const int sourceBits = dib->header->biBitCount;
    const int bits = out->header->biBitCount;
    out->header->biXPelsPerMeter = dib->header->biXPelsPerMeter;
    out->header->biYPelsPerMeter = dib->header->biYPelsPerMeter;
    // The source's table only fits a result of its own depth.
    const int colors = qelImgDIBUtils::getColorCount(bits);
    if (dib->palette && colors > 0 && bits == sourceBits)
        std::memcpy(out->palette, dib->palette, 4 * static_cast<size_t>(colors));
    // Colours from a table come back blue first; the library's are red first.
    if (bits == 24 && sourceBits != 24)
        qelImgDIBUtils::swapRGBPixels(out->bits, static_cast<int>(out->header->biSizeImage / 3));
    return out;
}

qelImgDIB* qelImgTransformer::rotate(qelImgDIB* dib, int angle, int method)
{
    trace("rotate");
    if (!dib || !dib->buffer)
        return nullptr;
    CxImage image;
    bool ok = load(dib, image);
    if (ok) {
        if (method != 0) {
            ok = image.Rotate2(static_cast<float>(angle), &image, method, CxImage::OM_BACKGROUND, nullptr, true, true);
        } else if (angle == 90) {
            ok = image.RotateLeft();
        } else if (angle == 180) {
            ok = image.Rotate180();
        } else if (angle == 270) {
            ok = image.RotateRight();
        }
    }
    if (!ok)
        throw new qelImgException(__FILE__, __LINE__, 41, 0, true);
    qelImgDIB* out = createDIBFromCxImage(&image);
    if (out->header->biBitCount == 24 && dib->header->biBitCount != 24)
        qelImgDIBUtils::swapRGBPixels(out->bits, static_cast<int>(out->header->biSizeImage / 3));
    return out;
}
