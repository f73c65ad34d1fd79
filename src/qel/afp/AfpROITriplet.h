#ifndef QEL_AFP_ROI_TRIPLET_H
#define QEL_AFP_ROI_TRIPLET_H

#include "qel/afp/AfpTriplet.h"

namespace qel
{
namespace afp
{

// Resource Object Include (X'6C'): object type, 8-byte name, X and Y
// offsets of three bytes each and, unless it is X'FFFF' (none), the
// orientation code: 19 bytes with it, 17 without.
class ROITriplet : public Triplet
{
public:
    enum : uint16_t { NO_ORIENTATION = 0xFFFF };

    ROITriplet() = default;
    ~ROITriplet() override;

    uint8_t evaluateLength() override;
    uint8_t getId() override { return 0x6C; }
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    void setObjectType(uint8_t type) { m_objectType = type; }
    void setResourceName(const char* name);
    void setXOffset(int16_t x) { m_xOffset = x; }
    void setYOffset(int16_t y) { m_yOffset = y; }
    // An orientation code (X'2D00' for 90 degrees).
    void setOrientation(uint16_t orientation) { m_orientation = orientation; }
    uint8_t getObjectType() const { return m_objectType; }
    const char* getResourceName() const { return m_name; }
    int16_t getXOffset() const { return m_xOffset; }
    int16_t getYOffset() const { return m_yOffset; }
    uint16_t getOrientation() const { return m_orientation; }

private:
    uint8_t m_objectType = 0;
    char* m_name = nullptr;
    int16_t m_xOffset = 0;
    int16_t m_yOffset = 0;
    uint16_t m_orientation = NO_ORIENTATION;
};

} // namespace afp
} // namespace qel

#endif
