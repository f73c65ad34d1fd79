#ifndef QEL_LIB_DNODE_H
#define QEL_LIB_DNODE_H

#include "qel/afp/Object.h"

namespace qel
{

// One node of a DLinkedList: the element and its neighbours.
template <class T> class DNode : public Object
{
public:
    explicit DNode(T* data = nullptr) : m_data(data) {}

    T* getData() const { return m_data; }
    void setData(T* data) { m_data = data; }
    DNode* getNext() const { return m_next; }
    void setNext(DNode* node) { m_next = node; }
    DNode* getPrevious() const { return m_previous; }
    void setPrevious(DNode* node) { m_previous = node; }

private:
    T* m_data;
    DNode* m_next = nullptr;
    DNode* m_previous = nullptr;
};

} // namespace qel

#endif
