#include "qel/afp/AfpTripletRepeatingGroup.h"

#include "qel/afp/AfpTriplet.h"
#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"

#include <new>

namespace qel
{
namespace afp
{

TripletRepeatingGroup::~TripletRepeatingGroup() = default;

void TripletRepeatingGroup::addTriplet(Triplet* triplet)
{
    logDebugText("qel::afp::TripletRepeatingGroup::addTriplet");
    if (!triplet) {
        logDebugText("\tTriplet = (NULL)");
        return;
    }
    if (!m_children) {
        m_children = new (std::nothrow) DLinkedList<WritableContext>(true);
        if (!m_children)
            throw "Memory allocation for qel::afp::TripletRepeatingGroup::addTriplet::pLstWritableContext failed";
    }
    m_length = static_cast<uint16_t>(m_length + triplet->evaluateLength());
    m_children->append(WritableContext::holding(triplet));
    triplet->addReference(1);
}

int TripletRepeatingGroup::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    logDebugText("qel::afp::TripletRepeatingGroup::write");
    if (!dataStream || !m_children || m_length == 0) {
        logDebugText("\tStream or pLstWritableContext or TotalLength = (NULL)");
        return -1;
    }
    std::vector<unsigned char> length;
    put16(length, m_length);
    int rc = dataStream->write(length.data(), 2);
    for (DNode<WritableContext>* node = m_children->getFirst(); node; node = node->getNext()) {
        WritableContext* context = node->getData();
        if (context && context->getWritable() && !context->isSuppressed())
            rc = context->getWritable()->write(dataStream, controlFlags, context->getLastWritten());
    }
    return rc;
}

} // namespace afp
} // namespace qel
