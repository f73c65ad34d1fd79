#include "qelNOP.h"

#include "qelList.h"

#include <cstring>

namespace
{
char* copyText(const char* text)
{
    if (!text)
        return nullptr;
    const size_t n = std::strlen(text);
    char* c = new char[n + 1];
    std::memcpy(c, text, n + 1);
    return c;
}
}

qelNOP::qelNOP(const char* text) : m_value(copyText(text)), m_length(text ? static_cast<int32_t>(std::strlen(text)) : 0)
{
}

qelNOP::~qelNOP()
{
    delete[] m_value;
    delete[] m_ebcdic;
    m_owner = nullptr;
    m_node = nullptr;
    m_previousNode = nullptr;
}

void qelNOP::setValue(const char* text)
{
    delete[] m_value;
    m_value = copyText(text);
}

void qelNOP::setEBCDICValue(unsigned char* data, int32_t length)
{
    delete[] m_ebcdic;
    m_ebcdic = nullptr;
    if (data && length > 0) {
        m_ebcdic = data;
        m_length = length;
    }
}

int qelNOP::append(qelList*& list, qelNOP* nop, int32_t ownerKind, void* owner)
{
    if (!nop)
        return -1;
    if (!list)
        list = new qelList(&qelList::deleteAs<qelNOP>);
    qelListNode* previous = list->getTail();
    nop->setOwner(ownerKind, owner);
    list->append(nop);
    nop->setNodes(previous, list->getTail());
    return 0;
}

bool qelNOP::remove(qelList* list, qelListNode* previous, qelListNode* node)
{
    if (!list || !node)
        return false;
    int index = 0;
    qelListNode* n = list->getHead();
    while (n && n != node) {
        n = n->next;
        ++index;
    }
    if (!n)
        return false;
    qelListNode* following = node->next;
    list->removeAt(index);
    if (following && following->item)
        static_cast<qelNOP*>(following->item)->setPreviousNode(previous);
    return true;
}
