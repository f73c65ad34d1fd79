/* Shared inside the IOCA decoding library. */
#ifndef OIOCA_INTERNAL_H
#define OIOCA_INTERNAL_H

#include "oioca.h"

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Largest decoded or gathered block the library allocates. */
#define OIOCA_MAX_BLOCK ((uint64_t)1 << 30)

static inline uint32_t oioca_get32le(const unsigned char* p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

/* Trace state: on-flag, current list and level are process-wide. */
void qelIOCATrace_select(IOCAHandle* handle, const char* entry);
void qelIOCATrace_unselect(void);
void qelIOCATrace_setLevel(int level);
int qelIOCATrace_isOn(void);
void qelIOCATrace_printf(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
void qelIOCATrace_free(IOCATrace* trace);

int qelIOCADataParser_readHeader(IOCAHandle* handle);
int qelIOCADataParser_getFirstTile(IOCAHandle* handle, IOCATile** tile);
int qelIOCADataParser_getNextTile(IOCAHandle* handle, IOCATile** tile);
int qelIOCADataParser_readTileImageData(IOCAHandle* handle, IOCATile* tile);
int qelIOCADataParser_readTileTMImageData(IOCAHandle* handle, IOCATile* tile);
void qelIOCADataParser_freeContents(IOCAImageContent* contents);

/* Run decoder of the fax codes; 1 on success. */
int qelIBMMMRDecoder_decompressIBMMMR(const unsigned char* data, uint32_t length, const char* name,
                                      int32_t width, int32_t height, int fillOrder,
                                      unsigned char* out, uint64_t* outBytes, int ignoreErrors,
                                      int32_t* outRows);
int qelIBMMMRDecoder_decompressG4MMR(const unsigned char* data, uint32_t length, const char* name,
                                     int32_t width, int32_t height, int fillOrder,
                                     unsigned char* out, uint64_t* outBytes);
int qelIBMMMRDecoder_decompressG31D(const unsigned char* data, uint32_t length, const char* name,
                                    int32_t width, int32_t height, int fillOrder,
                                    unsigned char* out, uint64_t* outBytes);
int qelIBMMMRDecoder_findImageWidthFromMMRData(IOCAHandle* handle, const unsigned char* data,
                                               uint32_t length, const char* name, int32_t width,
                                               int32_t height, int fillOrder);
/* The decoder's last message: the text of results -23 to -25. */
const char* qelIBMMMRDecoder_getMessage(void);

/* RL4 and G4 decoders over the 40-byte bitmap header of the result. */
int qelRL4Decoder_decodeRL4(const unsigned char* header, const unsigned char* data, int32_t length,
                            unsigned char* bits);
int qelG4Decoder_decodeG4(const unsigned char* header, int fillOrder, int xResolution,
                          int yResolution, const unsigned char* data, uint32_t length,
                          unsigned char* bits);

/* Four greyscale JPEG planes (C, M, Y, K) to one RGB JPEG; 0 or -21. */
int qelJpegProcess_convertToRGBJpeg(int dpi, int quality, unsigned char** out, uint32_t* outSize,
                                    const unsigned char* c, uint32_t cLength,
                                    const unsigned char* m, uint32_t mLength,
                                    const unsigned char* y, uint32_t yLength,
                                    const unsigned char* k, uint32_t kLength);
/* The conversion's last error text: the text of result -21. */
const char* qelJpegProcess_getErrorText(void);

#ifdef __cplusplus
}
#endif

#endif
