#include "qel/afp/EnvironmentGroup.h"

namespace qel
{

EnvironmentGroup::~EnvironmentGroup() = default;

} // namespace qel
