// Opens arbitrary bytes as a TIFF from memory through the image library's
// client I/O, reads every directory's fields and decodes its strips. A
// library error must arrive as the pending OIL020 and nothing else.
#include "FuzzSupport.h"
#include "qelImgErrorHandler.h"
#include "qelImgException.h"
#include "qelImgProcessor.h"
#include "qelImgTIFFProcessor.h"

#include <tiffio.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// Strips above this size are not decoded.
constexpr tmsize_t kMaxStrip = tmsize_t(1) << 24;
constexpr int kMaxPages = 8;

// Takes the pending error, if any: only TIFF library errors are expected.
void collect()
{
    try {
        qelImgErrorHandler::checkTIFFError("fuzz_tiff", "read", -1);
    } catch (qelImgException* e) {
        const int id = e->getErrorCode();
        delete e;
        if (id != 20)
            std::abort();
    }
    qelImgErrorHandler::installTIFFHandlers();
}

void readPage(TIFF* tif)
{
    uint32_t width = 0, length = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &length);
    const tmsize_t size = TIFFStripSize(tif);
    if (size <= 0 || size > kMaxStrip || TIFFIsTiled(tif))
        return;
    std::vector<unsigned char> strip(static_cast<size_t>(size));
    for (tstrip_t s = 0; s < TIFFNumberOfStrips(tif) && s < 4096; ++s) {
        if (TIFFReadEncodedStrip(tif, s, strip.data(), size) < 0)
            break;
    }
}

void run(const uint8_t* data, size_t size)
{
    qelImgErrorHandler::reset();
    qelImgErrorHandler::installTIFFHandlers();
    TIFF* tif = qelImgTIFFProcessor::openTIFFMemoryToRead(data, static_cast<int>(size));
    collect();
    if (tif) {
        for (int page = 0; page < kMaxPages; ++page) {
            readPage(tif);
            collect();
            if (!TIFFReadDirectory(tif))
                break;
            collect();
        }
        TIFFClose(tif);
    }
    collect();
    qelImgErrorHandler::restoreTIFFHandlers();
    // A closed handle frees its context.
    if (qelImgTIFFProcessor::getContext(0))
        std::abort();
    qelImgProcessor::releaseLibraryResources();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return lrbfuzz::initialize(); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return lrbfuzz::testOneInput(data, size, [](qelIni*) {}, run);
}
