// The BMP, PCX, GIF and PNG decoders of the CxImage stand-in and the DIB
// decoders: the first byte picks the decoder (0 BMP, 1 PCX, 2 GIF, 3 PNG,
// 4 the bitmap block decoder, 5 CxImage's bitmap block codec), the rest is
// the data. Every frame up to four is read, then rows, the bitmap and a
// re-encoding in the format read. Only image library exceptions may leave.
#include "CxImage.h"
#include "CxMemFile.h"
#include "FuzzSupport.h"
#include "qelImgBufferIOStream.h"
#include "qelImgCxDecoder.h"
#include "qelImgCxEncoder.h"
#include "qelImgDIB.h"
#include "qelImgDIBDecoder.h"
#include "qelImgErrorHandler.h"
#include "qelImgException.h"
#include "qelImgInfo.h"
#include "qelImgParamValue.h"
#include "qelImgProcessor.h"
#include "qelImgTypes.h"
#include "qelImgUtils.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr int kMaxFrames = 4;
// Pages whose bitmap would pass this are not decoded.
constexpr int64_t kMaxBitmap = int64_t(1) << 24;

template <class Step>
void guarded(Step step)
{
    try {
        step();
    } catch (qelImgException* e) {
        delete e;
    }
}

void readPage(qelImgDecoder& decoder, qelImgParamValue* params, int imageType)
{
    qelImgInfo* info = nullptr;
    guarded([&] { info = decoder.getInfo(); });
    if (!info || info->width <= 0 || info->height <= 0 || info->width > kMaxBitmap || info->height > kMaxBitmap ||
        int64_t(info->width) * info->height * 6 > kMaxBitmap)
        return;
    guarded([&] {
        std::vector<unsigned char> row(static_cast<size_t>(std::max(1, decoder.getScanLineSize())));
        for (int i = 0; i < 1 << 16 && decoder.readNextLine(row.data()) == 1; ++i) {
        }
    });
    guarded([&] {
        decoder.decode(params);
        qelImgDIB* dib = decoder.getDIBBuffer();
        if (!dib || imageType == 0)
            return;
        qelImgBufferIOStream out("out", 2);
        qelImgCxEncoder encoder(&out, imageType);
        encoder.initialize(params, info);
        encoder.encode(dib);
        encoder.finalize();
    });
}

void run(const uint8_t* data, size_t size)
{
    if (size < 2)
        return;
    qelImgProcessor::initializeLibrary();
    qelImgParamValue params[QELIMG_PARAM_COUNT];
    qelImgUtils::setDefaultParameters(params);
    params[QELIMG_PARAM_DECODE_PALETTE_AS_RGB].setInt(data[0] >> 7);
    params[QELIMG_PARAM_SWAP_RGB].setInt(1);
    // The decoders borrow the block.
    std::vector<unsigned char> copy(data + 1, data + size);
    const auto length = static_cast<unsigned int>(copy.size());
    static const int types[] = {QELIMG_IMAGETYPE_BMP, QELIMG_IMAGETYPE_PCX, QELIMG_IMAGETYPE_GIF,
                                QELIMG_IMAGETYPE_PNG};
    const int kind = (data[0] & 0x7F) % 6;
    if (kind < 4) {
        std::unique_ptr<qelImgCxDecoder> decoder;
        guarded([&] { decoder.reset(new qelImgCxDecoder(copy.data(), length, types[kind])); });
        if (decoder) {
            const int frames = std::min(decoder->getFrameCount(), kMaxFrames);
            for (int frame = 0; frame < frames; ++frame) {
                guarded([&] { decoder->setPageNumber(frame); });
                readPage(*decoder, params, types[kind]);
            }
        }
    } else if (kind == 4) {
        std::unique_ptr<qelImgDIBDecoder> decoder;
        guarded([&] { decoder.reset(new qelImgDIBDecoder(copy.data(), length)); });
        if (decoder) {
            readPage(*decoder, params, QELIMG_IMAGETYPE_PNG);
            guarded([&] {
                unsigned char* stored = nullptr;
                unsigned int n = 0;
                decoder->getEncodedData(&stored, &n);
                delete[] stored;
            });
        }
    } else {
        CxMemFile file(copy.data(), copy.size());
        CxImage image(&file, QELIMG_DIB_FORMAT);
        if (image.IsValid()) {
            uint8_t* out = nullptr;
            int32_t n = 0;
            if (image.Encode(out, n, CXIMAGE_FORMAT_BMP))
                CxImage::FreeMemory(out);
        }
    }
    if (qelImgErrorHandler::getPendingError())
        std::abort();
    qelImgProcessor::releaseLibraryResources();
    qelImgProcessor::finalizeLibrary();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return lrbfuzz::initialize(); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return lrbfuzz::testOneInput(data, size, [](qelIni*) {}, run);
}
