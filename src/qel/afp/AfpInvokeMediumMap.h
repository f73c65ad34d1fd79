#ifndef QEL_AFP_INVOKE_MEDIUM_MAP_H
#define QEL_AFP_INVOKE_MEDIUM_MAP_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

// Invoke Medium Map (X'D3ABCC'): the medium map's name; eight zero bytes
// without one.
class InvokeMediumMap : public StructuredField
{
public:
    InvokeMediumMap();
    explicit InvokeMediumMap(const char* name);
    ~InvokeMediumMap() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
};

} // namespace afp
} // namespace qel

#endif
