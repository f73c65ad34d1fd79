#ifndef QEL_AFP_END_DATA_MAP_H
#define QEL_AFP_END_DATA_MAP_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

// End Data Map (X'D3A9CA'): its name, or nothing without one.
class EndDataMap : public StructuredField
{
public:
    EndDataMap();
    explicit EndDataMap(const char* name);
    ~EndDataMap() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
};

} // namespace afp
} // namespace qel

#endif
