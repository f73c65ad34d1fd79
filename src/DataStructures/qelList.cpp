#include "qelList.h"

#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"

namespace {

const char* const kNothingToRemove = "Warning! No element to delete from the list!";

void warnNothingToRemove()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIni* ini = pool ? pool->getIni() : nullptr;
    if (!ini || !ini->isQuietMode()) {
        qelMessageOutput::write(kNothingToRemove);
        qelMessageOutput::write("\n");
    }
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    if (log && log->anyOf(QEL_LOG_LEVEL2))
        log->printLine("%s", kNothingToRemove);
}

} // namespace

void qelList::destroy(qelList*& list)
{
    delete list;
    list = nullptr;
}

void qelList::append(void* item)
{
    if (!item)
        return;
    qelListNode* node = new qelListNode;
    node->item = item;
    if (m_tail)
        m_tail->next = node;
    else
        m_head = node;
    m_tail = node;
    ++m_count;
}

void qelList::release(qelListNode* node)
{
    if (m_deleteItem && node->item)
        m_deleteItem(node->item);
    delete node;
}

void qelList::clear()
{
    qelListNode* node = m_head;
    // Unlink first, so an item's destructor never sees a half-cleared list.
    m_head = m_tail = nullptr;
    m_count = 0;
    while (node) {
        qelListNode* next = node->next;
        release(node);
        node = next;
    }
}

void qelList::removeAt(int index)
{
    if (index < 0 || index > m_count)
        return;
    if (!m_head) {
        warnNothingToRemove();
        return;
    }
    if (index == m_count)
        index = m_count - 1;

    qelListNode* removed;
    if (index == 0) {
        removed = m_head;
        m_head = removed->next;
        if (!m_head)
            m_tail = nullptr;
    } else {
        qelListNode* before = m_head;
        for (int i = 1; i < index && before->next; ++i)
            before = before->next;
        removed = before->next;
        if (!removed)
            return;
        before->next = removed->next;
        if (removed == m_tail)
            m_tail = before;
    }
    --m_count;
    release(removed);
}
