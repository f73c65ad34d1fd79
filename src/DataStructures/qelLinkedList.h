#ifndef QEL_LINKED_LIST_H
#define QEL_LINKED_LIST_H

// Doubly linked list of untyped items, for lists whose nodes are removed
// while the caller walks them (fetch the next node before removing the
// current one). A list initialised with an item deleter owns its items.
struct qelLinkedListNode
{
    qelLinkedListNode() = default;
    explicit qelLinkedListNode(void* value) : item(value) {}

    void* item = nullptr;
    qelLinkedListNode* next = nullptr;
    qelLinkedListNode* previous = nullptr;
};

class qelLinkedList
{
public:
    using ItemDeleter = void (*)(void*);

    // Deleter for items allocated as T (through T's virtual destructor when
    // it has one).
    template <class T>
    static void deleteAs(void* item)
    {
        delete static_cast<T*>(item);
    }

    // Owns its items when deleteItem is not null.
    explicit qelLinkedList(ItemDeleter deleteItem = nullptr) : m_deleteItem(deleteItem) {}
    ~qelLinkedList() { clear(); }
    qelLinkedList(const qelLinkedList&) = delete;
    qelLinkedList& operator=(const qelLinkedList&) = delete;

    // Empties the list and sets whether (and how) it owns its items.
    void init(ItemDeleter deleteItem);

    // A null item is ignored.
    void append(void* item);
    // Appends a node allocated with new; the list takes it over. Null is ignored.
    void appendNode(qelLinkedListNode* node);
    // Unlinks and frees the node, deleting its item when the list owns it.
    void remove(qelLinkedListNode* node);
    void clear();
    // Clear of a list of qelImgStreamHolder items: each stream is closed,
    // a file stream's file removed, the stream and the holder deleted.
    void clearStreams();

    static void* getItem(const qelLinkedListNode* node) { return node ? node->item : nullptr; }
    static qelLinkedListNode* getNext(const qelLinkedListNode* node) { return node ? node->next : nullptr; }
    // The neighbours of a node; null when the list is empty or the node null.
    qelLinkedListNode* next(const qelLinkedListNode* node) const;
    qelLinkedListNode* nextNode(const qelLinkedListNode* node) const;
    qelLinkedListNode* previous(const qelLinkedListNode* node) const;

    int count() const { return m_count; }
    qelLinkedListNode* getHead() const { return m_head; }
    qelLinkedListNode* getTail() const { return m_tail; }
    bool ownsItems() const { return m_deleteItem != nullptr; }

private:
    qelLinkedListNode* m_head = nullptr;
    qelLinkedListNode* m_tail = nullptr;
    int m_count = 0;
    ItemDeleter m_deleteItem = nullptr;
};

#endif
