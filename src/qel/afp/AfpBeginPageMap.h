#ifndef QEL_AFP_BEGIN_PAGE_MAP_H
#define QEL_AFP_BEGIN_PAGE_MAP_H

#include "qel/afp/AfpPageDefinitionNameField.h"

namespace qel
{
namespace afp
{

// Begin Page Map (X'D3A8CB'): its name, or nothing without one.
class BeginPageMap : public PageDefinitionNameField
{
public:
    BeginPageMap();
    explicit BeginPageMap(const char* name);
    ~BeginPageMap() override;
};

} // namespace afp
} // namespace qel

#endif
