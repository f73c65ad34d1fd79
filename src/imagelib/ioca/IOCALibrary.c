/* Handle, calls and tables of the IOCA decoding library. */
#include "oiocaInternal.h"

#include <stdlib.h>
#include <string.h>

#define HANDLE_CHECK(handle, name)                                                                 \
    do {                                                                                           \
        if (!(handle)) {                                                                           \
            qelIOCATrace_printf("%s(): IOCA handle passed is null.", name);                        \
            return -15;                                                                            \
        }                                                                                          \
    } while (0)

#define TILE_CHECK(tile, name, text)                                                               \
    do {                                                                                           \
        if (!(tile)) {                                                                             \
            qelIOCATrace_printf("%s(): %s", name, text);                                           \
            return -16;                                                                            \
        }                                                                                          \
    } while (0)

static const char* const kTileNull = "Tile handled passed is null.";

int oioca_initialize(const unsigned char* data, uint32_t length, int trace, IOCAHandle** handle)
{
    *handle = NULL;
    IOCAHandle* h = calloc(1, sizeof *h);
    if (!h)
        return -3;
    h->input = calloc(1, sizeof *h->input);
    if (!h->input) {
        free(h);
        return -3;
    }
    h->input->data = data;
    h->input->length = length;
    h->mode = 20;
    if ((trace & 0xFF) != 0) {
        h->trace = calloc(1, sizeof *h->trace);
        if (!h->trace) {
            free(h->input);
            free(h);
            return -3;
        }
    }
    qelIOCATrace_select(h, "oioca_initialize()");
    qelIOCATrace_unselect();
    *handle = h;
    return 0;
}

void oioca_setIgnoreDecompError(IOCAHandle* handle, int flag)
{
    if (!handle)
        return;
    qelIOCATrace_select(handle, "oioca_setIgnoreDecompError()");
    handle->ignoreDecompError = (flag & 0xFF) != 0;
    qelIOCATrace_unselect();
}

int oioca_readHeader(IOCAHandle* handle)
{
    HANDLE_CHECK(handle, "oioca_readHeader");
    qelIOCATrace_select(handle, "oioca_readHeader()");
    int result = qelIOCADataParser_readHeader(handle);
    qelIOCATrace_unselect();
    return result;
}

int oioca_getImageContentCount(IOCAHandle* handle, int* count)
{
    HANDLE_CHECK(handle, "oioca_getImageContentCount");
    int n = 0;
    for (IOCAImageContent* c = handle->contents; c; c = c->next)
        n++;
    *count = n;
    return 0;
}

int oioca_getFirstImageContent(IOCAHandle* handle, IOCAImageContent** content)
{
    HANDLE_CHECK(handle, "oioca_getFirstImageContent");
    handle->currentContent = handle->contents;
    *content = handle->currentContent;
    return 0;
}

int oioca_getNextImageContent(IOCAHandle* handle, IOCAImageContent** content)
{
    HANDLE_CHECK(handle, "oioca_getNextImageContent");
    if (handle->currentContent)
        handle->currentContent = handle->currentContent->next;
    *content = handle->currentContent;
    return 0;
}

static int tileWalk(IOCAHandle* handle, IOCATile** tile, int first)
{
    const char* name = first ? "oioca_getFirstTile" : "oioca_getNextTile";
    HANDLE_CHECK(handle, name);
    qelIOCATrace_select(handle, first ? "oioca_getFirstTile()" : "oioca_getNextTile()");
    int result = first ? qelIOCADataParser_getFirstTile(handle, tile)
                       : qelIOCADataParser_getNextTile(handle, tile);
    qelIOCATrace_unselect();
    return result;
}

int oioca_getFirstTile(IOCAHandle* handle, IOCATile** tile) { return tileWalk(handle, tile, 1); }

int oioca_getNextTile(IOCAHandle* handle, IOCATile** tile) { return tileWalk(handle, tile, 0); }

static int tileProperties(IOCAHandle* handle, IOCATile* tile, IOCAImageProperties** properties,
                          int mask)
{
    const char* name = mask ? "oioca_getTileTMImageProperties" : "oioca_getTileProperties";
    HANDLE_CHECK(handle, name);
    qelIOCATrace_select(handle, mask ? "oioca_getTileTMImageProperties()"
                                     : "oioca_getTileProperties()");
    if (!tile) {
        qelIOCATrace_printf("%s(): %s", name, kTileNull);
        qelIOCATrace_unselect();
        return -16;
    }
    *properties = mask ? tile->maskProperties : tile->properties;
    qelIOCATrace_unselect();
    return 0;
}

int oioca_getTileProperties(IOCAHandle* handle, IOCATile* tile, IOCAImageProperties** properties)
{
    return tileProperties(handle, tile, properties, 0);
}

int oioca_getTileTMImageProperties(IOCAHandle* handle, IOCATile* tile,
                                   IOCAImageProperties** properties)
{
    return tileProperties(handle, tile, properties, 1);
}

static int readTileData(IOCAHandle* handle, IOCATile* tile, int mask)
{
    const char* name = mask ? "oioca_readTileTMImageData" : "oioca_readTileImageData";
    HANDLE_CHECK(handle, name);
    qelIOCATrace_select(handle, mask ? "oioca_readTileTMImageData()" : "oioca_readTileImageData()");
    int result;
    if (!tile) {
        qelIOCATrace_printf("%s(): %s", name, kTileNull);
        result = -16;
    } else {
        result = mask ? qelIOCADataParser_readTileTMImageData(handle, tile)
                      : qelIOCADataParser_readTileImageData(handle, tile);
    }
    qelIOCATrace_unselect();
    return result;
}

int oioca_readTileImageData(IOCAHandle* handle, IOCATile* tile)
{
    return readTileData(handle, tile, 0);
}

int oioca_readTileTMImageData(IOCAHandle* handle, IOCATile* tile)
{
    return readTileData(handle, tile, 1);
}

int oioca_getWidthFromData(IOCAHandle* handle)
{
    if (!handle)
        return 0;
    qelIOCATrace_select(handle, NULL);
    IOCATile* tile = handle->currentTile;
    if (!tile) {
        qelIOCATrace_printf("oioca_getTileProperties(): %s", kTileNull);
        return -16;
    }
    handle->mode = 19;
    int width = tile->properties->width;
    qelIOCATrace_printf("HeaderWidth:%d", width);
    int result = width;
    if (tile->properties->compression == 1) {
        IOCABandData* band = tile->bandData[0];
        int32_t rounded = (int32_t)(((int64_t)width + 7) / 8 * 8);
        int r = qelIBMMMRDecoder_findImageWidthFromMMRData(
            handle, band ? band->data : NULL, band ? band->length : 0, "IBMMMR", rounded,
            tile->properties->height, 1);
        result = r == 1 ? tile->properties->widthFromData : r;
    }
    qelIOCATrace_printf("ActualWidth:%d", tile->properties->widthFromData);
    handle->mode = 20;
    return result;
}

static void put32(unsigned char* p, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        p[i] = (unsigned char)(v >> (8 * i));
}

static uint32_t pixelsPerMetre(int unitBase, uint32_t resolution)
{
    if (unitBase == 0)
        return (uint32_t)((double)(resolution / 10) * 39.37);
    if (unitBase == 1)
        return resolution * 10;
    return resolution;
}

/* Header, colour table and zeroed bits of a 1-bit image; -3 when the size is
   out of range or there is no memory. */
static int newDecodedImage(const IOCAImageProperties* p, int32_t width, IOCADecodedImage** image,
                           uint64_t* imageSize)
{
    if (width < 0 || p->height < 0)
        return -3;
    uint64_t size = (uint64_t)p->height * (((uint64_t)width + 7) / 8);
    if (size > OIOCA_MAX_BLOCK)
        return -3;
    IOCADecodedImage* result = malloc(sizeof *result);
    unsigned char* block = calloc(1, 48 + (size_t)size);
    if (!result || !block) {
        free(result);
        free(block);
        return -3;
    }
    put32(block, 40);
    put32(block + 4, (uint32_t)width);
    put32(block + 8, (uint32_t)p->height);
    block[12] = 0;
    block[13] = 0;
    block[14] = 1;
    block[15] = 0;
    put32(block + 16, 2400);
    put32(block + 20, (uint32_t)size);
    put32(block + 24, pixelsPerMetre(p->unitBase, p->xResolution));
    put32(block + 28, pixelsPerMetre(p->unitBase, p->yResolution));
    put32(block + 40, 0x000000);
    put32(block + 44, 0xFFFFFF);
    result->header = block;
    result->block = block;
    *image = result;
    *imageSize = size;
    return 0;
}

static void freeDecodedImage(IOCADecodedImage** image)
{
    free((*image)->block);
    free(*image);
    *image = NULL;
}

static int decode(IOCAHandle* handle, IOCATile* tile, int mask, IOCADecodedImage** image)
{
    IOCAImageProperties* p = mask ? tile->maskProperties : tile->properties;
    uint32_t bands = mask ? tile->maskBandCount : tile->bandCount;
    IOCABandData* band = mask ? tile->maskBandData[0] : tile->bandData[0];
    oioca_trace(mask ? "decodeMaskData()" : "decodeData()");
    if (bands > 1) {
        qelIOCATrace_printf(
            "CMYK %s data decompression not handled for G4/IBMMMR/NoCompression/RL4 compression "
            "types. Compression:\"%s\"(%d).",
            mask ? "image mask" : "Band image", oioca_getCompressionName(p->compression),
            p->compression);
        return -17;
    }
    if (!band) {
        oioca_trace(mask ? "Tile image mask data is null" : "Tile image data is null");
        return -18;
    }
    int c = p->compression;
    if (c != 1 && c != 3 && c != 6 && c != 130) {
        qelIOCATrace_printf("Deompression not implemeted for compression type \"%s\"(%d)",
                            oioca_getCompressionName(c), c);
        return -28;
    }
    int32_t width = mask ? p->width : p->widthFromData;
    uint64_t size;
    int result = newDecodedImage(p, width, image, &size);
    if (result != 0) {
        oioca_trace(mask ? "Failed to allocate memory for decompressed image mask."
                         : "Failed to allocate memory for decompressed image.");
        return result;
    }
    unsigned char* header = (*image)->block;
    unsigned char* bits = header + 48;
    switch (c) {
    case 1: {
        oioca_trace("IOCA compression type: IBM MMR");
        uint64_t bytes = 0;
        int32_t rows = 0;
        result = qelIBMMMRDecoder_decompressIBMMMR(band->data, band->length, "IBMMMR", width,
                                                   p->height, 1, bits, &bytes,
                                                   handle->ignoreDecompError, &rows);
        if (result == 1) {
            result = 0;
        } else if (handle->ignoreDecompError && rows > 0 && rows < p->height) {
            put32(header + 8, (uint32_t)rows);
            put32(header + 20, (uint32_t)((uint64_t)rows * (((uint64_t)width + 7) / 8)));
            result = 0;
        }
        break;
    }
    case 3:
        oioca_trace("IOCA compression type: NO COMPRESSION");
        memcpy(bits, band->data, band->length < size ? band->length : (size_t)size);
        break;
    case 6:
        oioca_trace("IOCA compression type: Run Length 4");
        result = qelRL4Decoder_decodeRL4(header, band->data, (int32_t)band->length, bits);
        break;
    default:
        oioca_trace("IOCA compression type: G4 Modified Modified Read");
        result = qelG4Decoder_decodeG4(header, 0, p->xResolution, p->yResolution, band->data,
                                       band->length, bits);
        break;
    }
    if (result != 0)
        freeDecodedImage(image);
    return result;
}

static int decompress(IOCAHandle* handle, IOCATile* tile, IOCADecodedImage** image, int mask)
{
    const char* name = mask ? "oioca_decompressMask" : "oioca_decompress";
    *image = NULL;
    HANDLE_CHECK(handle, name);
    qelIOCATrace_select(handle, mask ? "oioca_decompressMask()" : "oioca_decompress()");
    int result = 0;
    if (!tile) {
        qelIOCATrace_printf("%s(): %s", name,
                            mask ? "Tile handle passed is null." : kTileNull);
        result = -16;
    } else if (mask && !tile->maskProperties) {
        oioca_trace("decodeMaskData(): Image has no mask data.");
    } else {
        result = decode(handle, tile, mask, image);
        if (result != 0)
            qelIOCATrace_printf("decompress: %s() failed with return value (%d)",
                                mask ? "decodeMaskData" : "decodeData", result);
    }
    qelIOCATrace_unselect();
    return result;
}

int oioca_decompress(IOCAHandle* handle, IOCATile* tile, IOCADecodedImage** image)
{
    return decompress(handle, tile, image, 0);
}

int oioca_decompressMask(IOCAHandle* handle, IOCATile* tile, IOCADecodedImage** image)
{
    return decompress(handle, tile, image, 1);
}

int oioca_getRGBJpeg(IOCAHandle* handle, IOCATile* tile, int resolution, int quality,
                     unsigned char** buffer, uint32_t* length)
{
    HANDLE_CHECK(handle, "oioca_getRGBJpeg");
    qelIOCATrace_select(handle, "oioca_getRGBJpeg()");
    int result;
    if (!tile) {
        qelIOCATrace_printf("oioca_getRGBJpeg(): %s", kTileNull);
        result = -16;
    } else if (tile->bandCount != 4) {
        oioca_trace("Band Count is not equal to 4.");
        result = -19;
    } else if (!tile->bandData[0] || !tile->bandData[1] || !tile->bandData[2] ||
               !tile->bandData[3]) {
        oioca_trace("Tile image data is null");
        result = -18;
    } else if (tile->properties->compression != 131) {
        oioca_trace("IOCA Compression type is not JPEG");
        result = -20;
    } else {
        IOCABandData** b = tile->bandData;
        result = qelJpegProcess_convertToRGBJpeg(resolution, quality, buffer, length, b[0]->data,
                                                 b[0]->length, b[1]->data, b[1]->length,
                                                 b[2]->data, b[2]->length, b[3]->data,
                                                 b[3]->length);
    }
    qelIOCATrace_unselect();
    return result;
}

int oioca_finalize(IOCAHandle** handle)
{
    if (!handle || !*handle)
        return -15;
    IOCAHandle* h = *handle;
    qelIOCATrace_select(h, "oioca_finalize()");
    qelIOCATrace_unselect();
    qelIOCADataParser_freeContents(h->contents);
    qelIOCATrace_free(h->trace);
    free(h->input);
    free(h);
    *handle = NULL;
    return 0;
}

static void* swapHandler(void** slot, void* handler)
{
    void* previous = *slot;
    *slot = handler;
    return previous;
}

void* oioca_setErrorHandler(IOCAHandle* handle, void* handler)
{
    return handle ? swapHandler(&handle->errorHandler, handler) : NULL;
}

void* oioca_setWarningHandler(IOCAHandle* handle, void* handler)
{
    return handle ? swapHandler(&handle->warningHandler, handler) : NULL;
}

void* oioca_setInfoHandler(IOCAHandle* handle, void* handler)
{
    return handle ? swapHandler(&handle->infoHandler, handler) : NULL;
}

static const char* const kErrorTexts[] = {
    "",
    "Object type is not an IOCA Image.",
    "Invalid parameters passed to G31D decompression",
    "Memory allocation failure",
    "Invalid parameters passed to RL4 decompression.",
    "TIFFClient open using memory stream failed.",
    "Invalid parameters passed to IBM MMR decompression.",
    "Invalid parameters passed to G4 decompression.",
    "Reading beyond boundary from buffer",
    "Invalid/Unknown compression type",
    "Image Properties object is null",
    "Tile TOC repeating group length invalid",
    "Unknown error",
    "Tile object is null",
    "Band Image Data offset is null",
    "IOCA handle passed is null",
    "Tile handled passed is null",
    ("CMYK Band image data decompression not handled for G4/IBMMMR/NoCompression/RL4 compression "
     "types"),
    "Tile image data is null",
    "Band count is invalid",
    "IOCA compression type is not JPEG",
    "", /* -21: the plane conversion's message */
    "No tiles available",
    "", /* -23 to -25: the run decoder's message */
    "",
    "",
    "Decompression of G4 image data failed.",
    "RL4 Decompression:Reading beyond boundary from buffer",
    "Unknown error",
    "Decompression of IBM MMR image data failed.",
};

const char* oioca_getErrorMessage(int code)
{
    if (code > 0 || code < -29)
        return "Unknown error";
    if (code == -21)
        return qelJpegProcess_getErrorText();
    if (code >= -25 && code <= -23)
        return qelIBMMMRDecoder_getMessage();
    return kErrorTexts[-code];
}

const char* oioca_getCompressionName(int id)
{
    switch (id & 0xFF) {
    case 1: return "IBM Modified Modified Read";
    case 3: return "Uncompressed";
    case 6: return "RL4 (Run Length 4)";
    case 8: return "ABIC (Bilevel Q-Coder)";
    case 10: return "Concatenated ABIC";
    case 11: return "OS/2 Color compression";
    case 13: return "TIFF LZW";
    case 32: return "Solid fill rectangle";
    case 128: return "G3 Modified Huffman";
    case 129: return "G3 Modified Read";
    case 130: return "G4 Modified Modified Read";
    case 131: return "JPEG";
    default: return "Unknown";
    }
}

const char* oioca_getColorSpaceName(int id)
{
    switch (id & 0xFF) {
    case 1: return "RGB color space";
    case 2: return "YCrCb color space";
    case 4: return "CMYK color space";
    case 8: return "CIELAB color space";
    case 18: return "YCbCr color space";
    default: return "Unknown color space";
    }
}

const char* oioca_getVersion(void) { return "1.8"; }
