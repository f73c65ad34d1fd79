#ifndef QEL_IMG_JPEG_BUFFER_SRC_H
#define QEL_IMG_JPEG_BUFFER_SRC_H

#include <cstdio>

#include <jpeglib.h>

// JPEG source over a memory block the caller keeps. Running out of data is
// a warning (which fails the call) followed by an inserted end marker.
class qelImgJPEGBufferSrc
{
public:
    static void qelImg_buffer_src_setup(j_decompress_ptr cinfo, const unsigned char* data, int length);
    static void qelImg_init_source(j_decompress_ptr cinfo);
    static boolean qelImg_fill_input_buffer(j_decompress_ptr cinfo);
    static void qelImg_skip_input_data(j_decompress_ptr cinfo, long n);
    static void qelImg_term_source(j_decompress_ptr cinfo);
};

#endif
