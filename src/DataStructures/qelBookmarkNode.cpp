#include "qelBookmarkNode.h"

#include "qelList.h"
#include "qelString.h"

#include <new>
#include <strings.h>

qelBookmarkNode::qelBookmarkNode(const char* name, int32_t value)
    : m_name(name ? new qelString(name) : nullptr), m_value(value)
{
}

qelBookmarkNode::~qelBookmarkNode()
{
    delete m_name;
    qelList::destroy(m_children);
}

const char* qelBookmarkNode::getName() const
{
    return m_name ? m_name->getBuffer() : nullptr;
}

void qelBookmarkNode::setName(const char* name)
{
    delete m_name;
    m_name = name ? new qelString(name) : nullptr;
}

void qelBookmarkNode::addChild(qelBookmarkNode* child)
{
    if (!child)
        return;
    if (!m_children)
        m_children = new qelList(&qelList::deleteAs<qelBookmarkNode>);
    m_children->append(child);
    m_lastChild = child;
}

void qelBookmarkNode::addPath(const char* name, int32_t page, int32_t level)
{
    if (!name)
        return;
    if ((level == 0 || level == 1) && m_lastChild && m_lastChild->getName()
        && strcasecmp(m_lastChild->getName(), name) == 0 && m_lastChild->getValue() == page)
        return;
    qelBookmarkNode* child = new (std::nothrow) qelBookmarkNode(name, page);
    if (!child)
        return;
    child->setLevel(level);
    addChild(child);
}

qelList* qelBookmarkNode::takeChildren()
{
    qelList* list = m_children;
    m_children = nullptr;
    m_lastChild = nullptr;
    return list;
}
