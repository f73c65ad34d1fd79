#ifndef QEL_AFP_DATA_MAP_TRANSMISSION_SUBCASE_DESCRIPTOR_H
#define QEL_AFP_DATA_MAP_TRANSMISSION_SUBCASE_DESCRIPTOR_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

// Data Map Transmission Subcase Descriptor (X'D3A6E3'): constant data; the
// name it holds is never written.
class DataMapTransmissionSubcaseDescriptor : public StructuredField
{
public:
    DataMapTransmissionSubcaseDescriptor();
    explicit DataMapTransmissionSubcaseDescriptor(const char* name);
    ~DataMapTransmissionSubcaseDescriptor() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
};

} // namespace afp
} // namespace qel

#endif
