#include "qelPDFOutlineTree.h"

#include "qelBookmarkNode.h"
#include "qelGlobalDSPool.h"
#include "qelIndex.h"
#include "qelIndexList.h"
#include "qelIndexSet.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelPage.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <strings.h>

namespace
{
qelBookmarkNode* nodeOf(qelListNode* n) { return static_cast<qelBookmarkNode*>(n->item); }

qelList* newNodeList() { return new qelList(&qelList::deleteAs<qelBookmarkNode>); }
}

qelPDFOutlineTree::qelPDFOutlineTree(PDFDocContext* context) : m_context(context) {}

qelPDFOutlineTree::~qelPDFOutlineTree() { qelList::destroy(m_root); }

qelBookmarkNode* qelPDFOutlineTree::findEntry(const char* name) const
{
    if (!name || !m_root)
        return nullptr;
    for (qelListNode* n = m_root->getHead(); n; n = n->next) {
        const char* own = nodeOf(n)->getName();
        if (own && std::strcmp(own, name) == 0)
            return nodeOf(n);
    }
    return nullptr;
}

void qelPDFOutlineTree::merge(qelList* list, int page)
{
    if (!list)
        return;
    const int p = std::max(page, 0);
    if (!m_root)
        m_root = newNodeList();
    // The nodes change owner one by one: the incoming list lets them go.
    list->stopOwningItems();
    for (qelListNode* n = list->getHead(); n; n = n->next) {
        qelBookmarkNode* node = nodeOf(n);
        if (!node)
            continue;
        qelBookmarkNode* same = findEntry(node->getName());
        qelList* children = node->takeChildren();
        if (same) {
            for (qelListNode* c = children ? children->getHead() : nullptr; c; c = c->next) {
                nodeOf(c)->setValue(p);
                same->addChild(nodeOf(c));
            }
            if (children)
                children->stopOwningItems();
            delete children;
            delete node;
        } else {
            for (qelListNode* c = children ? children->getHead() : nullptr; c; c = c->next) {
                nodeOf(c)->setValue(p);
                node->addChild(nodeOf(c));
            }
            if (children)
                children->stopOwningItems();
            delete children;
            node->setValue(p);
            m_root->append(node);
        }
    }
    delete list;
}

void qelPDFOutlineTree::addEntry(const qelIndex* value, int page)
{
    if (!value || !value->getName())
        return;
    qelBookmarkNode* node = findEntry(value->getName());
    if (!node) {
        node = new (std::nothrow) qelBookmarkNode(value->getName(), page);
        if (!node)
            return;
        if (!m_root)
            m_root = newNodeList();
        m_root->append(node);
    }
    node->addPath(value->getValue(), page, value->getLevel());
}

void qelPDFOutlineTree::addIndexBookmarks(qelIndexSet* entry, int page)
{
    if (!entry)
        return;
    for (qelListNode* n = entry->getEntries() ? entry->getEntries()->getHead() : nullptr; n; n = n->next)
        addEntry(static_cast<const qelIndex*>(n->item), page);
}

void qelPDFOutlineTree::addPageBookmarks(qelPage* page, int bookmarkPage, int fileCreationMode)
{
    if (!page)
        return;
    const int b = bookmarkPage;
    bool newGroup = false;
    const char* group = page->getPageGroupName();
    if (group && (!m_hasGroup || strcasecmp(group, m_groupName.c_str()) != 0)) {
        m_groupName = group;
        m_hasGroup = true;
        newGroup = true;
    }
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIndexList* indexes = pool ? pool->getIndexList() : nullptr;
    qelIndexSet* groupEntry = nullptr;
    if (newGroup && indexes) {
        if (page->getPageGroupId() > 0)
            groupEntry = indexes->findPageIndexById(page->getPageGroupId());
        // The group's set is kept with the document's sets, else with the run's.
        if (!groupEntry)
            groupEntry = indexes->findIndex(group, 1, indexes->getPageIndexes());
        if (!groupEntry)
            groupEntry = indexes->findIndex(group, 1);
        addIndexBookmarks(groupEntry, b);
    }
    for (qelIndex* value = page->getFirstIndex(); value; value = page->getNextIndex())
        addEntry(value, b);
    if (fileCreationMode == QEL_FCM_DOC_INDEX || fileCreationMode == QEL_FCM_DOC_COLD)
        return;
    // The page has no index id of its own here: the group's values once
    // more (equal children are not added twice), else the page's set by name.
    qelIndexSet* extra = groupEntry;
    if (!extra && indexes && page->getName())
        extra = indexes->findIndex(page->getName(), 0);
    addIndexBookmarks(extra, b);
}

void qelPDFOutlineTree::writeOutlines(qelList* list, PDFOutlineEntry* parent, int lastPage)
{
    if (!m_context || !list || lastPage < 1)
        return;
    PDFOutlineEntry* last = nullptr;
    for (qelListNode* n = list->getHead(); n; n = n->next) {
        qelBookmarkNode* node = nodeOf(n);
        if (!node)
            continue;
        PDFOutlineEntry* below = last ? last : parent;
        if (node->getName()) {
            const int page = std::min(std::max(node->getValue(), 1), lastPage);
            PDFOutlineEntry* written = last ? opdf_addOutline(m_context, last, 0, 0, page, node->getName(), 2, 0, 0, 0, 0)
                                            : opdf_addOutline(m_context, parent, 1, 0, page, node->getName(), 2, 0, 0, 0, 0);
            if (written) {
                last = written;
                below = written;
            }
        }
        writeOutlines(node->getChildren(), below, lastPage);
    }
}
