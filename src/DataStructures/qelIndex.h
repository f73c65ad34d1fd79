#ifndef QEL_INDEX_H
#define QEL_INDEX_H

#include <cstdint>

class qelIndexSet;
class qelString;
struct qelListNode;

// One index entry of a document: an attribute name and value with the
// object it indexes. Owns its texts.
class qelIndex
{
public:
    qelIndex() = default;
    virtual ~qelIndex();
    qelIndex(const qelIndex&) = delete;
    qelIndex& operator=(const qelIndex&) = delete;

    // Each setter replaces the text with a copy; null clears it.
    void setName(const char* text);
    void setValue(const char* text);
    void setObjectName(const char* text);
    void setProcessElementName(const char* text);
    // Copies length bytes; a null pointer or a length of 0 or less leaves
    // the field empty.
    void setEBCDICName(const unsigned char* bytes, int length);
    void setEBCDICValue(const unsigned char* bytes, int length);

    // Null when absent.
    const char* getName() const;
    const char* getValue() const;
    const char* getObjectName() const;
    const char* getProcessElementName() const;
    const unsigned char* getEBCDICName() const;
    int getEBCDICNameLength() const;
    const unsigned char* getEBCDICValue() const;
    int getEBCDICValueLength() const;

    int32_t getSequenceNumber() const { return m_sequenceNumber; }
    void setSequenceNumber(int32_t n) { m_sequenceNumber = n; }
    int32_t getLevelNumber() const { return m_levelNumber; }
    void setLevelNumber(int32_t n) { m_levelNumber = n; }
    // 1 page group, 0 page.
    int32_t getLevel() const { return m_level; }
    void setLevel(int32_t level) { m_level = level; }

    // The set holding the entry (not owned) and the entry's position in it,
    // kept by the set's iteration.
    qelIndexSet* getIndexSet() const { return m_set; }
    void setIndexSet(qelIndexSet* set) { m_set = set; }
    qelListNode* getNode() const { return m_node; }
    qelListNode* getPreviousNode() const { return m_previousNode; }
    void setPosition(qelListNode* previous, qelListNode* node)
    {
        m_previousNode = previous;
        m_node = node;
    }

private:
    qelString* m_processElementName = nullptr;
    qelString* m_name = nullptr;
    qelString* m_value = nullptr;
    qelString* m_objectName = nullptr;
    int32_t m_sequenceNumber = 0;
    int32_t m_levelNumber = 0;
    int32_t m_level = 0;
    qelString* m_ebcdicName = nullptr;
    qelString* m_ebcdicValue = nullptr;
    qelIndexSet* m_set = nullptr;
    qelListNode* m_node = nullptr;
    qelListNode* m_previousNode = nullptr;
};

#endif
