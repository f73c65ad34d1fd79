#ifndef QEL_AFP_FONT_POSITION_H
#define QEL_AFP_FONT_POSITION_H

#include "qel/afp/AfpFNPRepeatingGroup.h"
#include "qel/afp/AfpRotationGroupField.h"

namespace qel
{
namespace afp
{

// Font Position (X'D3AC89'): the groups of the rotations 0, 90, 180 and 270 degrees, in that order.
class FontPosition : public RotationGroupField<FNPRepeatingGroup>
{
public:
    FontPosition();
    ~FontPosition() override;

    // 0..3 for the four rotations in degrees, -1 for any other value.
    static int slotOf(uint32_t rotation);
};

} // namespace afp
} // namespace qel

#endif
