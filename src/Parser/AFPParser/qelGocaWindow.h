#ifndef QEL_GOCA_WINDOW_H
#define QEL_GOCA_WINDOW_H

#include "qelPoint.h"

#include <cstdint>

class qelLogStream;

// The GOCA window of a graphics object and the mapping of GOCA points into
// object-area coordinates (v growing downwards).
class qelGocaWindow
{
public:
    // Everything 0: no window, quadrants unknown.
    void reset();
    // Stores the window and derives the quadrant codes and the size.
    void set(int32_t left, int32_t right, int32_t bottom, int32_t top);
    // Window right and top from an object area size; quadrants unchanged.
    void setExtent(int32_t width, int32_t height)
    {
        m_right = width;
        m_top = height;
    }

    qelPoint transformPoint(float x, float y) const;
    // Moves a point back into the window's quadrant; warnings go to the log.
    void clampPoint(int32_t& x, int32_t& y, qelLogStream* log) const;
    bool contains(int32_t x, int32_t y) const;

    int32_t getLeft() const { return m_left; }
    int32_t getRight() const { return m_right; }
    int32_t getBottom() const { return m_bottom; }
    int32_t getTop() const { return m_top; }
    int32_t getWidth() const { return m_width; }
    int32_t getHeight() const { return m_height; }
    int getPictureQuadrant() const { return m_pictureQuadrant; }
    int getCornerQuadrant() const { return m_cornerQuadrant; }

private:
    int32_t m_left = 0;
    int32_t m_right = 0;
    int32_t m_bottom = 0;
    int32_t m_top = 0;
    int32_t m_width = 0;
    int32_t m_height = 0;
    int m_pictureQuadrant = 0;
    int m_cornerQuadrant = 0;
};

#endif
