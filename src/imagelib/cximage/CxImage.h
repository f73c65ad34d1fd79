#ifndef CX_IMAGE_H
#define CX_IMAGE_H

#include "CxFile.h"

#include <cstdint>
#include <string>
#include <vector>

enum {
    CXIMAGE_FORMAT_UNKNOWN = 0, CXIMAGE_FORMAT_BMP = 1, CXIMAGE_FORMAT_GIF = 2, CXIMAGE_FORMAT_PNG = 4,
    CXIMAGE_FORMAT_PCX = 8, QELIMG_DIB_FORMAT = 20
};

// A colour table entry.
struct RGBQUAD
{
    uint8_t rgbBlue;
    uint8_t rgbGreen;
    uint8_t rgbRed;
    uint8_t rgbReserved;
};

// The image of our CxImage stand-in: 1, 4, 8 or 24 bits per pixel, rows
// bottom-up and padded to 4 bytes, 24-bit pixels blue, green, red; an
// optional 8-bit alpha plane in the same row order. Codecs never throw out:
// a failed call answers false and leaves its text in GetLastError.
class CxImage
{
public:
    // Largest pixel block (and alpha plane) an image holds.
    static constexpr int64_t MAX_PIXEL_BYTES = int64_t(1) << 27;
    // Escape value asking a decoder for the dimensions only.
    static constexpr int32_t ESCAPE_DIMENSIONS = -1;

    explicit CxImage(uint32_t type = CXIMAGE_FORMAT_UNKNOWN);
    // Decodes the file in the format (0: recognised from the signature).
    CxImage(CxFile* file, uint32_t format);
    ~CxImage() = default;
    CxImage(const CxImage&) = delete;
    CxImage& operator=(const CxImage&) = delete;

    bool Decode(CxFile* file, uint32_t format);
    bool Encode(CxFile* file, uint32_t format);
    // A new malloc block holding the encoded image; release it with FreeMemory.
    bool Encode(uint8_t*& buffer, int32_t& size, uint32_t format);
    static void FreeMemory(void* memory);

    // The pixel block; the colour table of 2^bpp grey-black entries for
    // depths up to 8. Null and false beyond the limits.
    void* Create(uint32_t width, uint32_t height, uint32_t bpp, uint32_t type);
    void Destroy();
    bool IsValid() const { return !m_pixels.empty(); }

    uint32_t GetWidth() const { return m_width; }
    uint32_t GetHeight() const { return m_height; }
    uint32_t GetBpp() const { return m_bpp; }
    uint32_t GetType() const { return m_type; }
    void SetType(uint32_t type) { m_type = type; }
    // Bytes of one stored row.
    uint32_t GetEffWidth() const { return m_effWidth; }
    // Row 0 is the bottom row; null beyond the height.
    uint8_t* GetBits(uint32_t row = 0);
    uint32_t GetNumColors() const { return static_cast<uint32_t>(m_palette.size()); }
    RGBQUAD* GetPalette() { return m_palette.empty() ? nullptr : m_palette.data(); }
    // At most 2^bpp entries are kept.
    void SetPalette(const RGBQUAD* entries, uint32_t count);
    void SetGrayPalette();
    // Index of the entry equal to the colour, else the nearest one.
    uint8_t GetNearestIndex(RGBQUAD colour) const;

    int32_t GetXDPI() const { return m_xdpi; }
    int32_t GetYDPI() const { return m_ydpi; }
    void SetXDPI(int32_t dpi) { m_xdpi = dpi; }
    void SetYDPI(int32_t dpi) { m_ydpi = dpi; }

    int32_t GetNumFrames() const { return m_numFrames; }
    void SetNumFrames(int32_t count) { m_numFrames = count; }
    // The frame the next Decode reads.
    int32_t GetFrame() const { return m_frame; }
    void SetFrame(int32_t frame) { m_frame = frame < 0 ? 0 : frame; }

    int32_t GetTransIndex() const { return m_transIndex; }
    void SetTransIndex(int32_t index) { m_transIndex = index; }
    bool IsTransparent() const { return m_transIndex >= 0; }
    RGBQUAD GetTransColor() const;

    bool AlphaCreate();
    void AlphaDelete() { m_alpha.clear(); }
    bool AlphaIsValid() const { return !m_alpha.empty(); }
    // Row 0 is the bottom row, one byte a pixel.
    uint8_t* AlphaGetPointer(uint32_t x = 0, uint32_t y = 0);
    // The alpha plane as a new 8-bit grey image in dest; the alpha is
    // removed from this image.
    bool AlphaSplit(CxImage* dest);

    const char* GetLastError() const { return m_lastError.c_str(); }
    // Kept to at most 255 characters.
    void SetLastError(const char* text);
    int32_t GetEscape() const { return m_escape; }
    void SetEscape(int32_t escape) { m_escape = escape; }
    // GIF: 0 LZW, 2 RLE.
    uint32_t GetCodecOption(uint32_t format = 0) const;
    void SetCodecOption(uint32_t option, uint32_t format = 0);
    static double GetVersionNumber();

    // Turns the rows upside down.
    bool Flip();

    // Interpolation methods of Resample2 and Rotate2.
    enum InterpolationMethod {
        IM_NEAREST_NEIGHBOUR = 1, IM_BILINEAR = 2, IM_BSPLINE = 3, IM_BICUBIC = 4, IM_BICUBIC2 = 5, IM_LANCZOS = 6,
        IM_BOX = 7, IM_HERMITE = 8, IM_HAMMING = 9, IM_SINC = 10, IM_BLACKMAN = 11, IM_BESSEL = 12,
        IM_GAUSSIAN = 13, IM_QUADRATIC = 14, IM_MITCHELL = 15, IM_CATROM = 16
    };
    // What lies beyond the edges: 2 the background colour, 5 the edge pixel.
    enum OverflowMethod { OM_BACKGROUND = 2, OM_REPEAT = 5 };
    // mode 1 nearest pixel (depth and table kept), 0 bilinear.
    bool Resample(int32_t newWidth, int32_t newHeight, int32_t mode = 1);
    // Separable resampling with the method's kernel, widened when shrinking
    // so that every source pixel counts; edges by overflow. Nearest keeps
    // depth and table; the others give 8-bit grey from grey images and 24
    // bits from the rest. dest null: in place.
    bool Resample2(int32_t newWidth, int32_t newHeight, int32_t method = IM_BICUBIC2,
                   int32_t overflow = OM_REPEAT, CxImage* dest = nullptr, bool disableAveraging = false);
    // Turns by angle degrees counter-clockwise (rows bottom-up) about the
    // centre; uncovered pixels get replColor, white when null. Right angles
    // are exact when optimizeRightAngles; keepOriginalSize keeps the size,
    // else the image grows to hold the turned one. dest null: in place.
    bool Rotate2(float angle, CxImage* dest = nullptr, int32_t method = IM_BILINEAR,
                 int32_t overflow = OM_BACKGROUND, const RGBQUAD* replColor = nullptr,
                 bool optimizeRightAngles = true, bool keepOriginalSize = false);
    // Exact quarter and half turns; depth and table kept.
    bool RotateLeft(CxImage* dest = nullptr);
    bool RotateRight(CxImage* dest = nullptr);
    bool Rotate180(CxImage* dest = nullptr);
    // Colour of a pixel; row 0 is the bottom row.
    RGBQUAD GetPixelColor(uint32_t x, uint32_t y) const;
    // Whether the table is all grey (and the depth at most 8).
    bool IsGrayScale() const;

    // Grey level (0..255) of a pixel; row 0 is the bottom row.
    uint8_t GetPixelGray(uint32_t x, uint32_t y) const;
    // Becomes a 1-bit black and white image: white where the grey level is
    // above level.
    bool Threshold(uint8_t level);
    // As Threshold with a level per pixel mixed from the global mean and the
    // mean of a box of boxSize pixels around it (globalLocalBalance 1 is all
    // global); bias is added to the level. method 0 is the only method;
    // contrastMask, when given, is ignored.
    bool AdaptiveThreshold(int32_t method, int32_t boxSize, CxImage* contrastMask, int32_t bias,
                           float globalLocalBalance);

private:
    // Replaces this image's pixels, table and size by those of other.
    void Take(CxImage& other);
    // RotateLeft (1), Rotate180 (2) and RotateRight (3) quarter turns.
    bool Turn(int quarterTurns, CxImage* dest);
    bool DecodeFormat(CxFile* file, uint32_t format);

    uint32_t m_width = 0;
    uint32_t m_height = 0;
    uint32_t m_bpp = 0;
    uint32_t m_effWidth = 0;
    uint32_t m_type;
    std::vector<uint8_t> m_pixels;
    std::vector<RGBQUAD> m_palette;
    std::vector<uint8_t> m_alpha;
    int32_t m_xdpi = 0;
    int32_t m_ydpi = 0;
    int32_t m_numFrames = 0;
    int32_t m_frame = 0;
    int32_t m_transIndex = -1;
    int32_t m_escape = 0;
    uint32_t m_gifOption = 0;
    std::string m_lastError;
};

#endif
