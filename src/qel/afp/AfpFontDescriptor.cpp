#include "qel/afp/AfpFontDescriptor.h"

#include "qel/afp/DataPool.h"
#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"
#include "qel/afp/TranslationTable.h"
#include "qel/afp/Utils.h"

#include <cstdlib>
#include <cstring>

namespace qel
{
namespace afp
{

namespace
{

void put16At(std::vector<unsigned char>& bytes, size_t at, uint16_t value)
{
    bytes[at] = static_cast<unsigned char>(value >> 8);
    bytes[at + 1] = static_cast<unsigned char>(value & 0xFF);
}

} // namespace

FontDescriptor::FontDescriptor()
{
    setLength(88);
}

FontDescriptor::FontDescriptor(const char* description, uint8_t weightClass, uint8_t widthClass,
                               uint16_t maxVerticalSize, uint16_t nominalVerticalSize, uint16_t minVerticalSize,
                               uint16_t maxHorizontalSize, uint16_t nominalHorizontalSize,
                               uint16_t minHorizontalSize, uint8_t designGeneralClass, uint8_t designSubclass,
                               uint8_t designSpecificGroup, uint16_t designFlags, uint16_t gcsgid, uint16_t fgid)
    : m_weightClass(weightClass), m_widthClass(widthClass), m_maxVerticalSize(maxVerticalSize),
      m_nominalVerticalSize(nominalVerticalSize), m_minVerticalSize(minVerticalSize),
      m_maxHorizontalSize(maxHorizontalSize), m_nominalHorizontalSize(nominalHorizontalSize),
      m_minHorizontalSize(minHorizontalSize), m_designGeneralClass(designGeneralClass),
      m_designSubclass(designSubclass), m_designSpecificGroup(designSpecificGroup), m_designFlags(designFlags),
      m_gcsgid(gcsgid), m_fgid(fgid)
{
    setLength(88);
    setTypeFaceDescription(description);
}

FontDescriptor::~FontDescriptor()
{
    std::free(m_description);
}

void FontDescriptor::setTypeFaceDescription(const char* text)
{
    m_description = Utils::setMutator(m_description, text, 0);
}

int FontDescriptor::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    logDebugText("qel::afp::FontDescriptor::write");
    if (!dataStream) {
        logDebugText("Stream or pLstWritableContext = (null)");
        return -1;
    }
    std::vector<unsigned char> bytes =
        header(0xD3A689, "Memory allocation for qel::afp::FontDescriptor::write::pbyHeaderTmp failed");
    if (bytes.size() < 88)
        return -1;
    write5A(dataStream, controlFlags);
    logInfo("FontDescriptor : %s", m_description ? m_description : "");
    putLength(bytes, getLength());
    unsigned char* data = bytes.data() + 8;
    if (m_description) {
        std::memset(data, ' ', 32);
        std::memcpy(data, m_description, strnlen(m_description, 32));
        DataPool::getInstance()->getTranslationTable()->asciiToEBCDIC(data, 32);
    }
    data[32] = m_weightClass;
    data[33] = m_widthClass;
    put16At(bytes, 8 + 34, m_maxVerticalSize);
    put16At(bytes, 8 + 36, m_nominalVerticalSize);
    put16At(bytes, 8 + 38, m_minVerticalSize);
    put16At(bytes, 8 + 40, m_maxHorizontalSize);
    put16At(bytes, 8 + 42, m_nominalHorizontalSize);
    put16At(bytes, 8 + 44, m_minHorizontalSize);
    data[46] = m_designGeneralClass;
    data[47] = m_designSubclass;
    data[48] = m_designSpecificGroup;
    put16At(bytes, 8 + 64, m_designFlags);
    put16At(bytes, 8 + 76, m_gcsgid);
    put16At(bytes, 8 + 78, m_fgid);
    const int rc = dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
    return writeTriplets(dataStream, controlFlags, rc);
}

} // namespace afp
} // namespace qel
