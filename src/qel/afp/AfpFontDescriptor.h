#ifndef QEL_AFP_FONT_DESCRIPTOR_H
#define QEL_AFP_FONT_DESCRIPTOR_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

// Font Descriptor (X'D3A689', 88 bytes), then its Fully Qualified Name
// triplets.
class FontDescriptor : public StructuredField
{
public:
    FontDescriptor();
    FontDescriptor(const char* description, uint8_t weightClass, uint8_t widthClass, uint16_t maxVerticalSize,
                   uint16_t nominalVerticalSize, uint16_t minVerticalSize, uint16_t maxHorizontalSize,
                   uint16_t nominalHorizontalSize, uint16_t minHorizontalSize, uint8_t designGeneralClass,
                   uint8_t designSubclass, uint8_t designSpecificGroup, uint16_t designFlags, uint16_t gcsgid,
                   uint16_t fgid);
    ~FontDescriptor() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    // A null text leaves none (32 zero bytes are written).
    void setTypeFaceDescription(const char* text);
    const char* getTypeFaceDescription() const { return m_description; }
    void setWeightClass(uint8_t v) { m_weightClass = v; }
    void setWidthClass(uint8_t v) { m_widthClass = v; }
    void setMaxVerticalSize(uint16_t v) { m_maxVerticalSize = v; }
    void setNominalVerticalSize(uint16_t v) { m_nominalVerticalSize = v; }
    void setMinVerticalSize(uint16_t v) { m_minVerticalSize = v; }
    void setMaxHorizontalSize(uint16_t v) { m_maxHorizontalSize = v; }
    void setNominalHorizontalSize(uint16_t v) { m_nominalHorizontalSize = v; }
    void setMinHorizontalSize(uint16_t v) { m_minHorizontalSize = v; }
    void setDesignGeneralClass(uint8_t v) { m_designGeneralClass = v; }
    void setDesignSubclass(uint8_t v) { m_designSubclass = v; }
    void setDesignSpecificGroup(uint8_t v) { m_designSpecificGroup = v; }
    void setDesignFlags(uint16_t v) { m_designFlags = v; }
    void setGCSGID(uint16_t v) { m_gcsgid = v; }
    void setFGID(uint16_t v) { m_fgid = v; }
    uint8_t getWeightClass() const { return m_weightClass; }
    uint8_t getWidthClass() const { return m_widthClass; }
    uint16_t getMaxVerticalSize() const { return m_maxVerticalSize; }
    uint16_t getNominalVerticalSize() const { return m_nominalVerticalSize; }
    uint16_t getMinVerticalSize() const { return m_minVerticalSize; }
    uint16_t getMaxHorizontalSize() const { return m_maxHorizontalSize; }
    uint16_t getNominalHorizontalSize() const { return m_nominalHorizontalSize; }
    uint16_t getMinHorizontalSize() const { return m_minHorizontalSize; }
    uint8_t getDesignGeneralClass() const { return m_designGeneralClass; }
    uint8_t getDesignSubclass() const { return m_designSubclass; }
    uint8_t getDesignSpecificGroup() const { return m_designSpecificGroup; }
    uint16_t getDesignFlags() const { return m_designFlags; }
    uint16_t getGCSGID() const { return m_gcsgid; }
    uint16_t getFGID() const { return m_fgid; }

private:
    char* m_description = nullptr;
    uint8_t m_weightClass = 5;
    uint8_t m_widthClass = 5;
    uint16_t m_maxVerticalSize = 0;
    uint16_t m_nominalVerticalSize = 0;
    uint16_t m_minVerticalSize = 0;
    uint16_t m_maxHorizontalSize = 0;
    uint16_t m_nominalHorizontalSize = 0;
    uint16_t m_minHorizontalSize = 0;
    uint8_t m_designGeneralClass = 0;
    uint8_t m_designSubclass = 0;
    uint8_t m_designSpecificGroup = 0;
    uint16_t m_designFlags = 0;
    uint16_t m_gcsgid = 0;
    uint16_t m_fgid = 0;
};

} // namespace afp
} // namespace qel

#endif
