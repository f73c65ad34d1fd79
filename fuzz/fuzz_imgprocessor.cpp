// Opens arbitrary bytes as an image through the image processor (the type
// sniffed from the signature: TIFF, JPEG, DIB, BMP, PCX, GIF and PNG have
// decoders) and reads every
// page's information, colour table, bitmap, rows and stored data. Only
// image library exceptions may leave the library.
#include "FuzzSupport.h"
#include "qelImgDIB.h"
#include "qelImgDecoder.h"
#include "qelImgErrorHandler.h"
#include "qelImgException.h"
#include "qelImgInfo.h"
#include "qelImgProcessor.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr int kMaxPages = 4;
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

void readPage(qelImgProcessor& processor, int page)
{
    qelImgInfo* info = nullptr;
    guarded([&] { info = processor.getPageInfo(page); });
    if (!info)
        return;
    guarded([&] {
        unsigned char* palette = nullptr;
        int count = 0;
        processor.getColorTable(&palette, &count);
    });
    const int64_t bytes = int64_t(info->width) * info->height * 6;
    if (info->width > 0 && info->height > 0 && bytes <= kMaxBitmap) {
        guarded([&] {
            qelImgDIB* dib = processor.getDIBData();
            if (dib && dib->header && processor.getDIBDataLength() <= 0)
                std::abort();
        });
        if (info->tiled && info->tileCount > 0 && int64_t(info->tileWidth) * info->tileHeight * 6 <= kMaxBitmap)
            guarded([&] { processor.getDIBDataForTileImage(info->tileCount - 1); });
    }
    guarded([&] {
        unsigned char* data = nullptr;
        unsigned int length = 0;
        processor.getEncodedData(&data, &length);
        delete[] data;
    });
    if (info->tiled && info->tileCount > 0) {
        guarded([&] {
            unsigned char* data = nullptr;
            unsigned int length = 0;
            processor.getEncodedTileData(&data, &length, 0);
            delete[] data;
        });
    }
}

void run(const uint8_t* data, size_t size)
{
    if (size == 0)
        return;
    qelImgProcessor::initializeLibrary();
    // The processor borrows the block.
    std::vector<unsigned char> copy(data, data + size);
    std::unique_ptr<qelImgProcessor> processor;
    guarded([&] { processor.reset(new qelImgProcessor(copy.data(), static_cast<unsigned int>(copy.size()))); });
    if (processor) {
        int pages = 0;
        guarded([&] { pages = processor->getPageCount(); });
        for (int page = 0; page < pages && page < kMaxPages; ++page)
            readPage(*processor, page);
        // The row interface from the first page.
        guarded([&] {
            processor->getPageInfo(0);
            const int64_t bytes = int64_t(processor->getInfo()->width) * processor->getInfo()->height * 6;
            const int64_t rowBytes = std::max(1, processor->getDecoder()->getScanLineSize());
            // Only images of a size the run may hold: the row is allocated here.
            if (bytes > kMaxBitmap || rowBytes > kMaxBitmap)
                return;
            std::vector<unsigned char> row(static_cast<size_t>(rowBytes));
            for (int i = 0; i < 1 << 16 && processor->readNextLine(row.data()) == 1; ++i) {
            }
        });
    }
    processor.reset();
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
