#ifndef QEL_INDEX_SET_H
#define QEL_INDEX_SET_H

#include "qelIndex.h"
#include "qelList.h"

#include <cstdint>

class qelIndexElement;
class qelString;

// A named set of index entries: the entries of one indexed object (a page
// group, level 1, or a page, level 0). Owns its entries and its element.
class qelIndexSet
{
public:
    // The name is copied.
    qelIndexSet(const char* name, int32_t level);
    // Takes the element over (see setIndexElement).
    explicit qelIndexSet(qelIndexElement* element);
    ~qelIndexSet();
    qelIndexSet(const qelIndexSet&) = delete;
    qelIndexSet& operator=(const qelIndexSet&) = delete;

    // Null when absent.
    const char* getName() const;
    int32_t getId() const { return m_id; }
    void setId(int32_t id) { m_id = id; }
    int32_t getLevel() const { return m_level; }
    int32_t getByteOffset() const { return m_byteOffset; }
    qelIndexElement* getIndexElement() const { return m_element; }
    // The element held before goes with the set's name (level 1 and byte
    // offset 0 come back); a new element is taken over and gives the set
    // its name, level and byte offset.
    void setIndexElement(qelIndexElement* element);

    // -1 for a null entry. With unique set, an entry equal to one already
    // held is deleted instead of added. Otherwise the entry joins the set
    // and takes the set's level.
    int addIndex(qelIndex* entry, bool unique);
    // Same name and value (with case; two absent texts are equal).
    bool containsIndex(const qelIndex* entry) const;
    // Iteration; each entry returned learns its node and the one before.
    qelIndex* getFirstIndex();
    qelIndex* getNextIndex();
    // Unlinks and deletes the entry of the node; a following getNextIndex
    // continues after it.
    void removeIndex(qelListNode* previous, qelListNode* node);

    qelList* getEntries() const { return m_entries; }
    // Creates the owning entry list on first use.
    qelList* ensureEntries();
    int getEntryCount() const { return m_entries ? m_entries->getCount() : 0; }

private:
    qelString* m_name = nullptr;
    int32_t m_id = 0;
    int32_t m_byteOffset = 0;
    qelIndexElement* m_element = nullptr;
    int32_t m_level = 1;
    qelList* m_entries = nullptr;
    qelListNode* m_cursor = nullptr;
};

#endif
