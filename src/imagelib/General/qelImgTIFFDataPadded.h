#ifndef QEL_IMG_TIFF_DATA_PADDED_H
#define QEL_IMG_TIFF_DATA_PADDED_H

#include <tiffio.h>

#include <cstddef>

// Whether CCITT G3 data has its EOL codes ending on byte boundaries (fill
// bits before every EOL).
class qelImgTIFFDataPadded
{
public:
    // 1 when the first EOL codes of the data end on a byte boundary, 0 when
    // one does not or there is none. Fill order 2 data are read reversed.
    static int isDataPadded(const unsigned char* data, size_t length, int fillOrder);
    // For strip 0 of the current directory; -1 when it cannot be read.
    static int isDataPadded(TIFF* tif);
};

#endif
