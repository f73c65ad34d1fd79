#ifndef QEL_IMG_TIFF_IO_STREAM_PROCESSOR_H
#define QEL_IMG_TIFF_IO_STREAM_PROCESSOR_H

#include <tiffio.h>

class qelImgIOStream;

// Context of a TIFF handle over an image library stream (C heap).
struct TIFFStreamContext
{
    unsigned char open;
    // 1 read, 2 write.
    unsigned char kind;
    qelImgIOStream* stream;
    int slot;
};

// TIFF handles over qelImgIOStream; the descriptor is the complement of the
// context slot, 256 at once.
class qelImgTIFFIOStreamProcessor
{
public:
    enum { CONTEXT_COUNT = 256 };

    static TIFFStreamContext* createContext();
    static void freeContext(TIFFStreamContext* context);
    static TIFF* openTIFFIOStreamToRead(qelImgIOStream* stream);
    static TIFF* openTIFFIOStreamToWrite(qelImgIOStream* stream);
    static void releaseContexts();
    static TIFFStreamContext* getContext(int slot);
};

#endif
