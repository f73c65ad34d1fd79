#include "qel/afp/ResFont.h"

#include "qel/afp/Log.h"
#include "qel/afp/Utils.h"

#include <cstdlib>

namespace qel
{

namespace
{

char* copyName(char* old, const char* text)
{
    if (!text)
        logDebugText("\tName=(null)");
    return Utils::setMutator(old, text, 0);
}

} // namespace

ResFont::ResFont(const char* name, const char* codedFontName, const char* characterSetName,
                 const char* codePageName, float size, int weight, bool italic, uint16_t characterRotation)
    : ResFont(name, size, weight, italic, characterRotation)
{
    setCodedFontName(codedFontName);
    setCharacterSetName(characterSetName);
    setCodePageName(codePageName);
    m_type = 1;
}

ResFont::ResFont(const char* name, float size, int weight, bool italic, uint16_t characterRotation)
    : m_size(size), m_weight(weight), m_italic(italic ? 1 : 0), m_characterRotation(characterRotation)
{
    setName(name);
}

ResFont::~ResFont()
{
    std::free(m_codedFontName);
    std::free(m_characterSetName);
    std::free(m_codePageName);
    std::free(m_iniCodePageName);
}

int ResFont::initialize()
{
    setInitialized(true);
    return 0;
}

int ResFont::finalize()
{
    if (!isInitialized())
        initialize();
    setInitialized(false);
    return 0;
}

void ResFont::setCodedFontName(const char* name)
{
    m_codedFontName = copyName(m_codedFontName, name);
}

void ResFont::setCharacterSetName(const char* name)
{
    m_characterSetName = copyName(m_characterSetName, name);
}

void ResFont::setCodePageName(const char* name)
{
    m_codePageName = copyName(m_codePageName, name);
}

void ResFont::setINICodePageName(const char* name)
{
    m_iniCodePageName = copyName(m_iniCodePageName, name);
}

} // namespace qel
