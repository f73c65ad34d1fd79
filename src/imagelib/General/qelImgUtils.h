#ifndef QEL_IMG_UTILS_H
#define QEL_IMG_UTILS_H

// Static helpers of the image library.
class qelImgUtils
{
public:
    // Input type codes answered by getImageTypeFromBuffer.
    enum {
        TYPE_JPEG = 2, TYPE_TIFF = 3, TYPE_IOCA = 4, TYPE_DIB = 5, TYPE_BMP = 6, TYPE_PNG = 10,
        TYPE_PCX = 12, TYPE_GIF = 13, TYPE_UNKNOWN = 14
    };

    // The image type from the signature of the first bytes; TYPE_UNKNOWN
    // when none matches.
    static int getImageTypeFromBuffer(const unsigned char* data, unsigned int length);
    // Printable name of an output encode type; "Unhandled" for codes
    // without one.
    static const char* getEncodeTypeName(int type);
};

#endif
