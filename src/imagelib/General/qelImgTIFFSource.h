#ifndef QEL_IMG_TIFF_SOURCE_H
#define QEL_IMG_TIFF_SOURCE_H

#include <tiffio.h>

#include <cstddef>
#include <cstdint>

// Reads bytes of an open TIFF handle's source at a given offset through the
// handle's own client procedures, without touching its directory or flags.
class qelImgTIFFSource
{
public:
    // Bytes of the source; 0 when unknown.
    static uint64_t size(TIFF* tif);
    // Copies up to count bytes from offset; the number copied.
    static size_t read(TIFF* tif, uint64_t offset, size_t count, unsigned char* out);
};

#endif
