#include "qelBookmarkNode.h"

#include "qelList.h"
#include "qelString.h"

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
