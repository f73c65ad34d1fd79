#include "qel/afp/AfpFontControl.h"

#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

namespace
{

void put16At(std::vector<unsigned char>& bytes, size_t at, unsigned int value)
{
    bytes[at] = static_cast<unsigned char>((value >> 8) & 0xFF);
    bytes[at + 1] = static_cast<unsigned char>(value & 0xFF);
}

} // namespace

FontControl::FontControl()
{
    setLength(36);
}

FontControl::FontControl(uint8_t flags, uint16_t xResolution, uint16_t yResolution, uint8_t xUnitBase,
                         uint8_t yUnitBase, uint16_t maxBoxWidth, uint16_t maxBoxHeight, uint8_t alignment,
                         uint16_t extension, uint16_t xShapeResolution, uint16_t yShapeResolution)
    : m_flags(flags), m_xUnitBase(xUnitBase), m_yUnitBase(yUnitBase), m_xResolution(xResolution),
      m_yResolution(yResolution), m_maxBoxWidth(maxBoxWidth), m_maxBoxHeight(maxBoxHeight), m_alignment(alignment),
      m_xShapeResolution(xShapeResolution), m_yShapeResolution(yShapeResolution), m_extension(extension)
{
    setLength(36);
}

FontControl::~FontControl() = default;

void FontControl::reset()
{
    m_technology = 5;
    m_flags = m_xUnitBase = m_yUnitBase = m_alignment = m_fniLength = m_fnmLength = 0;
    m_xResolution = m_yResolution = m_maxBoxWidth = m_maxBoxHeight = 0;
    m_xShapeResolution = m_yShapeResolution = m_extension = 0;
    m_patternCount = 0;
}

int FontControl::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    logDebugText("qel::afp::FontControl::write");
    if (!dataStream) {
        logDebugText("Stream or pLstWritableContext = (null)");
        return -1;
    }
    std::vector<unsigned char> bytes =
        header(0xD3A789, "Memory allocation for qel::afp::FontControl::write::pbyHeaderTmp failed");
    if (bytes.size() < 36)
        return -1;
    write5A(dataStream, controlFlags);
    putLength(bytes, getLength());
    unsigned char* data = bytes.data() + 8;
    data[1] = m_technology;
    data[3] = m_flags;
    data[4] = m_xUnitBase;
    data[5] = m_yUnitBase;
    // Stored in units per inch; written per ten inches.
    put16At(bytes, 8 + 6, m_xResolution * 10u);
    put16At(bytes, 8 + 8, m_yResolution * 10u);
    put16At(bytes, 8 + 10, static_cast<uint16_t>(m_maxBoxWidth - 1));
    put16At(bytes, 8 + 12, static_cast<uint16_t>(m_maxBoxHeight - 1));
    data[15] = m_fniLength;
    data[16] = m_alignment;
    data[17] = static_cast<unsigned char>(m_patternCount >> 16);
    data[18] = static_cast<unsigned char>(m_patternCount >> 8);
    data[19] = static_cast<unsigned char>(m_patternCount);
    data[21] = m_fnmLength;
    put16At(bytes, 8 + 24, m_xShapeResolution * 10u);
    put16At(bytes, 8 + 26, m_yShapeResolution * 10u);
    const int rc = dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
    return writeTriplets(dataStream, controlFlags, rc);
}

} // namespace afp
} // namespace qel
