#ifndef QEL_IMG_JPEG_STREAM_DEST_H
#define QEL_IMG_JPEG_STREAM_DEST_H

#include <cstdio>

#include <jpeglib.h>

class qelImgIOStream;

// JPEG destination that writes the compressed bytes into an image stream in
// steps of 8192 bytes. Failures go to the compressor's error exit with the
// image library's add-on codes; the encoder opens and closes the stream.
class qelImgJPEGStreamDest
{
public:
    enum { BUFFER_SIZE = 8192 };

    static void qelImg_stream_destmgr_setup(j_compress_ptr cinfo, qelImgIOStream* stream);
    static void qelImg_stream_destmgr_init_destination(j_compress_ptr cinfo);
    static boolean qelImg_stream_destmgr_empty_output_buffer(j_compress_ptr cinfo);
    static void qelImg_stream_destmgr_term_destination(j_compress_ptr cinfo);
    static void qelImg_stream_destmgr_copyData(j_compress_ptr cinfo, int n);
};

#endif
