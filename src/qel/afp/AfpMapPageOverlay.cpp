#include "qel/afp/AfpMapPageOverlay.h"

#include "qel/afp/AfpTripletRepeatingGroup.h"
#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"

#include <new>
#include <vector>

namespace qel
{
namespace afp
{

MapPageOverlay::MapPageOverlay()
{
    setLength(8);
}

MapPageOverlay::~MapPageOverlay()
{
    delete m_groups;
}

void MapPageOverlay::addRepeatingGroup(TripletRepeatingGroup* group)
{
    logDebugText("qel::afp::MapPageOverlay::addRepeatingGroup");
    if (!group) {
        logDebugText("\tRepeatingGroup = (NULL)");
        return;
    }
    if (!m_groups) {
        m_groups = new (std::nothrow) DLinkedList<WritableContext>(true);
        if (!m_groups)
            throw "Memory allocation for qel::afp::MapPageOverlay::addRepeatingGroup::pLstWritableContext failed";
    }
    setLength(static_cast<uint16_t>(getLength() + group->evaluateLength()));
    m_groups->append(WritableContext::holding(group));
    group->addReference(1);
}

int MapPageOverlay::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    logDebugText("qel::afp::MapPageOverlay::write");
    if (!dataStream || !m_groups) {
        logDebugText("\tStream or pLstWritableContext = (NULL)");
        return -1;
    }
    std::vector<unsigned char> bytes = {0x00, 0x08, 0xD3, 0xAB, 0xD8, 0x00, 0x00, 0x00};
    putLength(bytes, getLength());
    write5A(dataStream, controlFlags);
    int rc = dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
    for (DNode<WritableContext>* node = m_groups->getFirst(); node; node = node->getNext()) {
        WritableContext* context = node->getData();
        if (!context || !context->getWritable() || context->isSuppressed())
            continue;
        logInfoText("Map Page Overaly");
        rc = context->getWritable()->write(dataStream, controlFlags, context->getLastWritten());
    }
    return rc;
}

} // namespace afp
} // namespace qel
