/* Frame header scan of JPEG files and buffers: size, components and depth. */
#include "opdfImages.h"

#include <stdio.h>

#define SCAN_MODULE OPDF_MODULE " jpegsize"

/* The source of one scan. */
typedef struct JPEGSource {
    FILE* file;
    const unsigned char* bytes;
    size_t size;
    size_t position;
} JPEGSource;

/* Next byte, or -1 at the end (reported). */
static int readByte(JPEGSource* s)
{
    int c = -1;
    if (s->file) {
        c = getc(s->file);
        if (c == EOF)
            c = -1;
    } else if (s->bytes) {
        if (s->position < s->size)
            c = s->bytes[s->position++];
    } else {
        _opdf_globalError(1, SCAN_MODULE, "No JPEG file/buffer to read");
        return -1;
    }
    if (c < 0)
        _opdf_globalError(1, SCAN_MODULE, "Premature EOF in JPEG file");
    return c;
}

static int read2Bytes(JPEGSource* s)
{
    int a = readByte(s);
    if (a < 0)
        return -1;
    int b = readByte(s);
    if (b < 0)
        return -1;
    return (a << 8) | b;
}

static int skipBytes(JPEGSource* s, long n)
{
    if (s->file)
        return fseek(s->file, n, SEEK_CUR) == 0 ? 0 : -1;
    if ((size_t)n > s->size - s->position) {
        s->position = s->size;
        _opdf_globalError(1, SCAN_MODULE, "Premature EOF in JPEG file");
        return -1;
    }
    s->position += (size_t)n;
    return 0;
}

/* The marker after the next 0xFF bytes; -1 at the end. */
static int nextMarker(JPEGSource* s)
{
    long skipped = 0;
    int c = readByte(s);
    while (c >= 0 && c != 0xFF) {
        skipped++;
        c = readByte(s);
    }
    while (c == 0xFF)
        c = readByte(s);
    if (c >= 0 && skipped)
        _opdf_globalError(1, SCAN_MODULE, "Warning: garbage data found in JPEG file");
    return c;
}

static int isFrameMarker(int m)
{
    return (m >= 0xC0 && m <= 0xC3) || (m >= 0xC5 && m <= 0xC7) || (m >= 0xC9 && m <= 0xCB) ||
           (m >= 0xCD && m <= 0xCF);
}

static int readFrame(JPEGSource* s, int marker, PDFImageEntry* entry)
{
    int length = read2Bytes(s);
    int precision = length < 0 ? -1 : readByte(s);
    int height = precision < 0 ? -1 : read2Bytes(s);
    int width = height < 0 ? -1 : read2Bytes(s);
    int components = width < 0 ? -1 : readByte(s);
    if (components < 0)
        return -3;
    entry->bits = precision;
    entry->height = height;
    entry->width = width;
    entry->components = components;
    entry->compression = marker;
    if (length != 8 + 3 * components)
        _opdf_globalError(1, SCAN_MODULE, "Bogus SOF marker length");
    return skipBytes(s, 3L * components) < 0 ? -3 : 0;
}

static int scanHeaders(JPEGSource* s, PDFImageEntry* entry)
{
    int a = readByte(s);
    int b = a < 0 ? -1 : readByte(s);
    if (b < 0)
        return -3;
    if (a != 0xFF || b != 0xD8) {
        _opdf_globalError(1, SCAN_MODULE, "Not a JPEG file");
        if (b != 0xD8)
            return -2;
    }
    for (;;) {
        int m = nextMarker(s);
        if (m < 0)
            return -3;
        if (isFrameMarker(m)) {
            int r = readFrame(s, m, entry);
            if (r < 0)
                return r;
            continue;
        }
        if (m == 0xD9 || m == 0xDA)
            return m;
        int length = read2Bytes(s);
        if (length < 0)
            return -3;
        if (length < 2) {
            _opdf_globalError(1, SCAN_MODULE, "Erroneous JPEG marker length");
            return -4;
        }
        if (skipBytes(s, length - 2) < 0)
            return -3;
    }
}

int _opdf_read_JPEG_header(const char* path, PDFImageEntry* entry)
{
    FILE* f = path ? fopen(path, "rb") : NULL;
    if (!f) {
        _opdf_globalError(1, OPDF_MODULE " _opdf_read_JPEG_header", "Can't open image file: %s",
                          path ? path : "");
        return -1;
    }
    JPEGSource s = {f, NULL, 0, 0};
    int r = scanHeaders(&s, entry);
    fclose(f);
    return r;
}

int _opdf_read_buffer_JPEG_header(const unsigned char* data, long length, PDFImageEntry* entry)
{
    if (!data || length <= 0) {
        _opdf_globalError(1, OPDF_MODULE " _opdf_read_buffer_JPEG_header",
                          "Passed Jpeg buffer is null");
        return -1;
    }
    JPEGSource s = {NULL, data, (size_t)length, 0};
    return scanHeaders(&s, entry);
}
