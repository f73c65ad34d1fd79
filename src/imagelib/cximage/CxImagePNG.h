#ifndef CX_IMAGE_PNG_H
#define CX_IMAGE_PNG_H

class CxFile;
class CxImage;

// The PNG codec of the CxImage stand-in; failures throw a text that
// CxImage turns into its last error.
class CxImagePNG
{
public:
    static void Decode(CxImage& image, CxFile* file);
    static void Encode(CxImage& image, CxFile* file);
};

#endif
