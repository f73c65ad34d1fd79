#include "qelGocaWindow.h"

#include "qelLogStream.h"

#include <cstdlib>

namespace
{
int quadrantOf(float x, float y, int fallback)
{
    if (x > 0 && y > 0)
        return 1;
    if (x < 0 && y > 0)
        return 2;
    if (x < 0 && y < 0)
        return 3;
    if (x > 0 && y < 0)
        return 4;
    return fallback;
}
}

void qelGocaWindow::reset()
{
    *this = qelGocaWindow();
}

void qelGocaWindow::set(int32_t left, int32_t right, int32_t bottom, int32_t top)
{
    m_left = left;
    m_right = right;
    m_bottom = bottom;
    m_top = top;
    if (left >= 0 && right >= 0 && top >= 0 && bottom >= 0)
        m_pictureQuadrant = 1;
    else if (left <= 0 && right <= 0 && top >= 0 && bottom >= 0)
        m_pictureQuadrant = 2;
    else if (left <= 0 && right <= 0 && top <= 0 && bottom <= 0)
        m_pictureQuadrant = 3;
    else if (left >= 0 && right >= 0 && top <= 0 && bottom <= 0)
        m_pictureQuadrant = 4;

    if (left > 0 && top > 0)
        m_cornerQuadrant = 1;
    else if (left < 0 && top > 0)
        m_cornerQuadrant = 2;
    else if (left < 0 && top < 0)
        m_cornerQuadrant = 3;
    else if (left > 0 && top < 0)
        m_cornerQuadrant = 4;
    else
        m_cornerQuadrant = m_pictureQuadrant;

    const long l = left, r = right, t = top, b = bottom;
    if (m_pictureQuadrant >= 1 && m_pictureQuadrant <= 4) {
        m_width = static_cast<int32_t>(std::labs(std::labs(l) - std::labs(r)));
        m_height = static_cast<int32_t>(std::labs(std::labs(t) - std::labs(b)));
        return;
    }
    if (l > 0 && r >= 0)
        m_width = static_cast<int32_t>(r - l);
    else if (l <= 0 && r >= 0)
        m_width = static_cast<int32_t>(std::labs(l) + r);
    else if (l <= 0 && r < 0)
        m_width = static_cast<int32_t>(std::labs(r) - std::labs(l));
    if (t >= 0 && b > 0)
        m_height = static_cast<int32_t>(b - t);
    else if (t >= 0 && b <= 0)
        m_height = static_cast<int32_t>(t + std::labs(b));
    else if (t < 0 && b <= 0)
        m_height = static_cast<int32_t>(std::labs(b) - std::labs(t));
}

qelPoint qelGocaWindow::transformPoint(float x, float y) const
{
    const int q = quadrantOf(x, y, m_pictureQuadrant);
    const float L = static_cast<float>(std::labs(m_left));
    const float T = static_cast<float>(std::labs(m_top));
    const float W = static_cast<float>(m_width);
    const float H = static_cast<float>(m_height);
    auto absf = [](float v) { return v < 0 ? -v : v; };
    if (q == m_cornerQuadrant) {
        switch (m_pictureQuadrant) {
        case 1: return qelPoint{x, H - y};
        case 2: return qelPoint{W + x, H - y};
        case 3: return qelPoint{W + x, T - y};
        case 4: return qelPoint{x, T - y};
        default: break;
        }
    } else if (m_cornerQuadrant == 1 && q == 4) {
        return qelPoint{absf(absf(x) - L) + L, T + y};
    } else if (m_cornerQuadrant == 2 && q == 1) {
        return qelPoint{L + x, absf(absf(y) - T) + T};
    } else if (m_cornerQuadrant == 2 && q == 3) {
        return qelPoint{absf(absf(x) - L) + L, T + y};
    } else if (m_cornerQuadrant == 2 && q == 4) {
        return qelPoint{L + x, T + y};
    } else if (m_cornerQuadrant == 3 && q == 4) {
        return qelPoint{L + x, absf(absf(y) - T) + T};
    }
    // Windows that span quadrants, and windows not given: measured from the
    // top-left corner of the window.
    return qelPoint{x - static_cast<float>(m_left), static_cast<float>(m_top) - y};
}

void qelGocaWindow::clampPoint(int32_t& x, int32_t& y, qelLogStream* log) const
{
    switch (m_pictureQuadrant) {
    case 1:
        if (x < 0) {
            if (log)
                log->printLine("Warning! (%d)setting X to zero", x);
            x = 0;
        }
        if (y < 0) {
            if (log)
                log->printLine("Warning! (%d)setting Y to zero", y);
            y = 0;
        }
        break;
    case 2:
        if (x > 0)
            x = 0;
        if (y < 0)
            y = 0;
        break;
    case 3:
        if (x > 0)
            x = 0;
        if (y > 0)
            y = 0;
        break;
    case 4:
        if (x < 0)
            x = 0;
        if (y > 0)
            y = 0;
        break;
    default:
        if (x < m_left)
            x = m_left;
        else if (x > m_right)
            x = m_right;
        if (y < m_bottom)
            y = m_bottom;
        else if (y > m_top)
            y = m_top;
        break;
    }
}

bool qelGocaWindow::contains(int32_t x, int32_t y) const
{
    return m_left <= x && x <= m_right && m_bottom <= y && y <= m_top;
}
