#include "qel/afp/AfpFontOrientation.h"

namespace qel
{
namespace afp
{

FontOrientation::FontOrientation()
    : RotationGroupField(0xD3AE89, 26, &FontOrientation::slotOf,
                         {"qel::afp::FontOrientation::addRepeatingGroup",
                          "Memory allocation for qel::afp::FontOrientation::addRepeatingGroup::pLstWritableContext failed",
                          "qel::afp::FontOrientation::write",
                          "Memory allocation for qel::afp::FontOrientation::write::pbyHeaderTmp failed"})
{
}

FontOrientation::~FontOrientation() = default;

int FontOrientation::slotOf(uint32_t rotation)
{
    switch (rotation) {
    case 0x0000: return 0;
    case 0x2D00: return 1;
    case 0x5A00: return 2;
    case 0x8700: return 3;
    default: return -1;
    }
}

void FontOrientation::setFNIIndex(uint32_t rotation, int32_t number)
{
    FNORepeatingGroup* group = getSlot(slotOf(rotation));
    if (!group)
        return;
    group->setFlags(static_cast<uint8_t>(group->getFlags() | ((number << 5) & 0xE0)));
    group->setFNIIndex(number);
}

} // namespace afp
} // namespace qel
