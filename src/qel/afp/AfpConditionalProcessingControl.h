#ifndef QEL_AFP_CONDITIONAL_PROCESSING_CONTROL_H
#define QEL_AFP_CONDITIONAL_PROCESSING_CONTROL_H

#include "qel/afp/AfpStructuredField.h"

#include <cstdint>

namespace qel
{
namespace afp
{

class CCPRepeatingGroup;

// Conditional Processing Control (X'D3A7CA'): conditions on a field of the
// current line (its repeating groups, the children of its writable list)
// and the text of the line evaluated before.
class ConditionalProcessingControl : public StructuredField
{
public:
    enum : uint8_t { BEFORE_SUBPAGE = 0x80, AFTER_SUBPAGE = 0x40, SPACING_AT_TOP = 0x20 };

    ConditionalProcessingControl();
    ~ConditionalProcessingControl() override;

    void setId(uint16_t id) { m_id = id; }
    void setNextId(uint16_t id) { m_nextId = id; }
    void setFlags(uint8_t flags) { m_flags = flags; }
    void setRepeatingGroupCount(uint16_t count) { m_groupCount = count; }
    void setRepeatingGroupLength(uint16_t length) { m_groupLength = length; }
    void setComparisonStringLength(uint16_t length) { m_comparisonLength = length; }
    void setPreviousTextLength(int length) { m_previousLength = length; }
    uint16_t getId() const { return m_id; }
    uint16_t getNextId() const { return m_nextId; }
    uint8_t getFlags() const { return m_flags; }
    uint16_t getRepeatingGroupCount() const { return m_groupCount; }
    uint16_t getRepeatingGroupLength() const { return m_groupLength; }
    uint16_t getComparisonStringLength() const { return m_comparisonLength; }
    int getPreviousTextLength() const { return m_previousLength; }
    const char* getPreviousText() const { return m_previous; }
    DLinkedList<WritableContext>* getRepeatingGroups() const { return m_groups; }

    // Appends the group unless its length differs from the groups' length
    // set before (then nothing changes and the caller keeps the group).
    void addRepeatingGroup(CCPRepeatingGroup* group);
    // The first group whose condition holds; null when none does.
    CCPRepeatingGroup* findMatchingRepeatingGroup(const char* data, int length, const char* previous,
                                                  int previousLength);
    // The matching group against the line evaluated before; the line (at
    // most length bytes, up to a zero byte) then becomes the previous text.
    CCPRepeatingGroup* evaluate(const char* data, int length);
    // A copy with its length; none and 0 for null.
    void setPreviousText(const char* text);
    void resetPreviousText();

    // 20 bytes, then the repeating groups.
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

private:
    void storePrevious(const char* text, size_t length);

    uint16_t m_id = 0;
    uint16_t m_nextId = 0;
    uint8_t m_flags = 0;
    uint16_t m_groupCount = 0;
    uint16_t m_groupLength = 0;
    uint16_t m_comparisonLength = 0;
    // The repeating groups, one reference each.
    DLinkedList<WritableContext>* m_groups = nullptr;
    char* m_previous = nullptr;
    int m_previousLength = 0;
};

} // namespace afp
} // namespace qel

#endif
