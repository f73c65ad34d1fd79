#ifndef QEL_AFP_TEXT_H
#define QEL_AFP_TEXT_H

#include "qel/afp/Text.h"

#include <cstdint>

namespace qel
{
namespace afp
{

// A PTOCA text: the attributes the presentation text object turns into
// control sequences. It writes nothing itself.
class Text : public qel::Text
{
public:
    Text() = default;
    Text(const char* text, int16_t x, int16_t y, bool xAbsolute, bool yAbsolute, bool xRelative, bool yRelative,
         int16_t iDegrees, int16_t bDegrees, uint8_t iMinutes, uint8_t bMinutes);
    Text(const unsigned char* bytes, uint16_t length, int16_t x, int16_t y, bool xAbsolute, bool yAbsolute,
         bool xRelative, bool yRelative, int16_t iDegrees, int16_t bDegrees, uint8_t iMinutes, uint8_t bMinutes);
    ~Text() override;

    // Writes nothing and returns 0.
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    void setIOrientationDegrees(int16_t degrees);
    void setIOrientationMinutes(uint8_t minutes);
    void setBOrientationDegrees(int16_t degrees);
    void setBOrientationMinutes(uint8_t minutes);
    void setFontLocalId(uint8_t id);
    int16_t getIOrientationDegrees() const { return m_iDegrees; }
    uint8_t getIOrientationMinutes() const { return m_iMinutes; }
    int16_t getBOrientationDegrees() const { return m_bDegrees; }
    uint8_t getBOrientationMinutes() const { return m_bMinutes; }
    uint8_t getFontLocalId() const { return m_fontLocalId; }

    // 1: the bytes are code points already; no translation to EBCDIC.
    void setDataEncoded(uint8_t on) { m_dataEncoded = on; }
    uint8_t isDataEncoded() const { return m_dataEncoded; }
    // 0 means none.
    void setVariableSpaceIncrement(uint16_t value) { m_variableSpaceIncrement = value; }
    uint16_t getVariableSpaceIncrement() const { return m_variableSpaceIncrement; }
    void setInterCharacterAdjustment(uint16_t value) { m_interCharacterAdjustment = value; }
    uint16_t getInterCharacterAdjustment() const { return m_interCharacterAdjustment; }
    void setInterCharacterDirection(uint8_t value) { m_interCharacterDirection = value; }
    uint8_t getInterCharacterDirection() const { return m_interCharacterDirection; }
    // The underscore bypass byte; 0 means no underscore.
    void setUnderscore(uint8_t value) { m_underscore = value; }
    uint8_t getUnderscore() const { return m_underscore; }
    void setOverstrikeCharacter(uint16_t value) { m_overstrikeCharacter = value; }
    uint16_t getOverstrikeCharacter() const { return m_overstrikeCharacter; }
    // The overstrike bypass byte; 0 means no overstrike.
    void setOverstrike(uint8_t value) { m_overstrike = value; }
    uint8_t getOverstrike() const { return m_overstrike; }

private:
    int16_t m_iDegrees = 0;
    uint8_t m_iMinutes = 0;
    int16_t m_bDegrees = 0;
    uint8_t m_bMinutes = 0;
    uint8_t m_fontLocalId = 0;
    uint8_t m_dataEncoded = 0;
    uint16_t m_variableSpaceIncrement = 0;
    uint16_t m_interCharacterAdjustment = 0;
    uint8_t m_interCharacterDirection = 0;
    uint8_t m_underscore = 0;
    uint16_t m_overstrikeCharacter = 0;
    uint8_t m_overstrike = 0;
};

} // namespace afp
} // namespace qel

#endif
