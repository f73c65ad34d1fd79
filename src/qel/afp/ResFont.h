#ifndef QEL_LIB_RES_FONT_H
#define QEL_LIB_RES_FONT_H

#include "qel/afp/Resource.h"

#include <cstdint>

namespace qel
{

// One font as the writers see it.
class ResFont : public Resource
{
public:
    // Type 1, all names copied.
    ResFont(const char* name, const char* codedFontName, const char* characterSetName, const char* codePageName,
            float size, int weight, bool italic, uint16_t characterRotation);
    // No AFP names; type 0.
    ResFont(const char* name, float size, int weight, bool italic, uint16_t characterRotation);
    ~ResFont() override;

    int initialize() override;
    int finalize() override;

    // The family name is the resource's name.
    using Resource::getName;
    using Resource::setName;
    void setCodedFontName(const char* name);
    void setCharacterSetName(const char* name);
    void setCodePageName(const char* name);
    void setINICodePageName(const char* name);
    const char* getCodedFontName() const { return m_codedFontName; }
    const char* getCharacterSetName() const { return m_characterSetName; }
    const char* getCodePageName() const { return m_codePageName; }
    const char* getINICodePageName() const { return m_iniCodePageName; }

    void setSize(float size) { m_size = size; }
    float getSize() const { return m_size; }
    void setWeight(int weight) { m_weight = weight; }
    int getWeight() const { return m_weight; }
    void setItalic(bool on) { m_italic = on ? 1 : 0; }
    bool getItalic() const { return m_italic != 0; }
    void setType(int type) { m_type = type; }
    int getType() const { return m_type; }
    void setCharacterRotation(uint16_t rotation) { m_characterRotation = rotation; }
    uint16_t getCharacterRotation() const { return m_characterRotation; }
    void setTranslateText(int on) { m_translateText = on; }
    int isTranslateText() const { return m_translateText; }

private:
    char* m_codedFontName = nullptr;
    char* m_characterSetName = nullptr;
    char* m_codePageName = nullptr;
    char* m_iniCodePageName = nullptr;
    float m_size = 0;
    int32_t m_weight = 0;
    unsigned char m_italic = 0;
    int32_t m_type = 0;
    uint16_t m_characterRotation = 0;
    int32_t m_translateText = 1;
};

} // namespace qel

#endif
