#ifndef QEL_INDEX_H
#define QEL_INDEX_H

#include <cstdint>

class qelIndexSet;

// One index entry. Minimal form: the index records issue fills in the rest.
class qelIndex
{
public:
    virtual ~qelIndex() = default;
    qelIndexSet* getIndexSet() const { return m_set; }
    void setIndexSet(qelIndexSet* set) { m_set = set; }
    int32_t getLevel() const { return m_level; }
    void setLevel(int32_t level) { m_level = level; }

private:
    qelIndexSet* m_set = nullptr;
    int32_t m_level = 0;
};

#endif
