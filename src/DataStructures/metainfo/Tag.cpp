#include "Tag.h"

#include "qelLinkedList.h"
#include "qelString.h"

#include <cstdio>
#include <cstring>

namespace de { namespace orvo { namespace ips { namespace metainfo {

Tag::~Tag()
{
    delete m_name;
    delete m_allTargets;
    delete m_children;
}

const char* Tag::getName() const
{
    return m_name ? m_name->getBuffer() : nullptr;
}

void Tag::setName(const char* name)
{
    delete m_name;
    m_name = name ? new qelString(name) : nullptr;
}

int Tag::getChildCount() const
{
    return m_children ? m_children->count() : 0;
}

const char* Tag::getAllTargets() const
{
    if (m_levelNumber != 0 || !m_allTargets)
        return nullptr;
    return m_allTargets->getBuffer();
}

void Tag::setAllTargets(const char* targets)
{
    if (m_levelNumber != 0)
        return;
    delete m_allTargets;
    m_allTargets = targets ? new qelString(targets) : nullptr;
}

char* Tag::toString() const
{
    qelString out(512);
    const char* name = getName();
    out.append("Name=");
    out.append(name ? name : "(null)");
    switch (m_type) {
    case TYPE_CONTENT: out.append(", Type=Content"); break;
    case TYPE_DOCUMENT: out.append(", Type=Document"); break;
    case TYPE_PROPERTY: out.append(", Type=Property"); break;
    default: out.append(", Type=None"); break;
    }
    switch (m_parentKind) {
    case PARENT_DOCUMENT: out.append(", Parent=Document"); break;
    case PARENT_PAGE: out.append(", Parent=Page"); break;
    case PARENT_TAG: out.append(",Parent=Tag"); break;
    default: out.append(", Parent=None"); break;
    }
    char number[32];
    std::snprintf(number, sizeof(number), ", Level=%d", static_cast<int>(m_levelNumber));
    out.append(number);
    std::snprintf(number, sizeof(number), ", Children=%d", getChildCount());
    out.append(number);
    out.append(", Root=");
    const char* rootName = m_root ? m_root->getName() : nullptr;
    out.append(rootName ? rootName : "(null)");
    if (m_allTargets) {
        out.append(", AllTargets==");
        out.append(m_allTargets->getBuffer() ? m_allTargets->getBuffer() : "(null)");
    } else {
        out.append(", AllTargets=None");
    }
    return out.copyBuffer();
}

}}}}
