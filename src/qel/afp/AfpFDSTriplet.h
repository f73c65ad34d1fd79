#ifndef QEL_AFP_FDS_TRIPLET_H
#define QEL_AFP_FDS_TRIPLET_H

#include "qel/afp/AfpTriplet.h"

namespace qel
{
namespace afp
{

// Font Descriptor Specification (X'1F'): 20 bytes at IS/2 or with usage
// flag X'40', else 9.
class FDSTriplet : public Triplet
{
public:
    enum : uint8_t {
        ITALIC = 0x80, UNDERSCORED = 0x40, HOLLOW = 0x10, OVERSTRUCK = 0x08, PROPORTIONAL = 0x04, KERNED = 0x02,
        MODCA_P_DESIGN = 0x01
    };
    enum : uint8_t { USAGE_40 = 0x40, USAGE_20 = 0x20 };

    FDSTriplet() = default;
    FDSTriplet(uint16_t verticalSize, uint16_t horizontalSize, uint8_t designFlags, uint8_t weightClass,
               uint8_t widthClass);
    FDSTriplet(uint16_t verticalSize, uint16_t horizontalSize, bool italic, bool underscored, bool hollow,
               bool overstruck, bool proportional, bool kerned, uint8_t weightClass, uint8_t widthClass);
    ~FDSTriplet() override;

    uint8_t evaluateLength() override;
    uint8_t getId() override { return 0x1F; }
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    void setUsageFlag40(bool on) { setUsage(USAGE_40, on); }
    void setUsageFlag20(bool on) { setUsage(USAGE_20, on); }
    bool getUsageFlag40() const { return (m_usageFlags & USAGE_40) != 0; }
    bool getUsageFlag20() const { return (m_usageFlags & USAGE_20) != 0; }
    void setWeightClass(uint8_t value) { m_weightClass = value; }
    void setWidthClass(uint8_t value) { m_widthClass = value; }
    void setVerticalSize(uint16_t value) { m_verticalSize = value; }
    void setHorizontalSize(uint16_t value) { m_horizontalSize = value; }
    void setDesignFlags(uint8_t value) { m_designFlags = value; }
    uint8_t getWeightClass() const { return m_weightClass; }
    uint8_t getWidthClass() const { return m_widthClass; }
    uint16_t getVerticalSize() const { return m_verticalSize; }
    uint16_t getHorizontalSize() const { return m_horizontalSize; }
    uint8_t getDesignFlags() const { return m_designFlags; }
    uint8_t getUsageFlags() const { return m_usageFlags; }

private:
    void setUsage(uint8_t bit, bool on)
    {
        m_usageFlags = static_cast<uint8_t>(on ? (m_usageFlags | bit) : (m_usageFlags & ~bit));
    }

    uint8_t m_weightClass = 5;
    uint8_t m_widthClass = 5;
    uint16_t m_verticalSize = 0;
    uint16_t m_horizontalSize = 0;
    uint8_t m_designFlags = 0;
    uint8_t m_usageFlags = 0;
};

} // namespace afp
} // namespace qel

#endif
