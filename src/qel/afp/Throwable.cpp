#include "qel/afp/Throwable.h"

namespace qel
{

Throwable::~Throwable() = default;

} // namespace qel
