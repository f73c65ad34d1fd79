#ifndef QEL_AFP_MAP_PAGE_OVERLAY_H
#define QEL_AFP_MAP_PAGE_OVERLAY_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

class TripletRepeatingGroup;

// Map Page Overlay (X'D3ABD8'): one triplet repeating group per overlay.
class MapPageOverlay : public StructuredField
{
public:
    MapPageOverlay();
    ~MapPageOverlay() override;

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
