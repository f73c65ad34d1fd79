#ifndef QEL_AFP_PAGE_DESCRIPTOR_H
#define QEL_AFP_PAGE_DESCRIPTOR_H

#include "qel/afp/AfpDescriptor.h"

namespace qel
{
namespace afp
{

// Page Descriptor (X'D3A6AF'), 23 bytes.
class PageDescriptor : public Descriptor
{
public:
    PageDescriptor() = default;
    PageDescriptor(uint8_t xUnitBase, uint8_t yUnitBase, uint16_t xUnitsPerUnitBase, uint16_t yUnitsPerUnitBase,
         uint16_t xSize, uint16_t ySize)
        : Descriptor(xUnitBase, yUnitBase, xUnitsPerUnitBase, yUnitsPerUnitBase, xSize, ySize)
    {
    }
    ~PageDescriptor() override;

    // -1 for a null stream; else the stream's result.
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
};

} // namespace afp
} // namespace qel

#endif
