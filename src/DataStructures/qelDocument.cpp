#include "qelDocument.h"

#include "metainfo/Comment.h"
#include "metainfo/ContentTag.h"
#include "metainfo/PropertyTag.h"
#include "qelBookmarkNode.h"
#include "qelGlobalDSPool.h"
#include "qelGlobalRes.h"
#include "qelIndex.h"
#include "qelIndexList.h"
#include "qelIndexSet.h"
#include "qelIni.h"
#include "qelLinkedList.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelMedia.h"
#include "qelMessageOutput.h"
#include "qelNOP.h"
#include "qelPage.h"
#include "qelPoolAccess.h"
#include "qelString.h"
#include "qelUserData.h"
#include "qelUtils.h"
#include "qelVisitor.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

using de::orvo::ips::metainfo::Comment;
using de::orvo::ips::metainfo::ContentTag;
using de::orvo::ips::metainfo::PropertyTag;

namespace {

int32_t g_currentPageNumber = 0;

const char* const kPropertyTags[qelDocument::PROPERTY_COUNT] = {
    "Title", "Author", "Subject", "Keywords", "Creator", "Producer", "CreationDate", "ModificationDate",
    "Trapped", "DocumentVersion", "PageCount", "Tagged", "Encrypted", "Optimized"};
const char* const kPropertyNames[qelDocument::PROPERTY_COUNT] = {
    "title", "author", "subject", "keywords", "creator", "producer", "creationdate", "moddate",
    "trapped", "documentversion", "pagecount", "tagged", "encrypted", "optimized"};

using qelPoolAccess::options;
using qelPoolAccess::quiet;

qelLogStream* logIf(unsigned int bits)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    return log && log->anyOf(bits) ? log : nullptr;
}

void trace(const char* text)
{
    qelIni* ini = options();
    if (ini && (ini->getDevTestLevel() & 0x1))
        qelMessageOutput::write(text);
}

void replace(qelString*& holder, const char* text)
{
    delete holder;
    holder = text ? new qelString(text) : nullptr;
}

const char* textOf(const qelString* holder)
{
    return holder ? holder->getBuffer() : nullptr;
}

std::string idMark(long id)
{
    return "#" + std::to_string(id) + "#";
}

}

qelPageEntry::~qelPageEntry()
{
    delete name;
}

void qelPageEntry::setName(const char* text)
{
    replace(name, text);
}

qelDocument::qelDocument(const char* name, uint8_t type)
{
    setName(name);
    setType(type);
}

qelDocument::~qelDocument()
{
    delete m_name;
    delete m_simpleFilename;
    delete m_outputFilename;
    delete m_simpleResourceGroupName;
    delete m_inputFileName;
    freePages();
    delete m_pageIds;
    qelList::destroy(m_nops);
    delete m_comments;
    qelList::destroy(m_bookmarkTree);
    delete m_userData;
    for (PropertyTag*& tag : m_properties) {
        delete tag;
        tag = nullptr;
    }
    delete[] m_metadataStream;
    delete detachBookmarks();
    // The output buffer stays with the kernel.
    m_outputBuffer = nullptr;
}

int32_t qelDocument::getCurrentPageNumber()
{
    return g_currentPageNumber;
}

void qelDocument::setCurrentPageNumber(int32_t number)
{
    g_currentPageNumber = number;
}

void qelDocument::setName(const char* name)
{
    replace(m_name, name);
    if (!name) {
        if (!quiet())
            qelMessageOutput::write("Error! NULL Document Name!");
        if (qelLogStream* log = logIf(QEL_LOG_LEVEL2))
            log->printLine("Error! NULL Document Name!");
    }
}

const char* qelDocument::getName() const
{
    return textOf(m_name);
}

void qelDocument::setType(uint8_t type)
{
    if (type >= 1 && type <= 3) {
        m_documentType = type;
        return;
    }
    if (!quiet())
        qelMessageOutput::printf("Warning! Invalid Document Type %c\n", static_cast<int>(type));
    if (qelLogStream* log = logIf(QEL_LOG_LEVEL2))
        log->printLine("Warning! Invalid Document Type: %c", static_cast<int>(type));
}

void qelDocument::setId(int32_t id)
{
    m_documentId = id;
    qelIni* ini = options();
    if (!ini || ini->isPageOutput())
        return;
    const int mode = ini->getFileCreationMode();
    if (mode != QEL_FCM_DOC_INDEX && mode != QEL_FCM_DOC_COLD)
        return;
    std::unique_ptr<char[]> base(ini->formatIndexId(0, id, qelUtils::getTempName(), getName()));
    if (!base)
        return;
    setSimpleFilename(base.get());
    const char* ext = ini->getCustomFileExtension();
    if (!ext || !*ext)
        ext = ini->getOutputExtension();
    std::string out = std::string(base.get()) + "." + (ext ? ext : "");
    setOutputFilename(out.c_str());
}

void qelDocument::setSimpleFilename(const char* name) { replace(m_simpleFilename, name); }
const char* qelDocument::getSimpleFilename() const { return textOf(m_simpleFilename); }
void qelDocument::setOutputFilename(const char* name) { replace(m_outputFilename, name); }
const char* qelDocument::getOutputFilename() const { return textOf(m_outputFilename); }
void qelDocument::setSimpleResourceGroupName(const char* name) { replace(m_simpleResourceGroupName, name); }
const char* qelDocument::getSimpleResourceGroupName() const { return textOf(m_simpleResourceGroupName); }
void qelDocument::setInputFileName(const char* name) { replace(m_inputFileName, name); }
const char* qelDocument::getInputFileName() const { return textOf(m_inputFileName); }

void qelDocument::setMetaDataStream(unsigned char* stream)
{
    if (stream == m_metadataStream)
        return;
    delete[] m_metadataStream;
    m_metadataStream = stream;
}

// --- pages -------------------------------------------------------------------

void qelDocument::addPage(qelPage* page, int32_t pageId)
{
    if (!page)
        return;
    if (!m_pageEntries)
        m_pageEntries = new qelList(&qelList::deleteAs<qelPageEntry>);
    const char* ids = textOf(m_pageIds);
    auto taken = [&](long id) { return ids && qelString::find(ids, idMark(id).c_str(), true) != nullptr; };
    const char* pageName = page->getName() ? page->getName() : "";
    const char* docName = getName() ? getName() : "";
    if (pageId != 0) {
        if (taken(pageId)) {
            if (!quiet())
                qelMessageOutput::printf("Warning! Duplicate page (%d,%s), unable to add it to document (%d,%s) ... Skipping\n",
                                         page->getParseId(), pageName, m_documentId, docName);
            if (qelLogStream* log = logIf(QEL_LOG_ALL))
                log->printLine("Warning! Duplicate page (%d,%s), unable to add it to document (%d,%s) ... Skipping\n",
                               page->getParseId(), pageName, m_documentId, docName);
            return;
        }
    } else {
        do {
            ++m_lastAutoPageId;
        } while (taken(static_cast<long>(m_lastAutoPageId)));
        pageId = static_cast<int32_t>(m_lastAutoPageId);
    }
    if (pageId > 0 && static_cast<uint32_t>(pageId) > m_maxPageId)
        m_maxPageId = static_cast<uint32_t>(pageId);
    page->setId(pageId);

    const int32_t scope = page->getScope();
    if (scope != 1 && scope != 2) {
        if (!quiet())
            qelMessageOutput::printf("Warning! Invalid scope (%d) of page (%d,%s), unable to add it to document (%d,%s) ... Skipping\n",
                                     scope, page->getParseId(), pageName, m_documentId, docName);
        if (qelLogStream* log = logIf(QEL_LOG_ALL))
            log->printLine("Warning! Invalid scope (%d) of page (%d,%s), unable to add it to document (%d,%s) ... Skipping\n",
                           scope, page->getParseId(), pageName, m_documentId, docName);
        return;
    }
    if (scope == 1)
        page->setWritten(false);
    auto* entry = new qelPageEntry;
    entry->id = pageId;
    entry->setName(page->getName());
    entry->page = page;
    if (!m_pageIds)
        m_pageIds = new qelString("#");
    m_pageIds->append((std::to_string(pageId) + "#").c_str());
    if (scope == 2) {
        if (!m_pages)
            m_pages = new qelList(&qelList::deleteAs<qelPage>);
        entry->tailBefore = m_pages->getTail();
        m_pageEntries->append(entry);
        m_pages->append(page);
        entry->pageNode = m_pages->getTail();
    } else {
        m_pageEntries->append(entry);
    }
}

int qelDocument::getPageCount() const
{
    return m_pages ? m_pages->getCount() : 0;
}

qelPage* qelDocument::getFirstPage()
{
    if (!m_pageTable || m_pageTableSize == 0)
        return nullptr;
    m_pageCursor = 1;
    return m_pageTable[0];
}

qelPage* qelDocument::getNextPage()
{
    if (!m_pageTable || m_pageCursor >= m_pageTableSize)
        return nullptr;
    return m_pageTable[m_pageCursor++];
}

void qelDocument::write(qelVisitor* visitor)
{
    trace("[Document]: (Begin): write\n");
    if (!m_pages || m_pages->getCount() == 0 || !m_pageEntries || m_pageEntries->getCount() == 0 || m_maxPageId == 0)
        return;
    if (visitor)
        visitor->setDocumentPageCount(static_cast<int>(m_maxPageId));
    delete[] m_pageTable;
    m_pageTable = new (std::nothrow) qelPage*[m_maxPageId]();
    m_pageTableSize = m_pageTable ? m_maxPageId : 0;
    if (!m_pageTable)
        return;
    for (qelListNode* n = m_pageEntries->getHead(); n; n = n->next) {
        auto* entry = static_cast<qelPageEntry*>(n->item);
        qelPage* page = entry->page;
        if (page && page->kind() == qelPage::KIND_AFP) {
            auto* media = dynamic_cast<qelMedia*>(page);
            if (media && !media->isBound())
                media->bind();
        }
        if (entry->id > 0 && static_cast<uint32_t>(entry->id) <= m_maxPageId)
            m_pageTable[entry->id - 1] = page;
    }
    for (uint32_t slot = 0; slot < m_maxPageId; ++slot) {
        ++g_currentPageNumber;
        qelPage* page = m_pageTable[slot];
        if (page && !page->isWritten()) {
            if (!quiet())
                qelMessageOutput::printf("Writing Page %d...\n", g_currentPageNumber);
            writePage(visitor, page);
        }
    }
    trace("[Document]: (End): write\n");
}

void qelDocument::writePage(qelVisitor* visitor, qelPage* page)
{
    if (!visitor || !page)
        return;
    trace("[Document]: (Begin): writePage\n");
    const auto number = static_cast<uint32_t>(page->getParseId());
    // The document's records go once, before the first page written.
    if (!m_nopsWritten) {
        m_nopsWritten = true;
        m_firstPageNumber = number;
        m_lastPageNumber = number;
        for (qelListNode* n = m_nops ? m_nops->getHead() : nullptr; n; n = n->next)
            visitor->writeNOP(static_cast<qelNOP*>(n->item), true);
    } else {
        if (number < m_firstPageNumber)
            m_firstPageNumber = number;
        if (number > m_lastPageNumber)
            m_lastPageNumber = number;
    }
    if (qelLogStream* log = logIf(QEL_LOG_LOGGING | QEL_LOG_OUTWARN))
        log->printLine("\nWriting Page %d ", g_currentPageNumber);
    page->write(visitor);
    if (qelLogStream* log = logIf(QEL_LOG_LOGGING))
        log->print("\n");
    trace("[Document]: (End): writePage\n");
}

void qelDocument::freePages()
{
    qelList::destroy(m_pageEntries);
    qelList::destroy(m_pages);
    delete[] m_pageTable;
    m_pageTable = nullptr;
    m_pageTableSize = 0;
    m_pageCursor = 0;
}

// --- meta information --------------------------------------------------------

void qelDocument::addProperty(int index, const char* value)
{
    if (!value || index < 0 || index >= PROPERTY_COUNT)
        return;
    auto* tag = new PropertyTag();
    tag->setName(kPropertyTags[index]);
    tag->setValue(value);
    // A tag already in the slot is released first, so that nothing leaks.
    delete m_properties[index];
    m_properties[index] = tag;
}

const char* qelDocument::getProperty(const char* name) const
{
    if (!name)
        return nullptr;
    for (int i = 0; i < PROPERTY_COUNT; ++i)
        if (qelString::compare(name, kPropertyNames[i], true, 0))
            return m_properties[i] ? m_properties[i]->getValue() : nullptr;
    return nullptr;
}

int qelDocument::addNOP(qelNOP* nop)
{
    return qelNOP::append(m_nops, nop, qelNOP::OWNER_DOCUMENT, this);
}

void qelDocument::removeNOP(qelListNode* previousNode, qelListNode* node)
{
    qelNOP::remove(m_nops, previousNode, node);
}

int qelDocument::addComment(Comment* comment)
{
    if (!comment)
        return -1;
    if (!m_comments)
        m_comments = new (std::nothrow) qelLinkedList(&qelLinkedList::deleteAs<Comment>);
    if (!m_comments)
        return -2;
    m_comments->append(comment);
    comment->setOwner(Comment::OWNER_DOCUMENT, this, m_comments->getTail());
    return 0;
}

void qelDocument::removeComment(qelLinkedListNode* node)
{
    if (!m_comments || !node)
        return;
    if (node == m_commentCursor)
        m_commentCursor = m_comments->previous(node);
    m_comments->remove(node);
}

Comment* qelDocument::getFirstComment()
{
    m_commentCursor = m_comments ? m_comments->getHead() : nullptr;
    return static_cast<Comment*>(qelLinkedList::getItem(m_commentCursor));
}

Comment* qelDocument::getNextComment()
{
    if (!m_comments)
        return nullptr;
    m_commentCursor = m_commentCursor ? m_commentCursor->next : m_comments->getHead();
    return static_cast<Comment*>(qelLinkedList::getItem(m_commentCursor));
}

int qelDocument::addBookmark(const char* name, const char* value)
{
    if (!m_bookmarkTree)
        m_bookmarkTree = new qelList(&qelList::deleteAs<qelBookmarkNode>);
    qelBookmarkNode* node = nullptr;
    for (qelListNode* n = m_bookmarkTree->getHead(); n && name; n = n->next) {
        auto* b = static_cast<qelBookmarkNode*>(n->item);
        if (b->getName() && qelString::compare(b->getName(), name, false, 0)) {
            node = b;
            break;
        }
    }
    if (!node) {
        node = new (std::nothrow) qelBookmarkNode(name, 0);
        if (!node)
            return -1;
        m_bookmarkTree->append(node);
    }
    if (!value)
        return 0;
    qelBookmarkNode* last = node->getLastChild();
    if (last && last->getName() && qelString::compare(last->getName(), value, true, 0) && last->getValue() == 0)
        return 0;
    node->addChild(new qelBookmarkNode(value, 0));
    return 0;
}

void qelDocument::addBookmarkN(ContentTag* tag)
{
    if (!tag)
        return;
    if (!m_bookmarkTags) {
        m_bookmarkTags = new qelLinkedList(&qelLinkedList::deleteAs<ContentTag>);
        qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
        if (pool)
            pool->getGlobalRes()->setBookmarks(m_bookmarkTags);
    }
    m_bookmarkTags->append(tag);
    tag->setParentDocument(this);
}

qelLinkedList* qelDocument::detachBookmarks()
{
    qelLinkedList* list = m_bookmarkTags;
    m_bookmarkTags = nullptr;
    m_bookmarkCursor = nullptr;
    if (list && qelGlobalDSPool::exists() && qelGlobalDSPool::getInstance()->hasObject(QEL_POOL_GLOBAL_RES))
        qelGlobalDSPool::getInstance()->getGlobalRes()->forgetBookmarks(list);
    return list;
}

ContentTag* qelDocument::getFirstBookmark()
{
    m_bookmarkCursor = m_bookmarkTags ? m_bookmarkTags->getHead() : nullptr;
    return static_cast<ContentTag*>(qelLinkedList::getItem(m_bookmarkCursor));
}

ContentTag* qelDocument::getNextBookmark()
{
    if (!m_bookmarkTags)
        return nullptr;
    m_bookmarkCursor = m_bookmarkCursor ? m_bookmarkCursor->next : m_bookmarkTags->getHead();
    return static_cast<ContentTag*>(qelLinkedList::getItem(m_bookmarkCursor));
}

void qelDocument::removeCurrentBookmark()
{
    if (!m_bookmarkTags || !m_bookmarkCursor)
        return;
    qelLinkedListNode* node = m_bookmarkCursor;
    m_bookmarkCursor = m_bookmarkTags->previous(node);
    m_bookmarkTags->remove(node);
}

int qelDocument::addUserData(qelUserData* record)
{
    if (!record)
        return -1;
    if (!m_userData)
        m_userData = new qelLinkedList(&qelLinkedList::deleteAs<qelUserData>);
    m_userData->append(record);
    return 1;
}

qelUserData* qelDocument::getUserData(const char* id) const
{
    for (qelLinkedListNode* n = m_userData ? m_userData->getHead() : nullptr; n && id; n = n->next) {
        auto* record = static_cast<qelUserData*>(n->item);
        if (qelString::compare(record->getId(), id, true, 0))
            return record;
    }
    return nullptr;
}

qelUserData* qelDocument::getFirstUserData()
{
    m_userDataCursor = m_userData ? m_userData->getHead() : nullptr;
    return static_cast<qelUserData*>(qelLinkedList::getItem(m_userDataCursor));
}

qelUserData* qelDocument::getNextUserData()
{
    if (!m_userDataCursor)
        return nullptr;
    m_userDataCursor = m_userDataCursor->next;
    return static_cast<qelUserData*>(qelLinkedList::getItem(m_userDataCursor));
}

qelUserDataNode* qelDocument::collectUserData() const
{
    qelUserDataNode* head = nullptr;
    qelUserDataNode* tail = nullptr;
    for (qelLinkedListNode* n = m_userData ? m_userData->getHead() : nullptr; n; n = n->next) {
        auto* record = static_cast<qelUserData*>(n->item);
        auto* node = static_cast<qelUserDataNode*>(std::malloc(sizeof(qelUserDataNode)));
        if (!node)
            throw "Unable to allocate memory for user data chain";
        node->id = record->getId();
        node->data = record->getData();
        node->length = record->getLength();
        node->next = nullptr;
        (tail ? tail->next : head) = node;
        tail = node;
    }
    return head;
}

int qelDocument::addIndex(qelIndex* entry)
{
    if (!entry)
        return -1;
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIndexList* indexes = pool ? pool->getIndexList() : nullptr;
    if (!indexes)
        return -1;
    const char* name = getName() ? getName() : "";
    qelIndexSet* set = indexes->findIndex(name, 1);
    if (!set) {
        set = new qelIndexSet(name, 1);
        indexes->addIndex(set);
    }
    set->ensureEntries();
    entry->setIndexSet(set);
    entry->setLevel(set->getLevel());
    set->getEntries()->append(entry);
    return 0;
}

qelIndex* qelDocument::firstIndexFrom(qelListNode* setNode)
{
    for (; setNode; setNode = setNode->next) {
        auto* set = static_cast<qelIndexSet*>(setNode->item);
        if (qelIndex* entry = set->getFirstIndex()) {
            m_currentIndexSet = setNode;
            return entry;
        }
    }
    m_currentIndexSet = nullptr;
    return nullptr;
}

qelIndex* qelDocument::getFirstIndex()
{
    qelGlobalDSPool* pool = qelPoolAccess::pool("Unable to allocate Global DS Pool at qelDocument(1)");
    qelList* sets = pool->getIndexList() ? pool->getIndexList()->getPageIndexes() : nullptr;
    return firstIndexFrom(sets ? sets->getHead() : nullptr);
}

qelIndex* qelDocument::getNextIndex()
{
    qelPoolAccess::pool("Unable to allocate Global DS Pool at qelDocument(2)");
    if (!m_currentIndexSet)
        return nullptr;
    if (qelIndex* entry = static_cast<qelIndexSet*>(m_currentIndexSet->item)->getNextIndex())
        return entry;
    return firstIndexFrom(m_currentIndexSet->next);
}

qelIndexNode* qelDocument::collectIndexes()
{
    qelGlobalDSPool* pool = qelPoolAccess::pool("Unable to allocate Global DS Pool at qelDocument(3)");
    qelIndexNode* head = nullptr;
    qelIndexNode* tail = nullptr;
    auto add = [&](qelIndex* entry) {
        auto* node = static_cast<qelIndexNode*>(std::malloc(sizeof(qelIndexNode)));
        if (!node)
            throw "Unable to allocate memory for index chain";
        node->name = entry->getName();
        node->value = entry->getValue();
        node->next = nullptr;
        (tail ? tail->next : head) = node;
        tail = node;
    };
    qelList* sets = pool->getIndexList() ? pool->getIndexList()->getPageIndexes() : nullptr;
    for (qelListNode* s = sets ? sets->getHead() : nullptr; s; s = s->next) {
        auto* set = static_cast<qelIndexSet*>(s->item);
        for (qelListNode* e = set->getEntries() ? set->getEntries()->getHead() : nullptr; e; e = e->next)
            add(static_cast<qelIndex*>(e->item));
    }
    for (uint32_t slot = 0; m_pageTable && slot < m_pageTableSize; ++slot) {
        qelPage* page = m_pageTable[slot];
        if (!page)
            continue;
        for (qelIndex* entry = page->getFirstIndex(); entry; entry = page->getNextIndex())
            add(entry);
    }
    return head;
}
