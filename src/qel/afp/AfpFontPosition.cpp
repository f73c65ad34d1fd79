#include "qel/afp/AfpFontPosition.h"

namespace qel
{
namespace afp
{

FontPosition::FontPosition()
    : RotationGroupField(0xD3AC89, 22, &FontPosition::slotOf,
                         {"qel::afp::FontPosition::addRepeatingGroup",
                          "Memory allocation for qel::afp::FontPosition::addRepeatingGroup::pLstWritableContext failed",
                          "qel::afp::FontPosition::write",
                          "Memory allocation for qel::afp::FontPosition::write::pbyHeaderTmp failed"})
{
}

FontPosition::~FontPosition() = default;

int FontPosition::slotOf(uint32_t rotation)
{
    switch (rotation) {
    case 0: return 0;
    case 90: return 1;
    case 180: return 2;
    case 270: return 3;
    default: return -1;
    }
}

} // namespace afp
} // namespace qel
