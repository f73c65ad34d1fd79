#include "qel/afp/AfpMapPageOverlay.h"

namespace qel
{
namespace afp
{

MapPageOverlay::MapPageOverlay()
    : GroupListField("qel::afp::MapPageOverlay", 0xD8, "Map Page Overaly",
                     "Memory allocation for qel::afp::MapPageOverlay::addRepeatingGroup::pLstWritableContext failed")
{
}

} // namespace afp
} // namespace qel
