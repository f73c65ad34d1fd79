#include "qel/afp/AfpBeginPageMap.h"

namespace qel
{
namespace afp
{

BeginPageMap::BeginPageMap() : BeginPageMap(nullptr)
{
}

BeginPageMap::BeginPageMap(const char* name)
    : PageDefinitionNameField(0xD3A8CB, name, "qel::afp::BeginPageMap::write",
                              "Memory allocation for qel::afp::BeginPageMap::write failed")
{
}

BeginPageMap::~BeginPageMap() = default;

} // namespace afp
} // namespace qel
