#ifndef QEL_LIB_THROWABLE_H
#define QEL_LIB_THROWABLE_H

#include "qel/afp/Object.h"

namespace qel
{

// Thrown as a pointer; the library passes it on unchanged and never makes
// one itself.
class Throwable : public virtual Object
{
public:
    ~Throwable() override;
};

} // namespace qel

#endif
