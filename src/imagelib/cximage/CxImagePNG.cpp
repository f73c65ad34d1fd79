#include "CxImagePNG.h"

#include "CxFile.h"
#include "CxImage.h"
#include "qelCxPngShim.h"

#include <png.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace
{
constexpr int64_t kMaxInput = int64_t(1) << 30;

uint32_t depthToBpp(int depth)
{
    return depth <= 1 ? 1 : depth <= 4 ? 4 : 8;
}

int32_t dpiFromMetre(uint32_t ppm)
{
    return static_cast<int32_t>((static_cast<int64_t>(ppm) * 254 + 5000) / 10000);
}

void putIndex(uint8_t* row, uint32_t x, uint32_t bpp, uint8_t v)
{
    if (bpp == 8)
        row[x] = v;
    else if (bpp == 4)
        row[x / 2] |= static_cast<uint8_t>((x & 1) ? v & 0x0F : (v & 0x0F) << 4);
    else if (v & 1)
        row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
}

struct Pixels
{
    uint8_t* data = nullptr;
    ~Pixels() { std::free(data); }
};
}

void CxImagePNG::Decode(CxImage& image, CxFile* file)
{
    const int64_t size = file->Remaining();
    if (size <= 0 || size > kMaxInput)
        throw "PNG: invalid file size";
    std::vector<uint8_t> data(static_cast<size_t>(size));
    if (file->Read(data.data(), 1, data.size()) != data.size())
        throw "PNG: read failed";
    auto read = std::make_unique<qelCxPngRead>();
    static char error[256];
    Pixels pixels;
    if (qelCxPng_read(data.data(), data.size(), static_cast<size_t>(CxImage::MAX_PIXEL_BYTES), read.get(), error,
                      sizeof error) != 0)
        throw static_cast<const char*>(error);
    pixels.data = read->pixels;
    const qelCxPngRead& r = *read;
    const int type = r.colorType;
    const bool palette = type == PNG_COLOR_TYPE_PALETTE;
    const bool grey = type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA;
    const uint32_t bpp = palette || grey ? depthToBpp(r.bitDepth) : 24;
    if (image.GetEscape() == CxImage::ESCAPE_DIMENSIONS)
        throw "output dimensions returned";
    if (!image.Create(r.width, r.height, bpp, CXIMAGE_FORMAT_PNG))
        throw "Can't allocate memory";
    const int levels = 1 << (r.bitDepth > 8 ? 8 : r.bitDepth);
    if (palette) {
        RGBQUAD table[256];
        for (int i = 0; i < r.paletteCount; ++i)
            table[i] = RGBQUAD{r.palette[3 * i + 2], r.palette[3 * i + 1], r.palette[3 * i], 0};
        image.SetPalette(table, static_cast<uint32_t>(r.paletteCount));
    } else if (grey) {
        RGBQUAD table[256];
        for (int i = 0; i < levels; ++i) {
            const auto v = static_cast<uint8_t>(i * 255 / (levels - 1));
            table[i] = RGBQUAD{v, v, v, 0};
        }
        image.SetPalette(table, static_cast<uint32_t>(levels));
    }
    // One transparent entry is a transparent index; graded ones an alpha plane.
    bool alphaFromTable = false;
    if (palette && r.trnsCount > 0) {
        int clear = -1;
        int partial = 0;
        for (int i = 0; i < r.trnsCount; ++i) {
            if (r.trnsAlpha[i] == 0 && clear < 0)
                clear = i;
            else if (r.trnsAlpha[i] != 255)
                ++partial;
        }
        if (partial == 0 && clear >= 0)
            image.SetTransIndex(clear);
        else if (partial > 0 || clear >= 0)
            alphaFromTable = true;
    }
    if (grey && r.hasTrnsGray && r.trnsGray < levels)
        image.SetTransIndex(r.trnsGray);
    const bool alpha = alphaFromTable || type == PNG_COLOR_TYPE_RGB_ALPHA || type == PNG_COLOR_TYPE_GRAY_ALPHA;
    if (alpha)
        image.AlphaCreate();
    const size_t ch = static_cast<size_t>(r.channels);
    for (uint32_t y = 0; y < r.height; ++y) {
        const uint8_t* in = pixels.data + static_cast<size_t>(y) * r.width * ch;
        uint8_t* out = image.GetBits(r.height - 1 - y);
        uint8_t* a = alpha ? image.AlphaGetPointer(0, r.height - 1 - y) : nullptr;
        for (uint32_t x = 0; x < r.width; ++x) {
            const uint8_t* p = in + x * ch;
            if (bpp == 24) {
                out[3 * x] = p[2];
                out[3 * x + 1] = p[1];
                out[3 * x + 2] = p[0];
                if (a)
                    a[x] = ch == 4 ? p[3] : 255;
            } else {
                putIndex(out, x, bpp, p[0]);
                if (a)
                    a[x] = ch == 2 ? p[1] : (p[0] < r.trnsCount ? r.trnsAlpha[p[0]] : 255);
            }
        }
    }
    if (r.xPpm > 0 && r.yPpm > 0) {
        image.SetXDPI(dpiFromMetre(r.xPpm));
        image.SetYDPI(dpiFromMetre(r.yPpm));
    }
}

void CxImagePNG::Encode(CxImage& image, CxFile* file)
{
    const uint32_t w = image.GetWidth();
    const uint32_t h = image.GetHeight();
    const uint32_t bpp = image.GetBpp();
    const bool alpha = bpp == 24 && image.AlphaIsValid();
    qelCxPngWrite in{};
    in.width = w;
    in.height = h;
    in.transIndex = image.GetTransIndex();
    in.xPpm = static_cast<uint32_t>(static_cast<int64_t>(image.GetXDPI()) * 10000 / 254);
    in.yPpm = static_cast<uint32_t>(static_cast<int64_t>(image.GetYDPI()) * 10000 / 254);
    std::vector<uint8_t> table;
    std::vector<uint8_t> rows;
    if (bpp <= 8) {
        in.colorType = PNG_COLOR_TYPE_PALETTE;
        in.bitDepth = static_cast<int>(bpp);
        const RGBQUAD* p = image.GetPalette();
        const uint32_t count = p ? image.GetNumColors() : 0;
        table.resize(3 * static_cast<size_t>(count ? count : 1));
        for (uint32_t i = 0; i < count; ++i) {
            table[3 * i] = p[i].rgbRed;
            table[3 * i + 1] = p[i].rgbGreen;
            table[3 * i + 2] = p[i].rgbBlue;
        }
        in.palette = table.data();
        in.paletteCount = count ? static_cast<int>(count) : 1;
        in.rowBytes = (static_cast<size_t>(w) * bpp + 7) / 8;
        rows.resize(in.rowBytes * h);
        for (uint32_t y = 0; y < h; ++y)
            std::memcpy(rows.data() + y * in.rowBytes, image.GetBits(h - 1 - y), in.rowBytes);
    } else {
        in.colorType = alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
        in.bitDepth = 8;
        in.transIndex = -1;
        const size_t ch = alpha ? 4 : 3;
        in.rowBytes = w * ch;
        rows.resize(in.rowBytes * h);
        for (uint32_t y = 0; y < h; ++y) {
            const uint8_t* src = image.GetBits(h - 1 - y);
            const uint8_t* a = alpha ? image.AlphaGetPointer(0, h - 1 - y) : nullptr;
            uint8_t* dst = rows.data() + y * in.rowBytes;
            for (uint32_t x = 0; x < w; ++x) {
                dst[ch * x] = src[3 * x + 2];
                dst[ch * x + 1] = src[3 * x + 1];
                dst[ch * x + 2] = src[3 * x];
                if (a)
                    dst[ch * x + 3] = a[x];
            }
        }
    }
    in.rows = rows.data();
    uint8_t* out = nullptr;
    size_t outSize = 0;
    static char error[256];
    if (qelCxPng_write(&in, &out, &outSize, error, sizeof error) != 0)
        throw static_cast<const char*>(error);
    const size_t written = file->Write(out, 1, outSize);
    std::free(out);
    if (written != outSize)
        throw "PNG: write failed";
}
