#ifndef QEL_AFP_FONT_ORIENTATION_H
#define QEL_AFP_FONT_ORIENTATION_H

#include "qel/afp/AfpFNORepeatingGroup.h"
#include "qel/afp/AfpRotationGroupField.h"

namespace qel
{
namespace afp
{

// Font Orientation (X'D3AE89'): the groups of the rotations 0, 90, 180 and 270 degrees, in that order.
class FontOrientation : public RotationGroupField<FNORepeatingGroup>
{
public:
    FontOrientation();
    ~FontOrientation() override;

    // ORs the Font Index number (low three bits) into the flags of the
    // rotation's group and keeps it there.
    void setFNIIndex(uint32_t rotation, int32_t number);
    // 0..3 for the four rotations, -1 for any other value.
    static int slotOf(uint32_t rotation);
};

} // namespace afp
} // namespace qel

#endif
