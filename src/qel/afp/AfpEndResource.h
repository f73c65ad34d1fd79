#ifndef QEL_AFP_END_RESOURCE_H
#define QEL_AFP_END_RESOURCE_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

// End Resource (X'D3A9CE'): the template with the name.
class EndResource : public StructuredField
{
public:
    EndResource();
    explicit EndResource(const char* name);
    ~EndResource() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
};

} // namespace afp
} // namespace qel

#endif
