#ifndef QEL_AFP_REPEATING_GROUP_H
#define QEL_AFP_REPEATING_GROUP_H

#include "qel/afp/DLinkedList.h"
#include "qel/afp/Writable.h"
#include "qel/afp/WritableContext.h"

#include <cstdint>

namespace qel
{
namespace afp
{

// A two-byte length (counting itself) and its children.
class RepeatingGroup : public Writable
{
public:
    RepeatingGroup() = default;
    ~RepeatingGroup() override;

    virtual uint16_t evaluateLength() { return m_length; }
    uint16_t getLength() const { return m_length; }
    DLinkedList<WritableContext>* getChildren() const { return m_children; }

protected:
    uint16_t m_length = 2;
    DLinkedList<WritableContext>* m_children = nullptr;
};

} // namespace afp
} // namespace qel

#endif
