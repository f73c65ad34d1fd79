#include "qel/afp/AfpBeginResource.h"

#include "qel/afp/AfpROTTriplet.h"
#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

BeginResource::BeginResource()
{
    setLength(18);
}

BeginResource::BeginResource(const char* name, uint8_t objectType) : BeginResource()
{
    setName(name);
    m_objectType = objectType;
}

BeginResource::~BeginResource() = default;

int BeginResource::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    if (!dataStream) {
        logDebugText("qel::afp::BeginResource::write");
        logDebugText("Stream or Data = (NULL)");
        return -1;
    }
    addTriplet(new ROTTriplet(m_objectType));
    return writeTemplateField(dataStream, controlFlags, 0xD3A8CE, "qel::afp::BeginResource::write",
                              "Memory allocation for qel::afp::BeginResource::write::pbyHeaderTmp failed",
                              "BeginResource");
}

} // namespace afp
} // namespace qel
