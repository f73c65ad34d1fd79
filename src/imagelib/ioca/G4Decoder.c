/* G4 decoder: the data goes to the TIFF library as the one strip of a TIFF
   held in memory, a fixed header followed by the caller's bytes. */
#include "oiocaInternal.h"

#include <stdio.h>
#include <string.h>
#include <tiffio.h>

#define HEADER_SIZE 194

/* Little-endian header with 13 directory entries; width, height, strip
   rows and size, compression, fill order and resolutions are patched in. */
static const unsigned char kHeader[HEADER_SIZE] = {
    'I', 'I', 42, 0, 8, 0, 0, 0,
    13, 0,
    /* 255 SubfileType, SHORT, 1 */
    0xFF, 0x00, 3, 0, 1, 0, 0, 0, 1, 0, 0, 0,
    /* 256 ImageWidth, LONG */
    0x00, 0x01, 4, 0, 1, 0, 0, 0, 0xFF, 0xFF, 0, 0,
    /* 257 ImageLength, LONG */
    0x01, 0x01, 4, 0, 1, 0, 0, 0, 0xFF, 0xFF, 0, 0,
    /* 258 BitsPerSample, SHORT, 1 */
    0x02, 0x01, 3, 0, 1, 0, 0, 0, 1, 0, 0, 0,
    /* 259 Compression, SHORT */
    0x03, 0x01, 3, 0, 1, 0, 0, 0, 0, 0, 0, 0,
    /* 262 PhotometricInterpretation, SHORT, white is zero */
    0x06, 0x01, 3, 0, 1, 0, 0, 0, 0, 0, 0, 0,
    /* 266 FillOrder, SHORT */
    0x0A, 0x01, 3, 0, 1, 0, 0, 0, 1, 0, 0, 0,
    /* 273 StripOffsets, LONG, 194 */
    0x11, 0x01, 4, 0, 1, 0, 0, 0, HEADER_SIZE, 0, 0, 0,
    /* 277 SamplesPerPixel, SHORT, 1 */
    0x15, 0x01, 3, 0, 1, 0, 0, 0, 1, 0, 0, 0,
    /* 278 RowsPerStrip, LONG */
    0x16, 0x01, 4, 0, 1, 0, 0, 0, 0x72, 0x06, 0, 0,
    /* 279 StripByteCounts, LONG */
    0x17, 0x01, 4, 0, 1, 0, 0, 0, 174, 0, 0, 0,
    /* 282 XResolution, RATIONAL at 178 */
    0x1A, 0x01, 5, 0, 1, 0, 0, 0, 178, 0, 0, 0,
    /* 283 YResolution, RATIONAL at 186 */
    0x1B, 0x01, 5, 0, 1, 0, 0, 0, 186, 0, 0, 0,
    0, 0, 0, 0,
    HEADER_SIZE, 0, 0, 0,
    0, 0, 0, 0,
    0xB8, 0x0B, 0, 0, 10, 0, 0, 0,
    0xB8, 0x0B, 0, 0, 10, 0, 0, 0,
};

/* The memory TIFF: one decode at a time in the process. */
static struct {
    unsigned char header[HEADER_SIZE];
    const unsigned char* data;
    uint64_t length;
    uint64_t position;
    int open;
} g_tiff;

static void put16(unsigned char* p, uint32_t v)
{
    p[0] = (unsigned char)v;
    p[1] = (unsigned char)(v >> 8);
}

static void put32(unsigned char* p, uint32_t v)
{
    put16(p, v);
    put16(p + 2, v >> 16);
}

void qelG4Decoder_fillMemoryTIFFHeader(const unsigned char* bitmapHeader, int compression,
                                       int fillOrder, int xResolution, int yResolution,
                                       const unsigned char* data, uint32_t length)
{
    memcpy(g_tiff.header, kHeader, HEADER_SIZE);
    put32(g_tiff.header + 30, oioca_get32le(bitmapHeader + 4));
    put32(g_tiff.header + 42, oioca_get32le(bitmapHeader + 8));
    g_tiff.header[66] = (unsigned char)compression;
    g_tiff.header[90] = (unsigned char)fillOrder;
    put32(g_tiff.header + 126, oioca_get32le(bitmapHeader + 8));
    put32(g_tiff.header + 138, length);
    put16(g_tiff.header + 178, (uint32_t)xResolution);
    put16(g_tiff.header + 186, (uint32_t)yResolution);
    g_tiff.data = data;
    g_tiff.length = length;
    g_tiff.position = 0;
    g_tiff.open = 1;
}

static uint64_t totalSize(void) { return HEADER_SIZE + g_tiff.length; }

static tmsize_t memoryTIFFRead(thandle_t handle, void* buffer, tmsize_t count)
{
    (void)handle;
    if (!g_tiff.open || count <= 0)
        return 0;
    unsigned char* out = buffer;
    uint64_t done = 0, want = (uint64_t)count;
    while (done < want && g_tiff.position < totalSize()) {
        uint64_t n;
        if (g_tiff.position < HEADER_SIZE) {
            n = HEADER_SIZE - g_tiff.position;
            if (n > want - done)
                n = want - done;
            memcpy(out + done, g_tiff.header + g_tiff.position, (size_t)n);
        } else {
            n = totalSize() - g_tiff.position;
            if (n > want - done)
                n = want - done;
            memcpy(out + done, g_tiff.data + (g_tiff.position - HEADER_SIZE), (size_t)n);
        }
        done += n;
        g_tiff.position += n;
    }
    return (tmsize_t)done;
}

static tmsize_t memoryTIFFWrite(thandle_t handle, void* buffer, tmsize_t count)
{
    (void)handle;
    (void)buffer;
    return count;
}

static toff_t memoryTIFFSeek(thandle_t handle, toff_t offset, int whence)
{
    (void)handle;
    if (whence == SEEK_SET)
        g_tiff.position = offset;
    else if (whence == SEEK_CUR)
        g_tiff.position += offset;
    else if (whence == SEEK_END)
        g_tiff.position = totalSize() + offset;
    return g_tiff.position;
}

static int memoryTIFFClose(thandle_t handle)
{
    (void)handle;
    g_tiff.position = 0;
    g_tiff.open = 0;
    return 0;
}

static toff_t memoryTIFFSize(thandle_t handle)
{
    (void)handle;
    return totalSize();
}

static int memoryTIFFMap(thandle_t handle, void** base, toff_t* size)
{
    (void)handle;
    (void)base;
    (void)size;
    return 0;
}

static void memoryTIFFUnmap(thandle_t handle, void* base, toff_t size)
{
    (void)handle;
    (void)base;
    (void)size;
}

/* With tracing on, the memory TIFF as a file for inspection. */
static void writeTraceFile(void)
{
    FILE* f = fopen("ioca.tif", "wb");
    if (!f)
        return;
    fwrite(g_tiff.header, 1, HEADER_SIZE, f);
    if (g_tiff.length)
        fwrite(g_tiff.data, 1, (size_t)g_tiff.length, f);
    fclose(f);
}

int qelG4Decoder_decodeG4(const unsigned char* header, int fillOrder, int xResolution,
                          int yResolution, const unsigned char* data, uint32_t length,
                          unsigned char* bits)
{
    qelG4Decoder_fillMemoryTIFFHeader(header, COMPRESSION_CCITTFAX4, fillOrder ? 2 : 1,
                                      xResolution, yResolution, data, length);
    if (qelIOCATrace_isOn())
        writeTraceFile();
    TIFF* tif = TIFFClientOpen("(qelMemoryInput)", "r", (thandle_t)(intptr_t)-1, memoryTIFFRead,
                               memoryTIFFWrite, memoryTIFFSeek, memoryTIFFClose, memoryTIFFSize,
                               memoryTIFFMap, memoryTIFFUnmap);
    if (!tif) {
        g_tiff.open = 0;
        qelIOCATrace_printf("qelG4Decoder:decodeG4() TIFFClient open using memory stream failed.");
        return -5;
    }
    tmsize_t size = (tmsize_t)oioca_get32le(header + 20);
    if (TIFFReadEncodedStrip(tif, 0, bits, size) == -1) {
        TIFFClose(tif);
        qelIOCATrace_printf("qelG4Decoder:decodeG4() Decompression G4 image data failed.");
        return -26;
    }
    TIFFClose(tif);
    return 0;
}
