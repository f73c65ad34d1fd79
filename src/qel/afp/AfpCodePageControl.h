#ifndef QEL_AFP_CODE_PAGE_CONTROL_H
#define QEL_AFP_CODE_PAGE_CONTROL_H

#include "qel/afp/AfpStructuredField.h"

#include <string>

namespace qel
{
namespace afp
{

// Code Page Control (X'D3A787', 21 bytes).
class CodePageControl : public StructuredField
{
public:
    CodePageControl();
    CodePageControl(const char* defaultCharacter, uint8_t defaultFlags, uint8_t spaceSection, uint8_t spaceCodePoint,
                    uint8_t useFlags, uint32_t groupLength);
    ~CodePageControl() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    // Keeps the graphic character id of the name (an empty name gives
    // eight '0'); a null name leaves none, written as EBCDIC blanks.
    void setDefCharGlobalId(const char* name);
    const char* getDefCharGlobalId() const { return m_hasDefault ? m_defaultCharacter.c_str() : nullptr; }
    void setDefCharUseFlags(uint8_t v) { m_defaultFlags = v; }
    void setSpaceCharSectionNumber(uint8_t v) { m_spaceSection = v; }
    void setSpaceCharCodePoint(uint8_t v) { m_spaceCodePoint = v; }
    void setCodePageUseFlags(uint8_t v) { m_useFlags = v; }
    void setCPIRepeatingGroupLength(uint32_t v) { m_groupLength = v; }
    uint8_t getDefCharUseFlags() const { return m_defaultFlags; }
    uint8_t getSpaceCharSectionNumber() const { return m_spaceSection; }
    uint8_t getSpaceCharCodePoint() const { return m_spaceCodePoint; }
    uint8_t getCodePageUseFlags() const { return m_useFlags; }
    uint32_t getCPIRepeatingGroupLength() const { return m_groupLength; }

private:
    std::string m_defaultCharacter;
    bool m_hasDefault = false;
    uint8_t m_defaultFlags = 0;
    uint8_t m_spaceSection = 0;
    uint8_t m_spaceCodePoint = 0;
    uint8_t m_useFlags = 0;
    uint32_t m_groupLength = 10;
};

} // namespace afp
} // namespace qel

#endif
