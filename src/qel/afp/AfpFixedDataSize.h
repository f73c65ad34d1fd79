#ifndef QEL_AFP_FIXED_DATA_SIZE_H
#define QEL_AFP_FIXED_DATA_SIZE_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

// Fixed Data Size (X'D3AAEC'): the size, 16 bits.
class FixedDataSize : public StructuredField
{
public:
    explicit FixedDataSize(uint16_t size = 0);
    ~FixedDataSize() override;

    void setSize(uint16_t size) { m_size = size; }
    uint16_t getSize() const { return m_size; }

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

private:
    uint16_t m_size;
};

} // namespace afp
} // namespace qel

#endif
