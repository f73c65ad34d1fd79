#include "qel/afp/AfpBeginDocumentEnvironmentGroup.h"

#include "qel/afp/AfpCGCSGIDTriplet.h"
#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

BeginDocumentEnvironmentGroup::BeginDocumentEnvironmentGroup()
{
    setLength(16);
}

BeginDocumentEnvironmentGroup::BeginDocumentEnvironmentGroup(const char* name) : BeginDocumentEnvironmentGroup()
{
    setName(name);
}

BeginDocumentEnvironmentGroup::~BeginDocumentEnvironmentGroup() = default;

int BeginDocumentEnvironmentGroup::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    logDebugText("qel::afp::BeginDocumentEnvironmentGroup::write");
    if (!dataStream)
        return -1;
    if (m_gcsgid || m_cpgid || m_ccsid)
        addTriplet(new CGCSGIDTriplet(m_gcsgid, m_cpgid, m_ccsid));
    std::vector<unsigned char> bytes =
        header(0xD3A8C4, "Memory allocation for qel::afp::BeginDocumentEnvironmentGroup::write::pbyHeaderTmp failed");
    write5A(dataStream, controlFlags);
    logInfoText("Begin Document Environment Group");
    putName(bytes.data() + 8, getName());
    putLength(bytes, getLength());
    const int rc = dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
    if (rc != 0)
        return rc;
    if (!getTriplets())
        return -2;
    return writeTriplets(dataStream, controlFlags, rc);
}

} // namespace afp
} // namespace qel
