#ifndef QEL_LIB_ENVIRONMENT_GROUP_H
#define QEL_LIB_ENVIRONMENT_GROUP_H

#include "qel/afp/Writable.h"

namespace qel
{

// Base of the active, object and document environment groups.
class EnvironmentGroup : public Writable
{
public:
    EnvironmentGroup() = default;
    ~EnvironmentGroup() override;
};

} // namespace qel

#endif
