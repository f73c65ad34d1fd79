/* CCITT G3 and G4 coding of 1-bit rows through libtiff on an in-memory file. */
#include "opdfImages.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <tiffio.h>

/* The in-memory file of one call. */
typedef struct PDFMemTiffHandle {
    unsigned char inUse;
    unsigned char kind; /* 2: output */
    int64_t position;
    unsigned char* data;
    int64_t size;
    int64_t capacity;
} PDFMemTiffHandle;

static tmsize_t memRead(thandle_t h, void* buf, tmsize_t n)
{
    PDFMemTiffHandle* m = (PDFMemTiffHandle*)h;
    if (!m || !m->inUse || n < 0)
        return -1;
    int64_t left = m->position < m->size ? m->size - m->position : 0;
    int64_t k = n < left ? n : left;
    if (k > 0)
        memcpy(buf, m->data + m->position, (size_t)k);
    m->position += k;
    return (tmsize_t)k;
}

/* Writes at the position; a gap after the end is zero-filled. */
static tmsize_t memWrite(thandle_t h, void* buf, tmsize_t n)
{
    PDFMemTiffHandle* m = (PDFMemTiffHandle*)h;
    if (!m || !m->inUse || n < 0)
        return -1;
    int64_t end = m->position + n;
    if (end > OPDF_IMAGE_MAX_BYTES)
        return -1;
    if (end > m->capacity) {
        int64_t cap = m->capacity ? m->capacity : 4096;
        while (cap < end)
            cap *= 2;
        unsigned char* p = (unsigned char*)_opdf_checkAlloc(realloc(m->data, (size_t)cap));
        if (!p)
            return -1;
        m->data = p;
        m->capacity = cap;
    }
    if (m->position > m->size)
        memset(m->data + m->size, 0, (size_t)(m->position - m->size));
    if (n)
        memcpy(m->data + m->position, buf, (size_t)n);
    m->position = end;
    if (end > m->size)
        m->size = end;
    return n;
}

static toff_t memSeek(thandle_t h, toff_t offset, int origin)
{
    PDFMemTiffHandle* m = (PDFMemTiffHandle*)h;
    if (!m || !m->inUse)
        return (toff_t)-1;
    int64_t to;
    if (origin == SEEK_SET)
        to = (int64_t)offset;
    else if (origin == SEEK_CUR)
        to = m->position + (int64_t)offset;
    else
        to = m->size + (int64_t)offset;
    if (to < 0 || to > OPDF_IMAGE_MAX_BYTES)
        return (toff_t)-1;
    m->position = to;
    return (toff_t)to;
}

static int memClose(thandle_t h)
{
    (void)h; /* the caller owns the handle */
    return 0;
}

static toff_t memSize(thandle_t h)
{
    PDFMemTiffHandle* m = (PDFMemTiffHandle*)h;
    return m ? (toff_t)m->size : 0;
}

static int memMap(thandle_t h, void** base, toff_t* size)
{
    (void)h;
    (void)base;
    (void)size;
    return 0;
}

static void memUnmap(thandle_t h, void* base, toff_t size)
{
    (void)h;
    (void)base;
    (void)size;
}

void _opdf_swapTIFFHandlers(PDFDocContext* ctx, void* saved[2])
{
    saved[0] = saved[1] = NULL;
    if (ctx->tiffErrorHandler)
        saved[0] = (void*)TIFFSetErrorHandler((TIFFErrorHandler)ctx->tiffErrorHandler);
    if (ctx->tiffWarningHandler)
        saved[1] = (void*)TIFFSetWarningHandler((TIFFErrorHandler)ctx->tiffWarningHandler);
}

void _opdf_restoreTIFFHandlers(PDFDocContext* ctx, void* saved[2])
{
    if (ctx->tiffErrorHandler && saved[0])
        TIFFSetErrorHandler((TIFFErrorHandler)saved[0]);
    if (ctx->tiffWarningHandler && saved[1])
        TIFFSetWarningHandler((TIFFErrorHandler)saved[1]);
}

void opdf_setTIFFErrorHandler(PDFDocContext* ctx, PDFTiffHandler handler)
{
    if (ctx && handler)
        ctx->tiffErrorHandler = (void*)handler;
}

void opdf_setTIFFWarningHandler(PDFDocContext* ctx, PDFTiffHandler handler)
{
    if (ctx && handler)
        ctx->tiffWarningHandler = (void*)handler;
}

static int writeCCITTTiff(int width, int height, int resolution, int mode,
                          const unsigned char* data, int64_t rowBytes, unsigned char** out,
                          long* outLength)
{
    PDFMemTiffHandle m;
    memset(&m, 0, sizeof m);
    m.inUse = 1;
    m.kind = 2;
    TIFF* tif = TIFFClientOpen("(opdfMemoryOutput)", "w", (thandle_t)&m, memRead, memWrite,
                               memSeek, memClose, memSize, memMap, memUnmap);
    if (!tif) {
        free(m.data);
        return -2;
    }
    float res = (float)ceil(resolution / 39.37);
    TIFFSetField(tif, TIFFTAG_SOFTWARE, "Lorbane");
    TIFFSetField(tif, TIFFTAG_ARTIST, "Lorbane PDF writer, in-memory CCITT coder");
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, (uint32_t)width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, (uint32_t)height);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, res);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, res);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, mode == 1 ? COMPRESSION_CCITTFAX3 : COMPRESSION_CCITTFAX4);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, (uint32_t)height);
    int result = 0;
    if (TIFFWriteEncodedStrip(tif, 0, (void*)data, (tmsize_t)(rowBytes * height)) < 0) {
        result = -4;
    } else {
        /* The coded strip is in the memory file now, where its tags say. */
        uint64_t* offsets = NULL;
        uint64_t* counts = NULL;
        if (!TIFFGetField(tif, TIFFTAG_STRIPOFFSETS, &offsets) ||
            !TIFFGetField(tif, TIFFTAG_STRIPBYTECOUNTS, &counts) || !offsets || !counts ||
            offsets[0] > (uint64_t)m.size || counts[0] > (uint64_t)m.size - offsets[0]) {
            result = -4;
        } else {
            unsigned char* p = (unsigned char*)_opdf_checkAlloc(malloc(counts[0] + 1));
            if (!p) {
                result = -3;
            } else {
                memcpy(p, m.data + offsets[0], (size_t)counts[0]);
                *out = p;
                *outLength = (long)counts[0];
            }
        }
    }
    TIFFClose(tif);
    free(m.data);
    return result;
}

int opdf_encodeCCITT(PDFDocContext* ctx, int width, int height, int resolution, int mode,
                     const unsigned char* data, long length, unsigned char** out,
                     long* outLength)
{
    if (!ctx || width <= 0 || height <= 0 || !data || length <= 0 || !out || !outLength ||
        width > OPDF_IMAGE_MAX_SIDE * 8 || height > OPDF_IMAGE_MAX_SIDE * 8)
        return -1;
    const int64_t rowBytes = ((int64_t)width + 7) / 8;
    if (rowBytes * height > (int64_t)length)
        return -1;
    void* saved[2];
    _opdf_swapTIFFHandlers(ctx, saved);
    int r = writeCCITTTiff(width, height, resolution, mode, data, rowBytes, out, outLength);
    _opdf_restoreTIFFHandlers(ctx, saved);
    return r;
}
