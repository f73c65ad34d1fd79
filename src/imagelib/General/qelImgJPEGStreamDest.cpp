#include "qelImgJPEGStreamDest.h"

#include "qelImgErrorHandler.h"
#include "qelImgIOStream.h"
#include "qelImgLogger.h"
#include "qelImgProcessor.h"

namespace
{
struct Destination
{
    jpeg_destination_mgr pub;
    qelImgIOStream* stream;
    JOCTET* buffer;
};

void debug(const char* text)
{
    if (qelImgLogger* logger = qelImgProcessor::getLogger())
        logger->trace("%s", text);
}

void fail(j_compress_ptr cinfo, int code)
{
    cinfo->err->msg_code = code;
    (*cinfo->err->error_exit)(reinterpret_cast<j_common_ptr>(cinfo));
}
}

void qelImgJPEGStreamDest::qelImg_stream_destmgr_setup(j_compress_ptr cinfo, qelImgIOStream* stream)
{
    if (!stream) {
        fail(cinfo, 1008);
        return;
    }
    if (!cinfo->dest) {
        cinfo->dest = static_cast<jpeg_destination_mgr*>(
            (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(Destination)));
        if (!cinfo->dest) {
            debug("qelImgJPEGStreamDest::qelImg_stream_destmgr_setup() Memory allocation failed.");
            fail(cinfo, 1002);
            return;
        }
    }
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    dest->pub.init_destination = qelImg_stream_destmgr_init_destination;
    dest->pub.empty_output_buffer = qelImg_stream_destmgr_empty_output_buffer;
    dest->pub.term_destination = qelImg_stream_destmgr_term_destination;
    dest->stream = stream;
    dest->buffer = nullptr;
}

void qelImgJPEGStreamDest::qelImg_stream_destmgr_init_destination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    dest->buffer = static_cast<JOCTET*>(
        (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, BUFFER_SIZE));
    if (!dest->buffer) {
        debug("qelImgJPEGStreamDest::qelImg_stream_destmgr_init_destination () Memory allocation failed.");
        fail(cinfo, 1002);
        return;
    }
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = BUFFER_SIZE;
}

boolean qelImgJPEGStreamDest::qelImg_stream_destmgr_empty_output_buffer(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    qelImg_stream_destmgr_copyData(cinfo, BUFFER_SIZE);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = BUFFER_SIZE;
    return TRUE;
}

void qelImgJPEGStreamDest::qelImg_stream_destmgr_term_destination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    if (dest->pub.free_in_buffer != BUFFER_SIZE)
        qelImg_stream_destmgr_copyData(cinfo, BUFFER_SIZE - static_cast<int>(dest->pub.free_in_buffer));
}

void qelImgJPEGStreamDest::qelImg_stream_destmgr_copyData(j_compress_ptr cinfo, int n)
{
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    if (!dest->stream) {
        fail(cinfo, 1008);
        return;
    }
    if (!dest->buffer) {
        debug("\t\tqelImgJPEGStreamDest::qelImg_stream_destmgr_copyData() Destination manager temporary buffer is NULL");
        fail(cinfo, 1001);
        return;
    }
    // A lost write fails the compression.
    if (dest->stream->write(dest->buffer, static_cast<unsigned int>(n)) != n)
        fail(cinfo, 1004);
}
