#include "qel/afp/AfpEndDataMapTransmissionSubcase.h"

namespace qel
{
namespace afp
{

EndDataMapTransmissionSubcase::EndDataMapTransmissionSubcase() : EndDataMapTransmissionSubcase(nullptr)
{
}

EndDataMapTransmissionSubcase::EndDataMapTransmissionSubcase(const char* name)
    : PageDefinitionNameField(0xD3A9E3, name, "qel::afp::EndDataMapTransmissionSubcase::write",
                              "Memory allocation for qel::afp::EndDataMapTransmissionSubcase::write failed")
{
}

EndDataMapTransmissionSubcase::~EndDataMapTransmissionSubcase() = default;

} // namespace afp
} // namespace qel
