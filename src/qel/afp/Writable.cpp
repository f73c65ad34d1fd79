#include "qel/afp/Writable.h"

namespace qel
{

Writable::~Writable() = default;

int Writable::write(DataStream*, uint16_t, DNode<WritableContext>*)
{
    return 0;
}

int Writable::flush(DataStream*, uint16_t, DNode<WritableContext>**)
{
    return 0;
}

} // namespace qel
