#include "qel/afp/AfpCodePageControl.h"

#include "qel/afp/AfpResCharacterSet.h"
#include "qel/afp/DataPool.h"
#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"
#include "qel/afp/TranslationTable.h"

#include <algorithm>
#include <cstring>

namespace qel
{
namespace afp
{

CodePageControl::CodePageControl()
{
    setLength(21);
}

CodePageControl::CodePageControl(const char* defaultCharacter, uint8_t defaultFlags, uint8_t spaceSection,
                                 uint8_t spaceCodePoint, uint8_t useFlags, uint32_t groupLength)
    : m_defaultFlags(defaultFlags), m_spaceSection(spaceSection), m_spaceCodePoint(spaceCodePoint),
      m_useFlags(useFlags), m_groupLength(groupLength)
{
    setLength(21);
    setDefCharGlobalId(defaultCharacter);
}

CodePageControl::~CodePageControl() = default;

void CodePageControl::setDefCharGlobalId(const char* name)
{
    logDebugText("qel::afp::CodePageControl::setDefCharGlobalId");
    if (!name) {
        logDebugText("Name=(null)");
        m_hasDefault = false;
        m_defaultCharacter.clear();
        return;
    }
    m_hasDefault = true;
    m_defaultCharacter = ResCharacterSet::makeGraphicCharacterGID(name, "00000000");
}

int CodePageControl::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    logDebugText("qel::afp::CodePageControl::write");
    if (!dataStream) {
        logDebugText("Stream or pLstWritableContext = (null)");
        return -1;
    }
    logInfoText("CodePageControl");
    std::vector<unsigned char> bytes =
        header(0xD3A787, "Memory allocation for qel::afp::CodePageControl::write::pbyHeaderTmp failed");
    if (bytes.size() < 21)
        return -1;
    write5A(dataStream, controlFlags);
    unsigned char* data = bytes.data() + 8;
    if (m_hasDefault) {
        std::memset(data, ' ', 8);
        std::memcpy(data, m_defaultCharacter.data(), std::min<size_t>(8, m_defaultCharacter.size()));
        DataPool::getInstance()->getTranslationTable()->asciiToEBCDIC(data, 8);
    }
    data[8] = m_defaultFlags;
    data[9] = static_cast<unsigned char>(m_groupLength);
    data[10] = m_spaceSection;
    data[11] = m_spaceCodePoint;
    data[12] = m_useFlags;
    return dataStream->write(bytes.data(), 21);
}

} // namespace afp
} // namespace qel
