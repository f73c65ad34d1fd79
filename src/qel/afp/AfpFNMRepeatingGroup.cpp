#include "qel/afp/AfpFNMRepeatingGroup.h"

#include "qel/afp/AfpTriplet.h"
#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

FNMRepeatingGroup::FNMRepeatingGroup(uint16_t boxWidth, uint16_t boxHeight, uint32_t patternOffset)
    : m_boxWidth(boxWidth), m_boxHeight(boxHeight), m_patternOffset(patternOffset)
{
    m_length = 8;
}

FNMRepeatingGroup::~FNMRepeatingGroup() = default;

uint16_t FNMRepeatingGroup::evaluateLength()
{
    m_length = 8;
    return 8;
}

int FNMRepeatingGroup::write(DataStream* dataStream, uint16_t, DNode<WritableContext>*)
{
    logDebugText("qel::afp::FNMRepeatingGroup::write");
    if (!dataStream) {
        logDebugText("Stream is (null)");
        return -1;
    }
    std::vector<unsigned char> bytes;
    put16(bytes, static_cast<uint16_t>(m_boxWidth - 1));
    put16(bytes, static_cast<uint16_t>(m_boxHeight - 1));
    put32(bytes, m_patternOffset);
    return dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
}

} // namespace afp
} // namespace qel
