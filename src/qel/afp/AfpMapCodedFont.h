#ifndef QEL_AFP_MAP_CODED_FONT_H
#define QEL_AFP_MAP_CODED_FONT_H

#include "qel/afp/AfpGroupListField.h"

namespace qel
{
namespace afp
{

// Map Coded Font format 2 (X'D3AB8A'): one triplet repeating group per
// mapped font.
class MapCodedFont : public GroupListField
{
public:
    MapCodedFont();
};

} // namespace afp
} // namespace qel

#endif
