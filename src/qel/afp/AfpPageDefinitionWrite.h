#ifndef QEL_AFP_PAGE_DEFINITION_WRITE_H
#define QEL_AFP_PAGE_DEFINITION_WRITE_H

#include "qel/afp/DLinkedList.h"
#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"
#include "qel/afp/Writable.h"
#include "qel/afp/WritableContext.h"

#include <cstdint>
#include <vector>

namespace qel
{
namespace afp
{
namespace pagedef
{

// The steps every page-definition field writer shares. A page definition is
// only ever written by tests and tools, so these writers stay strict: no
// stream or control flag bit 0 clear writes nothing and gives -1.
inline bool streamMissing(DataStream* dataStream, const char* entry)
{
    logDebugText(entry);
    if (dataStream)
        return false;
    logDebugText("Stream or Data = (NULL)");
    return true;
}

// X'5A' when control flag bit 0 is set. False with *rc set when the field
// is not to be written: -1 for bit 0 clear, else the failed write's result.
inline bool lead(DataStream* dataStream, uint16_t controlFlags, int* rc)
{
    if (!(controlFlags & kControlFlag5A)) {
        *rc = -1;
        return false;
    }
    static const unsigned char kIntroducer = 0x5A;
    const int written = dataStream->write(&kIntroducer, 1);
    if (written < 0) {
        *rc = written;
        return false;
    }
    return true;
}

inline void setLength(std::vector<unsigned char>& bytes, unsigned int length)
{
    if (bytes.size() < 2)
        return;
    bytes[0] = static_cast<unsigned char>((length >> 8) & 0xFF);
    bytes[1] = static_cast<unsigned char>(length & 0xFF);
}

// Writes the children of a field's writable list in order, skipping
// suppressed ones; stops at the first non-zero result and returns it.
inline int writeChildren(DLinkedList<WritableContext>* list, DataStream* dataStream, uint16_t controlFlags)
{
    if (!list)
        return 0;
    for (DNode<WritableContext>* node = list->getFirst(); node; node = node->getNext()) {
        WritableContext* context = node->getData();
        if (!context || !context->getWritable() || context->isSuppressed())
            continue;
        const int rc = context->getWritable()->write(dataStream, controlFlags, context->getLastWritten());
        if (rc != 0)
            return rc;
    }
    return 0;
}

} // namespace pagedef
} // namespace afp
} // namespace qel

#endif
