#ifndef QEL_BOOKMARK_NODE_H
#define QEL_BOOKMARK_NODE_H

#include <cstdint>

class qelList;
class qelString;

// Named node of a bookmark tree; its value is the page number it points to.
class qelBookmarkNode
{
public:
    qelBookmarkNode(const char* name, int32_t value);
    ~qelBookmarkNode();
    qelBookmarkNode(const qelBookmarkNode&) = delete;
    qelBookmarkNode& operator=(const qelBookmarkNode&) = delete;

    const char* getName() const;
    void setName(const char* name);
    int32_t getValue() const { return m_value; }
    void setValue(int32_t value) { m_value = value; }
    int32_t getLevel() const { return m_level; }
    void setLevel(int32_t level) { m_level = level; }
    qelList* getChildren() const { return m_children; }
    qelBookmarkNode* getLastChild() const { return m_lastChild; }
    // Appends a named child and makes it the last added child.
    void addChild(qelBookmarkNode* child);
    // Adds a child of the given level; nothing for a null name, nor at
    // levels 0 and 1 when the last added child has the same name (without
    // case) and page.
    void addPath(const char* name, int32_t page, int32_t level);
    // Hands the child list over (the caller owns it); null without one.
    qelList* takeChildren();

private:
    qelString* m_name = nullptr;
    int32_t m_value = 0;
    qelList* m_children = nullptr;
    int32_t m_level = 0;
    qelBookmarkNode* m_lastChild = nullptr;
};

#endif
