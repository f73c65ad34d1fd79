#include "qel/afp/AfpFNPRepeatingGroup.h"

#include "qel/afp/AfpTriplet.h"
#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

FNPRepeatingGroup::FNPRepeatingGroup(int16_t lowercaseHeight, int16_t capMHeight, int16_t maxAscenderHeight,
                                     int16_t maxDescenderDepth, int16_t underscoreWidth,
                                     int16_t underscorePosition, uint32_t rotation)
    : m_lowercaseHeight(lowercaseHeight), m_capMHeight(capMHeight), m_maxAscenderHeight(maxAscenderHeight),
      m_maxDescenderDepth(maxDescenderDepth), m_underscoreWidth(underscoreWidth),
      m_underscorePosition(underscorePosition), m_rotation(rotation)
{
    m_length = 22;
}

FNPRepeatingGroup::~FNPRepeatingGroup() = default;

uint16_t FNPRepeatingGroup::evaluateLength()
{
    m_length = 22;
    return 22;
}

int FNPRepeatingGroup::write(DataStream* dataStream, uint16_t, DNode<WritableContext>*)
{
    logDebugText("qel::afp::FNPRepeatingGroup::write");
    if (!dataStream) {
        logDebugText("Stream is (null)");
        return -1;
    }
    std::vector<unsigned char> bytes;
    bytes.reserve(22);
    put16(bytes, 0);
    put16(bytes, static_cast<uint16_t>(m_lowercaseHeight));
    put16(bytes, static_cast<uint16_t>(m_capMHeight));
    put16(bytes, static_cast<uint16_t>(m_maxAscenderHeight));
    put16(bytes, static_cast<uint16_t>(m_maxDescenderDepth));
    bytes.insert(bytes.end(), 7, 0);
    put16(bytes, static_cast<uint16_t>(m_underscoreWidth));
    bytes.push_back(0);
    put16(bytes, static_cast<uint16_t>(m_underscorePosition));
    return dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
}

} // namespace afp
} // namespace qel
