#ifndef CX_IMAGE_BMP_H
#define CX_IMAGE_BMP_H

class CxFile;
class CxImage;

// The BMP codec of the CxImage stand-in; failures throw a text that
// CxImage turns into its last error.
class CxImageBMP
{
public:
    static void Decode(CxImage& image, CxFile* file);
    static void Encode(CxImage& image, CxFile* file);
};

#endif
