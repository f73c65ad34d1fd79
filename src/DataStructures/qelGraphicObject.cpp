#include "qelGraphicObject.h"

#include "qelPageCoordinateTransformer.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace
{
// Page positions are whole units; values beyond the 32-bit range are pinned
// to it rather than wrapped.
float truncateToUnit(float v)
{
    if (std::isnan(v))
        return 0.0f;
    if (v >= 2147483647.0f)
        return 2147483647.0f;
    if (v <= -2147483648.0f)
        return -2147483648.0f;
    return static_cast<float>(static_cast<int32_t>(v));
}

uint32_t packRGB(int r, int g, int b)
{
    return static_cast<uint32_t>(r & 0xFF) | (static_cast<uint32_t>(g & 0xFF) << 8)
        | (static_cast<uint32_t>(b & 0xFF) << 16);
}

// Colour conversions of the object colour spaces.
uint32_t cmykToRGB(uint32_t cmyk)
{
    const double k = (cmyk & 0xFF) / 255.0;
    auto channel = [k](uint32_t c) {
        return static_cast<int>(std::lround(255.0 * (1.0 - ((c & 0xFF) / 255.0 * (1.0 - k) + k))));
    };
    return packRGB(channel(cmyk >> 24), channel(cmyk >> 16), channel(cmyk >> 8));
}

uint32_t ocaColorRGB(uint32_t number)
{
    switch (number) {
    case 1: case 0xFF01: return packRGB(0, 0, 255);
    case 2: case 0xFF02: return packRGB(255, 0, 0);
    case 3: case 0xFF03: return packRGB(255, 0, 255);
    case 4: case 0xFF04: return packRGB(0, 255, 0);
    case 5: case 0xFF05: return packRGB(0, 255, 255);
    case 6: case 0xFF06: return packRGB(255, 255, 0);
    case 7: return packRGB(255, 255, 255);
    case 9: return packRGB(0, 0, 170);
    case 10: return packRGB(255, 128, 0);
    case 11: return packRGB(170, 0, 170);
    case 12: return packRGB(0, 146, 0);
    case 13: return packRGB(0, 146, 170);
    case 14: return packRGB(196, 160, 2);
    case 15: return packRGB(131, 131, 131);
    case 16: return packRGB(144, 48, 0);
    case 0xFF08: return packRGB(255, 255, 255);
    default: return 0;
    }
}

uint32_t labToRGB(double l, double a, double b)
{
    const double fy = (l + 16.0) / 116.0;
    const double fx = a / 500.0 + fy;
    const double fz = fy - b / 200.0;
    auto f = [](double v) { return v >= 6.0 / 29.0 ? v * v * v : (v - 16.0 / 116.0) / 7.787; };
    const double x = 95.047 * f(fx) / 100.0;
    const double y = 100.0 * f(fy) / 100.0;
    const double z = 108.883 * f(fz) / 100.0;
    const double rgb[3] = {3.2406 * x - 1.5372 * y - 0.4986 * z, -0.9689 * x + 1.8758 * y + 0.0415 * z,
                           0.0557 * x - 0.2040 * y + 1.0570 * z};
    int out[3];
    for (int i = 0; i < 3; ++i) {
        double v = rgb[i] > 0.0031308 ? 1.055 * std::pow(rgb[i], 1.0 / 2.4) - 0.055 : 12.92 * rgb[i];
        v = std::min(255.0, std::max(0.0, v * 255.0));
        out[i] = static_cast<int>(v);
    }
    return packRGB(out[0], out[1], out[2]);
}
}

qelGraphicObject::qelGraphicObject() = default;

qelGraphicObject::qelGraphicObject(float x, float y, uint16_t iAxisOrientation, uint16_t bAxisOrientation)
    : m_x(x), m_y(y), m_iAxisOrientation(iAxisOrientation), m_bAxisOrientation(bAxisOrientation),
      m_angle(360.0f - iAxisOrientation)
{
}

qelGraphicObject::~qelGraphicObject()
{
    freeBoundingBox();
}

int qelGraphicObject::saveAs(const char* fileName, const char* format, int*)
{
    return (fileName && format) ? 0 : -1;
}

void qelGraphicObject::freeBoundingBox()
{
    delete m_boundingBox;
    m_boundingBox = nullptr;
}

void qelGraphicObject::setBoundingBox(qelPoint topLeft, qelPoint bottomRight)
{
    freeBoundingBox();
    m_boundingBox = new (std::nothrow) qelBoundingBox{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

void qelGraphicObject::setBoundingBoxRecord(const qelBoundingBox* box)
{
    freeBoundingBox();
    if (box)
        m_boundingBox = new (std::nothrow) qelBoundingBox(*box);
}

const qelBoundingBox* qelGraphicObject::getBoundingBox()
{
    if (!m_boundingBox)
        computeBoundingBox();
    return m_boundingBox;
}

uint32_t qelGraphicObject::getColor() const
{
    switch (m_colorSpace) {
    case COLOR_CMYK:
        return cmykToRGB(m_colorValue);
    case COLOR_HIGHLIGHT: {
        const uint32_t rgb = ocaColorRGB(m_colorValue);
        if (m_coveragePercent < 1 || m_coveragePercent > 100)
            return rgb;
        // Lighten toward white by the missing coverage.
        uint32_t result = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            const double c = ((rgb >> shift) & 0xFF) / 255.0;
            const double lightened = c + (1.0 - c) * (100 - m_coveragePercent) / 100.0;
            result |= (static_cast<uint32_t>(lightened * 255.0) & 0xFF) << shift;
        }
        return result;
    }
    case COLOR_CIELAB: {
        // Packed L (0..255 for 0..100), a and b as signed bytes.
        const double l = ((m_colorValue >> 16) & 0xFF) * 100.0 / 255.0;
        const double a = static_cast<int8_t>((m_colorValue >> 8) & 0xFF);
        const double b = static_cast<int8_t>(m_colorValue & 0xFF);
        return labToRGB(l, a, b);
    }
    case COLOR_OCA:
        return ocaColorRGB(m_colorValue);
    case COLOR_GRAY: {
        const uint32_t g = m_colorValue & 0xFF;
        return g | (g << 8) | (g << 16);
    }
    default:
        return m_colorValue;
    }
}

void qelGraphicObject::transformToPage(qelPageCoordinateTransformer* transformer)
{
    if (!transformer || (!m_absoluteInlineFlag && !m_absoluteBaselineFlag))
        return;
    transformer->setOrientation(m_iAxisOrientation, m_bAxisOrientation);
    const qelPoint p = transformer->transform(m_x, m_y);
    m_x = truncateToUnit(p.x);
    m_y = truncateToUnit(p.y);
    if (m_iAxisOrientation == 90 || m_iAxisOrientation == 270) {
        const uint8_t inlineFlag = m_absoluteInlineFlag;
        m_absoluteInlineFlag = m_absoluteBaselineFlag;
        m_absoluteBaselineFlag = inlineFlag;
    }
}
