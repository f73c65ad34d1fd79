/* Public interface of the IOCA decoding library. */
#ifndef OIOCA_H
#define OIOCA_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct IOCAImageProperties {
    uint8_t unitBase; /* 0 ten inches, 1 ten centimetres, other logical */
    uint16_t xResolution;
    uint16_t yResolution;
    int32_t width;
    int32_t height;
    uint8_t compression;
    uint8_t bitOrder; /* 1 right to left */
    uint8_t ideSize;
    uint8_t bandCount;
    uint8_t reserved;
    uint8_t ideFlags;
    uint8_t colorSpace;
    uint8_t bitsPerComponent[4];
    int32_t horizontalOffset;
    int32_t verticalOffset;
    uint8_t relativeResolution;
    int32_t imageColor;
    uint8_t recordingAlgorithm;
    int32_t widthFromData;
} IOCAImageProperties;

typedef struct IOCABandData {
    uint32_t length;
    unsigned char* data;
} IOCABandData;

/* Places of one band's data segments in the input buffer. */
typedef struct IOCABandSegments {
    int32_t bandIndex;
    uint32_t totalLength;
    uint32_t count;
    uint32_t capacity;
    uint32_t* offsets;
    uint32_t* lengths;
} IOCABandSegments;

#define OIOCA_BANDS 4

typedef struct IOCATile {
    IOCAImageProperties* properties;
    IOCABandData* bandData[OIOCA_BANDS];
    IOCABandSegments* bandSegments[OIOCA_BANDS];
    uint32_t bandCount;
    uint8_t gathered;
    IOCAImageProperties* maskProperties;
    IOCABandData* maskBandData[OIOCA_BANDS];
    IOCABandSegments* maskBandSegments[OIOCA_BANDS];
    uint32_t maskBandCount;
    uint8_t maskGathered;
    struct IOCATile* next;
} IOCATile;

typedef struct IOCAImageContent {
    IOCAImageProperties* properties; /* the first tile's, not owned */
    IOCATile* firstTile;
    int32_t tileCount;
    uint8_t tileTOC;
    struct IOCAImageContent* next;
} IOCAImageContent;

typedef struct IOCATraceLine {
    char* text;
    struct IOCATraceLine* next;
} IOCATraceLine;

typedef struct IOCATrace {
    IOCATraceLine* head;
    IOCATraceLine* tail;
} IOCATrace;

typedef struct IOCAInput {
    uint32_t length;
    const unsigned char* data; /* the caller's */
} IOCAInput;

typedef struct IOCAHandle {
    IOCAInput* input;
    IOCAImageContent* contents;
    IOCAImageContent* currentContent;
    IOCATile* currentTile;
    uint8_t ignoreDecompError;
    IOCATrace* trace;
    void* errorHandler;
    void* warningHandler;
    void* infoHandler;
    int32_t mode; /* 20, or 19 during width detection */
} IOCAHandle;

/* Header and block both point to the start of one C heap block: bitmap
   header, two-entry colour table, 1-bit rows. */
typedef struct IOCADecodedImage {
    unsigned char* header;
    unsigned char* block;
} IOCADecodedImage;

int oioca_initialize(const unsigned char* data, uint32_t length, int trace, IOCAHandle** handle);
void oioca_setIgnoreDecompError(IOCAHandle* handle, int flag);
int oioca_readHeader(IOCAHandle* handle);
int oioca_getImageContentCount(IOCAHandle* handle, int* count);
int oioca_getFirstImageContent(IOCAHandle* handle, IOCAImageContent** content);
int oioca_getNextImageContent(IOCAHandle* handle, IOCAImageContent** content);
int oioca_getFirstTile(IOCAHandle* handle, IOCATile** tile);
int oioca_getNextTile(IOCAHandle* handle, IOCATile** tile);
int oioca_getTileProperties(IOCAHandle* handle, IOCATile* tile, IOCAImageProperties** properties);
int oioca_getTileTMImageProperties(IOCAHandle* handle, IOCATile* tile,
                                   IOCAImageProperties** properties);
int oioca_readTileImageData(IOCAHandle* handle, IOCATile* tile);
int oioca_readTileTMImageData(IOCAHandle* handle, IOCATile* tile);
int oioca_getWidthFromData(IOCAHandle* handle);
int oioca_decompress(IOCAHandle* handle, IOCATile* tile, IOCADecodedImage** image);
int oioca_decompressMask(IOCAHandle* handle, IOCATile* tile, IOCADecodedImage** image);
int oioca_getRGBJpeg(IOCAHandle* handle, IOCATile* tile, int resolution, int quality,
                     unsigned char** buffer, uint32_t* length);
int oioca_finalize(IOCAHandle** handle);
void* oioca_setErrorHandler(IOCAHandle* handle, void* handler);
void* oioca_setWarningHandler(IOCAHandle* handle, void* handler);
void* oioca_setInfoHandler(IOCAHandle* handle, void* handler);
const char* oioca_getErrorMessage(int code);
const char* oioca_getCompressionName(int id);
const char* oioca_getColorSpaceName(int id);
const char* oioca_getVersion(void);
void oioca_trace(const char* text);

#ifdef __cplusplus
}
#endif

#endif
