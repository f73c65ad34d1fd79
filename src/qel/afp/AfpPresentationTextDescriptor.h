#ifndef QEL_AFP_PRESENTATION_TEXT_DESCRIPTOR_H
#define QEL_AFP_PRESENTATION_TEXT_DESCRIPTOR_H

#include "qel/afp/AfpDescriptor.h"

namespace qel
{
namespace afp
{

// Presentation Text Descriptor (X'D3B19B'), 22 bytes.
class PresentationTextDescriptor : public Descriptor
{
public:
    PresentationTextDescriptor() = default;
    PresentationTextDescriptor(uint8_t xUnitBase, uint8_t yUnitBase, uint16_t xUnitsPerUnitBase, uint16_t yUnitsPerUnitBase,
         uint16_t xSize, uint16_t ySize)
        : Descriptor(xUnitBase, yUnitBase, xUnitsPerUnitBase, yUnitsPerUnitBase, xSize, ySize)
    {
    }
    ~PresentationTextDescriptor() override;

    // -1 for a null stream; else the stream's result.
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
};

} // namespace afp
} // namespace qel

#endif
