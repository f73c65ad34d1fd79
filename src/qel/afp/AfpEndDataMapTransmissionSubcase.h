#ifndef QEL_AFP_END_DATA_MAP_TRANSMISSION_SUBCASE_H
#define QEL_AFP_END_DATA_MAP_TRANSMISSION_SUBCASE_H

#include "qel/afp/AfpPageDefinitionNameField.h"

namespace qel
{
namespace afp
{

// End Data Map Transmission Subcase (X'D3A9E3'): its name, or nothing without one.
class EndDataMapTransmissionSubcase : public PageDefinitionNameField
{
public:
    EndDataMapTransmissionSubcase();
    explicit EndDataMapTransmissionSubcase(const char* name);
    ~EndDataMapTransmissionSubcase() override;
};

} // namespace afp
} // namespace qel

#endif
