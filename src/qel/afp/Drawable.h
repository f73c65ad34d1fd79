#ifndef QEL_LIB_DRAWABLE_H
#define QEL_LIB_DRAWABLE_H

#include "qel/afp/Writable.h"

#include <cstdint>

namespace qel
{

// A positioned, coloured object; its subclasses write it.
class Drawable : public Writable
{
public:
    enum : uint8_t { X_ABSOLUTE = 0x01, Y_ABSOLUTE = 0x02, X_RELATIVE = 0x04, Y_RELATIVE = 0x08 };

    Drawable() = default;
    Drawable(int16_t x, int16_t y, bool xAbsolute, bool yAbsolute, bool xRelative, bool yRelative);
    ~Drawable() override;

    void setColor(uint32_t color);
    void setColorSpace(int32_t space);
    void setXPosition(int16_t x);
    void setYPosition(int16_t y);
    void setRelXPosition(int16_t x);
    void setRelYPosition(int16_t y);
    // A zero switch leaves the flags as they are.
    void setXPositionIsAbsolute(int on) { setFlag(X_ABSOLUTE, on); }
    void setYPositionIsAbsolute(int on) { setFlag(Y_ABSOLUTE, on); }
    void setXPositionIsRelative(int on) { setFlag(X_RELATIVE, on); }
    void setYPositionIsRelative(int on) { setFlag(Y_RELATIVE, on); }
    // Clears the given flag bits.
    void clearPositionFlags(uint8_t bits) { m_flags = static_cast<uint8_t>(m_flags & ~bits); }

    uint32_t getColor() const { return m_color; }
    int32_t getColorSpace() const { return m_colorSpace; }
    int16_t getXPosition() const { return m_x; }
    int16_t getYPosition() const { return m_y; }
    int16_t getRelXPosition() const { return m_relX; }
    int16_t getRelYPosition() const { return m_relY; }
    int isXPositionAbsolute() const { return (m_flags & X_ABSOLUTE) ? 1 : 0; }
    int isYPositionAbsolute() const { return (m_flags & Y_ABSOLUTE) ? 1 : 0; }
    int isXPositionRelative() const { return (m_flags & X_RELATIVE) ? 1 : 0; }
    int isYPositionRelative() const { return (m_flags & Y_RELATIVE) ? 1 : 0; }

private:
    void setFlag(uint8_t bit, int on)
    {
        if (on)
            m_flags = static_cast<uint8_t>(m_flags | bit);
    }

    uint32_t m_color = 0;
    uint8_t m_flags = 0;
    int32_t m_colorSpace = 5;
    int16_t m_x = 0;
    int16_t m_y = 0;
    int16_t m_relX = 0;
    int16_t m_relY = 0;
};

} // namespace qel

#endif
