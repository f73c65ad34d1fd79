#ifndef QEL_IMG_STREAM_HOLDER_H
#define QEL_IMG_STREAM_HOLDER_H

class qelImgIOStream;

// Item of the image library's stream lists: a state (the page number in
// the TIFF page store) and an owned stream.
struct qelImgStreamHolder
{
    int state = 0;
    qelImgIOStream* stream = nullptr;
};

#endif
