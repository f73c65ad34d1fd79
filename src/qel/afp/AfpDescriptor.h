#ifndef QEL_AFP_DESCRIPTOR_H
#define QEL_AFP_DESCRIPTOR_H

#include "qel/afp/AfpStructuredField.h"

#include <cstdint>
#include <vector>

namespace qel
{
namespace afp
{

// The measurements shared by the Page Descriptor and the Presentation Text
// Descriptor: unit bases (0 ten inches, 1 ten centimeters), units per unit
// base and extents.
class Descriptor : public StructuredField
{
public:
    Descriptor() = default;
    Descriptor(uint8_t xUnitBase, uint8_t yUnitBase, uint16_t xUnitsPerUnitBase, uint16_t yUnitsPerUnitBase,
               uint16_t xSize, uint16_t ySize);
    ~Descriptor() override;

    void setXUnitBase(uint8_t value) { m_xUnitBase = value; }
    void setYUnitBase(uint8_t value) { m_yUnitBase = value; }
    void setXUnitsPerUnitBase(uint16_t value) { m_xUnitsPerUnitBase = value; }
    void setYUnitsPerUnitBase(uint16_t value) { m_yUnitsPerUnitBase = value; }
    void setXSize(uint16_t value) { m_xSize = value; }
    void setYSize(uint16_t value) { m_ySize = value; }
    uint8_t getXUnitBase() const { return m_xUnitBase; }
    uint8_t getYUnitBase() const { return m_yUnitBase; }
    uint16_t getXUnitsPerUnitBase() const { return m_xUnitsPerUnitBase; }
    uint16_t getYUnitsPerUnitBase() const { return m_yUnitsPerUnitBase; }
    uint16_t getXSize() const { return m_xSize; }
    uint16_t getYSize() const { return m_ySize; }

protected:
    // The twelve bytes from the unit bases to the three-byte extents.
    void putMeasurements(std::vector<unsigned char>& bytes) const;
    // The unit base line of the log: "ten inches", "ten centimeters" or
    // the invalid value.
    static void logUnitBase(const char* head, uint8_t base);

private:
    uint8_t m_xUnitBase = 0;
    uint8_t m_yUnitBase = 0;
    uint16_t m_xUnitsPerUnitBase = 0;
    uint16_t m_yUnitsPerUnitBase = 0;
    uint16_t m_xSize = 0;
    uint16_t m_ySize = 0;
};

} // namespace afp
} // namespace qel

#endif
