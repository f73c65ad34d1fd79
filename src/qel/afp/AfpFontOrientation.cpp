#include "qel/afp/AfpFontOrientation.h"

#include "qel/afp/AfpFNORepeatingGroup.h"
#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"

#include <new>

namespace qel
{
namespace afp
{

FontOrientation::FontOrientation()
{
    setLength(8);
}

FontOrientation::~FontOrientation()
{
    delete m_groups;
}

int FontOrientation::slotOf(uint32_t rotation)
{
    switch (rotation) {
    case 0x0000: return 0;
    case 0x2D00: return 1;
    case 0x5A00: return 2;
    case 0x8700: return 3;
    default: return -1;
    }
}

uint32_t FontOrientation::getFieldLength() const
{
    uint32_t length = 8;
    for (const FNORepeatingGroup* group : m_slots)
        if (group)
            length += 26;
    return length;
}

void FontOrientation::addRepeatingGroup(FNORepeatingGroup* group)
{
    logDebugText("qel::afp::FontOrientation::addRepeatingGroup");
    if (!group) {
        logDebugText("\tRepeatingGroup = (NULL)");
        return;
    }
    if (!m_groups) {
        m_groups = new (std::nothrow) DLinkedList<WritableContext>(true);
        if (!m_groups)
            throw "Memory allocation for qel::afp::FontOrientation::addRepeatingGroup::pLstWritableContext failed";
    }
    group->evaluateLength();
    m_groups->append(WritableContext::holding(group));
    group->addReference(1);
    const int slot = slotOf(group->getRotation());
    if (slot >= 0)
        m_slots[slot] = group;
}

void FontOrientation::setFNIIndex(uint32_t rotation, int32_t number)
{
    FNORepeatingGroup* group = getSlot(slotOf(rotation));
    if (!group)
        return;
    group->setFlags(static_cast<uint8_t>(group->getFlags() | ((number << 5) & 0xE0)));
    group->setFNIIndex(number);
}

int FontOrientation::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    logDebugText("qel::afp::FontOrientation::write");
    if (!dataStream) {
        logDebugText("Stream or pLstWritableContext = (null)");
        return -1;
    }
    std::vector<unsigned char> bytes =
        header(0xD3AE89, "Memory allocation for qel::afp::FontOrientation::write::pbyHeaderTmp failed");
    write5A(dataStream, controlFlags);
    putLength(bytes, static_cast<uint16_t>(getFieldLength()));
    const int rc = dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
    if (rc < 0)
        return rc;
    for (FNORepeatingGroup* group : m_slots)
        if (group)
            group->write(dataStream, controlFlags, nullptr);
    return 0;
}

} // namespace afp
} // namespace qel
