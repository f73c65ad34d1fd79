#ifndef QEL_AFP_MAP_CODED_FONT1_H
#define QEL_AFP_MAP_CODED_FONT1_H

#include "qel/afp/AfpStructuredField.h"

#include <cstdint>

namespace qel
{
namespace afp
{

class MCF1RepeatingGroup;

// Map Coded Font format 1 (X'D3B18A'), as the page-definition reader
// fills it: fixed-length repeating groups, one slot per local id.
class MapCodedFont1 : public StructuredField
{
public:
    MapCodedFont1();
    ~MapCodedFont1() override;

    // Local ids 1 to 127 and 254 are accepted, others ignored. A rotation
    // of -1 (X'FFFF') means none: a 28-byte group, else 30 bytes. A later
    // group of the same id takes the slot; both stay in the field.
    void addRepeatingGroup(int localId, uint8_t sectionId, const char* codedFontName, const char* characterSetName,
                           const char* codePageName, int rotation);
    void setRepeatingGroupLength(uint8_t length) { m_groupLength = length; }
    uint8_t getRepeatingGroupLength() const { return m_groupLength; }
    // The slot of the local id modulo 256; null when empty.
    MCF1RepeatingGroup* getRepeatingGroup(int localId) const;
    // The first filled slot from 0 up; null when none.
    MCF1RepeatingGroup* getFirstRepeatingGroup() const;
    DLinkedList<WritableContext>* getRepeatingGroups() const { return m_groups; }

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

private:
    uint8_t m_groupLength = 0;
    MCF1RepeatingGroup* m_slots[256] = {};
    DLinkedList<WritableContext>* m_groups = nullptr;
};

} // namespace afp
} // namespace qel

#endif
