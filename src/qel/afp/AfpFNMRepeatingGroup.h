#ifndef QEL_AFP_FNM_REPEATING_GROUP_H
#define QEL_AFP_FNM_REPEATING_GROUP_H

#include "qel/afp/AfpRepeatingGroup.h"

namespace qel
{
namespace afp
{

// One Font Patterns Map entry (8 bytes): box width and height, each minus
// 1, and the offset of the pattern in the whole pattern data.
class FNMRepeatingGroup : public RepeatingGroup
{
public:
    FNMRepeatingGroup(uint16_t boxWidth = 0, uint16_t boxHeight = 0, uint32_t patternOffset = 0);
    ~FNMRepeatingGroup() override;

    uint16_t evaluateLength() override;
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    void setBoxWidth(uint16_t v) { m_boxWidth = v; }
    void setBoxHeight(uint16_t v) { m_boxHeight = v; }
    void setPatternOffset(uint32_t v) { m_patternOffset = v; }
    uint16_t getBoxWidth() const { return m_boxWidth; }
    uint16_t getBoxHeight() const { return m_boxHeight; }
    uint32_t getPatternOffset() const { return m_patternOffset; }

private:
    uint16_t m_boxWidth;
    uint16_t m_boxHeight;
    uint32_t m_patternOffset;
};

} // namespace afp
} // namespace qel

#endif
