#ifndef QEL_LIB_RESOURCE_H
#define QEL_LIB_RESOURCE_H

#include "qel/afp/DLinkedList.h"
#include "qel/afp/Writable.h"
#include "qel/afp/WritableContext.h"

namespace qel
{

// A named resource: its content is a writable list written in order.
class Resource : public Writable
{
public:
    Resource() = default;
    ~Resource() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* from) override;
    virtual int initialize() = 0;
    virtual int finalize() = 0;

    void setName(const char* name);
    const char* getName() const { return m_name; }
    void setInitialized(bool on) { m_initialized = on ? 1 : 0; }
    bool isInitialized() const { return m_initialized != 0; }

    // Enters the writable at the tail with one reference (null ignored).
    void add(Writable* writable);

protected:
    DLinkedList<WritableContext>* m_list = nullptr;

private:
    unsigned char m_initialized = 0;
    char* m_name = nullptr;
};

} // namespace qel

#endif
