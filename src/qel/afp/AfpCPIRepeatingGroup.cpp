#include "qel/afp/AfpCPIRepeatingGroup.h"

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

CPIRepeatingGroup::CPIRepeatingGroup()
{
    m_length = 10;
}

CPIRepeatingGroup::CPIRepeatingGroup(const char* name, uint8_t flags, uint8_t codePoint)
    : m_flags(flags), m_codePoint(codePoint)
{
    m_length = 10;
    setGraphCharID(name);
}

CPIRepeatingGroup::~CPIRepeatingGroup() = default;

void CPIRepeatingGroup::setGraphCharID(const char* name)
{
    logDebugText("qel::afp::CPIRepeatingGroup::setGraphCharID");
    if (!name)
        logDebugText("Name=(null)");
    m_gcgid = ResCharacterSet::makeGraphicCharacterGID(name, "00000000");
}

uint16_t CPIRepeatingGroup::evaluateLength()
{
    m_length = 10;
    return 10;
}

int CPIRepeatingGroup::write(DataStream* dataStream, uint16_t, DNode<WritableContext>*)
{
    logDebugText("qel::afp::CPIRepeatingGroup::write");
    if (!dataStream) {
        logDebugText("Stream is (null)");
        return -1;
    }
    unsigned char bytes[10];
    std::memset(bytes, ' ', 8);
    std::memcpy(bytes, m_gcgid.data(), std::min<size_t>(8, m_gcgid.size()));
    DataPool::getInstance()->getTranslationTable()->asciiToEBCDIC(bytes, 8);
    bytes[8] = m_flags;
    bytes[9] = m_codePoint;
    return dataStream->write(bytes, 10);
}

} // namespace afp
} // namespace qel
