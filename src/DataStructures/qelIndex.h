#ifndef QEL_INDEX_H
#define QEL_INDEX_H

#include <cstdint>
#include <string>

class qelIndexSet;

// One index entry. Minimal form: the index records issue fills in the rest.
class qelIndex
{
public:
    virtual ~qelIndex() = default;
    qelIndexSet* getIndexSet() const { return m_set; }
    void setIndexSet(qelIndexSet* set) { m_set = set; }
    int32_t getLevel() const { return m_level; }
    const char* getName() const { return m_name.c_str(); }
    void setName(const char* n) { m_name = n ? n : ""; }
    const char* getValue() const { return m_value.c_str(); }
    void setValue(const char* v) { m_value = v ? v : ""; }
    void setLevel(int32_t level) { m_level = level; }

private:
    qelIndexSet* m_set = nullptr;
    int32_t m_level = 0;
    std::string m_name;
    std::string m_value;
};

#endif
