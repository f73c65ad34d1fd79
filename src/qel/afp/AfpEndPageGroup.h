#ifndef QEL_AFP_END_PAGE_GROUP_H
#define QEL_AFP_END_PAGE_GROUP_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

// End Named Page Group (X'D3A9AD'): the template with the name.
class EndPageGroup : public StructuredField
{
public:
    EndPageGroup();
    explicit EndPageGroup(const char* name);
    ~EndPageGroup() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
};

} // namespace afp
} // namespace qel

#endif
