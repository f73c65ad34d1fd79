#include "qel/afp/Profile.h"

namespace qel
{

Profile::~Profile() = default;

} // namespace qel
