#include "qel/afp/AfpBeginDataMapTransmissionSubcase.h"

namespace qel
{
namespace afp
{

BeginDataMapTransmissionSubcase::BeginDataMapTransmissionSubcase() : BeginDataMapTransmissionSubcase(nullptr)
{
}

BeginDataMapTransmissionSubcase::BeginDataMapTransmissionSubcase(const char* name)
    : PageDefinitionNameField(0xD3A8E3, name, "qel::afp::BeginDataMapTransmissionSubcase::write",
                              "Memory allocation for qel::afp::BeginDataMapTransmissionSubcase::write failed")
{
}

BeginDataMapTransmissionSubcase::~BeginDataMapTransmissionSubcase() = default;

} // namespace afp
} // namespace qel
