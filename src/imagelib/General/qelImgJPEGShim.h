#ifndef QEL_IMG_JPEG_SHIM_H
#define QEL_IMG_JPEG_SHIM_H

/* Runs JPEG library calls under a jump target, so that the image library's
   error exit leaves the library without returning into it. */

#include <setjmp.h>
#include <stdio.h>

#include <jpeglib.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The image library's JPEG error manager and the jump target of the call
   in progress (armed only while qelImgJPEGShim_run runs it). */
struct qelImgJPEGError
{
    struct jpeg_error_mgr pub;
    jmp_buf jump;
    int armed;
    /* Code of the message this manager made the pending error; 0 when none. */
    int pendingCode;
};

/* Runs call(context) with the jump armed: 0, or -1 when the error exit left
   the call. Nothing with a destructor may live in the frames of call. */
int qelImgJPEGShim_run(struct qelImgJPEGError* err, void (*call)(void* context), void* context);

#ifdef __cplusplus
}
#endif

#endif
