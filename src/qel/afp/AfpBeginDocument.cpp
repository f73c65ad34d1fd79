#include "qel/afp/AfpBeginDocument.h"

#include "qel/afp/AfpCGCSGIDTriplet.h"
#include "qel/afp/AfpFQNTriplet.h"
#include "qel/afp/AfpISTriplet.h"
#include "qel/afp/DataPool.h"
#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"
#include "qel/afp/OutputProfile.h"

#include <cstring>

namespace qel
{
namespace afp
{

BeginDocument::BeginDocument()
{
    setLength(18);
}

BeginDocument::BeginDocument(const char* name) : BeginDocument()
{
    setName(name);
}

BeginDocument::~BeginDocument() = default;

int BeginDocument::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    logDebugText("qel::afp::BeginDocument::write");
    if (!dataStream)
        return -1;
    addTriplet(new CGCSGIDTriplet(m_gcsgid, m_cpgid, m_ccsid));
    if (DataPool::getInstance()->getOutputProfile()->getLevel() == OutputProfile::LEVEL_IS2)
        addTriplet(new ISTriplet(1, 1));
    if (getName() && std::strlen(getName()) > 8)
        addTriplet(new FQNTriplet(0x01, getName()));
    return writeTemplateField(dataStream, controlFlags, 0xD3A8A8, "qel::afp::BeginDocument::write",
                              "Memory allocation for qel::afp::BeginDocument::write::pbyHeaderTmp failed",
                              "Begin Document");
}

} // namespace afp
} // namespace qel
