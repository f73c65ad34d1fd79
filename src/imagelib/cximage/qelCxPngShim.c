#include "qelCxPngShim.h"

#include <png.h>
#include <stdlib.h>
#include <string.h>

struct Failure
{
    char* text;
    size_t size;
};

static void fail(png_structp png, png_const_charp message)
{
    struct Failure* f = (struct Failure*)png_get_error_ptr(png);
    if (f && f->text && f->size) {
        strncpy(f->text, message ? message : "PNG error", f->size - 1);
        f->text[f->size - 1] = '\0';
    }
    png_longjmp(png, 1);
}

static void warn(png_structp png, png_const_charp message)
{
    (void)png;
    (void)message;
}

struct Source
{
    const uint8_t* data;
    size_t size;
    size_t at;
};

static void readData(png_structp png, png_bytep out, size_t count)
{
    struct Source* s = (struct Source*)png_get_io_ptr(png);
    if (s->size - s->at < count)
        png_error(png, "PNG data ends early");
    memcpy(out, s->data + s->at, count);
    s->at += count;
}

static void setError(char* error, size_t size, const char* text)
{
    if (error && size) {
        strncpy(error, text, size - 1);
        error[size - 1] = '\0';
    }
}

int qelCxPng_read(const uint8_t* data, size_t size, size_t maxBytes, struct qelCxPngRead* out, char* error,
                  size_t errorSize)
{
    struct Failure failure = {error, errorSize};
    struct Source source = {data, size, 0};
    png_structp png;
    png_infop info = NULL;
    png_bytep* volatile rows = NULL;
    memset(out, 0, sizeof *out);
    setError(error, errorSize, "PNG error");
    if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) {
        setError(error, errorSize, "Not a PNG file");
        return -1;
    }
    png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &failure, fail, warn);
    if (!png)
        return -1;
    info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, NULL, NULL);
        return -1;
    }
    if (setjmp(png_jmpbuf(png))) {
        free(rows);
        free(out->pixels);
        out->pixels = NULL;
        png_destroy_read_struct(&png, &info, NULL);
        return -1;
    }
    png_set_read_fn(png, &source, readData);
    png_set_user_limits(png, 1u << 20, 1u << 20);
    png_set_chunk_malloc_max(png, 8u << 20);
    png_read_info(png, info);
    {
        png_uint_32 width = 0, height = 0;
        int depth = 0, colorType = 0, interlace = 0;
        png_get_IHDR(png, info, &width, &height, &depth, &colorType, &interlace, NULL, NULL);
        out->width = width;
        out->height = height;
        out->colorType = colorType;
        out->bitDepth = depth > 8 ? 8 : depth;
        if (depth == 16)
            png_set_strip_16(png);
        if (depth < 8)
            png_set_packing(png);
        if (colorType == PNG_COLOR_TYPE_PALETTE) {
            png_colorp palette = NULL;
            int count = 0;
            if (png_get_PLTE(png, info, &palette, &count) && palette) {
                int i;
                if (count > 256)
                    count = 256;
                for (i = 0; i < count; ++i) {
                    out->palette[3 * i] = palette[i].red;
                    out->palette[3 * i + 1] = palette[i].green;
                    out->palette[3 * i + 2] = palette[i].blue;
                }
                out->paletteCount = count;
            }
        }
        if (png_get_valid(png, info, PNG_INFO_tRNS)) {
            png_bytep alpha = NULL;
            int count = 0;
            png_color_16p colour = NULL;
            png_get_tRNS(png, info, &alpha, &count, &colour);
            if (colorType == PNG_COLOR_TYPE_PALETTE && alpha) {
                if (count > 256)
                    count = 256;
                memcpy(out->trnsAlpha, alpha, (size_t)count);
                out->trnsCount = count;
            } else if (colorType == PNG_COLOR_TYPE_GRAY && colour) {
                out->hasTrnsGray = 1;
                out->trnsGray = colour->gray;
            }
        }
        {
            png_uint_32 x = 0, y = 0;
            int unit = 0;
            if (png_get_pHYs(png, info, &x, &y, &unit) && unit == PNG_RESOLUTION_METER) {
                out->xPpm = x;
                out->yPpm = y;
            }
        }
        if (interlace != PNG_INTERLACE_NONE)
            png_set_interlace_handling(png);
        png_read_update_info(png, info);
        out->channels = png_get_channels(png, info);
        {
            size_t rowBytes = png_get_rowbytes(png, info);
            size_t y;
            /* Deflate gives at most about 1032 bytes a byte. */
            if (height == 0 || rowBytes == 0 || rowBytes > maxBytes / height ||
                rowBytes * height / 1100 > size + 4096)
                png_error(png, "PNG image too large");
            out->pixels = (uint8_t*)malloc(rowBytes * height);
            rows = (png_bytep*)malloc(sizeof(png_bytep) * height);
            if (!out->pixels || !rows)
                png_error(png, "Can't allocate memory");
            for (y = 0; y < height; ++y)
                rows[y] = out->pixels + y * rowBytes;
            png_read_image(png, rows);
        }
    }
    free(rows);
    rows = NULL;
    png_destroy_read_struct(&png, &info, NULL);
    return 0;
}

struct Sink
{
    uint8_t* data;
    size_t size;
    size_t capacity;
};

static void writeData(png_structp png, png_bytep in, size_t count)
{
    struct Sink* s = (struct Sink*)png_get_io_ptr(png);
    if (s->capacity - s->size < count) {
        size_t capacity = s->capacity ? s->capacity : 4096;
        uint8_t* grown;
        while (capacity - s->size < count) {
            if (capacity > ((size_t)1 << 30))
                png_error(png, "PNG output too large");
            capacity *= 2;
        }
        grown = (uint8_t*)realloc(s->data, capacity);
        if (!grown)
            png_error(png, "Can't allocate memory");
        s->data = grown;
        s->capacity = capacity;
    }
    memcpy(s->data + s->size, in, count);
    s->size += count;
}

static void flushData(png_structp png)
{
    (void)png;
}

int qelCxPng_write(const struct qelCxPngWrite* in, uint8_t** out, size_t* outSize, char* error, size_t errorSize)
{
    struct Failure failure = {error, errorSize};
    struct Sink sink = {NULL, 0, 0};
    struct Sink* volatile result = &sink;
    png_structp png;
    png_infop info;
    *out = NULL;
    *outSize = 0;
    setError(error, errorSize, "PNG error");
    png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, fail, warn);
    if (!png)
        return -1;
    info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, NULL);
        return -1;
    }
    if (setjmp(png_jmpbuf(png))) {
        free(result->data);
        result->data = NULL;
        png_destroy_write_struct(&png, &info);
        return -1;
    }
    png_set_write_fn(png, &sink, writeData, flushData);
    png_set_IHDR(png, info, in->width, in->height, in->bitDepth, in->colorType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (in->colorType == PNG_COLOR_TYPE_PALETTE) {
        png_color palette[256];
        int i;
        int count = in->paletteCount > 256 ? 256 : in->paletteCount;
        for (i = 0; i < count; ++i) {
            palette[i].red = in->palette[3 * i];
            palette[i].green = in->palette[3 * i + 1];
            palette[i].blue = in->palette[3 * i + 2];
        }
        png_set_PLTE(png, info, palette, count);
        if (in->transIndex >= 0 && in->transIndex < count) {
            png_byte alpha[256];
            memset(alpha, 255, sizeof alpha);
            alpha[in->transIndex] = 0;
            png_set_tRNS(png, info, alpha, in->transIndex + 1, NULL);
        }
    }
    if (in->xPpm > 0 && in->yPpm > 0)
        png_set_pHYs(png, info, in->xPpm, in->yPpm, PNG_RESOLUTION_METER);
    png_write_info(png, info);
    {
        uint32_t y;
        for (y = 0; y < in->height; ++y)
            png_write_row(png, (png_const_bytep)(in->rows + (size_t)y * in->rowBytes));
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    *out = sink.data;
    *outSize = sink.size;
    return 0;
}
