#ifndef QEL_LIB_IMAGE_H
#define QEL_LIB_IMAGE_H

#include "qel/afp/Writable.h"

#include <cstdint>

namespace qel
{

// Image bytes with their name, position, units and orientations.
class Image : public Writable
{
public:
    Image() = default;
    Image(const char* name, const unsigned char* data, uint32_t length, uint16_t x, uint16_t y, uint8_t xUnitBase,
          uint8_t yUnitBase, uint16_t xUnits, uint16_t yUnits, uint16_t xOrientation, uint16_t yOrientation);
    ~Image() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    void setName(const char* name);
    const char* getName() const { return m_name; }
    // A copy of length bytes; null or 0 leaves the data as it is.
    void setData(const unsigned char* data, uint32_t length);
    const unsigned char* getData() const { return m_data; }
    uint32_t getDataLength() const { return m_length; }
    void setColor(uint32_t color);
    uint32_t getColor() const { return m_color; }
    void setXPosition(uint16_t x);
    void setYPosition(uint16_t y);
    uint16_t getXPosition() const { return m_x; }
    uint16_t getYPosition() const { return m_y; }
    void setXUnitBase(uint8_t base) { m_xUnitBase = base; }
    void setYUnitBase(uint8_t base) { m_yUnitBase = base; }
    uint8_t getXUnitBase() const { return m_xUnitBase; }
    uint8_t getYUnitBase() const { return m_yUnitBase; }
    void setXUnits(uint16_t units) { m_xUnits = units; }
    void setYUnits(uint16_t units) { m_yUnits = units; }
    uint16_t getXUnits() const { return m_xUnits; }
    uint16_t getYUnits() const { return m_yUnits; }
    void setXOrientation(uint16_t orientation) { m_xOrientation = orientation; }
    void setYOrientation(uint16_t orientation) { m_yOrientation = orientation; }
    uint16_t getXOrientation() const { return m_xOrientation; }
    uint16_t getYOrientation() const { return m_yOrientation; }

private:
    char* m_name = nullptr;
    unsigned char* m_data = nullptr;
    uint32_t m_length = 0;
    uint32_t m_color = 0;
    uint16_t m_x = 0;
    uint16_t m_y = 0;
    uint8_t m_xUnitBase = 0;
    uint8_t m_yUnitBase = 0;
    uint16_t m_xUnits = 0;
    uint16_t m_yUnits = 0;
    uint16_t m_xOrientation = 0;
    uint16_t m_yOrientation = 0;
};

} // namespace qel

#endif
