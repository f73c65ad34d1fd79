#ifndef QEL_AFP_CCP_REPEATING_GROUP_H
#define QEL_AFP_CCP_REPEATING_GROUP_H

#include "qel/afp/AfpRepeatingGroup.h"

#include <cstdint>

namespace qel
{
namespace afp
{

// One condition of a Conditional Processing Control: the comparison of a
// field of the current line with the comparison string, and the medium-map
// and data-map actions to take when it holds.
class CCPRepeatingGroup : public RepeatingGroup
{
public:
    enum {
        ANY_CHANGE = 0,
        EQUAL = 1,
        LESS = 2,
        LESS_OR_EQUAL = 3,
        GREATER = 4,
        GREATER_OR_EQUAL = 5,
        NOT_EQUAL = 6,
        NO_COMPARISON = 7
    };

    CCPRepeatingGroup();
    // Sets the original bytes first, then the four codes, then the names
    // and the comparison string.
    CCPRepeatingGroup(uint16_t comparisonLength, const char* mediumMapName, const char* dataMapName,
                      const char* comparisonString, const char* originalBytes, int timingOfAction,
                      int mediumMapAction, int dataMapAction, int comparison);
    ~CCPRepeatingGroup() override;

    // Copies; null leaves none.
    void setMediumMapName(const char* name);
    void setDataMapName(const char* name);
    void setComparisonString(const char* text);
    // A copy of length bytes, which also becomes the comparison length;
    // null bytes or length 0 leave none.
    void setOriginalComparisonString(const char* bytes, unsigned int length);
    void setTimingOfAction(int timing) { m_timing = timing; }
    void setMediumMapAction(int action) { m_mediumMapAction = action; }
    void setDataMapAction(int action) { m_dataMapAction = action; }
    void setComparison(int comparison) { m_comparison = comparison; }
    void setComparisonLength(uint16_t length) { m_comparisonLength = length; }

    const char* getMediumMapName() const { return m_mediumMapName; }
    const char* getDataMapName() const { return m_dataMapName; }
    const char* getComparisonString() const { return m_comparisonString; }
    const char* getOriginalComparisonString() const { return m_original; }
    int getTimingOfAction() const { return m_timing; }
    int getMediumMapAction() const { return m_mediumMapAction; }
    int getDataMapAction() const { return m_dataMapAction; }
    int getComparison() const { return m_comparison; }
    uint16_t getComparisonLength() const { return m_comparisonLength; }

    // 20 + the comparison length, also stored as the group's length.
    uint16_t getLength();
    uint16_t evaluateLength() override { return getLength(); }

    // Whether the condition holds for the field at data. At most length
    // bytes of data and previousLength bytes of previous are read, each
    // ended early by a zero byte.
    bool matches(const char* data, int length, const char* previous, int previousLength) const;

    // 20 bytes and the comparison bytes, without X'5A'; the control flags
    // are ignored.
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

private:
    uint16_t m_comparisonLength = 0;
    char* m_mediumMapName = nullptr;
    char* m_dataMapName = nullptr;
    char* m_comparisonString = nullptr;
    char* m_original = nullptr;
    int m_timing = 0;
    int m_mediumMapAction = 0;
    int m_dataMapAction = 0;
    int m_comparison = 0;
};

} // namespace afp
} // namespace qel

#endif
