#include "qel/afp/AfpInvokeMediumMap.h"

#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

InvokeMediumMap::InvokeMediumMap()
{
    setLength(16);
}

InvokeMediumMap::InvokeMediumMap(const char* name) : InvokeMediumMap()
{
    setName(name);
}

InvokeMediumMap::~InvokeMediumMap() = default;

int InvokeMediumMap::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    if (!dataStream) {
        logDebugText("\tStream = (NULL)");
        return -1;
    }
    return writeTemplateField(dataStream, controlFlags, 0xD3ABCC, "qel::afp::InvokeMediumMap::write",
                              "Memory allocation for qel::afp::InvokeMediumMap::write::pbyHeaderTmp failed",
                              "Invoke Medium Map : %s");
}

} // namespace afp
} // namespace qel
