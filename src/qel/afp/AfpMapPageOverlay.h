#ifndef QEL_AFP_MAP_PAGE_OVERLAY_H
#define QEL_AFP_MAP_PAGE_OVERLAY_H

#include "qel/afp/AfpGroupListField.h"

namespace qel
{
namespace afp
{

// Map Page Overlay (X'D3ABD8'): one triplet repeating group per overlay.
class MapPageOverlay : public GroupListField
{
public:
    MapPageOverlay();
};

} // namespace afp
} // namespace qel

#endif
