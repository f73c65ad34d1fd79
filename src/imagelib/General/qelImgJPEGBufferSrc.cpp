#include "qelImgJPEGBufferSrc.h"

#include "qelImgLogger.h"
#include "qelImgProcessor.h"

#include <jerror.h>

namespace
{
struct Source
{
    jpeg_source_mgr pub;
    const unsigned char* data;
    int length;
};

const JOCTET kEndOfImage[] = {0xFF, JPEG_EOI};
}

void qelImgJPEGBufferSrc::qelImg_buffer_src_setup(j_decompress_ptr cinfo, const unsigned char* data, int length)
{
    if (!cinfo->src)
        cinfo->src = static_cast<jpeg_source_mgr*>(
            (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(Source)));
    auto* src = reinterpret_cast<Source*>(cinfo->src);
    src->pub.init_source = qelImg_init_source;
    src->pub.fill_input_buffer = qelImg_fill_input_buffer;
    src->pub.skip_input_data = qelImg_skip_input_data;
    src->pub.resync_to_restart = jpeg_resync_to_restart;
    src->pub.term_source = qelImg_term_source;
    src->data = data;
    src->length = length;
    src->pub.next_input_byte = nullptr;
    src->pub.bytes_in_buffer = 0;
}

void qelImgJPEGBufferSrc::qelImg_init_source(j_decompress_ptr cinfo)
{
    auto* src = reinterpret_cast<Source*>(cinfo->src);
    src->pub.next_input_byte = src->data;
    src->pub.bytes_in_buffer = src->length > 0 ? static_cast<size_t>(src->length) : 0;
}

boolean qelImgJPEGBufferSrc::qelImg_fill_input_buffer(j_decompress_ptr cinfo)
{
    // The whole block was given at the start: this is a premature end.
    cinfo->err->msg_code = JWRN_JPEG_EOF;
    (*cinfo->err->emit_message)(reinterpret_cast<j_common_ptr>(cinfo), -1);
    cinfo->src->next_input_byte = kEndOfImage;
    cinfo->src->bytes_in_buffer = sizeof kEndOfImage;
    return TRUE;
}

void qelImgJPEGBufferSrc::qelImg_skip_input_data(j_decompress_ptr cinfo, long n)
{
    if (n < 1)
        return;
    if (static_cast<unsigned long>(n) > cinfo->src->bytes_in_buffer) {
        if (qelImgLogger* logger = qelImgProcessor::getLogger())
            logger->trace("%s", "\t\tqelImgJPEGBufferSrc::qelImg_skip_input_data() Reading bytes beyond the bounds.");
        cinfo->err->msg_code = 1007;
        (*cinfo->err->error_exit)(reinterpret_cast<j_common_ptr>(cinfo));
        return;
    }
    cinfo->src->next_input_byte += n;
    cinfo->src->bytes_in_buffer -= static_cast<size_t>(n);
}

void qelImgJPEGBufferSrc::qelImg_term_source(j_decompress_ptr) {}
