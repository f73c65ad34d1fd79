#include "qelPageObjectLists.h"

#include "qelList.h"

qelPageObjectLists::~qelPageObjectLists()
{
    for (Entry& e : m_entries)
        delete e.objects;
    // The merged lists only point at objects of the entries.
    delete m_odd;
    delete m_even;
}

void qelPageObjectLists::add(int32_t key, qelList* objects)
{
    if (!objects)
        return;
    m_entries.push_back(Entry{key, objects});
    // Parity lists are rebuilt on their next use.
    delete m_odd;
    delete m_even;
    m_odd = m_even = nullptr;
}

qelList* qelPageObjectLists::takePageList(int32_t pageNumber)
{
    if (pageNumber <= 0)
        return nullptr;
    for (Entry& e : m_entries) {
        if (e.key == pageNumber) {
            qelList* list = e.objects;
            e.objects = nullptr;
            return list;
        }
    }
    return nullptr;
}

qelList* qelPageObjectLists::getParityList(int32_t pageNumber)
{
    const bool odd = (pageNumber % 2) != 0;
    qelList*& cached = odd ? m_odd : m_even;
    if (cached)
        return cached;
    const int32_t parityKey = odd ? -1 : -2;
    for (const Entry& e : m_entries) {
        if ((e.key != 0 && e.key != parityKey) || !e.objects)
            continue;
        for (qelListNode* n = e.objects->getHead(); n; n = n->next) {
            if (!cached)
                cached = new qelList();
            cached->append(n->item);
        }
    }
    return cached;
}
