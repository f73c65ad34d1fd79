#include "qelImgUtils.h"

#include <cctype>

namespace
{
bool hasTIFFSignature(const unsigned char* d, unsigned int n)
{
    return n >= 4 && ((d[0] == 'I' && d[1] == 'I' && d[2] == 0x2A && d[3] == 0x00)
                      || (d[0] == 'M' && d[1] == 'M' && d[2] == 0x00 && d[3] == 0x2A));
}

bool hasJPEGSignature(const unsigned char* d, unsigned int n)
{
    return n >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF;
}

// Begin Segment, then Begin Image Content with an IOCA object type.
bool hasIOCASignature(const unsigned char* d, unsigned int n)
{
    if (n <= 4 || d[0] != 0x70 || d[1] > 4)
        return false;
    unsigned int at = d[1] + 2u;
    return at + 2 < n && d[at] == 0x91 && d[at + 1] == 0x01 && d[at + 2] == 0xFF;
}

// A bitmap information header without file header.
bool isDIB(const unsigned char* d, unsigned int n)
{
    return n >= 40 && d[0] == 40 && d[1] == 0 && d[2] == 0 && d[3] == 0;
}

bool isGIF(const unsigned char* d, unsigned int n)
{
    return n >= 4 && d[0] == 'G' && d[1] == 'I' && d[2] == 'F' && d[3] == '8';
}

bool isBMP(const unsigned char* d, unsigned int n)
{
    if (n <= 13)
        return false;
    return (d[0] == 'B' && d[1] == 'M') || (d[0] == 'I' && d[1] == 'C') || (d[0] == 'P' && d[1] == 'T');
}

bool isPCX(const unsigned char* d, unsigned int n)
{
    return n >= 1 && d[0] == 0x0A;
}

bool isPNG(const unsigned char* d, unsigned int n)
{
    return n >= 8 && d[0] == 0x89 && std::toupper(d[1]) == 'P' && std::toupper(d[2]) == 'N'
           && std::toupper(d[3]) == 'G' && d[4] == 0x0D && d[5] == 0x0A && d[6] == 0x1A && d[7] == 0x0A;
}
}

int qelImgUtils::getImageTypeFromBuffer(const unsigned char* data, unsigned int length)
{
    if (!data)
        return TYPE_UNKNOWN;
    if (hasTIFFSignature(data, length))
        return TYPE_TIFF;
    if (hasJPEGSignature(data, length))
        return TYPE_JPEG;
    if (hasIOCASignature(data, length))
        return TYPE_IOCA;
    if (isDIB(data, length))
        return TYPE_DIB;
    if (isGIF(data, length))
        return TYPE_GIF;
    if (isBMP(data, length))
        return TYPE_BMP;
    if (isPCX(data, length))
        return TYPE_PCX;
    if (isPNG(data, length))
        return TYPE_PNG;
    return TYPE_UNKNOWN;
}

const char* qelImgUtils::getEncodeTypeName(int type)
{
    static const char* const names[] = {
        "TIFF UNCOMPRESSED", nullptr,       "TIFF G3 1D",  "TIFF G3 2D", "TIFF G4",   "TIFF JPEG",
        "TIFF LZW",          "TIFF PACKBITS", "JPEG",      "BMP",        "DIB",       "CCITT G3",
        "CCITT G4",          "ICOA",        "IOCA IBM MMR", "IOCA UNCOMPRESSED", "ICOA RL4", nullptr,
        nullptr,             nullptr,       nullptr,       "IOCA TIFF LZW", "ICOA G3MH", "IOCA G3MR",
        "IOCA G4",           "IOCA JPEG",   "AFP OLY",     "PNG",        "GIF",       "PCX",
        "Flate",             "Unknown",
    };
    if (type < 0 || type >= static_cast<int>(sizeof names / sizeof names[0]) || !names[type])
        return "Unhandled";
    return names[type];
}
