#include "qel/afp/AfpMapCodedFont.h"

namespace qel
{
namespace afp
{

MapCodedFont::MapCodedFont()
    : GroupListField("qel::afp::MapCodedFont", 0x8A, "Map Coded Font Format 2",
                     "Memory allocation for qel::afp::MapCodedFont::addRepeatingGroup::pLstWritableContext failed")
{
}

} // namespace afp
} // namespace qel
