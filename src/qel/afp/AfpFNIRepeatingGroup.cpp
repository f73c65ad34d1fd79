#include "qel/afp/AfpFNIRepeatingGroup.h"

#include "qel/afp/AfpTriplet.h"
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

FNIRepeatingGroup::FNIRepeatingGroup()
{
    m_length = 28;
}

FNIRepeatingGroup::FNIRepeatingGroup(const char* name, int16_t characterIncrement, int16_t ascenderHeight,
                                     int16_t descenderDepth, uint16_t mapIndex, int16_t aSpace, int16_t bSpace,
                                     int16_t cSpace, int16_t baselineOffset, int relativeUnits)
    : m_characterIncrement(characterIncrement), m_mapIndex(mapIndex), m_relativeUnits(relativeUnits)
{
    m_length = 28;
    setGraphicCharacterGID(name);
    setAscenderHeight(ascenderHeight);
    setDescenderDepth(descenderDepth);
    setASpace(aSpace);
    setBSpace(bSpace);
    setCSpace(cSpace);
    setBaselineOffset(baselineOffset);
}

FNIRepeatingGroup::~FNIRepeatingGroup()
{
    std::free(m_name);
}

int16_t FNIRepeatingGroup::accept(int16_t value, int lowest, uint8_t bit)
{
    // Raster fonts of large sizes or high resolutions have pel values well
    // above 256; the fields are signed 16-bit and carry them.
    if (m_relativeUnits == 0 && value < lowest) {
        m_presence = static_cast<uint8_t>(m_presence & ~bit);
        return 0;
    }
    m_presence = static_cast<uint8_t>(m_presence | bit);
    return value;
}

void FNIRepeatingGroup::setGraphicCharacterGID(const char* name)
{
    logDebugText("qel::afp::FNIRepeatingGroup::setGraphicCharacterGID");
    if (!name)
        logDebugText("Name=(null)");
    else
        logDebug("Name=%s", name);
    m_name = Utils::setMutator(m_name, name, 8);
}

uint16_t FNIRepeatingGroup::evaluateLength()
{
    m_length = 28;
    return 28;
}

int FNIRepeatingGroup::write(DataStream* dataStream, uint16_t, DNode<WritableContext>*)
{
    logDebugText("qel::afp::FNIRepeatingGroup::write");
    if (!dataStream) {
        logDebugText("Stream is (null)");
        return -1;
    }
    std::vector<unsigned char> bytes(8, 0);
    if (m_name) {
        logInfo("GCGID : %s", m_name);
        std::memset(bytes.data(), ' ', 8);
        std::memcpy(bytes.data(), m_name, strnlen(m_name, 8));
        DataPool::getInstance()->getTranslationTable()->asciiToEBCDIC(bytes.data(), 8);
    }
    put16(bytes, static_cast<uint16_t>(m_characterIncrement));
    put16(bytes, static_cast<uint16_t>(m_ascenderHeight));
    put16(bytes, static_cast<uint16_t>(m_descenderDepth));
    put16(bytes, 0);
    put16(bytes, m_mapIndex);
    put16(bytes, static_cast<uint16_t>(m_aSpace));
    put16(bytes, static_cast<uint16_t>(m_bSpace));
    put16(bytes, static_cast<uint16_t>(m_cSpace));
    put16(bytes, 0);
    put16(bytes, static_cast<uint16_t>(m_baselineOffset));
    return dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
}

} // namespace afp
} // namespace qel
