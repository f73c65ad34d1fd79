#ifndef BARCODE_TEST_BARCODE_IMAGE_H
#define BARCODE_TEST_BARCODE_IMAGE_H

#include <string>
#include <vector>

// A grey image, one byte per pixel, 0 black and 255 white.
struct GreyImage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels;
};

// Bars of a Code 39 pattern ('N'/'W', even letters bars), narrow pixels per
// narrow element, with a quiet zone of quietModules narrow elements.
GreyImage renderCode39(const std::string& pattern, int narrow, int wide, int quietModules, int height);
// Bars of a Code 128 pattern ('b'/'s' per module).
GreyImage renderCode128(const std::string& pattern, int module, int quietModules, int height);
// A one-bit bitmap (rows of width / 8 bytes, MSB leftmost, 1 dark) with a
// light border of quiet pixels.
GreyImage renderBitmap(const unsigned char* bits, int width, int height, int quiet);

// Writes the image as an 8-bit grey PNG; false on failure.
bool writePng(const GreyImage& image, const std::string& path);

// What an external decoder printed for the file (trailing line ends cut);
// empty when it found nothing.
std::string decodeLinear(const std::string& path);
std::string decodeDataMatrix(const std::string& path);

// A fresh path for a test image.
std::string tempImagePath(const std::string& name);

#endif
