#ifndef QEL_CX_PNG_SHIM_H
#define QEL_CX_PNG_SHIM_H

/* PNG reading and writing with libpng; its longjmp never leaves these
   functions. Both answer 0 or -1 with the library's text in error. */

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

struct qelCxPngRead
{
    uint32_t width;
    uint32_t height;
    /* PNG colour type; samples are 8 bits (16 are cut), depths below 8 are
       one sample a byte. */
    int colorType;
    int bitDepth;
    int channels;
    int paletteCount;
    uint8_t palette[256 * 3];
    int trnsCount;
    uint8_t trnsAlpha[256];
    int hasTrnsGray;
    int trnsGray;
    uint32_t xPpm;
    uint32_t yPpm;
    /* malloc block of height rows of width * channels bytes, top row first. */
    uint8_t* pixels;
};

/* Refuses images whose rows would pass maxBytes. */
int qelCxPng_read(const uint8_t* data, size_t size, size_t maxBytes, struct qelCxPngRead* out, char* error,
                  size_t errorSize);

struct qelCxPngWrite
{
    uint32_t width;
    uint32_t height;
    int colorType;
    int bitDepth;
    const uint8_t* palette; /* red, green, blue triplets */
    int paletteCount;
    int transIndex;          /* -1 when none */
    const uint8_t* rows;     /* packed rows, top row first */
    size_t rowBytes;
    uint32_t xPpm;
    uint32_t yPpm;
};

/* out receives a malloc block. */
int qelCxPng_write(const struct qelCxPngWrite* in, uint8_t** out, size_t* outSize, char* error, size_t errorSize);

#ifdef __cplusplus
}
#endif

#endif
