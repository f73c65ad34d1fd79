/* JPEG source over bytes in memory. */
#include "JpegProcess.h"
#include "oiocaInternal.h"

#include <jerror.h>

typedef struct qelJpgBufferSrc {
    struct jpeg_source_mgr pub;
    const unsigned char* data; /* borrowed */
    size_t length;
} qelJpgBufferSrc;

static void initSource(j_decompress_ptr cinfo)
{
    qelJpgBufferSrc* src = (qelJpgBufferSrc*)cinfo->src;
    src->pub.next_input_byte = src->data;
    src->pub.bytes_in_buffer = src->length;
}

/* The data is all there: asking for more is a premature end, which fails
   the conversion; an end marker is supplied should it ever return. */
static boolean fillInputBuffer(j_decompress_ptr cinfo)
{
    static const JOCTET kEnd[2] = {0xFF, JPEG_EOI};
    WARNMS(cinfo, JWRN_JPEG_EOF);
    cinfo->src->next_input_byte = kEnd;
    cinfo->src->bytes_in_buffer = 2;
    return TRUE;
}

static void qel_skip_input_data(j_decompress_ptr cinfo, long n)
{
    if (n <= 0)
        return;
    if ((unsigned long)n > cinfo->src->bytes_in_buffer) {
        oioca_trace("qelJpgBufferSrc:qel_skip_input_data() Reading bytes beyond the bounds.");
        qelJpegProcess_fail((j_common_ptr)cinfo, QEL_JPG_BEYOND_BOUNDS);
    }
    cinfo->src->next_input_byte += n;
    cinfo->src->bytes_in_buffer -= (size_t)n;
}

static void termSource(j_decompress_ptr cinfo) { (void)cinfo; }

void qel_buff_srcmgr_setup(j_decompress_ptr cinfo, const unsigned char* data, size_t length)
{
    if (!cinfo->src)
        cinfo->src = (*cinfo->mem->alloc_small)((j_common_ptr)cinfo, JPOOL_PERMANENT,
                                                sizeof(qelJpgBufferSrc));
    qelJpgBufferSrc* src = (qelJpgBufferSrc*)cinfo->src;
    src->pub.init_source = initSource;
    src->pub.fill_input_buffer = fillInputBuffer;
    src->pub.skip_input_data = qel_skip_input_data;
    src->pub.resync_to_restart = jpeg_resync_to_restart;
    src->pub.term_source = termSource;
    src->pub.next_input_byte = NULL;
    src->pub.bytes_in_buffer = 0;
    src->data = data;
    src->length = length;
}
