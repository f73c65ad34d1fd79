#ifndef QEL_AFP_END_DOCUMENT_ENVIRONMENT_GROUP_H
#define QEL_AFP_END_DOCUMENT_ENVIRONMENT_GROUP_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

// End Document Environment Group (X'D3A9C4'): 16 bytes with a name, the
// 8-byte introducer alone without one.
class EndDocumentEnvironmentGroup : public StructuredField
{
public:
    EndDocumentEnvironmentGroup();
    explicit EndDocumentEnvironmentGroup(const char* name);
    ~EndDocumentEnvironmentGroup() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
};

} // namespace afp
} // namespace qel

#endif
