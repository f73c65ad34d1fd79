#include "qel/afp/AfpMCF1RepeatingGroup.h"

#include "qel/afp/DataPool.h"
#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"
#include "qel/afp/TranslationTable.h"
#include "qel/afp/Utils.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace qel
{
namespace afp
{

namespace
{

char* copyName(char* old, const char* name)
{
    if (!name)
        logDebugText("Name=(null)");
    return Utils::setMutator(old, name, 0);
}

// Eight bytes: a present name blank filled or cut, in EBCDIC; an absent
// one eight X'00'.
void putName(std::vector<unsigned char>& bytes, const char* name, const char* label)
{
    unsigned char eight[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    if (name) {
        const size_t n = strnlen(name, 8);
        std::memset(eight, ' ', 8);
        std::memcpy(eight, name, n);
        DataPool::getInstance()->getTranslationTable()->asciiToEBCDIC(eight, 8);
        logInfo("%s: %s", label, name);
    } else {
        logInfo("%s: (null)", label);
    }
    bytes.insert(bytes.end(), eight, eight + 8);
}

} // namespace

MCF1RepeatingGroup::MCF1RepeatingGroup()
{
    m_length = 28;
}

MCF1RepeatingGroup::~MCF1RepeatingGroup()
{
    std::free(m_codedFontName);
    std::free(m_characterSetName);
    std::free(m_codePageName);
}

void MCF1RepeatingGroup::setCodedFontName(const char* name)
{
    m_codedFontName = copyName(m_codedFontName, name);
}

void MCF1RepeatingGroup::setCharacterSetName(const char* name)
{
    m_characterSetName = copyName(m_characterSetName, name);
}

void MCF1RepeatingGroup::setCodePageName(const char* name)
{
    m_codePageName = copyName(m_codePageName, name);
}

int MCF1RepeatingGroup::write(DataStream* dataStream, uint16_t, DNode<WritableContext>*)
{
    logDebugText("qel::afp::MCF1RepeatingGroup::write");
    if (!dataStream) {
        logDebugText("Stream is (null)");
        return -1;
    }
    std::vector<unsigned char> bytes = {m_localId, 0x00, m_sectionId, 0x00};
    putName(bytes, m_codedFontName, "Coded Font Name");
    putName(bytes, m_codePageName, "Code Page Name");
    putName(bytes, m_characterSetName, "Character Set Name");
    if (m_groupLength == 30) {
        bytes.push_back(static_cast<unsigned char>(m_rotation >> 8));
        bytes.push_back(static_cast<unsigned char>(m_rotation & 0xFF));
    }
    return dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
}

} // namespace afp
} // namespace qel
