#include "CxImage.h"

#include <cstring>
#include <vector>

uint8_t CxImage::GetPixelGray(uint32_t x, uint32_t y) const
{
    if (x >= m_width || y >= m_height)
        return 0;
    const uint8_t* row = m_pixels.data() + static_cast<size_t>(y) * m_effWidth;
    RGBQUAD c{};
    if (m_bpp == 24) {
        c.rgbBlue = row[3 * x];
        c.rgbGreen = row[3 * x + 1];
        c.rgbRed = row[3 * x + 2];
    } else {
        const uint32_t perByte = 8 / m_bpp;
        const uint32_t shift = 8 - m_bpp * (x % perByte + 1);
        const uint32_t index = (row[x / perByte] >> shift) & ((1u << m_bpp) - 1);
        if (index < m_palette.size())
            c = m_palette[index];
        else
            c.rgbBlue = c.rgbGreen = c.rgbRed = static_cast<uint8_t>(index * 255 / ((1u << m_bpp) - 1));
    }
    return static_cast<uint8_t>((299 * c.rgbRed + 587 * c.rgbGreen + 114 * c.rgbBlue + 500) / 1000);
}

namespace
{
// Makes dest a 1-bit black and white image of the same size and dpi.
bool makeMono(CxImage& dest, const CxImage& src)
{
    if (!dest.Create(src.GetWidth(), src.GetHeight(), 1, src.GetType()))
        return false;
    const RGBQUAD bw[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    dest.SetPalette(bw, 2);
    dest.SetXDPI(src.GetXDPI());
    dest.SetYDPI(src.GetYDPI());
    return true;
}
}

bool CxImage::Threshold(uint8_t level)
{
    if (!IsValid()) {
        SetLastError("invalid image");
        return false;
    }
    CxImage mono;
    if (!makeMono(mono, *this)) {
        SetLastError(mono.GetLastError());
        return false;
    }
    for (uint32_t y = 0; y < m_height; ++y) {
        uint8_t* out = mono.GetBits(y);
        for (uint32_t x = 0; x < m_width; ++x)
            if (GetPixelGray(x, y) > level)
                out[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
    }
    const int32_t xdpi = m_xdpi, ydpi = m_ydpi;
    m_pixels.swap(mono.m_pixels);
    m_palette.swap(mono.m_palette);
    m_alpha.clear();
    m_bpp = 1;
    m_effWidth = mono.m_effWidth;
    m_transIndex = -1;
    m_xdpi = xdpi;
    m_ydpi = ydpi;
    return true;
}

bool CxImage::AdaptiveThreshold(int32_t method, int32_t boxSize, CxImage* /*contrastMask*/, int32_t bias,
                                float globalLocalBalance)
{
    if (!IsValid()) {
        SetLastError("invalid image");
        return false;
    }
    if (method != 0 || boxSize < 8) {
        SetLastError("invalid adaptive threshold parameters");
        return false;
    }
    const uint32_t w = m_width, h = m_height;
    // Summed-area table of the grey levels: every box mean in constant time.
    std::vector<uint64_t> sum((static_cast<size_t>(w) + 1) * (h + 1), 0);
    std::vector<uint8_t> grey(static_cast<size_t>(w) * h);
    for (uint32_t y = 0; y < h; ++y) {
        uint64_t rowSum = 0;
        for (uint32_t x = 0; x < w; ++x) {
            const uint8_t g = GetPixelGray(x, y);
            grey[static_cast<size_t>(y) * w + x] = g;
            rowSum += g;
            sum[static_cast<size_t>(y + 1) * (w + 1) + x + 1] = sum[static_cast<size_t>(y) * (w + 1) + x + 1] + rowSum;
        }
    }
    const double global = static_cast<double>(sum.back()) / (static_cast<double>(w) * h);
    float balance = globalLocalBalance < 0 ? 0 : globalLocalBalance > 1 ? 1 : globalLocalBalance;
    const int64_t half = boxSize / 2;
    CxImage mono;
    if (!makeMono(mono, *this)) {
        SetLastError(mono.GetLastError());
        return false;
    }
    for (uint32_t y = 0; y < h; ++y) {
        const int64_t y0 = y < half ? 0 : y - half;
        const int64_t y1 = y + half + 1 > h ? h : y + half + 1;
        uint8_t* out = mono.GetBits(y);
        for (uint32_t x = 0; x < w; ++x) {
            const int64_t x0 = x < half ? 0 : x - half;
            const int64_t x1 = x + half + 1 > w ? w : x + half + 1;
            const uint64_t s = sum[y1 * (w + 1) + x1] - sum[y0 * (w + 1) + x1] - sum[y1 * (w + 1) + x0] +
                               sum[y0 * (w + 1) + x0];
            const double local = static_cast<double>(s) / static_cast<double>((x1 - x0) * (y1 - y0));
            const double level = balance * global + (1 - balance) * local + bias;
            if (grey[static_cast<size_t>(y) * w + x] > level)
                out[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
        }
    }
    m_pixels.swap(mono.m_pixels);
    m_palette.swap(mono.m_palette);
    m_alpha.clear();
    m_bpp = 1;
    m_effWidth = mono.m_effWidth;
    m_transIndex = -1;
    return true;
}
