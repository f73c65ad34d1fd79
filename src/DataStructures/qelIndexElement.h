#ifndef QEL_INDEX_ELEMENT_H
#define QEL_INDEX_ELEMENT_H

#include <cstdint>

class qelString;

// The index element of an indexed object (a named page group or a page):
// its names, byte offset and count of subordinate objects. Owns its texts.
class qelIndexElement
{
public:
    qelIndexElement() = default;
    ~qelIndexElement();
    qelIndexElement(const qelIndexElement&) = delete;
    qelIndexElement& operator=(const qelIndexElement&) = delete;

    // Each setter replaces the text with a copy; null clears it.
    void setPageName(const char* text);
    void setName(const char* text);
    void setGroupName(const char* text);
    const char* getPageName() const;
    const char* getName() const;
    const char* getGroupName() const;

    int32_t getByteOffset() const { return m_byteOffset; }
    // The value 0xFFFFFFFF (object outside the document) is not stored.
    void setByteOffset(uint32_t offset)
    {
        if (offset != 0xFFFFFFFFu)
            m_byteOffset = static_cast<int32_t>(offset);
    }
    int32_t getSubordinateCount() const { return m_subordinateCount; }
    void setSubordinateCount(int32_t n) { m_subordinateCount = n; }
    int32_t getLevel() const { return m_level; }
    void setLevel(int32_t level) { m_level = level; }

private:
    qelString* m_pageName = nullptr;
    qelString* m_name = nullptr;
    qelString* m_groupName = nullptr;
    int32_t m_byteOffset = 0;
    int32_t m_subordinateCount = 0;
    int32_t m_level = 1;
};

#endif
