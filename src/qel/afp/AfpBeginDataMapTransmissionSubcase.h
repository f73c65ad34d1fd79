#ifndef QEL_AFP_BEGIN_DATA_MAP_TRANSMISSION_SUBCASE_H
#define QEL_AFP_BEGIN_DATA_MAP_TRANSMISSION_SUBCASE_H

#include "qel/afp/AfpPageDefinitionNameField.h"

namespace qel
{
namespace afp
{

// Begin Data Map Transmission Subcase (X'D3A8E3'): its name, or nothing without one.
class BeginDataMapTransmissionSubcase : public PageDefinitionNameField
{
public:
    BeginDataMapTransmissionSubcase();
    explicit BeginDataMapTransmissionSubcase(const char* name);
    ~BeginDataMapTransmissionSubcase() override;
};

} // namespace afp
} // namespace qel

#endif
