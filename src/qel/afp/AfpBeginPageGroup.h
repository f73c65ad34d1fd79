#ifndef QEL_AFP_BEGIN_PAGE_GROUP_H
#define QEL_AFP_BEGIN_PAGE_GROUP_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

// Begin Named Page Group (X'D3A8AD'): the template with the name.
class BeginPageGroup : public StructuredField
{
public:
    BeginPageGroup();
    explicit BeginPageGroup(const char* name);
    ~BeginPageGroup() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
};

} // namespace afp
} // namespace qel

#endif
