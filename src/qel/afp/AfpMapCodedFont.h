#ifndef QEL_AFP_MAP_CODED_FONT_H
#define QEL_AFP_MAP_CODED_FONT_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

class TripletRepeatingGroup;

// Map Coded Font format 2 (X'D3AB8A'): one triplet repeating group per
// mapped font.
class MapCodedFont : public StructuredField
{
public:
    MapCodedFont();
    ~MapCodedFont() override;

    // Grows the field length by the group's length and keeps the group
    // with one reference; null is ignored.
    void addRepeatingGroup(TripletRepeatingGroup* group);
    DLinkedList<WritableContext>* getRepeatingGroups() const { return m_groups; }

    // The introducer with the field length, then the groups; -1 without a
    // stream or without groups.
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

private:
    DLinkedList<WritableContext>* m_groups = nullptr;
};

} // namespace afp
} // namespace qel

#endif
