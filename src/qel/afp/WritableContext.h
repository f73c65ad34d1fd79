#ifndef QEL_LIB_WRITABLE_CONTEXT_H
#define QEL_LIB_WRITABLE_CONTEXT_H

#include "qel/afp/DNode.h"
#include "qel/afp/Object.h"

namespace qel
{

class Writable;

// One entry of a container's writable list. It holds one reference to its
// writable (added by the container) and releases it when destroyed.
class WritableContext : public Object
{
public:
    WritableContext() = default;
    ~WritableContext() override;

    // Takes no reference: the container adds it.
    void setWritable(Writable* writable);
    void setLastWritten(DNode<WritableContext>* node);
    void setSuppress(bool on);
    void setResource(bool on);

    Writable* getWritable() const { return m_writable; }
    DNode<WritableContext>* getLastWritten() const { return m_lastWritten; }
    bool isSuppressed() const { return m_suppress != 0; }
    bool isResource() const { return m_resource != 0; }

    // A new context holding writable; the caller adds the reference.
    static WritableContext* holding(Writable* writable);

private:
    Writable* m_writable = nullptr;
    DNode<WritableContext>* m_lastWritten = nullptr;
    unsigned char m_suppress = 0;
    unsigned char m_resource = 0;
};

} // namespace qel

#endif
