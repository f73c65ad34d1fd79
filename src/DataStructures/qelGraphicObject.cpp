#include "qelGraphicObject.h"

#include "qelPageCoordinateTransformer.h"
#include "qelUtils.h"

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
        return qelUtils::cmykToRGB(m_colorValue);
    case COLOR_HIGHLIGHT: {
        const uint32_t rgb = qelUtils::getOCAColorRGB(m_colorValue);
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
        return qelUtils::labToRGB(l, a, b);
    }
    case COLOR_OCA:
        return qelUtils::getOCAColorRGB(m_colorValue);
    case COLOR_GRAY: {
        const uint32_t g = m_colorValue & 0xFF;
        return g | (g << 8) | (g << 16);
    }
    default:
        return m_colorValue;
    }
}

void qelGraphicObject::writeIncluded(qelVisitor* visitor, qelRes* include, qelPoint offset)
{
    const qelPoint own = m_areaOrigin;
    // A reference list carries the include position as its own origin.
    if (kind() != KIND_REFERENCE_LIST)
        m_includeOffset = offset;
    m_include = include;
    write(visitor);
    m_include = nullptr;
    m_includeOffset = qelPoint{};
    m_areaOrigin = own;
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
