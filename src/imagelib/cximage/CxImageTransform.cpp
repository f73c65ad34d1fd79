#include "CxImage.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{
constexpr double kPi = 3.14159265358979323846;

uint32_t indexAt(const uint8_t* row, uint32_t x, uint32_t bpp)
{
    if (bpp == 8)
        return row[x];
    const uint32_t perByte = 8 / bpp;
    const uint32_t shift = 8 - bpp * (x % perByte + 1);
    return (row[x / perByte] >> shift) & ((1u << bpp) - 1);
}

void setIndexAt(uint8_t* row, uint32_t x, uint32_t bpp, uint32_t value)
{
    if (bpp == 8) {
        row[x] = static_cast<uint8_t>(value);
        return;
    }
    const uint32_t perByte = 8 / bpp;
    const uint32_t shift = 8 - bpp * (x % perByte + 1);
    const uint32_t mask = ((1u << bpp) - 1) << shift;
    row[x / perByte] = static_cast<uint8_t>((row[x / perByte] & ~mask) | ((value << shift) & mask));
}

// Copies pixel (sx, sy) of src to (dx, dy) of dst, both of one depth.
void copyPixel(CxImage& dst, uint32_t dx, uint32_t dy, CxImage& src, uint32_t sx, uint32_t sy)
{
    const uint32_t bpp = src.GetBpp();
    const uint8_t* s = src.GetBits(sy);
    uint8_t* d = dst.GetBits(dy);
    if (bpp == 24) {
        for (int c = 0; c < 3; ++c)
            d[3 * dx + c] = s[3 * sx + c];
    } else {
        setIndexAt(d, dx, bpp, indexAt(s, sx, bpp));
    }
}

double sinc(double x)
{
    if (std::fabs(x) < 1e-9)
        return 1.0;
    return std::sin(kPi * x) / (kPi * x);
}

double cubic(double x, double b, double c)
{
    x = std::fabs(x);
    if (x < 1)
        return ((12 - 9 * b - 6 * c) * x * x * x + (-18 + 12 * b + 6 * c) * x * x + (6 - 2 * b)) / 6;
    if (x < 2)
        return ((-b - 6 * c) * x * x * x + (6 * b + 30 * c) * x * x + (-12 * b - 48 * c) * x + (8 * b + 24 * c)) / 6;
    return 0;
}

// Kernel value and support radius of an interpolation method.
double support(int method)
{
    switch (method) {
    case CxImage::IM_NEAREST_NEIGHBOUR:
    case CxImage::IM_BOX:
        return 0.5;
    case CxImage::IM_BILINEAR:
    case CxImage::IM_HERMITE:
        return 1.0;
    case CxImage::IM_GAUSSIAN:
    case CxImage::IM_QUADRATIC:
        return 1.5;
    case CxImage::IM_LANCZOS:
        return 3.0;
    case CxImage::IM_BESSEL:
        return 3.2383;
    case CxImage::IM_SINC:
        return 4.0;
    default:
        return 2.0;
    }
}

double kernel(int method, double x)
{
    const double a = std::fabs(x);
    switch (method) {
    case CxImage::IM_NEAREST_NEIGHBOUR:
    case CxImage::IM_BOX:
        return a <= 0.5 ? 1.0 : 0.0;
    case CxImage::IM_BILINEAR:
        return a < 1 ? 1 - a : 0;
    case CxImage::IM_BSPLINE:
        return cubic(a, 1, 0);
    case CxImage::IM_BICUBIC:
    case CxImage::IM_CATROM:
        return cubic(a, 0, 0.5);
    case CxImage::IM_BICUBIC2:
        return cubic(a, 0, 0.75);
    case CxImage::IM_MITCHELL:
        return cubic(a, 1.0 / 3, 1.0 / 3);
    case CxImage::IM_LANCZOS:
        return a < 3 ? sinc(a) * sinc(a / 3) : 0;
    case CxImage::IM_HERMITE:
        return a < 1 ? (2 * a - 3) * a * a + 1 : 0;
    case CxImage::IM_HAMMING:
        return a < 2 ? sinc(a) * (0.54 + 0.46 * std::cos(kPi * a / 2)) : 0;
    case CxImage::IM_SINC:
        return a < 4 ? sinc(a) : 0;
    case CxImage::IM_BLACKMAN:
        return a < 2 ? sinc(a) * (0.42 + 0.5 * std::cos(kPi * a / 2) + 0.08 * std::cos(kPi * a)) : 0;
    case CxImage::IM_BESSEL:
        return a < 1e-9 ? kPi / 4 : std::cyl_bessel_j(1.0, kPi * a) / (2 * a);
    case CxImage::IM_GAUSSIAN:
        return a < 1.5 ? std::exp(-2 * a * a) : 0;
    case CxImage::IM_QUADRATIC:
        if (a < 0.5)
            return 0.75 - a * a;
        if (a < 1.5)
            return 0.5 * (a - 1.5) * (a - 1.5);
        return 0;
    default:
        return 0;
    }
}

// One channel plane of doubles, row 0 the bottom row.
struct Plane
{
    uint32_t w = 0, h = 0, channels = 1;
    std::vector<float> v;
    float& at(uint32_t x, uint32_t y, uint32_t c) { return v[(static_cast<size_t>(y) * w + x) * channels + c]; }
};

// The image as grey or blue, green, red floats.
Plane toPlane(const CxImage& img, bool grey)
{
    Plane p;
    p.w = img.GetWidth();
    p.h = img.GetHeight();
    p.channels = grey ? 1 : 3;
    p.v.resize(static_cast<size_t>(p.w) * p.h * p.channels);
    for (uint32_t y = 0; y < p.h; ++y)
        for (uint32_t x = 0; x < p.w; ++x) {
            const RGBQUAD c = img.GetPixelColor(x, y);
            if (grey) {
                p.at(x, y, 0) = c.rgbRed;
            } else {
                p.at(x, y, 0) = c.rgbBlue;
                p.at(x, y, 1) = c.rgbGreen;
                p.at(x, y, 2) = c.rgbRed;
            }
        }
    return p;
}

uint8_t clampByte(double v)
{
    return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : std::lround(v));
}

// Writes the plane into img (8-bit grey or 24 bits), keeping the dpi.
bool fromPlane(CxImage& img, Plane& p, uint32_t type)
{
    if (!img.Create(p.w, p.h, p.channels == 1 ? 8 : 24, type))
        return false;
    for (uint32_t y = 0; y < p.h; ++y) {
        uint8_t* row = img.GetBits(y);
        for (uint32_t x = 0; x < p.w; ++x)
            for (uint32_t c = 0; c < p.channels; ++c)
                row[p.channels * x + c] = clampByte(p.at(x, y, c));
    }
    return true;
}

// Resamples along one axis (horizontal when horizontal) to n samples.
Plane resampleAxis(Plane& in, uint32_t n, bool horizontal, int method)
{
    const uint32_t len = horizontal ? in.w : in.h;
    Plane out;
    out.w = horizontal ? n : in.w;
    out.h = horizontal ? in.h : n;
    out.channels = in.channels;
    out.v.assign(static_cast<size_t>(out.w) * out.h * out.channels, 0.0f);
    const double scale = static_cast<double>(n) / len;
    // Shrinking widens the kernel so that it averages.
    const double stretch = scale < 1 ? 1 / scale : 1;
    const double radius = support(method) * stretch;
    std::vector<double> weights;
    for (uint32_t i = 0; i < n; ++i) {
        const double centre = (i + 0.5) / scale - 0.5;
        const int64_t first = static_cast<int64_t>(std::floor(centre - radius));
        const int64_t last = static_cast<int64_t>(std::ceil(centre + radius));
        weights.clear();
        double total = 0;
        for (int64_t j = first; j <= last; ++j) {
            const double wgt = kernel(method, (j - centre) / stretch);
            weights.push_back(wgt);
            total += wgt;
        }
        if (std::fabs(total) < 1e-12) {
            // A kernel that misses every sample takes the nearest one.
            std::fill(weights.begin(), weights.end(), 0.0);
            const int64_t nearest = std::llround(centre);
            weights[static_cast<size_t>(std::clamp<int64_t>(nearest - first, 0, last - first))] = 1;
            total = 1;
        }
        const uint32_t other = horizontal ? in.h : in.w;
        for (uint32_t k = 0; k < other; ++k)
            for (uint32_t c = 0; c < in.channels; ++c) {
                double sum = 0;
                for (int64_t j = first; j <= last; ++j) {
                    // Edge pixels repeat beyond the edges.
                    const uint32_t s = static_cast<uint32_t>(std::clamp<int64_t>(j, 0, len - 1));
                    sum += weights[static_cast<size_t>(j - first)] * (horizontal ? in.at(s, k, c) : in.at(k, s, c));
                }
                (horizontal ? out.at(i, k, c) : out.at(k, i, c)) = static_cast<float>(sum / total);
            }
    }
    return out;
}

bool nearest(CxImage& src, CxImage& out, uint32_t w, uint32_t h)
{
    if (!out.Create(w, h, src.GetBpp(), src.GetType()))
        return false;
    if (src.GetPalette())
        out.SetPalette(src.GetPalette(), src.GetNumColors());
    for (uint32_t y = 0; y < h; ++y) {
        const uint32_t sy = static_cast<uint32_t>((static_cast<uint64_t>(y) * src.GetHeight()) / h);
        for (uint32_t x = 0; x < w; ++x)
            copyPixel(out, x, y, src, static_cast<uint32_t>((static_cast<uint64_t>(x) * src.GetWidth()) / w), sy);
    }
    return true;
}
}

RGBQUAD CxImage::GetPixelColor(uint32_t x, uint32_t y) const
{
    RGBQUAD c{};
    if (x >= m_width || y >= m_height)
        return c;
    const uint8_t* row = m_pixels.data() + static_cast<size_t>(y) * m_effWidth;
    if (m_bpp == 24) {
        c.rgbBlue = row[3 * x];
        c.rgbGreen = row[3 * x + 1];
        c.rgbRed = row[3 * x + 2];
        return c;
    }
    const uint32_t index = indexAt(row, x, m_bpp);
    if (index < m_palette.size())
        return m_palette[index];
    c.rgbBlue = c.rgbGreen = c.rgbRed = static_cast<uint8_t>(index * 255 / ((1u << m_bpp) - 1));
    return c;
}

bool CxImage::IsGrayScale() const
{
    if (m_bpp > 8)
        return false;
    for (const RGBQUAD& e : m_palette)
        if (e.rgbRed != e.rgbGreen || e.rgbGreen != e.rgbBlue)
            return false;
    return true;
}

void CxImage::Take(CxImage& other)
{
    m_pixels.swap(other.m_pixels);
    m_palette.swap(other.m_palette);
    m_width = other.m_width;
    m_height = other.m_height;
    m_bpp = other.m_bpp;
    m_effWidth = other.m_effWidth;
    m_alpha.clear();
    m_transIndex = -1;
}

bool CxImage::Resample(int32_t newWidth, int32_t newHeight, int32_t mode)
{
    return Resample2(newWidth, newHeight, mode == 1 ? IM_NEAREST_NEIGHBOUR : IM_BILINEAR, OM_REPEAT);
}

bool CxImage::Resample2(int32_t newWidth, int32_t newHeight, int32_t method, int32_t /*overflow*/, CxImage* dest,
                        bool /*disableAveraging*/)
{
    if (!IsValid()) {
        SetLastError("invalid image");
        return false;
    }
    if (newWidth < 1 || newHeight < 1 || static_cast<int64_t>(newWidth) * newHeight > MAX_PIXEL_BYTES / 4) {
        SetLastError("CxImage::Resample2 : invalid size");
        return false;
    }
    if (method < IM_NEAREST_NEIGHBOUR || method > IM_CATROM)
        method = IM_BICUBIC2;
    CxImage out(m_type);
    const uint32_t w = static_cast<uint32_t>(newWidth), h = static_cast<uint32_t>(newHeight);
    if (method == IM_NEAREST_NEIGHBOUR) {
        if (!nearest(*this, out, w, h)) {
            SetLastError(out.GetLastError());
            return false;
        }
    } else {
        Plane p = toPlane(*this, IsGrayScale());
        Plane across = resampleAxis(p, w, true, method);
        p = Plane();
        Plane both = resampleAxis(across, h, false, method);
        if (!fromPlane(out, both, m_type)) {
            SetLastError(out.GetLastError());
            return false;
        }
        if (both.channels == 1)
            out.SetGrayPalette();
    }
    out.SetXDPI(m_xdpi);
    out.SetYDPI(m_ydpi);
    CxImage& target = dest ? *dest : *this;
    target.Take(out);
    target.m_xdpi = m_xdpi;
    target.m_ydpi = m_ydpi;
    return true;
}

bool CxImage::Turn(int quarterTurns, CxImage* dest)
{
    if (!IsValid()) {
        SetLastError("invalid image");
        return false;
    }
    const bool swapped = quarterTurns != 2;
    CxImage out(m_type);
    if (!out.Create(swapped ? m_height : m_width, swapped ? m_width : m_height, m_bpp, m_type)) {
        SetLastError(out.GetLastError());
        return false;
    }
    if (!m_palette.empty())
        out.SetPalette(m_palette.data(), GetNumColors());
    for (uint32_t y = 0; y < m_height; ++y)
        for (uint32_t x = 0; x < m_width; ++x) {
            if (quarterTurns == 1)
                copyPixel(out, m_height - 1 - y, x, *this, x, y);
            else if (quarterTurns == 3)
                copyPixel(out, y, m_width - 1 - x, *this, x, y);
            else
                copyPixel(out, m_width - 1 - x, m_height - 1 - y, *this, x, y);
        }
    CxImage& target = dest ? *dest : *this;
    const int32_t xdpi = m_xdpi, ydpi = m_ydpi;
    target.Take(out);
    target.m_xdpi = swapped ? ydpi : xdpi;
    target.m_ydpi = swapped ? xdpi : ydpi;
    return true;
}

bool CxImage::RotateLeft(CxImage* dest)
{
    return Turn(1, dest);
}

bool CxImage::RotateRight(CxImage* dest)
{
    return Turn(3, dest);
}

bool CxImage::Rotate180(CxImage* dest)
{
    return Turn(2, dest);
}

bool CxImage::Rotate2(float angle, CxImage* dest, int32_t method, int32_t /*overflow*/, const RGBQUAD* replColor,
                      bool optimizeRightAngles, bool keepOriginalSize)
{
    if (!IsValid()) {
        SetLastError("invalid image");
        return false;
    }
    double turn = std::fmod(static_cast<double>(angle), 360.0);
    if (turn < 0)
        turn += 360;
    if (optimizeRightAngles && !keepOriginalSize) {
        if (turn == 0)
            return dest ? Resample2(static_cast<int32_t>(m_width), static_cast<int32_t>(m_height),
                                    IM_NEAREST_NEIGHBOUR, OM_REPEAT, dest)
                        : true;
        if (turn == 90)
            return RotateLeft(dest);
        if (turn == 180)
            return Rotate180(dest);
        if (turn == 270)
            return RotateRight(dest);
    }
    const double rad = turn * kPi / 180;
    const double cs = std::cos(rad), sn = std::sin(rad);
    uint32_t w = m_width, h = m_height;
    if (!keepOriginalSize) {
        w = static_cast<uint32_t>(std::ceil(std::fabs(m_width * cs) + std::fabs(m_height * sn) - 1e-6));
        h = static_cast<uint32_t>(std::ceil(std::fabs(m_width * sn) + std::fabs(m_height * cs) - 1e-6));
        if (w < 1)
            w = 1;
        if (h < 1)
            h = 1;
        if (static_cast<uint64_t>(w) * h > static_cast<uint64_t>(MAX_PIXEL_BYTES / 4)) {
            SetLastError("CxImage::Rotate2 : image too large");
            return false;
        }
    }
    const RGBQUAD white{255, 255, 255, 0};
    const RGBQUAD back = replColor ? *replColor : white;
    const bool grey = IsGrayScale() && back.rgbRed == back.rgbGreen && back.rgbGreen == back.rgbBlue;
    Plane src = toPlane(*this, grey);
    Plane out;
    out.w = w;
    out.h = h;
    out.channels = src.channels;
    out.v.resize(static_cast<size_t>(w) * h * out.channels);
    const double cxs = (m_width - 1) / 2.0, cys = (m_height - 1) / 2.0;
    const double cxd = (w - 1) / 2.0, cyd = (h - 1) / 2.0;
    const float backs[3] = {static_cast<float>(grey ? back.rgbRed : back.rgbBlue), static_cast<float>(back.rgbGreen),
                            static_cast<float>(back.rgbRed)};
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            // Back from the destination to the source (y up, counter-clockwise).
            const double dx = x - cxd, dy = y - cyd;
            const double sx = cs * dx + sn * dy + cxs;
            const double sy = -sn * dx + cs * dy + cys;
            for (uint32_t c = 0; c < out.channels; ++c) {
                float value = backs[c];
                if (method == IM_NEAREST_NEIGHBOUR) {
                    const int64_t ix = std::llround(sx), iy = std::llround(sy);
                    if (ix >= 0 && iy >= 0 && ix < m_width && iy < m_height)
                        value = src.at(static_cast<uint32_t>(ix), static_cast<uint32_t>(iy), c);
                } else if (sx > -0.5 && sy > -0.5 && sx < m_width - 0.5 && sy < m_height - 0.5) {
                    // Bilinear inside, edges repeated for the last half pixel.
                    const double fx = std::clamp(sx, 0.0, m_width - 1.0), fy = std::clamp(sy, 0.0, m_height - 1.0);
                    const uint32_t x0 = static_cast<uint32_t>(fx), y0 = static_cast<uint32_t>(fy);
                    const uint32_t x1 = std::min(x0 + 1, m_width - 1), y1 = std::min(y0 + 1, m_height - 1);
                    const double ax = fx - x0, ay = fy - y0;
                    value = static_cast<float>((1 - ay) * ((1 - ax) * src.at(x0, y0, c) + ax * src.at(x1, y0, c)) +
                                               ay * ((1 - ax) * src.at(x0, y1, c) + ax * src.at(x1, y1, c)));
                }
                out.at(x, y, c) = value;
            }
        }
    CxImage result(m_type);
    if (!fromPlane(result, out, m_type)) {
        SetLastError(result.GetLastError());
        return false;
    }
    if (out.channels == 1)
        result.SetGrayPalette();
    CxImage& target = dest ? *dest : *this;
    const int32_t xdpi = m_xdpi, ydpi = m_ydpi;
    target.Take(result);
    target.m_xdpi = xdpi;
    target.m_ydpi = ydpi;
    return true;
}
