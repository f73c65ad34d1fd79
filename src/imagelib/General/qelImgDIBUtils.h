#ifndef QEL_IMG_DIB_UTILS_H
#define QEL_IMG_DIB_UTILS_H

#include <cstdint>

class qelImgDIB;
struct qelImgDIBHeader;

// Making, sizing, copying and writing bitmaps, colour tables and single
// pixels. Colour tables are entries of blue, green, red, reserved; new
// tables are new[] blocks the caller frees. An RGB value as one int is
// red | green << 8 | blue << 16.
class qelImgDIBUtils
{
public:
    // 2, 16, 256 for 1, 4, 8 bits; 0 for other depths.
    static int getColorCount(int bitsPerPixel);
    // 1- and 4-bit rows end on a whole byte.
    static int getAlignedWidth(int width, int bitsPerPixel);
    static int getRowBytes(int width, int bitsPerPixel);
    // Bytes of the block; 0 for null.
    static int getDIBSize(const qelImgDIB* dib);
    static int getDIBFileSize(int bitsPerPixel, int width, int height);

    // A new header (delete it); depths are made 1, 4, 8 or 24.
    static qelImgDIBHeader* createDIBHeader(int width, int height, int bitsPerPixel, int xDpi, int yDpi);
    // Steps of every header maker. The depth a bitmap of bitsPerPixel is
    // made with: the next of 1, 4, 8, 24, 32 and 48 up to maxBits, 0 above.
    static int fitDepth(int bitsPerPixel, int maxBits);
    // Bytes of the rows, in 64 bits; negative sizes count as 0.
    static int64_t getImageBytes(int width, int height, int bitsPerPixel);
    // Dots per inch as pixels per metre, half up, within 32 bits.
    static int32_t pixelsPerMetre(int dpi);
    // Traces the asked size and depth.
    static void traceHeaderRequest(int width, int height, int bitsPerPixel, int xDpi);
    // Fills a cleared 40-byte header of a made depth and traces its sizes;
    // an image size beyond 32 bits is written as 0.
    static void fillDIBHeader(qelImgDIBHeader* header, int width, int height, int bits, int xDpi, int yDpi);
    // 1-bit pixels show entry 0 (black when blackFirst), other pixel bytes
    // are 0xFF. OIL021 when the block cannot be had.
    static qelImgDIB* createDIB(const qelImgDIBHeader* header, int colorCount, const unsigned char* colorTable,
                                int blackFirst);
    static qelImgDIB* createDIBFromData(int width, int height, int bitsPerPixel, int xDpi, int yDpi, int colorCount,
                                        const unsigned char* colorTable, int blackFirst);
    // Owns the new[] block it is given; nothing is copied.
    static qelImgDIB* attachDIB(unsigned char* block);
    static qelImgDIB* copyDIB(const qelImgDIB* dib);
    // 1, or -1 for null arguments or when the file cannot be written.
    static int writeDIB(const char* path, const qelImgDIB* dib);

    // 1, 4 and 8 bits; 0 outside the image.
    static int getPixel(const qelImgDIB* dib, int x, int y);
    // Points outside the image are ignored.
    static void setPixel(qelImgDIB* dib, int x, int y, int value);
    static int getRowPixel(const unsigned char* row, int n, int bitsPerPixel);
    static void setRowPixel(unsigned char* row, int n, int bitsPerPixel, int value);

    static void swapRGBPixels(unsigned char* data, int count);
    static void swapPaletteRB(unsigned char* table, int count);
    static bool isGrayPalette(const unsigned char* table, int count);
    // Index of the first entry equal to rgb, 0 when none; -1 for null or a
    // depth without a table.
    static int findPaletteIndex(const qelImgDIB* dib, int rgb);

    static unsigned char* createGrayPalette(int count, bool ascending);
    static unsigned char* createGrayPaletteFromPalette(int count, const unsigned char* table);
    // 16 C, M, Y, K quadruples: bits 3 to 0 of the index give C, M, Y, K.
    static unsigned char* createStandardPalette();
    static unsigned char* createCMYKPalette();
    static unsigned char* createCMYKGrayPalette();
    static void cmykToRGBPixels(const unsigned char* cmyk, unsigned char* rgb, int count);
    // Table entries of 1-, 4- or 8-bit pixels as red, green, blue bytes.
    static int expandRowToRGB(const unsigned char* row, int bitsPerPixel, int count, const unsigned char* table,
                              unsigned char* out);
};

#endif
