#ifndef QEL_PAGE_COORDINATE_TRANSFORMER_H
#define QEL_PAGE_COORDINATE_TRANSFORMER_H

#include "qelPoint.h"

#include <cstdint>
#include <utility>

// Rotation arithmetic for positions given along an inline and a baseline
// axis. One instance per process, held by the global object pool.
//
// Axis mode 0: y grows upwards; 2: y grows downwards; 1 and 3 as 0 and 2
// with the x axis reversed.
class qelPageCoordinateTransformer
{
public:
    qelPageCoordinateTransformer() = default;

    // (a, b) along the inline and baseline axes to page coordinates;
    // (0, 0) for an invalid orientation pair or mode 1 and 3.
    qelPoint transform(float a, float b) const;
    void setInlinePosition(float v);
    void setBaselinePosition(float v);
    void moveInline(float d);
    void moveBaseline(float d);
    // (w, h) for inline 0 and 180, (h, w) for 90 and 270, (0, 0) otherwise.
    std::pair<int32_t, int32_t> rotate(std::pair<int32_t, int32_t> size) const;

    // True for (0,90) (90,180) (180,270) (270,0) and their mirrors.
    static bool isValidOrientation(int inlineOrientation, int baselineOrientation);

    float getX() const { return m_x; }
    float getY() const { return m_y; }
    qelPoint getPosition() const { return qelPoint{m_x, m_y}; }
    void setPosition(float x, float y) { m_x = x; m_y = y; }
    void setPosition(qelPoint p) { m_x = p.x; m_y = p.y; }

    uint16_t getPageWidth() const { return m_pageWidth; }
    uint16_t getPageHeight() const { return m_pageHeight; }
    void setPageWidth(uint16_t w) { m_pageWidth = w; }
    void setPageHeight(uint16_t h) { m_pageHeight = h; }
    void setPageSize(uint16_t w, uint16_t h) { m_pageWidth = w; m_pageHeight = h; }

    int getInlineOrientation() const { return m_inlineOrientation; }
    int getBaselineOrientation() const { return m_baselineOrientation; }
    void setInlineOrientation(int degrees) { m_inlineOrientation = degrees; }
    void setBaselineOrientation(int degrees) { m_baselineOrientation = degrees; }
    void setOrientation(int inlineDegrees, int baselineDegrees)
    {
        m_inlineOrientation = inlineDegrees;
        m_baselineOrientation = baselineDegrees;
    }

    int getAxisMode() const { return m_axisMode; }
    void setAxisMode(int mode) { m_axisMode = mode; }

    uint16_t getResolution() const { return m_resolution; }
    void setResolution(uint16_t r) { m_resolution = r; }

private:
    void move(int orientation, float d);

    float m_x = 0.0f;
    float m_y = 0.0f;
    uint16_t m_pageWidth = 1975;
    uint16_t m_pageHeight = 2806;
    int m_inlineOrientation = 0;
    int m_baselineOrientation = 90;
    int m_axisMode = 0;
    uint16_t m_resolution = 240;
};

// Turns a point within a page of size (w, h) for the rotation pair (r1, r2).
qelPoint rotatePoint(qelPoint p, int32_t w, int32_t h, int r1, int r2);

#endif
