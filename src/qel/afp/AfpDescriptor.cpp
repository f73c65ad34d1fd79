#include "qel/afp/AfpDescriptor.h"

#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

Descriptor::Descriptor(uint8_t xUnitBase, uint8_t yUnitBase, uint16_t xUnitsPerUnitBase,
                       uint16_t yUnitsPerUnitBase, uint16_t xSize, uint16_t ySize)
    : m_xUnitBase(xUnitBase), m_yUnitBase(yUnitBase), m_xUnitsPerUnitBase(xUnitsPerUnitBase),
      m_yUnitsPerUnitBase(yUnitsPerUnitBase), m_xSize(xSize), m_ySize(ySize)
{
}

Descriptor::~Descriptor() = default;

void Descriptor::putMeasurements(std::vector<unsigned char>& bytes) const
{
    bytes.push_back(m_xUnitBase);
    bytes.push_back(m_yUnitBase);
    bytes.push_back(static_cast<unsigned char>(m_xUnitsPerUnitBase >> 8));
    bytes.push_back(static_cast<unsigned char>(m_xUnitsPerUnitBase & 0xFF));
    bytes.push_back(static_cast<unsigned char>(m_yUnitsPerUnitBase >> 8));
    bytes.push_back(static_cast<unsigned char>(m_yUnitsPerUnitBase & 0xFF));
    // Extents are three-byte numbers; the high byte of a 16-bit value is 0.
    bytes.push_back(0x00);
    bytes.push_back(static_cast<unsigned char>(m_xSize >> 8));
    bytes.push_back(static_cast<unsigned char>(m_xSize & 0xFF));
    bytes.push_back(0x00);
    bytes.push_back(static_cast<unsigned char>(m_ySize >> 8));
    bytes.push_back(static_cast<unsigned char>(m_ySize & 0xFF));
}

void Descriptor::logUnitBase(const char* head, uint8_t base)
{
    if (base == 0)
        logInfo("%s ten inches", head);
    else if (base == 1)
        logInfo("%s ten centimeters", head);
    else
        logInfo("%s invalid value( %d )", head, base);
}

} // namespace afp
} // namespace qel
