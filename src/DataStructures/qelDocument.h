#ifndef QEL_DOCUMENT_H
#define QEL_DOCUMENT_H

#include <cstdint>

class qelIndex;
class qelIndexSet;
class qelLinkedList;
class qelList;
class qelNOP;
class qelPage;
class qelString;
class qelUserData;
class qelVisitor;
struct qelLinkedListNode;
struct qelListNode;
namespace de { namespace orvo { namespace ips { namespace metainfo {
class Comment;
class ContentTag;
class PropertyTag;
} } } }

// Index chain node handed to the caller of the C interface (C heap); the
// texts point into the index entries.
struct qelIndexNode
{
    const char* name;
    const char* value;
    qelIndexNode* next;
};

// User data chain node handed to the caller of the C interface (C heap).
struct qelUserDataNode
{
    const char* id;
    const unsigned char* data;
    int32_t length;
    qelUserDataNode* next;
};

// One entry per page added to a document.
struct qelPageEntry
{
    uint8_t flag = 0;
    int32_t id = 0;
    qelString* name = nullptr;
    qelPage* page = nullptr;
    qelListNode* pageNode = nullptr;
    qelListNode* tailBefore = nullptr;

    qelPageEntry() = default;
    ~qelPageEntry();
    qelPageEntry(const qelPageEntry&) = delete;
    qelPageEntry& operator=(const qelPageEntry&) = delete;
    // Replaces the name by a copy.
    void setName(const char* text);
};

// One document of a spool: its pages by page id and its meta information.
// Writes its pages in ascending page id.
class qelDocument
{
public:
    enum { PROPERTY_COUNT = 14 };

    qelDocument() = default;
    qelDocument(const char* name, uint8_t type);
    ~qelDocument();
    qelDocument(const qelDocument&) = delete;
    qelDocument& operator=(const qelDocument&) = delete;

    void setName(const char* name);
    const char* getName() const;
    void setType(uint8_t type);
    uint8_t getType() const { return m_documentType; }
    // Also derives the output names in the index file creation modes.
    void setId(int32_t id);
    int32_t getId() const { return m_documentId; }
    // Same as getId.
    int32_t getNumber() const { return m_documentId; }
    void setSimpleFilename(const char* name);
    const char* getSimpleFilename() const;
    void setOutputFilename(const char* name);
    const char* getOutputFilename() const;
    void setSimpleResourceGroupName(const char* name);
    const char* getSimpleResourceGroupName() const;
    void setInputFileName(const char* name);
    const char* getInputFileName() const;
    int32_t getSize() const { return m_documentSize; }
    void setSize(int32_t size) { m_documentSize = size; }
    uint8_t getRunFinalizeDoc() const { return m_runFinalizeDoc; }
    void setRunFinalizeDoc(uint8_t v) { m_runFinalizeDoc = v; }
    unsigned char* getOutputBuffer() const { return m_outputBuffer; }
    int32_t getOutputBufferLength() const { return m_outputBufferLength; }
    void setOutputBuffer(unsigned char* buffer, int32_t length)
    {
        m_outputBuffer = buffer;
        m_outputBufferLength = length;
    }
    unsigned char* getMetaDataStream() const { return m_metadataStream; }
    // Takes the buffer (new[]) over; the old one is freed.
    void setMetaDataStream(unsigned char* stream);

    // Pages. Page id 0 asks for the next free automatic id.
    void addPage(qelPage* page, int32_t pageId);
    int getPageCount() const;
    qelPage* getFirstPage();
    qelPage* getNextPage();
    uint32_t getFirstPageNumber() const { return m_firstPageNumber; }
    uint32_t getLastPageNumber() const { return m_lastPageNumber; }
    uint32_t getMaxPageId() const { return m_maxPageId; }
    void write(qelVisitor* visitor);
    void writePage(qelVisitor* visitor, qelPage* page);
    void freePages();

    // Meta information.
    void addProperty(int index, const char* value);
    const char* getProperty(const char* name) const;
    int addNOP(qelNOP* nop);
    void removeNOP(qelListNode* previousNode, qelListNode* node);
    qelList* getNOPs() const { return m_nops; }
    int addComment(de::orvo::ips::metainfo::Comment* comment);
    void removeComment(qelLinkedListNode* node);
    de::orvo::ips::metainfo::Comment* getFirstComment();
    de::orvo::ips::metainfo::Comment* getNextComment();
    int addBookmark(const char* name, const char* value);
    qelList* getBookmarkTree() const { return m_bookmarkTree; }
    // Hands the bookmark list over (the caller owns it); null without one.
    qelList* takeBookmarkTree()
    {
        qelList* list = m_bookmarkTree;
        m_bookmarkTree = nullptr;
        return list;
    }
    // Bookmark tags: the document owns its list; the global resource list
    // knows it as the latest one while the document has it.
    void addBookmarkN(de::orvo::ips::metainfo::ContentTag* tag);
    // Hands the bookmark list over (the caller owns it); null without one.
    qelLinkedList* detachBookmarks();
    de::orvo::ips::metainfo::ContentTag* getFirstBookmark();
    de::orvo::ips::metainfo::ContentTag* getNextBookmark();
    void removeCurrentBookmark();
    int addUserData(qelUserData* record);
    qelUserData* getUserData(const char* id) const;
    qelUserData* getFirstUserData();
    qelUserData* getNextUserData();
    qelUserDataNode* collectUserData() const;
    int addIndex(qelIndex* entry);
    qelIndex* getFirstIndex();
    qelIndex* getNextIndex();
    qelIndexNode* collectIndexes();

    // Process-wide number of the page being written in the output document.
    static int32_t getCurrentPageNumber();
    static void setCurrentPageNumber(int32_t number);

private:
    qelIndex* firstIndexFrom(qelListNode* setNode);

    de::orvo::ips::metainfo::PropertyTag* m_properties[PROPERTY_COUNT] = {};
    unsigned char* m_metadataStream = nullptr;
    uint8_t m_documentType = 0;
    uint8_t m_runFinalizeDoc = 0;
    unsigned char* m_outputBuffer = nullptr;
    int32_t m_outputBufferLength = 0;
    qelList* m_nops = nullptr;
    qelListNode* m_currentIndexSet = nullptr;
    qelLinkedList* m_comments = nullptr;
    qelLinkedListNode* m_commentCursor = nullptr;
    int32_t m_documentId = 0;
    qelString* m_simpleFilename = nullptr;
    qelString* m_outputFilename = nullptr;
    qelString* m_simpleResourceGroupName = nullptr;
    int32_t m_documentSize = 0;
    qelString* m_inputFileName = nullptr;
    qelString* m_name = nullptr;
    qelList* m_pages = nullptr;
    uint32_t m_firstPageNumber = 0;
    uint32_t m_lastPageNumber = 0;
    uint32_t m_maxPageId = 0;
    uint32_t m_lastAutoPageId = 0;
    uint32_t m_pageCursor = 0;
    bool m_nopsWritten = false;
    qelList* m_pageEntries = nullptr;
    qelPage** m_pageTable = nullptr;
    uint32_t m_pageTableSize = 0;
    qelString* m_pageIds = nullptr;
    qelList* m_bookmarkTree = nullptr;
    qelLinkedList* m_bookmarkTags = nullptr;
    qelLinkedListNode* m_bookmarkCursor = nullptr;
    qelLinkedList* m_userData = nullptr;
    qelLinkedListNode* m_userDataCursor = nullptr;
};

#endif
