#ifndef QEL_IMAGE_HANDLE_H
#define QEL_IMAGE_HANDLE_H

#include <cstdint>

// Image of a raster drawing back end, deleted through its virtual
// destructor. Minimal form: the raster output completes the back ends.
class qelImageHandle
{
public:
    virtual ~qelImageHandle() = default;
    // 0 gd image, 1 GDI image.
    virtual int getHandleKind() const = 0;

    uint8_t isBilevel() const { return m_bilevel; }
    void setBilevel(uint8_t on) { m_bilevel = on; }
    int16_t getOrientation() const { return m_orientation; }
    void setOrientation(int16_t degrees) { m_orientation = degrees; }

private:
    uint8_t m_bilevel = 0;
    int16_t m_orientation = 0;
};

#endif
