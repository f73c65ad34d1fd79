#ifndef QEL_AFP_BEGIN_RESOURCE_H
#define QEL_AFP_BEGIN_RESOURCE_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

// Begin Resource (X'D3A8CE'): name, two reserved bytes and, added by its
// write, a Resource Object Type triplet: write it once.
class BeginResource : public StructuredField
{
public:
    BeginResource();
    BeginResource(const char* name, uint8_t objectType);
    ~BeginResource() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    uint8_t getObjectType() const { return m_objectType; }

private:
    uint8_t m_objectType = 0;
};

} // namespace afp
} // namespace qel

#endif
