#include "qel/afp/OutputProfile.h"

namespace qel
{

OutputProfile::~OutputProfile() = default;

} // namespace qel
