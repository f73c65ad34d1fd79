#include "qel/afp/Object.h"

namespace qel
{

Object::~Object() = default;

int Object::addReference(int delta)
{
    m_referenceCount += delta;
    return m_referenceCount;
}

int Object::release(int delta)
{
    m_referenceCount -= delta;
    return m_referenceCount;
}

} // namespace qel
