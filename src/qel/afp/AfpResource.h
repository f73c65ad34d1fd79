#ifndef QEL_AFP_RESOURCE_H
#define QEL_AFP_RESOURCE_H

#include "qel/afp/Resource.h"

#include <cstdint>

namespace qel
{
namespace afp
{

class StructuredField;

// A MO:DCA resource with its local identifier.
class Resource : public qel::Resource
{
public:
    enum { ADD_AT_HEAD = 1, ADD_AT_TAIL = 2 };

    explicit Resource(int localId = 0);
    ~Resource() override;

    int initialize() override { return 0; }
    int finalize() override { return 0; }

    void setLocalId(int localId) { m_localId = localId; }
    int getLocalId() const { return m_localId; }
    // Mode 2 enters the field at the tail, any other mode at the head.
    void addStructuredField(StructuredField* field, int mode);

private:
    int32_t m_localId;
};

} // namespace afp
} // namespace qel

#endif
