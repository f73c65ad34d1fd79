#ifndef QEL_AFP_END_RESOURCE_GROUP_H
#define QEL_AFP_END_RESOURCE_GROUP_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

// End Resource Group (X'D3A9C6'): the template with the name.
class EndResourceGroup : public StructuredField
{
public:
    EndResourceGroup();
    explicit EndResourceGroup(const char* name);
    ~EndResourceGroup() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
};

} // namespace afp
} // namespace qel

#endif
