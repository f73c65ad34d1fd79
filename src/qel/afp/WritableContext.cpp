#include "qel/afp/WritableContext.h"

#include "qel/afp/Log.h"
#include "qel/afp/Writable.h"

namespace qel
{

WritableContext::~WritableContext()
{
    if (m_writable && m_writable->release(1) < 1)
        delete m_writable;
    m_writable = nullptr;
    m_lastWritten = nullptr;
}

void WritableContext::setWritable(Writable* writable)
{
    logDebugText("qel::WritableContext::setWritable");
    m_writable = writable;
}

void WritableContext::setLastWritten(DNode<WritableContext>* node)
{
    logDebugText("qel::WritableContext::setLastWritten");
    m_lastWritten = node;
}

void WritableContext::setSuppress(bool on)
{
    logDebugText("qel::WritableContext::setSuppress");
    m_suppress = on ? 1 : 0;
}

void WritableContext::setResource(bool on)
{
    logDebugText("qel::WritableContext::setResource");
    m_resource = on ? 1 : 0;
}

WritableContext* WritableContext::holding(Writable* writable)
{
    WritableContext* context = new WritableContext();
    context->setWritable(writable);
    return context;
}

} // namespace qel
