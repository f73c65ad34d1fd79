#ifndef QEL_AFP_BEGIN_DATA_MAP_TRANSMISSION_SUBCASE_H
#define QEL_AFP_BEGIN_DATA_MAP_TRANSMISSION_SUBCASE_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

// Begin Data Map Transmission Subcase (X'D3A8E3'): its name, or nothing without one.
class BeginDataMapTransmissionSubcase : public StructuredField
{
public:
    BeginDataMapTransmissionSubcase();
    explicit BeginDataMapTransmissionSubcase(const char* name);
    ~BeginDataMapTransmissionSubcase() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
};

} // namespace afp
} // namespace qel

#endif
