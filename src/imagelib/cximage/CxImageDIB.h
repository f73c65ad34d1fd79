#ifndef CX_IMAGE_DIB_H
#define CX_IMAGE_DIB_H

#include "qelImgDIBHeader.h"

class CxFile;
class CxImage;

// The image library's bitmap block as a CxImage format: a 40-byte header,
// the colour table and rows padded to a byte, first row first (a negative
// height: last row first); 32-bit pixels are CMYK. Failures throw a text.
class CxImageDIB
{
public:
    static void Decode(CxImage& image, CxFile* file);
    // The header, colour table and rows as the image holds them.
    static void Encode(CxImage& image, CxFile* file);
    // False when fewer than 40 bytes are there; "Not a DIB file" for a
    // header size other than 40.
    static bool ReadDIBHeader(CxFile* file, qelImgDIBHeader& header);
};

#endif
