/* JPEG compression of grey or RGB rows into memory through libjpeg. libjpeg's
   error exit jumps back into opdf_compressJPEG, which then reports failure. */
#include "opdfImages.h"

#include <setjmp.h>
#include <stdlib.h>
#include <string.h>

#include <jpeglib.h>

#define CACHE_SIZE 8192

enum {
    MSG_NULL_CACHE = 1001,
    MSG_NO_MEMORY = 1002,
    MSG_OPEN_FAILED = 1003,
    MSG_WRITE_ERROR = 1004,
    MSG_RESOLUTION_UNIT = 1005,
    MSG_READ_ERROR = 1006,
    MSG_BOUNDS = 1007
};

static const char* const kAddOnMessages[] = {
    "NULL Cache in %s destination manager",
    "Unable to allocate memory for %s",
    "Input Jpeg file open failed",
    "JPEG write error: %s",
    "Unknown resolution unit specfied in Jpeg",
    "Error occured while reading jpeg input buffer",
    "Reading bytes beyond the bounds",
    NULL};

typedef struct JPEGErrorManager {
    struct jpeg_error_mgr pub;
    jmp_buf jump;
    PDFDocContext* ctx;
} JPEGErrorManager;

typedef struct JPEGBufferDest {
    struct jpeg_destination_mgr pub;
    JOCTET* cache;
    unsigned char* buffer;
    size_t length;
    size_t capacity;
} JPEGBufferDest;

static void errorExit(j_common_ptr cinfo)
{
    JPEGErrorManager* err = (JPEGErrorManager*)cinfo->err;
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    _opdf_globalError(-1, OPDF_MODULE, "LibJPEG Error: %s", text);
    longjmp(err->jump, 1);
}

static void emitMessage(j_common_ptr cinfo, int level)
{
    JPEGErrorManager* err = (JPEGErrorManager*)cinfo->err;
    char text[JMSG_LENGTH_MAX];
    if (level < 0) {
        (*cinfo->err->format_message)(cinfo, text);
        _opdf_globalError(-1, OPDF_MODULE, "LibJPEG Error: %s", text);
    } else if (level <= cinfo->err->trace_level) {
        (*cinfo->err->format_message)(cinfo, text);
        _opdf_error(err->ctx, -1, OPDF_MODULE, "LibJPEG Message: %s", text);
    }
}

/* Raises one of the add-on messages through the error exit. */
static void raiseMessage(j_common_ptr cinfo, int code, const char* text)
{
    cinfo->err->msg_code = code;
    size_t n = text ? strlen(text) : 0;
    if (n >= JMSG_STR_PARM_MAX)
        n = JMSG_STR_PARM_MAX - 1;
    memcpy(cinfo->err->msg_parm.s, text ? text : "", n);
    cinfo->err->msg_parm.s[n] = 0;
    (*cinfo->err->error_exit)(cinfo);
}

static void appendToBuffer(j_compress_ptr cinfo, const JOCTET* bytes, size_t n)
{
    JPEGBufferDest* d = (JPEGBufferDest*)cinfo->dest;
    if (!d->cache)
        raiseMessage((j_common_ptr)cinfo, MSG_NULL_CACHE, "Buffer");
    if (d->length + n > d->capacity) {
        size_t cap = d->capacity ? d->capacity : 4 * CACHE_SIZE;
        while (cap < d->length + n)
            cap *= 2;
        if (cap > (size_t)OPDF_IMAGE_MAX_BYTES)
            raiseMessage((j_common_ptr)cinfo, MSG_NO_MEMORY,
                  "JPEG buffer(2) while appending data in buffer destination manager");
        unsigned char* p = (unsigned char*)realloc(d->buffer, cap);
        if (!p)
            raiseMessage((j_common_ptr)cinfo, MSG_NO_MEMORY,
                  d->buffer ? "JPEG buffer(2) while appending data in buffer destination manager"
                            : "JPEG buffer(1) while appending data in buffer destination manager");
        d->buffer = p;
        d->capacity = cap;
    }
    memcpy(d->buffer + d->length, bytes, n);
    d->length += n;
}

static void initDestination(j_compress_ptr cinfo)
{
    JPEGBufferDest* d = (JPEGBufferDest*)cinfo->dest;
    d->cache = (JOCTET*)(*cinfo->mem->alloc_small)((j_common_ptr)cinfo, JPOOL_IMAGE,
                                                   CACHE_SIZE * sizeof(JOCTET));
    if (!d->cache)
        raiseMessage((j_common_ptr)cinfo, MSG_NO_MEMORY, "Cache");
    d->pub.next_output_byte = d->cache;
    d->pub.free_in_buffer = CACHE_SIZE;
}

static boolean emptyOutputBuffer(j_compress_ptr cinfo)
{
    JPEGBufferDest* d = (JPEGBufferDest*)cinfo->dest;
    appendToBuffer(cinfo, d->cache, CACHE_SIZE);
    d->pub.next_output_byte = d->cache;
    d->pub.free_in_buffer = CACHE_SIZE;
    return TRUE;
}

static void termDestination(j_compress_ptr cinfo)
{
    JPEGBufferDest* d = (JPEGBufferDest*)cinfo->dest;
    size_t used = CACHE_SIZE - d->pub.free_in_buffer;
    if (used)
        appendToBuffer(cinfo, d->cache, used);
}

static void bufferDest(j_compress_ptr cinfo)
{
    JPEGBufferDest* d = (JPEGBufferDest*)(*cinfo->mem->alloc_small)(
        (j_common_ptr)cinfo, JPOOL_PERMANENT, sizeof(JPEGBufferDest));
    if (!d)
        raiseMessage((j_common_ptr)cinfo, MSG_NO_MEMORY, "Buffer destination manager");
    memset(d, 0, sizeof *d);
    d->pub.init_destination = initDestination;
    d->pub.empty_output_buffer = emptyOutputBuffer;
    d->pub.term_destination = termDestination;
    cinfo->dest = &d->pub;
}

/* Everything that lives across the jump. */
typedef struct CompressJob {
    struct jpeg_compress_struct cinfo;
    JPEGErrorManager err;
} CompressJob;

static int compressRows(CompressJob* job, int width, int height, int density, int inComponents,
                        int quality, const unsigned char* data)
{
    struct jpeg_compress_struct* c = &job->cinfo;
    if (setjmp(job->err.jump))
        return -1;
    jpeg_create_compress(c);
    bufferDest(c);
    c->client_data = job->err.ctx;
    c->image_width = (JDIMENSION)width;
    c->image_height = (JDIMENSION)height;
    c->input_components = inComponents;
    c->in_color_space = inComponents == 3 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(c);
    jpeg_set_quality(c, quality, TRUE);
    c->density_unit = 1;
    c->X_density = (UINT16)density;
    c->Y_density = (UINT16)density;
    jpeg_start_compress(c, TRUE);
    const size_t stride = (size_t)inComponents * (size_t)width;
    for (int r = 0; r < height; r++) {
        JSAMPROW row = (JSAMPROW)(data + (size_t)r * stride);
        if (jpeg_write_scanlines(c, &row, 1) != 1) {
            char text[40];
            _opdf_format(text, sizeof text, "Unable to compress scanline (%d) data", r);
            raiseMessage((j_common_ptr)c, MSG_WRITE_ERROR, text);
        }
    }
    jpeg_finish_compress(c);
    return 0;
}

int opdf_compressJPEG(PDFDocContext* ctx, int width, int height, int density, int components,
                      int quality, const unsigned char* data, long length, unsigned char** out,
                      long* outLength)
{
    const int inComponents = components == 3 ? 3 : 1;
    if (!data || !out || !outLength || width <= 0 || height <= 0 ||
        width > OPDF_IMAGE_MAX_SIDE || height > OPDF_IMAGE_MAX_SIDE ||
        (int64_t)width * height * inComponents > (int64_t)length)
        return -1;
    if (density < 0 || density > 65535)
        density = 0;
    if (quality < 0 || quality > 100)
        quality = 50;
    CompressJob* job = (CompressJob*)_opdf_checkAlloc(calloc(1, sizeof *job));
    if (!job)
        return -1;
    job->cinfo.err = jpeg_std_error(&job->err.pub);
    job->err.pub.error_exit = errorExit;
    job->err.pub.emit_message = emitMessage;
    job->err.pub.addon_message_table = kAddOnMessages;
    job->err.pub.first_addon_message = MSG_NULL_CACHE;
    job->err.pub.last_addon_message = MSG_BOUNDS;
    job->err.pub.trace_level = 0;
    job->err.ctx = ctx;
    int r = compressRows(job, width, height, density, inComponents, quality, data);
    JPEGBufferDest* d = (JPEGBufferDest*)job->cinfo.dest;
    unsigned char* bytes = d ? d->buffer : NULL;
    size_t n = d ? d->length : 0;
    jpeg_destroy_compress(&job->cinfo);
    free(job);
    if (r < 0 || !n) {
        free(bytes);
        return -1;
    }
    *out = bytes;
    *outLength = (long)n;
    return 0;
}
