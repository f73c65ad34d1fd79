#ifndef QEL_AFP_MCF1_REPEATING_GROUP_H
#define QEL_AFP_MCF1_REPEATING_GROUP_H

#include "qel/afp/AfpRepeatingGroup.h"

#include <cstdint>

namespace qel
{
namespace afp
{

// One repeating group of a Map Coded Font format 1: local id, section id,
// the three eight-byte names and, in the 30-byte form, the character
// rotation.
class MCF1RepeatingGroup : public RepeatingGroup
{
public:
    MCF1RepeatingGroup();
    ~MCF1RepeatingGroup() override;

    uint16_t evaluateLength() override { return m_groupLength; }
    // Local id, X'00', section id, X'00', coded font name, code page name,
    // character set name (the order of the field as MO:DCA and our reader
    // have it), then the rotation when the length is 30. -1 for a null
    // stream.
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    void setLength(uint8_t length)
    {
        m_groupLength = length;
        m_length = length;
    }
    void setLocalId(uint8_t id) { m_localId = id; }
    void setSectionId(uint8_t id) { m_sectionId = id; }
    // Copies; null leaves the name empty.
    void setCodedFontName(const char* name);
    void setCharacterSetName(const char* name);
    void setCodePageName(const char* name);
    void setRotation(uint16_t rotation) { m_rotation = rotation; }
    uint8_t getGroupLength() const { return m_groupLength; }
    uint8_t getLocalId() const { return m_localId; }
    uint8_t getSectionId() const { return m_sectionId; }
    const char* getCodedFontName() const { return m_codedFontName; }
    const char* getCharacterSetName() const { return m_characterSetName; }
    const char* getCodePageName() const { return m_codePageName; }
    uint16_t getRotation() const { return m_rotation; }

private:
    uint8_t m_groupLength = 28;
    uint8_t m_localId = 0;
    uint8_t m_sectionId = 0;
    char* m_codedFontName = nullptr;
    char* m_characterSetName = nullptr;
    char* m_codePageName = nullptr;
    uint16_t m_rotation = 0;
};

} // namespace afp
} // namespace qel

#endif
