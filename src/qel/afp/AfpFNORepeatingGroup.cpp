#include "qel/afp/AfpFNORepeatingGroup.h"

#include "qel/afp/AfpTriplet.h"
#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

FNORepeatingGroup::FNORepeatingGroup(int16_t maxBaselineOffset, int16_t maxCharacterIncrement,
                                     int16_t spaceCharacterIncrement, int16_t maxBaselineExtent, uint8_t flags,
                                     int16_t emSpaceIncrement, int16_t figureSpaceIncrement,
                                     int16_t nominalCharacterIncrement, int16_t defaultBaselineIncrement,
                                     int16_t minASpace, uint32_t rotation)
    : m_maxBaselineOffset(maxBaselineOffset), m_maxCharacterIncrement(maxCharacterIncrement),
      m_spaceCharacterIncrement(spaceCharacterIncrement), m_maxBaselineExtent(maxBaselineExtent), m_flags(flags),
      m_emSpaceIncrement(emSpaceIncrement), m_figureSpaceIncrement(figureSpaceIncrement),
      m_nominalCharacterIncrement(nominalCharacterIncrement), m_defaultBaselineIncrement(defaultBaselineIncrement),
      m_minASpace(minASpace), m_rotation(rotation)
{
    m_length = 26;
}

FNORepeatingGroup::~FNORepeatingGroup() = default;

uint16_t FNORepeatingGroup::evaluateLength()
{
    m_length = 26;
    return 26;
}

int FNORepeatingGroup::write(DataStream* dataStream, uint16_t, DNode<WritableContext>*)
{
    logDebugText("qel::afp::FNORepeatingGroup::write");
    if (!dataStream) {
        logDebugText("Stream is (null)");
        return -1;
    }
    std::vector<unsigned char> bytes;
    bytes.reserve(26);
    put16(bytes, 0);
    put16(bytes, m_rotation & 0xFFFF);
    put16(bytes, static_cast<uint16_t>(m_maxBaselineOffset));
    put16(bytes, static_cast<uint16_t>(m_maxCharacterIncrement));
    put16(bytes, static_cast<uint16_t>(m_spaceCharacterIncrement));
    put16(bytes, static_cast<uint16_t>(m_maxBaselineExtent));
    bytes.push_back(m_flags);
    bytes.push_back(0);
    put16(bytes, static_cast<uint16_t>(m_emSpaceIncrement));
    put16(bytes, 0);
    put16(bytes, static_cast<uint16_t>(m_figureSpaceIncrement));
    put16(bytes, static_cast<uint16_t>(m_nominalCharacterIncrement));
    put16(bytes, static_cast<uint16_t>(m_defaultBaselineIncrement));
    put16(bytes, static_cast<uint16_t>(m_minASpace));
    return dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
}

} // namespace afp
} // namespace qel
