/* JPEG destination that collects the compressed stream in memory. */
#include "JpegProcess.h"
#include "oiocaInternal.h"

#include <stdlib.h>
#include <string.h>

#define DEST_BUFFER 8192

typedef struct qelJpgBufferDest {
    struct jpeg_destination_mgr pub;
    unsigned char* output; /* C heap, owned until taken */
    size_t length;
    size_t capacity;
    JOCTET* buffer; /* image pool */
} qelJpgBufferDest;

static void failWith(j_compress_ptr cinfo, const char* trace, int code)
{
    oioca_trace(trace);
    qelJpegProcess_fail((j_common_ptr)cinfo, code);
}

static void qel_buff_destmgr_copyData(j_compress_ptr cinfo, size_t n)
{
    qelJpgBufferDest* dest = (qelJpgBufferDest*)cinfo->dest;
    if (!dest->buffer)
        failWith(cinfo,
                 "qelJpgBufferDest:qel_buff_destmgr_copyData() Destination manager temporary "
                 "buffer is NULL",
                 QEL_JPG_NULL_BUFFER);
    if (dest->length + n > dest->capacity) {
        size_t capacity = dest->capacity ? dest->capacity : DEST_BUFFER;
        while (capacity < dest->length + n)
            capacity *= 2;
        unsigned char* grown =
            capacity <= OIOCA_MAX_BLOCK ? realloc(dest->output, capacity) : NULL;
        if (!grown)
            failWith(cinfo,
                     dest->length == 0 ? "qelJpgBufferDest:qel_buff_destmgr_copyData() Memory "
                                         "allocation failed(1) "
                                       : "qelJpgBufferDest:qel_buff_destmgr_copyData() Memory "
                                         "allocation failed(2) ",
                     QEL_JPG_NO_MEMORY);
        dest->output = grown;
        dest->capacity = capacity;
    }
    memcpy(dest->output + dest->length, dest->buffer, n);
    dest->length += n;
}

static void initDestination(j_compress_ptr cinfo)
{
    qelJpgBufferDest* dest = (qelJpgBufferDest*)cinfo->dest;
    dest->buffer = (*cinfo->mem->alloc_small)((j_common_ptr)cinfo, JPOOL_IMAGE, DEST_BUFFER);
    if (!dest->buffer)
        failWith(cinfo,
                 "qelJpgBufferDest:qel_buff_destmgr_init_destination() Memory allocation failed.",
                 QEL_JPG_NO_MEMORY);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = DEST_BUFFER;
}

static boolean emptyOutputBuffer(j_compress_ptr cinfo)
{
    qelJpgBufferDest* dest = (qelJpgBufferDest*)cinfo->dest;
    qel_buff_destmgr_copyData(cinfo, DEST_BUFFER);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = DEST_BUFFER;
    return TRUE;
}

static void termDestination(j_compress_ptr cinfo)
{
    qelJpgBufferDest* dest = (qelJpgBufferDest*)cinfo->dest;
    if (dest->pub.free_in_buffer != DEST_BUFFER)
        qel_buff_destmgr_copyData(cinfo, DEST_BUFFER - dest->pub.free_in_buffer);
}

void qel_buff_destmgr_setup(j_compress_ptr cinfo)
{
    if (!cinfo->dest) {
        cinfo->dest = (*cinfo->mem->alloc_small)((j_common_ptr)cinfo, JPOOL_PERMANENT,
                                                 sizeof(qelJpgBufferDest));
        if (!cinfo->dest)
            failWith(cinfo, "qelJpgBufferDest:qel_buff_destmgr_setup() Memory allocation failed.",
                     QEL_JPG_NO_MEMORY);
    }
    qelJpgBufferDest* dest = (qelJpgBufferDest*)cinfo->dest;
    dest->pub.init_destination = initDestination;
    dest->pub.empty_output_buffer = emptyOutputBuffer;
    dest->pub.term_destination = termDestination;
    dest->buffer = NULL;
    dest->output = NULL;
    dest->length = 0;
    dest->capacity = 0;
}

void qel_buff_destmgr_getData(j_compress_ptr cinfo, unsigned char** block, size_t* length)
{
    qelJpgBufferDest* dest = (qelJpgBufferDest*)cinfo->dest;
    *block = dest && dest->length > 0 ? dest->output : NULL;
    *length = dest && dest->length > 0 ? dest->length : 0;
}

void qel_buff_destmgr_free(j_compress_ptr cinfo)
{
    qelJpgBufferDest* dest = (qelJpgBufferDest*)cinfo->dest;
    if (!dest)
        return;
    free(dest->output);
    dest->output = NULL;
    dest->length = dest->capacity = 0;
}
