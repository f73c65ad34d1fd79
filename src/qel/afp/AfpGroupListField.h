#ifndef QEL_AFP_GROUP_LIST_FIELD_H
#define QEL_AFP_GROUP_LIST_FIELD_H

#include "qel/afp/AfpStructuredField.h"

#include <string>

namespace qel
{
namespace afp
{

class TripletRepeatingGroup;

// A field made of an 8-byte introducer and a list of triplet repeating
// groups (Map Coded Font format 2, Map Page Overlay).
class GroupListField : public StructuredField
{
public:
    ~GroupListField() override;

    // Grows the field length by the group's length and keeps the group
    // with one reference; null is ignored.
    void addRepeatingGroup(TripletRepeatingGroup* group);
    DLinkedList<WritableContext>* getRepeatingGroups() const { return m_groups; }

    // The introducer with the field length, then the groups; -1 without a
    // stream or without groups.
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

protected:
    // className names the field in debug lines; typeCode is the third
    // byte of its identifier; groupText is logged before each group;
    // allocationText is thrown when the list cannot be made.
    GroupListField(const char* className, uint8_t typeCode, const char* groupText, const char* allocationText);

private:
    std::string m_addText;
    std::string m_writeText;
    uint8_t m_typeCode;
    const char* m_groupText;
    const char* m_allocationText;
    DLinkedList<WritableContext>* m_groups = nullptr;
};

} // namespace afp
} // namespace qel

#endif
