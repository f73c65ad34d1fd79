#ifndef QEL_INDEX_LIST_H
#define QEL_INDEX_LIST_H

#include <cstdint>

class qelIndexSet;
class qelList;
struct qelListNode;

// The index sets of the run (first list) and of the current document
// (second list). Deletes both lists with their sets when it goes.
class qelIndexList
{
public:
    qelIndexList() = default;
    ~qelIndexList();
    qelIndexList(const qelIndexList&) = delete;
    qelIndexList& operator=(const qelIndexList&) = delete;

    void addIndex(qelIndexSet* set);
    // Null sets and sets without entries are ignored.
    void addPageIndex(qelIndexSet* set);
    // First set of the list (the run's list when none is given) with that
    // name (ignoring case) and level; remembers its position.
    qelIndexSet* findIndex(const char* name, int32_t level, qelList* list = nullptr);
    qelIndexSet* findIndexById(int32_t id) const;
    qelIndexSet* findPageIndexById(int32_t id) const;
    // Removes the set of the last successful search from the run's list.
    void removeFound();
    void clearPageIndexes();
    qelIndexSet* getFirstPageIndex();
    qelIndexSet* getNextPageIndex();

    qelList* getIndexes() const { return m_indexes; }
    qelList* getPageIndexes() const { return m_pageIndexes; }
    qelIndexSet* getLastAdded() const { return m_lastAdded; }

private:
    qelList* m_indexes = nullptr;
    qelIndexSet* m_lastAdded = nullptr;
    int m_foundPosition = -1;
    qelList* m_pageIndexes = nullptr;
    qelListNode* m_pageCursor = nullptr;
};

#endif
