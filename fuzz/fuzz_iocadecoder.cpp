// Opens arbitrary bytes as IOCA image segments through the image library's
// IOCA decoder: the input is cut in two at the place its first byte names,
// and both segments are read in one library session, every tile with its
// information, bitmap, mask, width from data and stored data. Only image
// library exceptions and plain texts may leave the decoder, and no TIFF
// error may stay pending between two segments.
#include "FuzzSupport.h"
#include "qelImageStrips.h"
#include "qelImgDIB.h"
#include "qelImgErrorHandler.h"
#include "qelImgException.h"
#include "qelImgIOCADecoder.h"
#include "qelImgInfo.h"
#include "qelImgParamValue.h"
#include "qelImgProcessor.h"
#include "qelImgTypes.h"
#include "qelImgUtils.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr int kMaxContents = 8;
// Tiles whose bitmap would pass this are not decoded.
constexpr int64_t kMaxBitmap = int64_t(1) << 24;

template <class Step>
void guarded(Step step)
{
    try {
        step();
    } catch (qelImgException* e) {
        delete e;
    } catch (const char*) {
    }
}

void readTile(qelImgIOCADecoder& decoder, qelImgParamValue* params)
{
    qelImgInfo* info = nullptr;
    guarded([&] { info = decoder.getInfo(); });
    if (!info)
        return;
    guarded([&] {
        unsigned char* data = nullptr;
        unsigned int length = 0;
        decoder.getEncodedData(&data, &length);
        delete[] data;
    });
    guarded([&] {
        qelImageStrips bands;
        decoder.getEncodedBandData(&bands);
    });
    guarded([&] { decoder.getWidthFromData(); });
    if (info->width > 0 && info->height > 0 && int64_t(info->width) * info->height <= kMaxBitmap / 4)
        guarded([&] { decoder.decode(params); });
    if (decoder.hasMask()) {
        guarded([&] {
            unsigned char* data = nullptr;
            unsigned int length = 0;
            decoder.getEncodedMaskData(&data, &length);
            delete[] data;
        });
        qelImgInfo* mask = decoder.getMaskInfo();
        if (mask && mask->width > 0 && mask->height > 0 && int64_t(mask->width) * mask->height <= kMaxBitmap)
            guarded([&] { decoder.decodeMask(params); });
    }
}

void readSegment(const unsigned char* data, size_t size, qelImgParamValue* params)
{
    if (size == 0)
        return;
    std::unique_ptr<qelImgIOCADecoder> decoder;
    guarded([&] { decoder.reset(new qelImgIOCADecoder(data, static_cast<unsigned int>(size))); });
    if (!decoder)
        return;
    for (int n = 0; n < kMaxContents && decoder->hasNextImageContent(); ++n) {
        bool moved = false;
        guarded([&] {
            decoder->nextImageContent();
            moved = true;
        });
        if (!moved)
            break;
        readTile(*decoder, params);
    }
    decoder.reset();
    if (qelImgErrorHandler::getPendingError())
        std::abort();
}

void run(const uint8_t* data, size_t size)
{
    if (size < 2)
        return;
    qelImgProcessor::initializeLibrary();
    qelImgParamValue params[QELIMG_PARAM_COUNT];
    qelImgUtils::setDefaultParameters(params);
    // The first byte: the other switch of the decode parameters, and the
    // cut as a share of the rest.
    params[QELIMG_PARAM_IGNORE_DECOMP_ERROR].setInt(data[0] & 1);
    params[QELIMG_PARAM_COLOR_SPACE].setInt((data[0] >> 1) & 3);
    std::vector<unsigned char> rest(data + 1, data + size);
    const size_t cut = (data[0] & 0xF0) == 0 ? rest.size() : rest.size() * (data[0] >> 4) / 16;
    std::vector<unsigned char> first(rest.begin(), rest.begin() + static_cast<long>(cut));
    std::vector<unsigned char> second(rest.begin() + static_cast<long>(cut), rest.end());
    readSegment(first.data(), first.size(), params);
    readSegment(second.data(), second.size(), params);
    qelImgProcessor::releaseLibraryResources();
    qelImgProcessor::finalizeLibrary();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return lrbfuzz::initialize(); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return lrbfuzz::testOneInput(data, size, [](qelIni*) {}, run);
}
