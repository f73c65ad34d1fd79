#ifndef QEL_IMG_TIFF_PROCESSOR_H
#define QEL_IMG_TIFF_PROCESSOR_H

#include <tiffio.h>

// Context of a TIFF handle over memory (C heap).
struct TIFFMemoryContext
{
    unsigned char open;
    // 1 reading a caller's block, 2 writing into an own block.
    unsigned char kind;
    unsigned char* output;
    int outputLength;
    unsigned int position;
    unsigned char* headerCopy;
    const unsigned char* input;
    int inputLength;
    int slot;
};

// TIFF handles over memory, and the in-memory TIFF headers that put raw
// data or a CCITT strip behind a directory. A handle's descriptor is the
// complement of its context slot; 256 handles can be open at once.
class qelImgTIFFProcessor
{
public:
    enum { CONTEXT_COUNT = 256 };

    // OIL063 when all slots are taken.
    static TIFFMemoryContext* createContext();
    static void freeContext(TIFFMemoryContext* context);
    static TIFF* openTIFFMemoryToRead(const unsigned char* data, int length);
    // The strip must be read back before closing: closing frees the block.
    static TIFF* openTIFFMemoryToWrite();
    // Header block (new[]) for raw data; the colour table (4-byte entries,
    // blue green red) adds a ColorMap for 2 to 8 bits per sample.
    static int createTIFFHeader(int width, int height, int bitsPerSample, int compression, int photometric,
                                int fillOrder, int samplesPerPixel, int xdpi, int ydpi, int dataLength,
                                unsigned char** header, int* length, const unsigned char* colorTable);
    static int createG3TIFFHeader(int width, int height, int bitsPerSample, unsigned char twoDimensional,
                                  unsigned char fillBits, int photometric, int fillOrder, int samplesPerPixel,
                                  int xdpi, int ydpi, int dataLength, unsigned char** header, int* length);
    // Reports, frees and empties every slot still in use.
    static void releaseContexts();
    static TIFFMemoryContext* getContext(int slot);
};

#endif
