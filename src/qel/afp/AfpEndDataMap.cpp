#include "qel/afp/AfpEndDataMap.h"

namespace qel
{
namespace afp
{

EndDataMap::EndDataMap() : EndDataMap(nullptr)
{
}

EndDataMap::EndDataMap(const char* name)
    : PageDefinitionNameField(0xD3A9CA, name, "qel::afp::EndDataMap::write",
                              "Memory allocation for qel::afp::EndDataMap::write failed")
{
}

EndDataMap::~EndDataMap() = default;

} // namespace afp
} // namespace qel
