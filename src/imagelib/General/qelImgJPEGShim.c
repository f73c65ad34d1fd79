#include "qelImgJPEGShim.h"

int qelImgJPEGShim_run(struct qelImgJPEGError* err, void (*call)(void* context), void* context)
{
    int rc = 0;
    err->armed = 1;
    if (setjmp(err->jump) == 0)
        call(context);
    else
        rc = -1;
    err->armed = 0;
    return rc;
}
