#ifndef QEL_AFP_FONT_POSITION_H
#define QEL_AFP_FONT_POSITION_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

class FNPRepeatingGroup;

// Font Position (X'D3AC89'): the groups of the rotations 0, 90, 180 and 270 degrees, in that order.
class FontPosition : public StructuredField
{
public:
    FontPosition();
    ~FontPosition() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    // Enters the group with one reference (null ignored); a group of one
    // of the four rotations takes that rotation's slot. Only slotted
    // groups are counted and written.
    void addRepeatingGroup(FNPRepeatingGroup* group);
    // The group of a rotation slot 0..3, or null.
    FNPRepeatingGroup* getSlot(int slot) const { return slot >= 0 && slot < 4 ? m_slots[slot] : nullptr; }
    uint32_t getFieldLength() const;

    // 0..3 for the four rotations, -1 for any other value.
    static int slotOf(uint32_t rotation);

private:
    DLinkedList<WritableContext>* m_groups = nullptr;
    FNPRepeatingGroup* m_slots[4] = {nullptr, nullptr, nullptr, nullptr};
};

} // namespace afp
} // namespace qel

#endif
