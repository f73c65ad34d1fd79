#ifndef QEL_LIB_OBJECT_H
#define QEL_LIB_OBJECT_H

#include <cstdint>

namespace qel
{

// Reference-counted base of every library class (a virtual base, so an
// object has one count however its bases combine). A container adds one
// reference per list it enters the object in; the list's context releases
// it and deletes the object when the count falls below 1.
class Object
{
public:
    Object() = default;
    virtual ~Object();
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    int addReference(int delta);
    // Lowers the count and returns it; deletes nothing itself.
    int release(int delta);
    int getReferenceCount() const { return m_referenceCount; }
    void setReferenceCount(int count) { m_referenceCount = count; }

private:
    int32_t m_referenceCount = 0;
};

} // namespace qel

#endif
