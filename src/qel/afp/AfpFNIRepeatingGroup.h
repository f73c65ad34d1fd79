#ifndef QEL_AFP_FNI_REPEATING_GROUP_H
#define QEL_AFP_FNI_REPEATING_GROUP_H

#include "qel/afp/AfpRepeatingGroup.h"

#include <cstdint>

namespace qel
{
namespace afp
{

// One Font Index entry (28 bytes). Every value the 2-byte fields carry is
// taken, except that with the relative-units flag 0 a negative B-space is
// kept as 0 and its presence bit stays clear.
class FNIRepeatingGroup : public RepeatingGroup
{
public:
    enum Presence {
        ASCENDER = 0x01, DESCENDER = 0x02, A_SPACE = 0x08, B_SPACE = 0x10, C_SPACE = 0x20, BASELINE = 0x40
    };

    FNIRepeatingGroup();
    FNIRepeatingGroup(const char* name, int16_t characterIncrement, int16_t ascenderHeight, int16_t descenderDepth,
                      uint16_t mapIndex, int16_t aSpace, int16_t bSpace, int16_t cSpace, int16_t baselineOffset,
                      int relativeUnits);
    ~FNIRepeatingGroup() override;

    uint16_t evaluateLength() override;
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    // The graphic character id as given (at most 8 characters written); a
    // null name leaves none, written as 8 zero bytes.
    void setGraphicCharacterGID(const char* name);
    const char* getGraphicCharacterGID() const { return m_name; }

    void setCharacterIncrement(int16_t v) { m_characterIncrement = v; }
    void setAscenderHeight(int16_t v) { m_ascenderHeight = accept(v, INT16_MIN, ASCENDER); }
    void setDescenderDepth(int16_t v) { m_descenderDepth = accept(v, INT16_MIN, DESCENDER); }
    void setMapIndex(uint16_t v) { m_mapIndex = v; }
    void setASpace(int16_t v) { m_aSpace = accept(v, INT16_MIN, A_SPACE); }
    void setBSpace(int16_t v) { m_bSpace = accept(v, 0, B_SPACE); }
    void setCSpace(int16_t v) { m_cSpace = accept(v, INT16_MIN, C_SPACE); }
    void setBaselineOffset(int16_t v) { m_baselineOffset = accept(v, INT16_MIN, BASELINE); }
    void setRelativeUnits(int v) { m_relativeUnits = v; }

    int16_t getCharacterIncrement() const { return m_characterIncrement; }
    int16_t getAscenderHeight() const { return m_ascenderHeight; }
    int16_t getDescenderDepth() const { return m_descenderDepth; }
    uint16_t getMapIndex() const { return m_mapIndex; }
    int16_t getASpace() const { return m_aSpace; }
    int16_t getBSpace() const { return m_bSpace; }
    int16_t getCSpace() const { return m_cSpace; }
    int16_t getBaselineOffset() const { return m_baselineOffset; }
    int getRelativeUnits() const { return m_relativeUnits; }
    uint8_t getPresence() const { return m_presence; }
    int getForm() const { return 2; }

private:
    int16_t accept(int16_t value, int lowest, uint8_t bit);

    char* m_name = nullptr;
    int16_t m_characterIncrement = 0;
    int16_t m_ascenderHeight = 0;
    int16_t m_descenderDepth = 0;
    uint16_t m_mapIndex = 0;
    int16_t m_aSpace = 0;
    int16_t m_bSpace = 0;
    int16_t m_cSpace = 0;
    int16_t m_baselineOffset = 0;
    int m_relativeUnits = 0;
    uint8_t m_presence = 0;
};

} // namespace afp
} // namespace qel

#endif
