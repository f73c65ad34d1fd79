#ifndef CX_IMAGE_PCX_H
#define CX_IMAGE_PCX_H

class CxFile;
class CxImage;

// The PCX codec of the CxImage stand-in; failures throw a text that
// CxImage turns into its last error.
class CxImagePCX
{
public:
    static void Decode(CxImage& image, CxFile* file);
    static void Encode(CxImage& image, CxFile* file);
};

#endif
