#include "qel/afp/AfpBeginDataMap.h"

#include "qel/afp/AfpPageDefinitionWrite.h"
#include "qel/afp/AfpTriplet.h"

namespace qel
{
namespace afp
{

BeginDataMap::BeginDataMap() = default;

BeginDataMap::BeginDataMap(const char* name)
{
    setName(name);
}

BeginDataMap::~BeginDataMap() = default;

int BeginDataMap::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    if (pagedef::streamMissing(dataStream, "qel::afp::BeginDataMap::write"))
        return -1;
    int rc = 0;
    if (!pagedef::lead(dataStream, controlFlags, &rc))
        return rc;
    std::vector<unsigned char> bytes = header(0xD3A8CA, "Memory allocation for qel::afp::BeginDataMap::write failed");
    bytes.resize(16);
    if (getName())
        putName(bytes.data() + 8, getName());
    if (m_format != FORMAT_NONE)
        bytes.push_back(m_format);
    unsigned int length = static_cast<unsigned int>(bytes.size());
    if (DLinkedList<WritableContext>* triplets = getTriplets()) {
        for (DNode<WritableContext>* node = triplets->getFirst(); node; node = node->getNext()) {
            WritableContext* context = node->getData();
            if (context && context->getWritable() && !context->isSuppressed())
                if (auto* triplet = dynamic_cast<Triplet*>(context->getWritable()))
                    length += triplet->getLength();
        }
    }
    pagedef::setLength(bytes, length);
    rc = dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
    if (rc != 0)
        return rc;
    return pagedef::writeChildren(getTriplets(), dataStream, controlFlags);
}

} // namespace afp
} // namespace qel
