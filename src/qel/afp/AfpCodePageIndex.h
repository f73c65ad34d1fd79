#ifndef QEL_AFP_CODE_PAGE_INDEX_H
#define QEL_AFP_CODE_PAGE_INDEX_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

class CPIRepeatingGroup;

// Code Page Index (X'D38C87'): its 10-byte groups in the order added, and
// a table of the last group added for each code point.
class CodePageIndex : public StructuredField
{
public:
    // The groups one field holds within its two-byte length.
    static constexpr int kMaxGroups = (0xFFFF - 8) / 10;

    CodePageIndex();
    ~CodePageIndex() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    // -1 with an ERROR line when the field is full.
    int addEntry(const char* name, uint8_t flags, uint8_t codePoint);
    void addRepeatingGroup(CPIRepeatingGroup* group);
    CPIRepeatingGroup* getEntry(uint8_t codePoint) const { return m_table[codePoint]; }
    int getCount() const { return m_count; }
    uint16_t getDataLength() const { return m_dataLength; }

private:
    DLinkedList<WritableContext>* m_groups = nullptr;
    CPIRepeatingGroup* m_table[256] = {};
    uint16_t m_dataLength = 0;
    int32_t m_count = 0;
};

} // namespace afp
} // namespace qel

#endif
