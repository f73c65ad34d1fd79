#ifndef QEL_GD_IMPLEMENTOR_H
#define QEL_GD_IMPLEMENTOR_H

#include <cstdint>

class qelImageHandle;

// gd drawing back end of the raster output. Minimal form: only the image
// handle creation that the font glyph strips need.
class qelGDImplementor
{
public:
    // A new gd image from pel rows read from the top, each row padded to a
    // whole byte. Only 1 bit per pel is handled here: most significant bit
    // first, a set bit takes palette entry 1. The palette holds `colors`
    // blue-green-red-reserved entries. A transparent index >= 0 makes that
    // entry transparent; a negative one sets none. Null without pel data or
    // palette, or when the data is shorter than the rows. Throws the text
    // "Unable to create GD image with color table." when gd cannot make
    // the image.
    static qelImageHandle* createImageHandle(int width, int height, int bitsPerPel, int colors,
                                             const uint8_t* palette, const uint8_t* rows, long size,
                                             int transparentIndex, bool trueColor);
};

#endif
