#ifndef QEL_AFP_FNP_REPEATING_GROUP_H
#define QEL_AFP_FNP_REPEATING_GROUP_H

#include "qel/afp/AfpRepeatingGroup.h"

namespace qel
{
namespace afp
{

// One Font Position entry (22 bytes); its rotation (0, 90, 180, 270
// degrees) is kept, not written.
class FNPRepeatingGroup : public RepeatingGroup
{
public:
    FNPRepeatingGroup(int16_t lowercaseHeight = 0, int16_t capMHeight = 0, int16_t maxAscenderHeight = 0,
                      int16_t maxDescenderDepth = 0, int16_t underscoreWidth = 0, int16_t underscorePosition = 0,
                      uint32_t rotation = 0);
    ~FNPRepeatingGroup() override;

    uint16_t evaluateLength() override;
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    void setLowercaseHeight(int16_t v) { m_lowercaseHeight = v; }
    void setCapMHeight(int16_t v) { m_capMHeight = v; }
    void setMaxAscenderHeight(int16_t v) { m_maxAscenderHeight = v; }
    void setMaxDescenderDepth(int16_t v) { m_maxDescenderDepth = v; }
    void setUnderscoreWidth(int16_t v) { m_underscoreWidth = v; }
    void setUnderscorePosition(int16_t v) { m_underscorePosition = v; }
    void setRotation(uint32_t v) { m_rotation = v; }
    int16_t getLowercaseHeight() const { return m_lowercaseHeight; }
    int16_t getCapMHeight() const { return m_capMHeight; }
    int16_t getMaxAscenderHeight() const { return m_maxAscenderHeight; }
    int16_t getMaxDescenderDepth() const { return m_maxDescenderDepth; }
    int16_t getUnderscoreWidth() const { return m_underscoreWidth; }
    int16_t getUnderscorePosition() const { return m_underscorePosition; }
    uint32_t getRotation() const { return m_rotation; }

private:
    int16_t m_lowercaseHeight;
    int16_t m_capMHeight;
    int16_t m_maxAscenderHeight;
    int16_t m_maxDescenderDepth;
    int16_t m_underscoreWidth;
    int16_t m_underscorePosition;
    uint32_t m_rotation;
};

} // namespace afp
} // namespace qel

#endif
