#include "qelIndexSet.h"

#include "qelIndexElement.h"
#include "qelString.h"

#include <cstring>

namespace
{
bool sameText(const char* a, const char* b)
{
    if (!a || !b)
        return a == b;
    return std::strcmp(a, b) == 0;
}
}

qelIndexSet::qelIndexSet(const char* name, int32_t level)
    : m_name(name ? new qelString(name) : nullptr), m_level(level)
{
}

qelIndexSet::qelIndexSet(qelIndexElement* element)
{
    setIndexElement(element);
}

qelIndexSet::~qelIndexSet()
{
    qelList::destroy(m_entries);
    delete m_element;
    delete m_name;
}

const char* qelIndexSet::getName() const
{
    return m_name ? m_name->getBuffer() : nullptr;
}

void qelIndexSet::setIndexElement(qelIndexElement* element)
{
    if (m_element) {
        delete m_element;
        m_element = nullptr;
        delete m_name;
        m_name = nullptr;
        m_level = 1;
        m_byteOffset = 0;
    }
    if (!element)
        return;
    m_element = element;
    delete m_name;
    m_name = element->getName() ? new qelString(element->getName()) : nullptr;
    m_level = element->getLevel();
    m_byteOffset = element->getByteOffset();
}

qelList* qelIndexSet::ensureEntries()
{
    if (!m_entries)
        m_entries = new qelList(&qelList::deleteAs<qelIndex>);
    return m_entries;
}

int qelIndexSet::addIndex(qelIndex* entry, bool unique)
{
    if (!entry)
        return -1;
    ensureEntries();
    if (unique && containsIndex(entry)) {
        delete entry;
        return 0;
    }
    entry->setIndexSet(this);
    entry->setLevel(m_level);
    m_entries->append(entry);
    return 0;
}

bool qelIndexSet::containsIndex(const qelIndex* entry) const
{
    if (!entry || !m_entries)
        return false;
    for (qelListNode* n = m_entries->getHead(); n; n = n->next) {
        auto* held = static_cast<const qelIndex*>(n->item);
        if (sameText(held->getName(), entry->getName()) && sameText(held->getValue(), entry->getValue()))
            return true;
    }
    return false;
}

qelIndex* qelIndexSet::getFirstIndex()
{
    m_cursor = m_entries ? m_entries->getHead() : nullptr;
    if (!m_cursor)
        return nullptr;
    auto* entry = static_cast<qelIndex*>(m_cursor->item);
    entry->setPosition(nullptr, m_cursor);
    return entry;
}

qelIndex* qelIndexSet::getNextIndex()
{
    if (!m_cursor)
        return getFirstIndex();
    qelListNode* previous = m_cursor;
    m_cursor = m_cursor->next;
    if (!m_cursor)
        return nullptr;
    auto* entry = static_cast<qelIndex*>(m_cursor->item);
    entry->setPosition(previous, m_cursor);
    return entry;
}

void qelIndexSet::removeIndex(qelListNode* previous, qelListNode* node)
{
    if (!node || !m_entries)
        return;
    // Find the node's position; the previous node given by the caller is
    // only trusted when it really precedes the node.
    int index = 0;
    qelListNode* before = nullptr;
    qelListNode* n = m_entries->getHead();
    for (; n && n != node; before = n, n = n->next)
        ++index;
    if (!n)
        return;
    (void)previous;
    qelListNode* following = node->next;
    if (m_cursor == node)
        m_cursor = before;
    m_entries->removeAt(index);
    if (following) {
        auto* next = static_cast<qelIndex*>(following->item);
        next->setPosition(before, following);
    }
}
