// Feeds arbitrary bytes to the IOCA decoding library as one segment: the
// header, the tile walk, gathering of image and mask data, decompression of
// both with the real decoders (IBM MMR, G4 through the TIFF library, RL4),
// width from data and the JPEG plane conversion. The same bytes also go
// straight to the run decoder in its three arrangements, with a width,
// height and fill order taken from the input's last bytes. Result codes are
// expected; only sanitizer reports are findings.
#include "oiocaInternal.h"

#include <tiffio.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void release(IOCADecodedImage* image)
{
    if (image) {
        std::free(image->block);
        std::free(image);
    }
}

void segment(const uint8_t* data, size_t size)
{
    IOCAHandle* handle = nullptr;
    // Every other input with the trace on, so that both paths run.
    if (oioca_initialize(data, (uint32_t)size, (int)(size & 1), &handle) != 0)
        return;
    oioca_setIgnoreDecompError(handle, (int)(size & 2));
    oioca_readHeader(handle);
    IOCATile* tile = nullptr;
    for (int rc = oioca_getFirstTile(handle, &tile); rc == 0; rc = oioca_getNextTile(handle, &tile)) {
        IOCADecodedImage* image = nullptr;
        oioca_readTileImageData(handle, tile);
        oioca_getWidthFromData(handle);
        oioca_decompress(handle, tile, &image);
        release(image);
        image = nullptr;
        oioca_readTileTMImageData(handle, tile);
        oioca_decompressMask(handle, tile, &image);
        release(image);
        unsigned char* jpeg = nullptr;
        uint32_t length = 0;
        if (oioca_getRGBJpeg(handle, tile, 300, 75, &jpeg, &length) == 0)
            std::free(jpeg);
    }
    oioca_finalize(&handle);
}

void runDecoder(const uint8_t* data, size_t size)
{
    if (size < 4)
        return;
    const int32_t width = 1 + ((data[size - 1] << 8 | data[size - 2]) % 2048);
    const int32_t height = 1 + data[size - 3] % 32;
    const int fillOrder = 1 + (data[size - 4] & 1);
    const uint32_t length = (uint32_t)(size - 4);
    std::vector<unsigned char> out((size_t)height * ((width + 7) / 8));
    uint64_t bytes = 0;
    int32_t rows = 0;
    qelIBMMMRDecoder_decompressIBMMMR(data, length, "IBMMMR", width, height, fillOrder, out.data(), &bytes, 1,
                                      &rows);
    qelIBMMMRDecoder_decompressG4MMR(data, length, "G4", width, height, fillOrder, out.data(), &bytes);
    qelIBMMMRDecoder_decompressG31D(data, length, "G3", width, height, fillOrder, out.data(), &bytes);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The TIFF library's reports of bad G4 data stay quiet.
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    segment(data, size);
    runDecoder(data, size);
    return 0;
}
