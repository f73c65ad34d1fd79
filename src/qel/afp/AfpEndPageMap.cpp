#include "qel/afp/AfpEndPageMap.h"

namespace qel
{
namespace afp
{

EndPageMap::EndPageMap() : EndPageMap(nullptr)
{
}

EndPageMap::EndPageMap(const char* name)
    : PageDefinitionNameField(0xD3A9CB, name, "qel::afp::EndPageMap::write",
                              "Memory allocation for qel::afp::EndPageMap::write failed")
{
}

EndPageMap::~EndPageMap() = default;

} // namespace afp
} // namespace qel
