#ifndef QEL_INDEX_SET_H
#define QEL_INDEX_SET_H

#include "qelIndex.h"
#include "qelList.h"

#include <cstdint>
#include <string>

// A named set of index entries. Minimal form: the index records issue fills
// in the rest.
class qelIndexSet
{
public:
    qelIndexSet(const char* name, int32_t level) : m_name(name ? name : ""), m_level(level) {}
    ~qelIndexSet() { qelList::destroy(m_entries); }
    qelIndexSet(const qelIndexSet&) = delete;
    qelIndexSet& operator=(const qelIndexSet&) = delete;

    const char* getName() const { return m_name.c_str(); }
    int32_t getId() const { return m_id; }
    void setId(int32_t id) { m_id = id; }
    int32_t getLevel() const { return m_level; }
    qelList* getEntries() const { return m_entries; }
    // Creates the owning entry list on first use.
    qelList* ensureEntries()
    {
        if (!m_entries)
            m_entries = new qelList(&qelList::deleteAs<qelIndex>);
        return m_entries;
    }
    int getEntryCount() const { return m_entries ? m_entries->getCount() : 0; }
    qelIndex* getFirstIndex()
    {
        m_cursor = m_entries ? m_entries->getHead() : nullptr;
        return m_cursor ? static_cast<qelIndex*>(m_cursor->item) : nullptr;
    }
    qelIndex* getNextIndex()
    {
        if (!m_cursor)
            return nullptr;
        m_cursor = m_cursor->next;
        return m_cursor ? static_cast<qelIndex*>(m_cursor->item) : nullptr;
    }

private:
    std::string m_name;
    int32_t m_id = 0;
    int32_t m_level = 0;
    qelList* m_entries = nullptr;
    qelListNode* m_cursor = nullptr;
};

#endif
