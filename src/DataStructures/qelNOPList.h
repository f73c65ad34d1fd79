#ifndef QEL_NOP_LIST_H
#define QEL_NOP_LIST_H

class qelList;
class qelNOP;
struct qelListNode;

// No-operation records waiting for the page they precede. Owns them.
class qelNOPList
{
public:
    qelNOPList() = default;
    ~qelNOPList();
    qelNOPList(const qelNOPList&) = delete;
    qelNOPList& operator=(const qelNOPList&) = delete;

    // -1 for null, else 0.
    int addNOP(qelNOP* nop);
    // Unlinks the node and deletes its record.
    void removeNOP(qelListNode* previousNode, qelListNode* node);
    qelList* getList() const { return m_list; }
    qelNOP* getLastAdded() const { return m_last; }

private:
    qelList* m_list = nullptr;
    qelNOP* m_last = nullptr;
};

#endif
