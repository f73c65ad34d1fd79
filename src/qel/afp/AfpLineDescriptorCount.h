#ifndef QEL_AFP_LINE_DESCRIPTOR_COUNT_H
#define QEL_AFP_LINE_DESCRIPTOR_COUNT_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

// Line Descriptor Count (X'D3AAE7'): the count, 16 bits.
class LineDescriptorCount : public StructuredField
{
public:
    explicit LineDescriptorCount(uint16_t count = 0);
    ~LineDescriptorCount() override;

    void setCount(uint16_t count) { m_count = count; }
    uint16_t getCount() const { return m_count; }

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

private:
    uint16_t m_count;
};

} // namespace afp
} // namespace qel

#endif
