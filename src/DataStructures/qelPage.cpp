#include "qelPage.h"

#include "qelBookmarkNode.h"
#include "qelGlobalDSPool.h"
#include "qelIndex.h"
#include "qelIndexSet.h"
#include "qelIni.h"
#include "qelLinkedList.h"
#include "qelList.h"
#include "qelNOP.h"
#include "qelString.h"
#include "metainfo/Comment.h"

#include <cstdlib>
#include <cstring>
#include <new>

using de::orvo::ips::metainfo::Comment;

namespace
{
void replaceString(qelString*& field, const char* text)
{
    delete field;
    field = text ? new qelString(text) : nullptr;
}

const char* stringOrNull(const qelString* s)
{
    return (s && s->getBuffer() && *s->getBuffer()) ? s->getBuffer() : nullptr;
}

bool isRightAngle(int32_t degrees)
{
    return degrees == 0 || degrees == 90 || degrees == 180 || degrees == 270;
}
}

qelPage::qelPage() = default;

qelPage::~qelPage()
{
    delete m_name;
    m_name = nullptr;
    delete m_pageGroupName;
    m_pageGroupName = nullptr;
    delete m_simpleFilename;
    m_simpleFilename = nullptr;
    delete m_outputFilename;
    m_outputFilename = nullptr;
    std::free(m_outputBuffer);
    m_outputBuffer = nullptr;
    qelPage::destroyBody();
}

void qelPage::destroyBody()
{
    qelList::destroy(m_indexSets);
    m_indexCursor = nullptr;
    qelList::destroy(m_pageNumberObjects);
    qelList::destroy(m_nops);
    qelList::destroy(m_precedingNops);
    m_nopCursor = nullptr;
    m_nopCursorInPreceding = 0;
    qelList::destroy(m_bookmarkTree);
    delete m_comments;
    m_comments = nullptr;
    m_commentCursor = nullptr;
}

const char* qelPage::getName() const { return stringOrNull(m_name); }
void qelPage::setName(const char* name) { replaceString(m_name, name); }
const char* qelPage::getPageGroupName() const { return stringOrNull(m_pageGroupName); }
void qelPage::setPageGroupName(const char* name) { replaceString(m_pageGroupName, name); }
const char* qelPage::getSimpleFilename() const { return stringOrNull(m_simpleFilename); }
void qelPage::setSimpleFilename(const char* name) { replaceString(m_simpleFilename, name); }
const char* qelPage::getOutputFilename() const { return stringOrNull(m_outputFilename); }
void qelPage::setOutputFilename(const char* name) { replaceString(m_outputFilename, name); }

void qelPage::setMediumMapName(const char* name)
{
    std::memset(m_mediumMapName, 0, sizeof(m_mediumMapName));
    if (name)
        std::strncpy(m_mediumMapName, name, sizeof(m_mediumMapName) - 1);
}

int qelPage::setBackgroundColor(uint8_t colorSpace, int32_t value)
{
    if (colorSpace != 1 && colorSpace != 2)
        return -1;
    m_backgroundColorSpace = colorSpace;
    m_backgroundColor = value;
    return 0;
}

void qelPage::setRotation(int32_t degrees)
{
    m_rotation = (degrees == 90 || degrees == 180 || degrees == 270) ? degrees : 0;
}

void qelPage::setScriptRotation(int32_t degrees)
{
    m_scriptRotation = (degrees == 90 || degrees == 180 || degrees == 270) ? degrees : 0;
}

int32_t qelPage::getRotation() const
{
    if (isRightAngle(m_rotation))
        return m_rotation;
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIni* ini = pool ? pool->getIni() : nullptr;
    const int32_t configured = ini ? ini->getPageRotation() : 0;
    return isRightAngle(configured) ? configured : 0;
}

// --- no-operation records ------------------------------------------------------

int qelPage::addNOP(qelNOP* nop)
{
    return qelNOP::append(m_nops, nop, qelNOP::OWNER_PAGE, this);
}

void qelPage::removeNOP(qelListNode* previous, qelListNode* node)
{
    // The cursor steps back when its record goes.
    const bool onCursor = m_nopCursor == node && !m_nopCursorInPreceding;
    if (qelNOP::remove(m_nops, previous, node) && onCursor)
        m_nopCursor = previous;
}

void qelPage::setPrecedingNops(qelList* list)
{
    if (list == m_precedingNops)
        return;
    if (m_nopCursorInPreceding) {
        m_nopCursor = nullptr;
        m_nopCursorInPreceding = 0;
    }
    qelList::destroy(m_precedingNops);
    m_precedingNops = list;
}

qelNOP* qelPage::getFirstNOP()
{
    if (m_precedingNops && m_precedingNops->getHead()) {
        m_nopCursor = m_precedingNops->getHead();
        m_nopCursorInPreceding = 1;
        return static_cast<qelNOP*>(m_nopCursor->item);
    }
    m_nopCursorInPreceding = 0;
    m_nopCursor = m_nops ? m_nops->getHead() : nullptr;
    return m_nopCursor ? static_cast<qelNOP*>(m_nopCursor->item) : nullptr;
}

qelNOP* qelPage::getNextNOP()
{
    if (m_nopCursorInPreceding) {
        m_nopCursor = m_nopCursor ? m_nopCursor->next : nullptr;
        if (m_nopCursor)
            return static_cast<qelNOP*>(m_nopCursor->item);
        m_nopCursorInPreceding = 0;
        m_nopCursor = m_nops ? m_nops->getHead() : nullptr;
        return m_nopCursor ? static_cast<qelNOP*>(m_nopCursor->item) : nullptr;
    }
    // Without a cursor (the first own record was removed) start over.
    m_nopCursor = m_nopCursor ? m_nopCursor->next : (m_nops ? m_nops->getHead() : nullptr);
    return m_nopCursor ? static_cast<qelNOP*>(m_nopCursor->item) : nullptr;
}

// --- comments ----------------------------------------------------------------

int qelPage::addComment(Comment* comment)
{
    if (!comment)
        return -1;
    if (!m_comments) {
        m_comments = new (std::nothrow) qelLinkedList(&qelLinkedList::deleteAs<Comment>);
        if (!m_comments)
            return -2;
    }
    m_comments->append(comment);
    comment->setOwner(Comment::OWNER_PAGE, this, m_comments->getTail());
    return 0;
}

void qelPage::removeComment(qelLinkedListNode* node)
{
    if (!m_comments || !node)
        return;
    if (m_commentCursor == node)
        m_commentCursor = node->previous;
    m_comments->remove(node);
}

Comment* qelPage::getFirstComment()
{
    m_commentCursor = m_comments ? m_comments->getHead() : nullptr;
    return m_commentCursor ? static_cast<Comment*>(m_commentCursor->item) : nullptr;
}

Comment* qelPage::getNextComment()
{
    if (!m_commentCursor)
        return getFirstComment();
    m_commentCursor = m_commentCursor->next;
    return m_commentCursor ? static_cast<Comment*>(m_commentCursor->item) : nullptr;
}

// --- bookmarks -------------------------------------------------------------------

int qelPage::addBookmark(const char* name, const char* value)
{
    if (!m_bookmarkTree)
        m_bookmarkTree = new qelList(&qelList::deleteAs<qelBookmarkNode>);
    qelBookmarkNode* node = nullptr;
    for (qelListNode* n = m_bookmarkTree->getHead(); n; n = n->next) {
        qelBookmarkNode* b = static_cast<qelBookmarkNode*>(n->item);
        if (name && b->getName() && std::strcmp(b->getName(), name) == 0) {
            node = b;
            break;
        }
    }
    if (!node) {
        node = new (std::nothrow) qelBookmarkNode(name, m_id);
        if (!node)
            return -1;
        m_bookmarkTree->append(node);
    }
    if (!value)
        return 0;
    qelBookmarkNode* last = node->getLastChild();
    if (last && last->getName() && qelString::compare(last->getName(), value, true, 0) && last->getValue() == m_id)
        return 0;
    node->addChild(new qelBookmarkNode(value, m_id));
    return 0;
}

// --- indexes -----------------------------------------------------------------------

void qelPage::addIndex(qelIndexSet* set)
{
    if (!set)
        return;
    if (set->getEntryCount() == 0) {
        delete set;
        return;
    }
    if (!m_indexSets)
        m_indexSets = new qelList(&qelList::deleteAs<qelIndexSet>);
    m_indexSets->append(set);
}

int qelPage::addIndexChecked(qelIndex* entry)
{
    if (!entry)
        return -1;
    qelIndexSet* set = nullptr;
    for (qelListNode* n = m_indexSets ? m_indexSets->getHead() : nullptr; n; n = n->next) {
        qelIndexSet* s = static_cast<qelIndexSet*>(n->item);
        if (s->getLevel() == 0) {
            set = s;
            break;
        }
    }
    const bool created = (set == nullptr);
    if (created) {
        set = new (std::nothrow) qelIndexSet(getName(), 0);
        if (!set)
            return -2;
    }
    entry->setIndexSet(set);
    entry->setLevel(set->getLevel());
    set->ensureEntries()->append(entry);
    if (created)
        addIndex(set);
    return 0;
}

qelIndex* qelPage::firstIndexFrom(qelListNode* setNode)
{
    for (m_indexCursor = setNode; m_indexCursor; m_indexCursor = m_indexCursor->next) {
        if (qelIndex* e = static_cast<qelIndexSet*>(m_indexCursor->item)->getFirstIndex())
            return e;
    }
    return nullptr;
}

qelIndex* qelPage::getFirstIndex()
{
    return firstIndexFrom(m_indexSets ? m_indexSets->getHead() : nullptr);
}

qelIndex* qelPage::getNextIndex()
{
    if (!m_indexCursor)
        return nullptr;
    if (qelIndex* e = static_cast<qelIndexSet*>(m_indexCursor->item)->getNextIndex())
        return e;
    return firstIndexFrom(m_indexCursor->next);
}

void qelPage::setPageNumberObjects(qelList* list)
{
    if (list == m_pageNumberObjects)
        return;
    qelList::destroy(m_pageNumberObjects);
    m_pageNumberObjects = list;
}
