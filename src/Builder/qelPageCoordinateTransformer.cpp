#include "qelPageCoordinateTransformer.h"

bool qelPageCoordinateTransformer::isValidOrientation(int i, int b)
{
    return (i == 0 && (b == 90 || b == 270)) || (i == 90 && (b == 180 || b == 0))
        || (i == 180 && (b == 270 || b == 90)) || (i == 270 && (b == 0 || b == 180));
}

qelPoint qelPageCoordinateTransformer::transform(float a, float b) const
{
    if (!isValidOrientation(m_inlineOrientation, m_baselineOrientation))
        return qelPoint{};
    if (m_axisMode != 0 && m_axisMode != 2)
        return qelPoint{};
    const float w = m_pageWidth;
    const float h = m_pageHeight;
    // Mode 0 first; mode 2 is the same with y measured from the top.
    qelPoint p;
    switch (m_inlineOrientation) {
    case 0:
        p = (m_baselineOrientation == 90) ? qelPoint{a, h - b} : qelPoint{a, b};
        break;
    case 90:
        p = (m_baselineOrientation == 0) ? qelPoint{b, h - a} : qelPoint{w - b, h - a};
        break;
    case 180:
        p = (m_baselineOrientation == 90) ? qelPoint{w - a, h - b} : qelPoint{w - a, b};
        break;
    default: // 270
        p = (m_baselineOrientation == 180) ? qelPoint{w - b, a} : qelPoint{b, a};
        break;
    }
    if (m_axisMode == 2)
        p.y = h - p.y;
    return p;
}

void qelPageCoordinateTransformer::setInlinePosition(float v)
{
    if (!isValidOrientation(m_inlineOrientation, m_baselineOrientation))
        return;
    const qelPoint p = transform(v, 0.0f);
    if (m_inlineOrientation == 0 || m_inlineOrientation == 180)
        m_x = p.x;
    else
        m_y = p.y;
}

void qelPageCoordinateTransformer::setBaselinePosition(float v)
{
    if (!isValidOrientation(m_inlineOrientation, m_baselineOrientation))
        return;
    const qelPoint p = transform(0.0f, v);
    if (m_inlineOrientation == 0 || m_inlineOrientation == 180)
        m_y = p.y;
    else
        m_x = p.x;
}

void qelPageCoordinateTransformer::move(int orientation, float d)
{
    // Sign of the move per mode 0..3.
    static const int xSign0[4] = {1, -1, 1, -1};
    static const int ySign90[4] = {-1, -1, 1, 1};
    if (m_axisMode < 0 || m_axisMode > 3)
        return;
    switch (orientation) {
    case 0: m_x += xSign0[m_axisMode] * d; break;
    case 90: m_y += ySign90[m_axisMode] * d; break;
    case 180: m_x -= xSign0[m_axisMode] * d; break;
    case 270: m_y -= ySign90[m_axisMode] * d; break;
    default: break;
    }
}

void qelPageCoordinateTransformer::moveInline(float d)
{
    move(m_inlineOrientation, d);
}

void qelPageCoordinateTransformer::moveBaseline(float d)
{
    move(m_baselineOrientation, d);
}

std::pair<int32_t, int32_t> qelPageCoordinateTransformer::rotate(std::pair<int32_t, int32_t> size) const
{
    if (!isValidOrientation(m_inlineOrientation, m_baselineOrientation))
        return {0, 0};
    if (m_inlineOrientation == 0 || m_inlineOrientation == 180)
        return size;
    return {size.second, size.first};
}

qelPoint rotatePoint(qelPoint p, int32_t w, int32_t h, int r1, int r2)
{
    const float fw = static_cast<float>(w);
    const float fh = static_cast<float>(h);
    if (r1 == 0 && r2 == 270)
        return {p.x, fh - p.y};
    if (r1 == 90 && r2 == 0)
        return {p.y, p.x};
    if ((r1 == 90 && r2 == 180) || (r1 == 180 && r2 == 90))
        return {fw - p.x, p.y};
    if (r1 == 180 && r2 == 270)
        return {fw - p.x, fh - p.y};
    if (r1 == 270 && r2 == 180)
        return {fw - p.y, fh - p.x};
    return p;
}
