#include "qelIndexList.h"

#include "qelIndexSet.h"
#include "qelList.h"
#include "qelString.h"

namespace {
qelIndexSet* byId(const qelList* list, int32_t id)
{
    for (qelListNode* n = list ? list->getHead() : nullptr; n; n = n->next) {
        auto* set = static_cast<qelIndexSet*>(n->item);
        if (set->getId() == id)
            return set;
    }
    return nullptr;
}
}

qelIndexList::~qelIndexList()
{
    // The run's list holds its sets without owning them while in use.
    if (m_indexes) {
        for (qelListNode* n = m_indexes->getHead(); n; n = n->next)
            delete static_cast<qelIndexSet*>(n->item);
    }
    qelList::destroy(m_indexes);
    qelList::destroy(m_pageIndexes);
}

void qelIndexList::addIndex(qelIndexSet* set)
{
    if (!set)
        return;
    if (!m_indexes)
        m_indexes = new qelList();
    m_indexes->append(set);
    m_lastAdded = set;
}

void qelIndexList::addPageIndex(qelIndexSet* set)
{
    if (!set || set->getEntryCount() == 0)
        return;
    if (!m_pageIndexes)
        m_pageIndexes = new qelList(&qelList::deleteAs<qelIndexSet>);
    m_pageIndexes->append(set);
}

qelIndexSet* qelIndexList::findIndex(const char* name, int32_t level, qelList* list)
{
    qelList* searched = list ? list : m_indexes;
    int position = 0;
    for (qelListNode* n = searched ? searched->getHead() : nullptr; n; n = n->next, ++position) {
        auto* set = static_cast<qelIndexSet*>(n->item);
        if (qelString::compare(set->getName(), name, true, 0) && set->getLevel() == level) {
            m_foundPosition = position;
            return set;
        }
    }
    return nullptr;
}

qelIndexSet* qelIndexList::findIndexById(int32_t id) const
{
    return byId(m_indexes, id);
}

qelIndexSet* qelIndexList::findPageIndexById(int32_t id) const
{
    return byId(m_pageIndexes ? m_pageIndexes : m_indexes, id);
}

void qelIndexList::removeFound()
{
    if (!m_indexes || m_foundPosition < 0 || m_foundPosition >= m_indexes->getCount())
        return;
    m_indexes->removeAt(m_foundPosition);
    m_foundPosition = -1;
    m_lastAdded = m_indexes->getTail() ? static_cast<qelIndexSet*>(m_indexes->getTail()->item) : nullptr;
}

void qelIndexList::clearPageIndexes()
{
    qelList::destroy(m_pageIndexes);
    m_pageCursor = nullptr;
}

qelIndexSet* qelIndexList::getFirstPageIndex()
{
    m_pageCursor = m_pageIndexes ? m_pageIndexes->getHead() : nullptr;
    return m_pageCursor ? static_cast<qelIndexSet*>(m_pageCursor->item) : nullptr;
}

qelIndexSet* qelIndexList::getNextPageIndex()
{
    if (!m_pageCursor)
        return nullptr;
    m_pageCursor = m_pageCursor->next;
    return m_pageCursor ? static_cast<qelIndexSet*>(m_pageCursor->item) : nullptr;
}
