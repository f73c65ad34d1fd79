#include "qel/afp/Resource.h"

#include "qel/afp/Log.h"
#include "qel/afp/Utils.h"

#include <cstdlib>
#include <new>

namespace qel
{

Resource::~Resource()
{
    delete m_list;
    std::free(m_name);
}

void Resource::setName(const char* name)
{
    logDebugText("qel::Resource::setName");
    if (!name)
        logDebugText("Name=(null)");
    else
        logDebug("Name=%s", name);
    m_name = Utils::setMutator(m_name, name, 0);
}

void Resource::add(Writable* writable)
{
    if (!writable)
        return;
    if (!m_list) {
        m_list = new (std::nothrow) DLinkedList<WritableContext>(true);
        if (!m_list)
            throw "Memory allocation for qel::Resource::add::pLstWritableContext failed";
    }
    WritableContext* context = new (std::nothrow) WritableContext();
    if (!context)
        throw "Memory allocation for qel::Resource::add::pmWritableContextTmp failed";
    context->setWritable(writable);
    m_list->append(context);
    writable->addReference(1);
}

int Resource::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* from)
{
    logDebugText("qel::Resource::write");
    if (!dataStream || !m_list) {
        logDebugText("\tpmDataStreamPar or pLstWritableContext is (null)");
        return -1;
    }
    finalize();
    for (DNode<WritableContext>* node = from ? from : m_list->getFirst(); node; node = node->getNext()) {
        WritableContext* context = node->getData();
        if (context && context->getWritable() && !context->isSuppressed())
            context->getWritable()->write(dataStream, controlFlags, context->getLastWritten());
    }
    return 0;
}

} // namespace qel
