#include "CxImageBMP.h"

#include "CxFile.h"
#include "CxImage.h"

#include <cstring>
#include <vector>

namespace
{
uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}
void put16(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void put32(uint8_t* p, uint32_t v)
{
    put16(p, v);
    put16(p + 2, v >> 16);
}

void readAll(CxFile* file, void* buffer, size_t size, const char* error)
{
    if (size && file->Read(buffer, 1, size) != size)
        throw error;
}

int32_t dpiFromMetre(int32_t ppm)
{
    if (ppm <= 0)
        return 0;
    return static_cast<int32_t>((static_cast<int64_t>(ppm) * 254 + 5000) / 10000);
}

void setPixel(CxImage& image, uint32_t x, uint32_t y, uint8_t value)
{
    uint8_t* row = image.GetBits(y);
    if (!row || x >= image.GetWidth())
        return;
    if (image.GetBpp() == 8) {
        row[x] = value;
    } else {
        uint8_t& b = row[x / 2];
        b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | (value & 0x0F))
                    : static_cast<uint8_t>((b & 0x0F) | (value & 0x0F) << 4);
    }
}

// Run-length coded rows (8 or 4 bits), bottom row first.
void decodeRLE(CxImage& image, CxFile* file, bool four)
{
    const uint32_t width = image.GetWidth();
    const uint32_t height = image.GetHeight();
    uint32_t x = 0;
    uint32_t y = 0;
    uint8_t pair[2];
    std::vector<uint8_t> run;
    while (y < height) {
        if (file->Read(pair, 1, 2) != 2)
            throw "BMP: run-length data ends early";
        if (pair[0] > 0) {
            for (uint32_t i = 0; i < pair[0]; ++i, ++x) {
                if (x >= width)
                    break;
                const uint8_t v = four ? static_cast<uint8_t>((i & 1) ? pair[1] & 0x0F : pair[1] >> 4) : pair[1];
                setPixel(image, x, y, v);
            }
            continue;
        }
        switch (pair[1]) {
        case 0: x = 0; ++y; break;
        case 1: return;
        case 2: {
            uint8_t delta[2];
            if (file->Read(delta, 1, 2) != 2)
                throw "BMP: run-length data ends early";
            x += delta[0];
            y += delta[1];
            break;
        }
        default: {
            const uint32_t count = pair[1];
            uint32_t bytes = four ? (count + 1) / 2 : count;
            bytes += bytes & 1;
            run.resize(bytes);
            readAll(file, run.data(), bytes, "BMP: run-length data ends early");
            for (uint32_t i = 0; i < count; ++i, ++x) {
                if (x >= width)
                    break;
                const uint8_t v = four ? static_cast<uint8_t>((i & 1) ? run[i / 2] & 0x0F : run[i / 2] >> 4) : run[i];
                setPixel(image, x, y, v);
            }
        }
        }
    }
}
}

void CxImageBMP::Decode(CxImage& image, CxFile* file)
{
    const int64_t start = file->Tell();
    const int64_t size = file->Size();
    uint8_t fh[14];
    readAll(file, fh, sizeof fh, "BMP: file header too short");
    if (fh[0] != 'B' || fh[1] != 'M')
        throw "BMP: not a bitmap file";
    const uint32_t offBits = le32(fh + 10);
    uint8_t ih[40] = {};
    readAll(file, ih, 4, "BMP: info header too short");
    const uint32_t headerSize = le32(ih);
    int64_t width, height;
    uint32_t bits, compression = 0, clrUsed = 0;
    int32_t xppm = 0, yppm = 0;
    bool core = false;
    if (headerSize == 12) {
        core = true;
        readAll(file, ih + 4, 8, "BMP: info header too short");
        width = le16(ih + 4);
        height = le16(ih + 6);
        bits = le16(ih + 10);
    } else if (headerSize >= 40 && headerSize <= 124) {
        readAll(file, ih + 4, 36, "BMP: info header too short");
        width = static_cast<int32_t>(le32(ih + 4));
        height = static_cast<int32_t>(le32(ih + 8));
        bits = le16(ih + 14);
        compression = le32(ih + 16);
        xppm = static_cast<int32_t>(le32(ih + 24));
        yppm = static_cast<int32_t>(le32(ih + 28));
        clrUsed = le32(ih + 32);
        uint8_t masks[12] = {};
        if (headerSize > 40) {
            const uint32_t extra = headerSize - 40;
            std::vector<uint8_t> rest(extra);
            readAll(file, rest.data(), extra, "BMP: info header too short");
            std::memcpy(masks, rest.data(), extra < 12 ? extra : 12);
        } else if (compression == 3) {
            readAll(file, masks, 12, "BMP: bit field masks missing");
        }
        if (compression == 3) {
            // Only the plain blue, green, red order of 32-bit pixels.
            if (bits != 32 || le32(masks) != 0x00FF0000 || le32(masks + 4) != 0x0000FF00 ||
                le32(masks + 8) != 0x000000FF)
                throw "BMP: unsupported bit fields";
            compression = 0;
        }
    } else {
        throw "BMP: invalid info header size";
    }
    const bool topDown = height < 0;
    if (topDown)
        height = -height;
    if (width <= 0 || height <= 0)
        throw "BMP: invalid image size";
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
        throw "BMP: unsupported bits per pixel";
    const bool rle8 = compression == 1, rle4 = compression == 2;
    if (compression > 2 || (rle8 && bits != 8) || (rle4 && bits != 4) || ((rle8 || rle4) && topDown))
        throw "BMP: unsupported compression";

    // Colour table: never more entries than the depth has, nor past the data.
    std::vector<RGBQUAD> palette;
    if (bits <= 8) {
        const uint32_t most = 1u << bits;
        uint32_t count = clrUsed == 0 || clrUsed > most ? most : clrUsed;
        const int entry = core ? 3 : 4;
        const int64_t tableEnd = offBits >= file->Tell() - start ? static_cast<int64_t>(offBits) : 0;
        if (tableEnd > 0) {
            const int64_t room = (tableEnd - (file->Tell() - start)) / entry;
            if (room < count)
                count = static_cast<uint32_t>(room < 0 ? 0 : room);
        }
        std::vector<uint8_t> raw(static_cast<size_t>(count) * entry);
        readAll(file, raw.data(), raw.size(), "BMP: colour table too short");
        palette.resize(count);
        for (uint32_t i = 0; i < count; ++i)
            palette[i] = RGBQUAD{raw[i * entry], raw[i * entry + 1], raw[i * entry + 2], 0};
    }
    if (offBits > 0) {
        if (static_cast<int64_t>(offBits) > size - start || !file->Seek(start + offBits, SEEK_SET))
            throw "BMP: data offset beyond the file";
    }
    const int64_t remaining = file->Remaining();
    const int64_t stride = ((width * bits + 31) / 32) * 4;
    if (rle8 || rle4) {
        if (width * height > (remaining + 2) * 1024)
            throw "BMP: image larger than its data";
    } else if (stride * (height - 1) + (width * bits + 7) / 8 > remaining) {
        throw "BMP: image larger than its data";
    }
    if (width > UINT32_MAX || height > UINT32_MAX)
        throw "BMP: invalid image size";
    if (image.GetEscape() == CxImage::ESCAPE_DIMENSIONS)
        throw "output dimensions returned";
    if (!image.Create(static_cast<uint32_t>(width), static_cast<uint32_t>(height), bits == 32 ? 24 : bits,
                      CXIMAGE_FORMAT_BMP))
        throw "Can't allocate memory";
    if (!palette.empty())
        image.SetPalette(palette.data(), static_cast<uint32_t>(palette.size()));
    image.SetXDPI(dpiFromMetre(xppm));
    image.SetYDPI(dpiFromMetre(yppm));
    if (rle8 || rle4) {
        decodeRLE(image, file, rle4);
        return;
    }
    std::vector<uint8_t> row(static_cast<size_t>(stride));
    const auto h = static_cast<uint32_t>(height);
    const auto w = static_cast<uint32_t>(width);
    for (uint32_t i = 0; i < h; ++i) {
        const size_t got = file->Read(row.data(), 1, row.size());
        if (got < static_cast<size_t>((width * bits + 7) / 8))
            throw "BMP: pixel data too short";
        uint8_t* out = image.GetBits(topDown ? h - 1 - i : i);
        if (bits == 32) {
            for (uint32_t x = 0; x < w; ++x)
                std::memcpy(out + 3 * x, row.data() + 4 * x, 3);
        } else {
            std::memcpy(out, row.data(), static_cast<size_t>((width * bits + 7) / 8));
        }
    }
}

void CxImageBMP::Encode(CxImage& image, CxFile* file)
{
    const uint32_t bpp = image.GetBpp();
    const uint32_t colours = bpp <= 8 ? 1u << bpp : 0;
    const uint64_t imageSize = static_cast<uint64_t>(image.GetEffWidth()) * image.GetHeight();
    const uint64_t offBits = 14 + 40 + 4ull * colours;
    if (offBits + imageSize > UINT32_MAX)
        throw "BMP: image too large";
    uint8_t h[54] = {};
    h[0] = 'B';
    h[1] = 'M';
    put32(h + 2, static_cast<uint32_t>(offBits + imageSize));
    put32(h + 10, static_cast<uint32_t>(offBits));
    put32(h + 14, 40);
    put32(h + 18, image.GetWidth());
    put32(h + 22, image.GetHeight());
    put16(h + 26, 1);
    put16(h + 28, bpp);
    put32(h + 34, static_cast<uint32_t>(imageSize));
    put32(h + 38, static_cast<uint32_t>(static_cast<int64_t>(image.GetXDPI()) * 10000 / 254));
    put32(h + 42, static_cast<uint32_t>(static_cast<int64_t>(image.GetYDPI()) * 10000 / 254));
    put32(h + 46, colours);
    if (file->Write(h, 1, sizeof h) != sizeof h)
        throw "BMP: write failed";
    if (colours) {
        std::vector<RGBQUAD> table(colours, RGBQUAD{0, 0, 0, 0});
        if (image.GetPalette())
            std::memcpy(table.data(), image.GetPalette(),
                        sizeof(RGBQUAD) * (image.GetNumColors() < colours ? image.GetNumColors() : colours));
        if (file->Write(table.data(), sizeof(RGBQUAD), colours) != colours)
            throw "BMP: write failed";
    }
    if (file->Write(image.GetBits(0), 1, static_cast<size_t>(imageSize)) != imageSize)
        throw "BMP: write failed";
}
