#ifndef QEL_AFP_FONT_INDEX_H
#define QEL_AFP_FONT_INDEX_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

class RepeatingGroup;

// Font Index (X'D38C89'): 28-byte groups, one per character of one rotation, in the order added.
class FontIndex : public StructuredField
{
public:
    FontIndex();
    ~FontIndex() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    // Enters the group with one reference (null ignored).
    void addRepeatingGroup(RepeatingGroup* group);
    DLinkedList<WritableContext>* getRepeatingGroups() const { return m_groups; }
    uint16_t getDataLength() const { return m_dataLength; }
    uint32_t getFieldLength() const { return 8u + m_dataLength; }
    int getGroupCount() const { return m_groups ? m_groups->getCount() : 0; }

private:
    DLinkedList<WritableContext>* m_groups = nullptr;
    uint16_t m_dataLength = 0;
};

} // namespace afp
} // namespace qel

#endif
