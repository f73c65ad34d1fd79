#ifndef QEL_AFP_END_DATA_MAP_H
#define QEL_AFP_END_DATA_MAP_H

#include "qel/afp/AfpPageDefinitionNameField.h"

namespace qel
{
namespace afp
{

// End Data Map (X'D3A9CA'): its name, or nothing without one.
class EndDataMap : public PageDefinitionNameField
{
public:
    EndDataMap();
    explicit EndDataMap(const char* name);
    ~EndDataMap() override;
};

} // namespace afp
} // namespace qel

#endif
