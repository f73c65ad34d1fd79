#ifndef QEL_NOP_H
#define QEL_NOP_H

#include <cstdint>

class qelList;
struct qelListNode;

// A no-operation record with its text and its place in the owner's list.
// Minimal form: the media issue may extend it.
class qelNOP
{
public:
    enum { OWNER_DOCUMENT = 1, OWNER_PAGE = 2, OWNER_PENDING = 3 };

    explicit qelNOP(const char* text = nullptr);
    ~qelNOP();
    qelNOP(const qelNOP&) = delete;
    qelNOP& operator=(const qelNOP&) = delete;

    const char* getValue() const { return m_value; }
    // Replaces the text; the length is not changed.
    void setValue(const char* text);
    int32_t getLength() const { return m_length; }
    const unsigned char* getEBCDICValue() const { return m_ebcdic; }
    // Takes the buffer over when it is present and length > 0.
    void setEBCDICValue(unsigned char* data, int32_t length);

    int32_t getOwnerKind() const { return m_ownerKind; }
    void* getOwner() const { return m_owner; }
    void setOwner(int32_t kind, void* owner) { m_ownerKind = kind; m_owner = owner; }
    qelListNode* getNode() const { return m_node; }
    qelListNode* getPreviousNode() const { return m_previousNode; }
    void setNodes(qelListNode* previous, qelListNode* node) { m_previousNode = previous; m_node = node; }
    void setPreviousNode(qelListNode* previous) { m_previousNode = previous; }

    // Appends the record to its owner's list, creating the list, and notes
    // the owner and the record's place; -1 for a null record, else 0.
    static int append(qelList*& list, qelNOP* nop, int32_t ownerKind, void* owner);
    // Deletes the record at node from the list; the record after it takes
    // previous as its previous node. False when the node is not in the list.
    static bool remove(qelList* list, qelListNode* previous, qelListNode* node);

private:
    char* m_value = nullptr;
    int32_t m_length = 0;
    unsigned char* m_ebcdic = nullptr;
    int32_t m_ownerKind = 0;
    void* m_owner = nullptr;
    qelListNode* m_previousNode = nullptr;
    qelListNode* m_node = nullptr;
};

#endif
