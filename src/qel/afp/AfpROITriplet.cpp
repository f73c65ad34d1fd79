#include "qel/afp/AfpROITriplet.h"

#include "qel/afp/DataPool.h"
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

// A signed offset sign-extended into three bytes.
void put24(std::vector<unsigned char>& to, int16_t value)
{
    to.push_back(value < 0 ? 0xFF : 0x00);
    put16(to, static_cast<uint16_t>(value));
}

} // namespace

ROITriplet::~ROITriplet()
{
    std::free(m_name);
}

void ROITriplet::setResourceName(const char* name)
{
    m_name = Utils::setMutator(m_name, name, 0);
}

uint8_t ROITriplet::evaluateLength()
{
    setLength(m_orientation == NO_ORIENTATION ? 17 : 19);
    return getLength();
}

int ROITriplet::write(DataStream* dataStream, uint16_t, DNode<WritableContext>*)
{
    logDebugText("qel::afp::ROITriplet::write");
    if (getLength() != 17 && getLength() != 19)
        evaluateLength();
    std::vector<unsigned char> bytes = start();
    bytes.push_back(m_objectType);
    unsigned char name[8] = {0};
    if (m_name) {
        const size_t n = strnlen(m_name, 8);
        std::memcpy(name, m_name, n);
        DataPool::getInstance()->getTranslationTable()->asciiToEBCDIC(name, static_cast<int>(n));
    }
    bytes.insert(bytes.end(), name, name + 8);
    put24(bytes, m_xOffset);
    put24(bytes, m_yOffset);
    if (getLength() == 19)
        put16(bytes, m_orientation);
    logInfoText("Resource Object Include Triplet");
    return writeBytes(dataStream, bytes, "\tStream or valuelength = (NULL");
}

} // namespace afp
} // namespace qel
