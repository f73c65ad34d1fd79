#ifndef QEL_LIB_DLINKED_LIST_H
#define QEL_LIB_DLINKED_LIST_H

#include "qel/afp/DNode.h"
#include "qel/afp/Object.h"

#include <cstdio>
#include <type_traits>

namespace qel
{

class WritableContext;

// Doubly linked list. An owning list deletes its elements when it is
// cleared; for writable contexts that releases their writable (the
// context's destructor).
template <class T> class DLinkedList : public Object
{
public:
    using Node = DNode<T>;

    explicit DLinkedList(bool ownsElements) : m_owns(ownsElements ? 1 : 0) {}
    ~DLinkedList() override { clear(); }

    void append(T* element)
    {
        if (!element)
            return;
        link(new Node(element), m_tail);
    }

    // Links a node at index position (0-based); at or past the count it
    // becomes the tail. A null context gives a node every walker skips.
    void insertAt(T* element, int position)
    {
        static_assert(std::is_same<T, WritableContext>::value, "only writable lists insert");
        if (position < 0) {
            // The catcher reads the text after the throw: it must not live
            // on this frame.
            static char text[96];
            std::snprintf(text, sizeof text, "Warning! Invalid element position (%d) to delete", position);
            throw static_cast<const char*>(text);
        }
        Node* node = new Node(element);
        if (!m_head || position >= m_count) {
            link(node, m_tail);
        } else if (position == 0) {
            link(node, nullptr);
        } else {
            Node* before = m_head;
            for (int i = 1; i < position; ++i)
                before = before->getNext();
            link(node, before);
        }
    }

    void remove(Node* node)
    {
        static_assert(std::is_same<T, WritableContext>::value, "only writable lists remove");
        if (!node)
            return;
        Node* previous = node->getPrevious();
        Node* next = node->getNext();
        if (m_owns)
            delete node->getData();
        delete node;
        --m_count;
        if (previous)
            previous->setNext(next);
        else
            m_head = next;
        if (next)
            next->setPrevious(previous);
        else
            m_tail = previous;
    }

    Node* getFirst() const { return m_head; }
    Node* getNext(Node* node) const { return (!m_head || !node) ? nullptr : node->getNext(); }
    int getCount() const { return m_count; }
    bool ownsElements() const { return m_owns != 0; }

    void clear()
    {
        Node* node = m_head;
        m_head = nullptr;
        m_tail = nullptr;
        m_count = 0;
        while (node) {
            Node* next = node->getNext();
            if (m_owns)
                delete node->getData();
            delete node;
            node = next;
        }
    }

private:
    // Links node after `after` (null: at the head).
    void link(Node* node, Node* after)
    {
        Node* next = after ? after->getNext() : m_head;
        node->setPrevious(after);
        node->setNext(next);
        if (after)
            after->setNext(node);
        else
            m_head = node;
        if (next)
            next->setPrevious(node);
        else
            m_tail = node;
        ++m_count;
    }

    Node* m_head = nullptr;
    Node* m_tail = nullptr;
    int32_t m_count = 0;
    unsigned char m_owns;
};

} // namespace qel

#endif
