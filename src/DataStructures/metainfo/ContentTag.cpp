#include "ContentTag.h"

#include "qelLinkedList.h"
#include "qelString.h"

#include <string>

namespace de { namespace orvo { namespace ips { namespace metainfo {

ContentTag::~ContentTag()
{
    delete m_targetName;
}

void ContentTag::setTargetName(const char* name)
{
    delete m_targetName;
    m_targetName = name ? new qelString(name) : nullptr;
}

const char* ContentTag::getTargetName() const
{
    return m_targetName ? m_targetName->getBuffer() : nullptr;
}

void ContentTag::addChild(Tag* child)
{
    if (!child)
        return;
    if (!m_children)
        m_children = new qelLinkedList(&qelLinkedList::deleteAs<Tag>);
    m_children->append(child);
    Tag* root = m_root ? m_root : this;
    child->setRoot(root);
    if (root->getType() == TYPE_CONTENT)
        static_cast<ContentTag*>(root)->addTarget(child);
}

void ContentTag::addTarget(Tag* tag)
{
    if (m_levelNumber != 0 || !tag || tag->getType() != TYPE_CONTENT)
        return;
    const char* target = static_cast<ContentTag*>(tag)->getTargetName();
    if (!target || !*target)
        return;
    const std::string key = std::string(",") + target + ",";
    if (!m_allTargets) {
        m_allTargets = new qelString(256);
        m_allTargets->append(key.c_str());
        return;
    }
    if (m_allTargets->findPattern(key.c_str(), true))
        return;
    m_allTargets->append(target);
    m_allTargets->append(",");
}

bool ContentTag::hasTarget(const char* name) const
{
    if (m_levelNumber != 0 || !m_allTargets || !name)
        return false;
    const std::string key = std::string(",") + name + ",";
    return m_allTargets->findPattern(key.c_str(), true) != nullptr;
}

Tag* ContentTag::getFirstChild()
{
    if (!m_children || !m_children->getHead())
        return nullptr;
    m_childCursor = m_children->getHead();
    return static_cast<Tag*>(m_childCursor->item);
}

Tag* ContentTag::getNextChild()
{
    if (!m_children)
        return nullptr;
    if (!m_childCursor)
        return getFirstChild();
    m_childCursor = m_childCursor->next;
    return m_childCursor ? static_cast<Tag*>(m_childCursor->item) : nullptr;
}

void ContentTag::removeCurrentChild()
{
    if (!m_children || !m_childCursor)
        return;
    qelLinkedListNode* previous = m_childCursor->previous;
    m_children->remove(m_childCursor);
    m_childCursor = previous;
}

char* ContentTag::toString() const
{
    char* base = Tag::toString();
    qelString out(base);
    delete[] base;
    const char* target = getTargetName();
    out.append(", Target=");
    out.append(target ? target : "(null)");
    switch (m_targetType) {
    case TARGET_PAGE: out.append(", TargetType=Page"); break;
    case TARGET_PAGE_GROUP: out.append(", TargetType=PageGroup"); break;
    default: out.append(", TargetType=None"); break;
    }
    return out.copyBuffer();
}

}}}}
