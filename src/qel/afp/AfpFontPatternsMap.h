#ifndef QEL_AFP_FONT_PATTERNS_MAP_H
#define QEL_AFP_FONT_PATTERNS_MAP_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

class RepeatingGroup;

// Font Patterns Map (X'D3A289'): one 8-byte group per character, in the order added.
class FontPatternsMap : public StructuredField
{
public:
    FontPatternsMap();
    ~FontPatternsMap() override;

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
