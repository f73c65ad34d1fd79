#include "qelImgColorUtils.h"

#include "CxImage.h"
#include "CxMemFile.h"
#include "qelImgDIB.h"
#include "qelImgDIBHeader.h"
#include "qelImgDIBUtils.h"
#include "qelImgException.h"
#include "qelImgLogger.h"
#include "qelImgProcessor.h"
#include "qelImgTransformer.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace
{
void trace(const char* operation)
{
    if (qelImgLogger* logger = qelImgProcessor::getLogger())
        logger->trace("\t%s::%s()", "qelImgColorUtils", operation);
}

// Logged whatever the level.
void always(const char* format, int value)
{
    if (qelImgLogger* logger = qelImgProcessor::getLogger())
        logger->error(format, value);
}

void always(const char* format, const char* text)
{
    if (qelImgLogger* logger = qelImgProcessor::getLogger())
        logger->error(format, text);
}

int dpiOf(int32_t pelsPerMetre)
{
    return static_cast<int>(std::lround(pelsPerMetre / 39.37));
}

// Decodes the bitmap into image. The library's 24-bit pixels are red,
// green, blue; the image's are blue, green, red, so they are swapped on the
// way in for the colour weights to fall on the right channels.
bool load(qelImgDIB* dib, CxImage& image)
{
    const int size = qelImgDIBUtils::getDIBSize(dib);
    if (size <= 0)
        return false;
    std::vector<unsigned char> copy(dib->buffer, dib->buffer + size);
    if (dib->header->biBitCount == 24) {
        const size_t offset = static_cast<size_t>(dib->bits - dib->buffer);
        const int64_t pixels = static_cast<int64_t>(size - static_cast<int>(offset)) / 3;
        qelImgDIBUtils::swapRGBPixels(copy.data() + offset, static_cast<int>(pixels));
    }
    CxMemFile file(copy.data(), copy.size());
    if (!image.Decode(&file, QELIMG_DIB_FORMAT))
        return false;
    image.SetXDPI(dpiOf(dib->header->biXPelsPerMeter));
    image.SetYDPI(dpiOf(dib->header->biYPelsPerMeter));
    return true;
}
}

qelImgDIB* qelImgColorUtils::threshold(qelImgDIB* dib, int percentage)
{
    trace("threshold");
    const int value = static_cast<unsigned char>(percentage);
    if (value < 1 || value > 100) {
        always("  Invalid threshold (%d), threshold operation ignored.", value);
        return nullptr;
    }
    if (!dib || !dib->buffer)
        return nullptr;
    const auto level = static_cast<unsigned char>(std::floor(value / 100.0f * 255.0f + 0.5f));
    CxImage image;
    if (!load(dib, image) || !image.Threshold(level)) {
        always("  Threshold operation failed. Reason: %s", image.GetLastError());
        return nullptr;
    }
    try {
        return qelImgTransformer::createDIBFromCxImage(&image);
    } catch (qelImgException* e) {
        delete e;
        return nullptr;
    }
}

qelImgDIB* qelImgColorUtils::adaptiveThreshold(qelImgDIB* dib)
{
    trace("adaptiveThreshold");
    if (!dib || !dib->buffer)
        return nullptr;
    CxImage image;
    if (!load(dib, image) || !image.AdaptiveThreshold(0, 64, nullptr, 0, 0.5f)) {
        always("  Adaptive threshold operation failed. Reason: %s", image.GetLastError());
        return nullptr;
    }
    try {
        return qelImgTransformer::createDIBFromCxImage(&image);
    } catch (qelImgException* e) {
        delete e;
        return nullptr;
    }
}
