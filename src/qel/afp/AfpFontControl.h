#ifndef QEL_AFP_FONT_CONTROL_H
#define QEL_AFP_FONT_CONTROL_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

// Font Control (X'D3A789', 36 bytes), then its Extension Font triplet.
// Resolutions are kept in units per inch and written times 10; box sizes
// are kept in pels and written minus 1.
class FontControl : public StructuredField
{
public:
    FontControl();
    FontControl(uint8_t flags, uint16_t xResolution, uint16_t yResolution, uint8_t xUnitBase, uint8_t yUnitBase,
                uint16_t maxBoxWidth, uint16_t maxBoxHeight, uint8_t alignment, uint16_t extension,
                uint16_t xShapeResolution, uint16_t yShapeResolution);
    ~FontControl() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
    // The empty constructor's values.
    void reset();

    void setPatternTechnology(uint8_t v) { m_technology = v; }
    void setFlags(uint8_t v) { m_flags = v; }
    void setXUnitBase(uint8_t v) { m_xUnitBase = v; }
    void setYUnitBase(uint8_t v) { m_yUnitBase = v; }
    void setXResolution(uint16_t v) { m_xResolution = v; }
    void setYResolution(uint16_t v) { m_yResolution = v; }
    void setMaxCharacterBoxWidth(uint16_t v) { m_maxBoxWidth = v; }
    void setMaxCharacterBoxHeight(uint16_t v) { m_maxBoxHeight = v; }
    void setAlignment(uint8_t v) { m_alignment = v; }
    void setFNIRepeatingGroupLength(uint8_t v) { m_fniLength = v; }
    void setFNMRepeatingGroupLength(uint8_t v) { m_fnmLength = v; }
    void setRasterPatternDataCount(uint32_t v) { m_patternCount = v & 0xFFFFFF; }
    void setXShapeResolution(uint16_t v) { m_xShapeResolution = v; }
    void setYShapeResolution(uint16_t v) { m_yShapeResolution = v; }
    void setExtension(uint16_t v) { m_extension = v; }
    uint8_t getPatternTechnology() const { return m_technology; }
    uint8_t getFlags() const { return m_flags; }
    uint8_t getXUnitBase() const { return m_xUnitBase; }
    uint8_t getYUnitBase() const { return m_yUnitBase; }
    uint16_t getXResolution() const { return m_xResolution; }
    uint16_t getYResolution() const { return m_yResolution; }
    uint16_t getMaxCharacterBoxWidth() const { return m_maxBoxWidth; }
    uint16_t getMaxCharacterBoxHeight() const { return m_maxBoxHeight; }
    uint8_t getAlignment() const { return m_alignment; }
    uint8_t getFNIRepeatingGroupLength() const { return m_fniLength; }
    uint8_t getFNMRepeatingGroupLength() const { return m_fnmLength; }
    uint32_t getRasterPatternDataCount() const { return m_patternCount; }
    uint16_t getXShapeResolution() const { return m_xShapeResolution; }
    uint16_t getYShapeResolution() const { return m_yShapeResolution; }
    uint16_t getExtension() const { return m_extension; }

private:
    uint8_t m_technology = 5;
    uint8_t m_flags = 0;
    uint8_t m_xUnitBase = 0;
    uint8_t m_yUnitBase = 0;
    uint16_t m_xResolution = 0;
    uint16_t m_yResolution = 0;
    uint16_t m_maxBoxWidth = 0;
    uint16_t m_maxBoxHeight = 0;
    uint8_t m_alignment = 0;
    uint8_t m_fniLength = 0;
    uint8_t m_fnmLength = 0;
    uint32_t m_patternCount = 0;
    uint16_t m_xShapeResolution = 0;
    uint16_t m_yShapeResolution = 0;
    uint16_t m_extension = 0;
};

} // namespace afp
} // namespace qel

#endif
