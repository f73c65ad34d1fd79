// Feeds arbitrary bytes to the IOCA decoding library as one segment: the
// header, the tile walk, gathering of image and mask data, decompression of
// both and width from data. Result codes are expected; only sanitizer
// reports are findings.
#include "oioca.h"

#include <cstdint>
#include <cstdlib>

namespace {

void release(IOCADecodedImage* image)
{
    if (image) {
        std::free(image->block);
        std::free(image);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    IOCAHandle* handle = nullptr;
    if (oioca_initialize(data, (uint32_t)size, 1, &handle) != 0)
        return 0;
    oioca_setIgnoreDecompError(handle, 1);
    oioca_readHeader(handle);
    IOCATile* tile = nullptr;
    for (int rc = oioca_getFirstTile(handle, &tile); rc == 0; rc = oioca_getNextTile(handle, &tile)) {
        IOCADecodedImage* image = nullptr;
        oioca_readTileImageData(handle, tile);
        oioca_decompress(handle, tile, &image);
        release(image);
        image = nullptr;
        oioca_readTileTMImageData(handle, tile);
        oioca_decompressMask(handle, tile, &image);
        release(image);
        oioca_getWidthFromData(handle);
    }
    oioca_finalize(&handle);
    return 0;
}
