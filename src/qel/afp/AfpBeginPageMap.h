#ifndef QEL_AFP_BEGIN_PAGE_MAP_H
#define QEL_AFP_BEGIN_PAGE_MAP_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

// Begin Page Map (X'D3A8CB'): its name, or nothing without one.
class BeginPageMap : public StructuredField
{
public:
    BeginPageMap();
    explicit BeginPageMap(const char* name);
    ~BeginPageMap() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
};

} // namespace afp
} // namespace qel

#endif
