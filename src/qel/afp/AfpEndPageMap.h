#ifndef QEL_AFP_END_PAGE_MAP_H
#define QEL_AFP_END_PAGE_MAP_H

#include "qel/afp/AfpPageDefinitionNameField.h"

namespace qel
{
namespace afp
{

// End Page Map (X'D3A9CB'): its name, or nothing without one.
class EndPageMap : public PageDefinitionNameField
{
public:
    EndPageMap();
    explicit EndPageMap(const char* name);
    ~EndPageMap() override;
};

} // namespace afp
} // namespace qel

#endif
