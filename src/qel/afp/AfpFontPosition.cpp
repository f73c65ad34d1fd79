#include "qel/afp/AfpFontPosition.h"

#include "qel/afp/AfpFNPRepeatingGroup.h"
#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"

#include <new>

namespace qel
{
namespace afp
{

FontPosition::FontPosition()
{
    setLength(8);
}

FontPosition::~FontPosition()
{
    delete m_groups;
}

int FontPosition::slotOf(uint32_t rotation)
{
    switch (rotation) {
    case 0: return 0;
    case 90: return 1;
    case 180: return 2;
    case 270: return 3;
    default: return -1;
    }
}

uint32_t FontPosition::getFieldLength() const
{
    uint32_t length = 8;
    for (const FNPRepeatingGroup* group : m_slots)
        if (group)
            length += 22;
    return length;
}

void FontPosition::addRepeatingGroup(FNPRepeatingGroup* group)
{
    logDebugText("qel::afp::FontPosition::addRepeatingGroup");
    if (!group) {
        logDebugText("\tRepeatingGroup = (NULL)");
        return;
    }
    if (!m_groups) {
        m_groups = new (std::nothrow) DLinkedList<WritableContext>(true);
        if (!m_groups)
            throw "Memory allocation for qel::afp::FontPosition::addRepeatingGroup::pLstWritableContext failed";
    }
    group->evaluateLength();
    m_groups->append(WritableContext::holding(group));
    group->addReference(1);
    const int slot = slotOf(group->getRotation());
    if (slot >= 0)
        m_slots[slot] = group;
}

int FontPosition::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    logDebugText("qel::afp::FontPosition::write");
    if (!dataStream) {
        logDebugText("Stream or pLstWritableContext = (null)");
        return -1;
    }
    std::vector<unsigned char> bytes =
        header(0xD3AC89, "Memory allocation for qel::afp::FontPosition::write::pbyHeaderTmp failed");
    write5A(dataStream, controlFlags);
    putLength(bytes, static_cast<uint16_t>(getFieldLength()));
    const int rc = dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
    if (rc < 0)
        return rc;
    for (FNPRepeatingGroup* group : m_slots)
        if (group)
            group->write(dataStream, controlFlags, nullptr);
    return 0;
}

} // namespace afp
} // namespace qel
