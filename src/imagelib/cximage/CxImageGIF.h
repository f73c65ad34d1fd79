#ifndef CX_IMAGE_GIF_H
#define CX_IMAGE_GIF_H

class CxFile;
class CxImage;

// The GIF codec of the CxImage stand-in; failures throw a text that
// CxImage turns into its last error.
class CxImageGIF
{
public:
    static void Decode(CxImage& image, CxFile* file);
    static void Encode(CxImage& image, CxFile* file);
};

#endif
