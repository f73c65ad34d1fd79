#include "qel/afp/AfpMapCodedFont.h"

#include "qel/afp/AfpTripletRepeatingGroup.h"
#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"

#include <new>
#include <vector>

namespace qel
{
namespace afp
{

MapCodedFont::MapCodedFont()
{
    setLength(8);
}

MapCodedFont::~MapCodedFont()
{
    delete m_groups;
}

void MapCodedFont::addRepeatingGroup(TripletRepeatingGroup* group)
{
    logDebugText("qel::afp::MapCodedFont::addRepeatingGroup");
    if (!group) {
        logDebugText("\tRepeatingGroup = (NULL)");
        return;
    }
    if (!m_groups) {
        m_groups = new (std::nothrow) DLinkedList<WritableContext>(true);
        if (!m_groups)
            throw "Memory allocation for qel::afp::MapCodedFont::addRepeatingGroup::pLstWritableContext failed";
    }
    setLength(static_cast<uint16_t>(getLength() + group->evaluateLength()));
    m_groups->append(WritableContext::holding(group));
    group->addReference(1);
}

int MapCodedFont::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    logDebugText("qel::afp::MapCodedFont::write");
    if (!dataStream || !m_groups) {
        logDebugText("\tStream or pLstWritableContext = (NULL)");
        return -1;
    }
    std::vector<unsigned char> bytes = {0x00, 0x08, 0xD3, 0xAB, 0x8A, 0x00, 0x00, 0x00};
    putLength(bytes, getLength());
    write5A(dataStream, controlFlags);
    int rc = dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
    for (DNode<WritableContext>* node = m_groups->getFirst(); node; node = node->getNext()) {
        WritableContext* context = node->getData();
        if (!context || !context->getWritable() || context->isSuppressed())
            continue;
        logInfoText("Map Coded Font Format 2");
        rc = context->getWritable()->write(dataStream, controlFlags, context->getLastWritten());
    }
    return rc;
}

} // namespace afp
} // namespace qel
