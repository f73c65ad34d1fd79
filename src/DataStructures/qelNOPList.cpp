#include "qelNOPList.h"

#include "qelList.h"
#include "qelNOP.h"

namespace {
int indexOf(const qelList* list, const qelListNode* node)
{
    int index = 0;
    for (qelListNode* n = list->getHead(); n; n = n->next, ++index)
        if (n == node)
            return index;
    return -1;
}
}

qelNOPList::~qelNOPList()
{
    qelList::destroy(m_list);
    m_last = nullptr;
}

int qelNOPList::addNOP(qelNOP* nop)
{
    if (!nop)
        return -1;
    if (!m_list)
        m_list = new qelList(&qelList::deleteAs<qelNOP>);
    qelListNode* before = m_list->getTail();
    nop->setOwner(qelNOP::OWNER_PENDING, this);
    m_list->append(nop);
    nop->setNodes(before, m_list->getTail());
    m_last = nop;
    return 0;
}

void qelNOPList::removeNOP(qelListNode* previousNode, qelListNode* node)
{
    if (!m_list || !node)
        return;
    const int index = indexOf(m_list, node);
    if (index < 0)
        return;
    qelListNode* following = node->next;
    if (m_last == node->item)
        m_last = previousNode ? static_cast<qelNOP*>(previousNode->item) : nullptr;
    m_list->removeAt(index);
    if (following && following->item)
        static_cast<qelNOP*>(following->item)->setPreviousNode(previousNode);
}
