#ifndef QEL_AFP_END_PAGE_MAP_H
#define QEL_AFP_END_PAGE_MAP_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

// End Page Map (X'D3A9CB'): its name, or nothing without one.
class EndPageMap : public StructuredField
{
public:
    EndPageMap();
    explicit EndPageMap(const char* name);
    ~EndPageMap() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
};

} // namespace afp
} // namespace qel

#endif
