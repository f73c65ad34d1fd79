#ifndef QEL_AFP_FNO_REPEATING_GROUP_H
#define QEL_AFP_FNO_REPEATING_GROUP_H

#include "qel/afp/AfpRepeatingGroup.h"

namespace qel
{
namespace afp
{

// One Font Orientation entry (26 bytes) for one character rotation
// (X'0000', X'2D00', X'5A00', X'8700').
class FNORepeatingGroup : public RepeatingGroup
{
public:
    FNORepeatingGroup(int16_t maxBaselineOffset = 0, int16_t maxCharacterIncrement = 0,
                      int16_t spaceCharacterIncrement = 0, int16_t maxBaselineExtent = 0, uint8_t flags = 0,
                      int16_t emSpaceIncrement = 0, int16_t figureSpaceIncrement = 0,
                      int16_t nominalCharacterIncrement = 0, int16_t defaultBaselineIncrement = 0,
                      int16_t minASpace = 0, uint32_t rotation = 0);
    ~FNORepeatingGroup() override;

    uint16_t evaluateLength() override;
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    void setMaxBaselineOffset(int16_t v) { m_maxBaselineOffset = v; }
    void setMaxCharacterIncrement(int16_t v) { m_maxCharacterIncrement = v; }
    void setSpaceCharacterIncrement(int16_t v) { m_spaceCharacterIncrement = v; }
    void setMaxBaselineExtent(int16_t v) { m_maxBaselineExtent = v; }
    void setFlags(uint8_t v) { m_flags = v; }
    void setEmSpaceIncrement(int16_t v) { m_emSpaceIncrement = v; }
    void setFigureSpaceIncrement(int16_t v) { m_figureSpaceIncrement = v; }
    void setNominalCharacterIncrement(int16_t v) { m_nominalCharacterIncrement = v; }
    void setDefaultBaselineIncrement(int16_t v) { m_defaultBaselineIncrement = v; }
    void setMinASpace(int16_t v) { m_minASpace = v; }
    void setRotation(uint32_t v) { m_rotation = v; }
    void setFNIIndex(int32_t v) { m_fniIndex = v; }
    int16_t getMaxBaselineOffset() const { return m_maxBaselineOffset; }
    int16_t getMaxCharacterIncrement() const { return m_maxCharacterIncrement; }
    int16_t getSpaceCharacterIncrement() const { return m_spaceCharacterIncrement; }
    int16_t getMaxBaselineExtent() const { return m_maxBaselineExtent; }
    uint8_t getFlags() const { return m_flags; }
    int16_t getEmSpaceIncrement() const { return m_emSpaceIncrement; }
    int16_t getFigureSpaceIncrement() const { return m_figureSpaceIncrement; }
    int16_t getNominalCharacterIncrement() const { return m_nominalCharacterIncrement; }
    int16_t getDefaultBaselineIncrement() const { return m_defaultBaselineIncrement; }
    int16_t getMinASpace() const { return m_minASpace; }
    uint32_t getRotation() const { return m_rotation; }
    int32_t getFNIIndex() const { return m_fniIndex; }

private:
    int16_t m_maxBaselineOffset;
    int16_t m_maxCharacterIncrement;
    int16_t m_spaceCharacterIncrement;
    int16_t m_maxBaselineExtent;
    uint8_t m_flags;
    int16_t m_emSpaceIncrement;
    int16_t m_figureSpaceIncrement;
    int16_t m_nominalCharacterIncrement;
    int16_t m_defaultBaselineIncrement;
    int16_t m_minASpace;
    uint32_t m_rotation;
    int32_t m_fniIndex = 0;
};

} // namespace afp
} // namespace qel

#endif
