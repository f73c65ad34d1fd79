#ifndef QEL_LIST_H
#define QEL_LIST_H

// Singly linked list of untyped items. Callers walk it themselves from
// getHead() along the next links. A list created with an item deleter owns
// its items: removing or clearing a node deletes the item with it.
struct qelListNode
{
    void* item = nullptr;
    qelListNode* next = nullptr;
};

class qelList
{
public:
    using ItemDeleter = void (*)(void*);

    // Deleter for items allocated as T (through T's virtual destructor when
    // it has one): new qelList(&qelList::deleteAs<qelFoo>).
    template <class T>
    static void deleteAs(void* item)
    {
        delete static_cast<T*>(item);
    }

    // A list that does not own its items.
    qelList() = default;
    // A list that owns its items when deleteItem is not null.
    explicit qelList(ItemDeleter deleteItem) : m_deleteItem(deleteItem) {}
    ~qelList() { clear(); }
    qelList(const qelList&) = delete;
    qelList& operator=(const qelList&) = delete;

    // Clears the list, frees it and nulls the pointer.
    static void destroy(qelList*& list);

    // A null item is ignored.
    void append(void* item);
    void clear();
    // Removes the node at a zero-based index; index == count removes the
    // last node, a negative or larger index nothing. Removing from an
    // empty list writes a warning.
    void removeAt(int index);

    qelListNode* getHead() const { return m_head; }
    qelListNode* getTail() const { return m_tail; }
    int getCount() const { return m_count; }
    bool ownsItems() const { return m_deleteItem != nullptr; }
    // From now on the items outlive the list (they were handed on).
    void stopOwningItems() { m_deleteItem = nullptr; }

private:
    void release(qelListNode* node);

    qelListNode* m_head = nullptr;
    qelListNode* m_tail = nullptr;
    int m_count = 0;
    ItemDeleter m_deleteItem = nullptr;
};

#endif
