#include "CxImagePCX.h"

#include "CxFile.h"
#include "CxImage.h"

#include <cstring>
#include <vector>

namespace
{
uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
void put16(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

// Run-length decoder over the file; a run may go on into the next line.
class Runs
{
public:
    Runs(CxFile* file, bool coded) : m_file(file), m_coded(coded) {}

    void line(uint8_t* out, size_t count)
    {
        size_t i = 0;
        while (i < count) {
            if (m_left > 0) {
                const size_t n = m_left < count - i ? m_left : count - i;
                std::memset(out + i, m_value, n);
                m_left -= n;
                i += n;
                continue;
            }
            const uint8_t b = next();
            if (m_coded && (b & 0xC0) == 0xC0) {
                m_left = b & 0x3F;
                m_value = next();
            } else {
                out[i++] = b;
            }
        }
    }

private:
    uint8_t next()
    {
        if (m_at == m_have) {
            m_have = m_file->Read(m_buffer, 1, sizeof m_buffer);
            m_at = 0;
            if (m_have == 0)
                throw "PCX: pixel data too short";
        }
        return m_buffer[m_at++];
    }

    CxFile* m_file;
    bool m_coded;
    size_t m_left = 0;
    uint8_t m_value = 0;
    uint8_t m_buffer[4096];
    size_t m_at = 0;
    size_t m_have = 0;
};

void encodeLine(std::vector<uint8_t>& out, const uint8_t* line, size_t count)
{
    size_t i = 0;
    while (i < count) {
        size_t n = 1;
        while (i + n < count && n < 63 && line[i + n] == line[i])
            ++n;
        if (n > 1 || (line[i] & 0xC0) == 0xC0)
            out.push_back(static_cast<uint8_t>(0xC0 | n));
        out.push_back(line[i]);
        i += n;
    }
}
}

void CxImagePCX::Decode(CxImage& image, CxFile* file)
{
    const int64_t start = file->Tell();
    uint8_t h[128];
    if (file->Read(h, 1, sizeof h) != sizeof h)
        throw "PCX: header too short";
    if (h[0] != 0x0A || h[2] > 1)
        throw "PCX: not a PCX file";
    const uint32_t bits = h[3];
    const uint32_t planes = h[65];
    const int64_t width = int64_t(le16(h + 8)) - le16(h + 4) + 1;
    const int64_t height = int64_t(le16(h + 10)) - le16(h + 6) + 1;
    const uint32_t bytesPerLine = le16(h + 66);
    if (width <= 0 || height <= 0)
        throw "PCX: invalid image size";
    uint32_t bpp;
    if (bits == 1 && planes == 1)
        bpp = 1;
    else if (bits == 1 && planes == 4)
        bpp = 4;
    else if (bits == 8 && planes == 1)
        bpp = 8;
    else if (bits == 8 && (planes == 3 || planes == 4))
        bpp = 24;
    else
        throw "PCX: unsupported bits per pixel or planes";
    if (bytesPerLine < (width * bits + 7) / 8)
        throw "PCX: invalid bytes per line";
    const int64_t lineBytes = int64_t(bytesPerLine) * planes;
    // A run of two bytes gives at most 63.
    if (lineBytes * height > (file->Remaining() + 2) * 32)
        throw "PCX: image larger than its data";
    if (image.GetEscape() == CxImage::ESCAPE_DIMENSIONS)
        throw "output dimensions returned";
    if (!image.Create(static_cast<uint32_t>(width), static_cast<uint32_t>(height), bpp, CXIMAGE_FORMAT_PCX))
        throw "Can't allocate memory";
    image.SetXDPI(le16(h + 12));
    image.SetYDPI(le16(h + 14));
    if (bpp == 4) {
        RGBQUAD table[16];
        for (int i = 0; i < 16; ++i)
            table[i] = RGBQUAD{h[16 + 3 * i + 2], h[16 + 3 * i + 1], h[16 + 3 * i], 0};
        image.SetPalette(table, 16);
    } else if (bpp == 8) {
        // The 256-colour table sits behind a 0x0C byte at the end.
        const int64_t size = file->Size();
        uint8_t tail[769];
        if (size - start >= 128 + 769 && file->Seek(size - 769, SEEK_SET) &&
            file->Read(tail, 1, sizeof tail) == sizeof tail && tail[0] == 0x0C) {
            RGBQUAD table[256];
            for (int i = 0; i < 256; ++i)
                table[i] = RGBQUAD{tail[1 + 3 * i + 2], tail[1 + 3 * i + 1], tail[1 + 3 * i], 0};
            image.SetPalette(table, 256);
        }
        file->Seek(start + 128, SEEK_SET);
    }
    Runs runs(file, h[2] == 1);
    std::vector<uint8_t> line(static_cast<size_t>(lineBytes));
    const auto w = static_cast<uint32_t>(width);
    const auto hh = static_cast<uint32_t>(height);
    for (uint32_t y = 0; y < hh; ++y) {
        runs.line(line.data(), line.size());
        uint8_t* out = image.GetBits(hh - 1 - y);
        if (bpp == 1 || bpp == 8) {
            std::memcpy(out, line.data(), (static_cast<size_t>(w) * bpp + 7) / 8);
        } else if (bpp == 24) {
            for (uint32_t x = 0; x < w; ++x) {
                out[3 * x + 2] = line[x];
                out[3 * x + 1] = line[bytesPerLine + x];
                out[3 * x] = line[2 * size_t(bytesPerLine) + x];
            }
        } else {
            for (uint32_t x = 0; x < w; ++x) {
                uint8_t v = 0;
                for (uint32_t p = 0; p < 4; ++p)
                    v |= static_cast<uint8_t>(((line[p * bytesPerLine + x / 8] >> (7 - x % 8)) & 1) << p);
                out[x / 2] |= static_cast<uint8_t>((x & 1) ? v : v << 4);
            }
        }
    }
}

void CxImagePCX::Encode(CxImage& image, CxFile* file)
{
    const uint32_t bpp = image.GetBpp();
    const uint32_t w = image.GetWidth();
    const uint32_t hh = image.GetHeight();
    if (w > 65535 || hh > 65535)
        throw "PCX: image too large";
    const uint32_t bits = bpp == 1 ? 1 : 8;
    const uint32_t planes = bpp == 24 ? 3 : 1;
    uint32_t bytesPerLine = (w * bits + 7) / 8;
    bytesPerLine += bytesPerLine & 1;
    uint8_t h[128] = {};
    h[0] = 0x0A;
    h[1] = 5;
    h[2] = 1;
    h[3] = static_cast<uint8_t>(bits);
    put16(h + 8, w - 1);
    put16(h + 10, hh - 1);
    put16(h + 12, static_cast<uint32_t>(image.GetXDPI()));
    put16(h + 14, static_cast<uint32_t>(image.GetYDPI()));
    if (bpp == 1) {
        std::memset(h + 16 + 3, 0xFF, 3);
    }
    h[65] = static_cast<uint8_t>(planes);
    put16(h + 66, bytesPerLine);
    put16(h + 68, 1);
    std::vector<uint8_t> out(h, h + sizeof h);
    std::vector<uint8_t> line(static_cast<size_t>(bytesPerLine) * planes);
    for (uint32_t y = 0; y < hh; ++y) {
        const uint8_t* row = image.GetBits(hh - 1 - y);
        std::fill(line.begin(), line.end(), 0);
        if (bpp == 1 || bpp == 8) {
            std::memcpy(line.data(), row, (static_cast<size_t>(w) * bpp + 7) / 8);
        } else if (bpp == 4) {
            for (uint32_t x = 0; x < w; ++x)
                line[x] = static_cast<uint8_t>((x & 1) ? row[x / 2] & 0x0F : row[x / 2] >> 4);
        } else {
            for (uint32_t x = 0; x < w; ++x) {
                line[x] = row[3 * x + 2];
                line[bytesPerLine + x] = row[3 * x + 1];
                line[2 * size_t(bytesPerLine) + x] = row[3 * x];
            }
        }
        for (uint32_t p = 0; p < planes; ++p)
            encodeLine(out, line.data() + size_t(p) * bytesPerLine, bytesPerLine);
    }
    if (bpp == 4 || bpp == 8) {
        out.push_back(0x0C);
        const RGBQUAD* table = image.GetPalette();
        for (uint32_t i = 0; i < 256; ++i) {
            const RGBQUAD c = table && i < image.GetNumColors() ? table[i] : RGBQUAD{0, 0, 0, 0};
            out.push_back(c.rgbRed);
            out.push_back(c.rgbGreen);
            out.push_back(c.rgbBlue);
        }
    }
    if (file->Write(out.data(), 1, out.size()) != out.size())
        throw "PCX: write failed";
}
