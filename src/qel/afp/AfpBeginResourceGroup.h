#ifndef QEL_AFP_BEGIN_RESOURCE_GROUP_H
#define QEL_AFP_BEGIN_RESOURCE_GROUP_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

// Begin Resource Group (X'D3A8C6'): the template with the name.
class BeginResourceGroup : public StructuredField
{
public:
    BeginResourceGroup();
    explicit BeginResourceGroup(const char* name);
    ~BeginResourceGroup() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
};

} // namespace afp
} // namespace qel

#endif
