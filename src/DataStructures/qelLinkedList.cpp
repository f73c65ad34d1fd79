#include "qelLinkedList.h"

#include "qelImgIOStream.h"
#include "qelImgStreamHolder.h"

#include <cstdio>

void qelLinkedList::init(ItemDeleter deleteItem)
{
    clear();
    m_deleteItem = deleteItem;
}

void qelLinkedList::append(void* item)
{
    if (item)
        appendNode(new qelLinkedListNode(item));
}

void qelLinkedList::appendNode(qelLinkedListNode* node)
{
    if (!node)
        return;
    node->next = nullptr;
    node->previous = m_tail;
    if (m_tail)
        m_tail->next = node;
    else
        m_head = node;
    m_tail = node;
    ++m_count;
}

void qelLinkedList::remove(qelLinkedListNode* node)
{
    if (!node)
        return;
    qelLinkedListNode* before = node->previous;
    qelLinkedListNode* after = node->next;

    if (before) {
        before->next = after;
        if (!after)
            m_tail = before;
    } else {
        m_head = after;
        if (!after)
            m_tail = nullptr;
    }
    if (after)
        after->previous = before;
    --m_count;

    if (m_deleteItem && node->item)
        m_deleteItem(node->item);
    delete node;
}

void qelLinkedList::clear()
{
    qelLinkedListNode* node = m_head;
    m_head = m_tail = nullptr;
    m_count = 0;
    while (node) {
        qelLinkedListNode* after = node->next;
        if (m_deleteItem && node->item)
            m_deleteItem(node->item);
        delete node;
        node = after;
    }
}

void qelLinkedList::clearStreams()
{
    if (m_deleteItem) {
        for (qelLinkedListNode* node = m_head; node; node = node->next) {
            auto* holder = static_cast<qelImgStreamHolder*>(node->item);
            if (!holder)
                continue;
            holder->state = 0;
            if (qelImgIOStream* stream = holder->stream) {
                stream->close();
                if (stream->getStreamType() == qelImgIOStream::TYPE_FILE && stream->getFileName())
                    std::remove(stream->getFileName());
                delete stream;
            }
            delete holder;
            node->item = nullptr;
        }
    }
    clear();
}

qelLinkedListNode* qelLinkedList::next(const qelLinkedListNode* node) const
{
    return m_head && node ? node->next : nullptr;
}

qelLinkedListNode* qelLinkedList::nextNode(const qelLinkedListNode* node) const
{
    return m_head && node ? node->next : nullptr;
}

qelLinkedListNode* qelLinkedList::previous(const qelLinkedListNode* node) const
{
    return m_head && node ? node->previous : nullptr;
}
